// The opened interfaces of supported models, as the device list holds them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid.h"

namespace device {
inline constexpr int kModeCable = 0;
inline constexpr int kModeReceiver = 1;
}  // namespace device

// One opened HID interface of a supported model, as the rest of the program sees it (the
// handles themselves stay inside the device layer).
struct DeviceEntry {
  int index = 0;
  uint16_t vid = 0;
  uint16_t pid = 0;
  std::string dev_id_text;  // read from the mouse; empty until the identity pass has it
  bool has_command_device = false;
  bool has_second_device = false;
  int second_output_length = 0;  // output report length of the second interface
  int is_second = 0;
  uint16_t release = 0;
  int device_type = 0;
  int mode = 0;
  int online = 0;
  std::array<uint8_t, 64> info{};  // the device information block, zero-filled
};

// An interface of a supported model that is present but could not be opened.
struct RefusedInterface {
  std::string path;
  uint16_t vid = 0;
  uint16_t pid = 0;
  int device_type = 0;
  int mode = 0;          // 0 cable, 1 receiver
  int error = 0;         // errno of the refusal (EACCES, EBUSY, ...); 0 when the bus cannot tell
  bool command = false;  // the path offers the command interface (usage page 0xFF00, usage 1)
};

namespace device {

// An entry with the handles it owns; they close with it.
struct OpenEntry {
  DeviceEntry entry;
  std::unique_ptr<hid::Device> command_device;
  std::unique_ptr<hid::Device> second_device;
};

}  // namespace device
