// The mouse firmware's side of the command channel: its state and what each command frame does
// to it. The bus around it adds the USB side (interfaces, polling, faults, the log).
//
// The virtual mouse keeps its own copy of the wire constants (report ids, commands, sub-codes,
// statuses, layouts) on purpose and never includes device/protocol.h: it is the independent
// other side of the wire, so a mistake in the program's protocol unit shows as a test failure
// instead of being shared by both sides.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "models.h"

namespace sim {

using Report = std::array<uint8_t, 64>;

struct Lighting {
  uint8_t mode = 0;
  uint8_t brightness = 255;
  uint8_t speed = 127;
  uint32_t colour = 0x0000FF;  // 0x00BBGGRR
  bool operator==(const Lighting&) const = default;
};

// How the last long-data transfer ended.
struct MacroTransfer {
  bool finished = false;  // an end frame arrived
  bool accepted = false;  // ... and everything before it checked out
  std::string error;      // why it was refused
  size_t announced_length = 0;
  size_t received_length = 0;
  int chunks = 0;
  int block_checksums = 0;
};

struct MouseState {
  explicit MouseState(Model m);

  Model model;
  std::array<uint8_t, kSettingsImageSize> settings;
  std::array<uint8_t, kKeyTableSize> keys;
  Lighting lighting;
  std::vector<uint8_t> macro_memory;  // the image of the last accepted upload
  uint8_t battery = 80;               // percent
  bool charging = false;
  bool wireless_on = true;      // the mouse is switched on and linked to its receiver
  std::map<int, int> restores;  // section -> how often it was restored

  // Restores one section (1 keys, 2 settings, 3 lighting, 4 macros, 0xFF all); false for others.
  bool Restore(int section);
  uint8_t ActiveLevel() const { return static_cast<uint8_t>((settings[2] >> 4) - 1); }
  uint8_t LevelCount() const { return settings[2] & 0x0F; }
};

// The receiving end of a long-data transfer on one attachment.
class LongDataSession {
 public:
  // Returns the status for the frame: 0 accepted, 1 refused.
  uint8_t Handle(const Report& frame, Connection via, MouseState& mouse, MacroTransfer& report);
  void Reset();

 private:
  enum class Stage { kIdle, kHandshake, kAnnounced, kBegun, kStarted, kBroken };
  uint8_t Break(MacroTransfer& report, std::string why);

  Stage stage_ = Stage::kIdle;
  size_t expected_ = 0;
  std::vector<uint8_t> pending_;
  uint32_t block_sum_ = 0;
  int chunks_ = 0;
  int chunks_in_block_ = 0;
  bool short_chunk_seen_ = false;
  bool final_ok_ = false;
};

struct Answer {
  uint8_t status = 0;              // 0 done, 1 failed, 2 busy
  uint8_t length = 0;              // data bytes in the answer
  std::array<uint8_t, 58> data{};  // answer bytes 6..63
};

// The 40 bytes of device information as the mouse reports them over `via`.
std::array<uint8_t, kDeviceInfoSize> DeviceInformation(const MouseState& mouse, Connection via);

// Runs one ordinary command frame (byte 2 = 0x50) whose checksum is already verified.
// `reachable` is false when the mouse behind a receiver is switched off: then only the online
// query is answered (with 0) and everything else fails.
Answer ExecuteCommand(const Report& frame, Connection via, bool reachable, MouseState& mouse);

// Low 8 bits of the sum of bytes [from, 64).
uint8_t Checksum(const uint8_t* report, size_t from);

}  // namespace sim
