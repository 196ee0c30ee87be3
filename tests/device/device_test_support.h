// The device-link test helpers are shared with other test programs; they live in support/.
#pragma once

#include "support/device_test_support.h"
