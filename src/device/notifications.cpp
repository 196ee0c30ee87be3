#include "device/notifications.h"

#include <algorithm>

#include "device/protocol.h"

namespace device {

namespace {

bool ReceiverWithSecond(const OpenEntry& open, int selected_type) {
  const DeviceEntry& e = open.entry;
  return e.device_type == selected_type && e.mode == kModeReceiver && open.second_device;
}

}  // namespace

int ReadNotification(std::vector<OpenEntry>& entries, int selected_type, hid::Device* notify,
                     uint8_t* buffer, size_t length) {
  const size_t want = std::min<size_t>(length, kStatusReportLength);
  if (notify != nullptr) return notify->Read(buffer, want, kNotifyReadMs) > 0 ? 1 : 0;
  bool any = false;
  for (OpenEntry& open : entries) {
    if (!ReceiverWithSecond(open, selected_type)) continue;
    any = true;
    if (open.second_device->Read(buffer, want, kReceiverNotifyReadMs) > 0) return 1;
  }
  return any ? 0 : 2;
}

void FlushNotifications(std::vector<OpenEntry>& entries, int selected_type) {
  uint8_t scratch[65];
  for (OpenEntry& open : entries) {
    if (ReceiverWithSecond(open, selected_type)) {
      open.second_device->Read(scratch, kStatusReportLength, kReceiverNotifyReadMs);
    }
  }
}

}  // namespace device
