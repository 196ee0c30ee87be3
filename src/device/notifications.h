// Reading the mouse's status reports from the second interfaces of the selected model.
// Decoding them is DecodeStatusReport (protocol.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/device_entry.h"

namespace device {

// Reads one report of at most 12 bytes into `buffer`: from `notify` (the selected model's
// notification interface) with a 50 ms wait, or without one from each receiver entry of
// `selected_type` with a second interface, 10 ms each, until one delivers. 1 read, 0 nothing
// came, 2 no interface to read.
int ReadNotification(std::vector<OpenEntry>& entries, int selected_type, hid::Device* notify,
                     uint8_t* buffer, size_t length);
// Drops one pending report from every receiver's second interface of `selected_type`.
void FlushNotifications(std::vector<OpenEntry>& entries, int selected_type);

inline constexpr int kNotifyReadMs = 50;
inline constexpr int kReceiverNotifyReadMs = 10;

}  // namespace device
