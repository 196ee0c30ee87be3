// The mice the virtual bus can emulate, with the identities and defaults their firmware has.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

enum class Model { kK7Mouse, kK7Pro, kK9Air };

// How a mouse is attached: by its USB cable, through its 2.4 GHz receiver, or both at once.
enum class Attachment { kCable, kReceiver, kBoth };

// One USB attachment of a mouse.
enum class Connection { kCable = 0, kReceiver = 1 };

inline constexpr uint16_t kVendorId = 0x7A5D;
inline constexpr uint16_t kScreenReceiverPid = 0x3A10;
inline constexpr size_t kSettingsImageSize = 60;
inline constexpr size_t kKeyTableSize = 40;
inline constexpr size_t kDeviceInfoSize = 40;

struct ModelTraits {
  Model model;
  const char* name;  // as the catalogue spells it
  int device_type;
  uint16_t cable_pid;
  uint16_t receiver_pid;
  const char* cable_device_id;     // 12 upper-case hex digits
  const char* receiver_device_id;  // 12 upper-case hex digits
  int buttons;
  uint8_t sensor_type;        // settings image byte 0
  uint8_t report_max;         // device information byte 12; 7 = rates up to 8000 Hz
  uint16_t level_limit;       // device information bytes 14-15: highest active level accepted
  uint16_t cable_release;     // bcdDevice of the cable attachment (firmware version)
  uint16_t receiver_release;  // bcdDevice of the receiver
  bool receiver_has_screen;
};

const ModelTraits& Traits(Model model);
// Every model, in catalogue order.
const std::array<Model, 3>& AllModels();

// Accepts the catalogue name in any case, with or without spaces, '-' or '_' ("K7 Mouse",
// "k7mouse", "K7-Pro"), or the device type number ("101").
std::optional<Model> ModelFromName(std::string_view text);

uint16_t ProductId(Model model, Connection connection);
const char* DeviceIdText(Model model, Connection connection);
// The six bytes of a 12-hex-digit device id, first byte first.
std::array<uint8_t, 6> DeviceIdBytes(Model model, Connection connection);

// What the firmware restores: the settings image, key table and lighting defaults.
std::array<uint8_t, kSettingsImageSize> DefaultSettingsImage(Model model);
std::array<uint8_t, kKeyTableSize> DefaultKeyTable(Model model);

}  // namespace sim
