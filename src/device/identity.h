// The identity pass after each enumeration: each command interface is asked for its device
// information block, whose device id tells which catalogue model is really there (one
// receiver can serve several models); through the receiver, only once the mouse answers as
// online.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_entry.h"
#include "device/feature_channel.h"
#include "device/mode_registry.h"

namespace device {

// What the online query through the receiver says of the mouse behind it.
enum class WirelessLink {
  kOnline,    // linked and answering
  kOffline,   // the receiver says no mouse is linked, or the receiver itself cannot be reached
  kNoAnswer,  // the mouse is there but stayed busy or silent (or the sequence's bound or a stop
              // cut the query short): not offline, it did not answer
};

// One exchange of the online query on `device` (nullptr: none, offline). A busy or silent
// answer marks the channel's sequence unanswered; past the bound no exchange is made.
WirelessLink QueryWirelessLink(FeatureChannel& channel, hid::Device* device);

// Reads the two halves of the information block into the first 20 bytes of `block`.
void ReadDeviceInfo(FeatureChannel& channel, hid::Device* device, std::array<uint8_t, 128>& block);

// Block bytes 2 to 7 as 12 upper-case hex digits.
std::string FormatDevId(const std::array<uint8_t, 128>& block);

// The pass over `entries` in list order: cable command entries are read, receiver command
// entries only without a cable twin of their type and when the mouse is online; a known
// device id sets the type (of every entry with the same ids) and marks the entry online.
// Leaves the channel's wireless flag as the last entry asked needed it.
void RunIdentityPass(FeatureChannel& channel, const ModeRegistry& modes,
                     std::vector<OpenEntry>& entries);

}  // namespace device
