// The device tests' workspace and scripted bus, built into this test program too.
#include "device/device_test_support.cpp"  // NOLINT(bugprone-suspicious-include)
