// The receiver hand-shake that precedes a long-data transfer: open, size, then the two
// confirmations polled for.
#pragma once

#include <cstdint>

#include "device/feature_channel.h"

namespace device {

// On the command `device` (nullptr: none). False only when a send failed or there is no
// device; unconfirmed polls are tolerated.
bool OpenBigDataMode(FeatureChannel& channel, hid::Device* device, uint16_t size);

}  // namespace device
