// Fixture: the store reaching up into the window logic.
#include "app/worker.h"
#include "store/schema.h"
