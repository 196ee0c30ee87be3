// Fixture: allowed, the window logic using the store.
#include "store/schema.h"
