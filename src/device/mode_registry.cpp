#include "device/mode_registry.h"

#include <algorithm>

namespace device {

bool ModeRegistry::IsSupported(uint32_t vid, uint32_t pid) const {
  return std::any_of(modes_.begin(), modes_.end(),
                     [&](const ModeRecord& m) { return m.vid == vid && m.pid == pid; });
}

bool ModeRegistry::HasDevId(const std::string& text) const {
  return std::any_of(modes_.begin(), modes_.end(),
                     [&](const ModeRecord& m) { return m.dev_id == text; });
}

int ModeRegistry::GetModeValue(uint32_t vid, uint32_t pid) const {
  for (const ModeRecord& m : modes_) {
    if (m.vid == vid && m.pid == pid) return m.mode_value;
  }
  return 0;
}

int ModeRegistry::LookupDeviceType(uint32_t vid, uint32_t pid, const std::string& text) const {
  for (const ModeRecord& m : modes_) {
    if (m.vid == vid && m.pid == pid && (text.empty() || m.dev_id == text)) return m.device_type;
  }
  return 0;
}

}  // namespace device
