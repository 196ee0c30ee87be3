#include "macros/macro_image.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "buttons/key_codes.h"
#include "macros/macro_model.h"

namespace macros {

namespace {

// Keys the mouse plays as modifiers: left and right Shift, Ctrl, Alt, Win, and 0x5B / 0x5D.
bool IsModifierKey(int vk) { return (vk >= 0xA0 && vk <= 0xA7) || vk == 0x5B || vk == 0x5D; }

}  // namespace

bool EncodeMacroEvent(const MacroEventRecord& e, std::array<uint8_t, 4>& out) {
  out = {0, 0x00, 0x01, 0};
  const uint8_t low = static_cast<uint8_t>(e.value & 0xFF);
  switch (static_cast<MacroEventType>(e.type)) {
    case MacroEventType::kKeyDown:
      out[0] = IsModifierKey(e.value) ? 0x10 : 0x00;
      out[3] = static_cast<uint8_t>(buttons::VirtualKeyToHidUsage(e.value));
      return true;
    case MacroEventType::kKeyUp:
      out[0] = IsModifierKey(e.value) ? 0x90 : 0x80;
      out[3] = static_cast<uint8_t>(buttons::VirtualKeyToHidUsage(e.value));
      return true;
    case MacroEventType::kMouseDown:
    case MacroEventType::kMouseUp:
      // A wheel step that came in as a button event carries its direction in its text.
      if (e.desc.find(kScrollUp) != std::string::npos) {
        out[0] = 0x50;
        out[3] = 0x01;
      } else if (e.desc.find(kScrollDown) != std::string::npos) {
        out[0] = 0x50;
        out[3] = 0xFF;
      } else {
        out[0] = e.type == static_cast<int>(MacroEventType::kMouseDown) ? 0x20 : 0xA0;
        out[3] = low;
      }
      return true;
    case MacroEventType::kWheelUp:
      out[0] = 0x50;
      out[3] = 0x01;
      return true;
    case MacroEventType::kWheelDown:
      out[0] = 0x50;
      out[3] = 0xFF;
      return true;
    default:
      return false;
  }
}

MacroImageResult BuildMacroImageFromLists(
    const std::vector<const std::vector<MacroEventRecord>*>& slot_events) {
  static constexpr uint8_t kHeader[7] = {0x06, 'A', 'B', 'C', 'D', 'E', 'F'};
  MacroImageResult result;
  std::vector<uint8_t>& image = result.bytes;
  const size_t slots = slot_events.size();
  // The table alone may already be too large (many rows naming macros).
  if (4 * slots > kMaxMacroImage) {
    result.length = 4 * slots;
    return result;
  }
  image.assign(kMaxMacroImage, 0);
  size_t p = 4 * slots;
  auto too_large = [&](size_t needed) {
    result.length = p + needed;
    image.clear();
    return result;
  };
  for (size_t s = 0; s < slots; ++s) {
    if (p + sizeof(kHeader) > kMaxMacroImage) return too_large(sizeof(kHeader));
    image[4 * s] = static_cast<uint8_t>(p & 0xFF);
    image[4 * s + 1] = static_cast<uint8_t>(p >> 8);
    std::memcpy(image.data() + p, kHeader, sizeof(kHeader));
    p += sizeof(kHeader);

    int64_t pending = 0;    // wide: stored values may be huge
    size_t last_event = 0;  // offset of the last encoded event
    size_t encoded = 0;
    static const std::vector<MacroEventRecord> kNone;
    const std::vector<MacroEventRecord>& events = slot_events[s] ? *slot_events[s] : kNone;
    for (const MacroEventRecord& e : events) {
      if (e.type == static_cast<int>(MacroEventType::kDelay)) {
        pending += e.value;
        continue;
      }
      // An event the mouse does not play (a pointer move, an unknown type) keeps the pause
      // running, so the delays around it still reach the events that are played.
      std::array<uint8_t, 4> code;
      if (!EncodeMacroEvent(e, code)) continue;
      if (encoded > 0) {
        const uint16_t d = static_cast<uint16_t>(std::max<int64_t>(pending, 0) & 0xFFFF);
        image[last_event + 1] = static_cast<uint8_t>(d >> 8);
        image[last_event + 2] = static_cast<uint8_t>(d & 0xFF);
        pending = 0;
      }
      if (p + 4 > kMaxMacroImage) return too_large(4);
      std::memcpy(image.data() + p, code.data(), 4);
      last_event = p;
      p += 4;
      ++encoded;
    }
    const uint16_t field = encoded == 0 ? 0 : static_cast<uint16_t>(1 + 4 * encoded);
    image[4 * s + 2] = static_cast<uint8_t>(field & 0xFF);
    image[4 * s + 3] = static_cast<uint8_t>(field >> 8);
  }
  image.resize(p);
  result.length = p;
  return result;
}

}  // namespace macros
