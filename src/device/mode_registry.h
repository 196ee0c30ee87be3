// The connection modes the catalogue registered: which vendor/product ids are supported
// models, in which mode (cable or receiver), and which device id behind a receiver names
// which model. Plain lookups; the owner serialises access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One connection mode of a catalogue model.
struct ModeRecord {
  uint32_t vid = 0;
  uint32_t pid = 0;
  int device_type = 0;
  int mode_value = 0;  // 0 cable, 1 receiver
  std::string dev_id;  // 12 upper-case hex digits, or empty
};

namespace device {

class ModeRegistry {
 public:
  void Register(ModeRecord record) { modes_.push_back(std::move(record)); }
  void Clear() { modes_.clear(); }
  // In registration order.
  const std::vector<ModeRecord>& All() const { return modes_; }

  // Some mode has both ids.
  bool IsSupported(uint32_t vid, uint32_t pid) const;
  // Some mode's device id equals `text` exactly.
  bool HasDevId(const std::string& text) const;
  // The mode value of the first mode with both ids, else 0.
  int GetModeValue(uint32_t vid, uint32_t pid) const;
  // The type of the first mode with both ids and, unless `text` is empty, that device id;
  // else 0.
  int LookupDeviceType(uint32_t vid, uint32_t pid, const std::string& text) const;

 private:
  std::vector<ModeRecord> modes_;
};

}  // namespace device
