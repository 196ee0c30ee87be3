#include "macros/macro_image.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "macros/macro_model.h"

namespace macros {

void MacroSlotTable::Clear() {
  macro_slot_.clear();
  slot_macro_.clear();
}

void MacroSlotTable::Rebuild(const std::vector<KeyAssignmentRecord>& rows,
                             const std::vector<MacroRecord>& macros) {
  Clear();
  for (const KeyAssignmentRecord& row : rows) {
    if (row.macro_type != kMacroFunctionType) continue;
    const bool exists = std::any_of(macros.begin(), macros.end(), [&](const MacroRecord& m) {
      return m.macro_id == row.macro_value;
    });
    if (!exists) continue;
    const int slot = static_cast<int>(slot_macro_.size());
    macro_slot_[row.macro_value] = slot;
    slot_macro_.push_back(row.macro_value);
  }
}

int MacroSlotTable::SlotOf(int macro_id) const {
  auto it = macro_slot_.find(macro_id);
  return it == macro_slot_.end() ? -1 : it->second;
}

uint8_t VirtualKeyToHidUsage(int vk) {
  struct Run {
    int first, last;
    uint8_t usage;  // of `first`; the run counts up
  };
  static constexpr Run kRuns[] = {
      {0x41, 0x5A, 0x04}, {0x31, 0x39, 0x1E}, {0x30, 0x30, 0x27}, {0x70, 0x7B, 0x3A},
      {0x7C, 0x87, 0x68}, {0x61, 0x69, 0x59}, {0x88, 0x8B, 0x88},
  };
  for (const Run& r : kRuns) {
    if (vk >= r.first && vk <= r.last) return static_cast<uint8_t>(r.usage + (vk - r.first));
  }
  struct Pair {
    int vk;
    uint8_t usage;
  };
  static constexpr Pair kPairs[] = {
      {0x0D, 0x28}, {0x1B, 0x29}, {0x08, 0x2A}, {0x09, 0x2B}, {0x20, 0x2C}, {0xBD, 0x2D},
      {0xBB, 0x2E}, {0xDB, 0x2F}, {0xDD, 0x30}, {0xDC, 0x31}, {666, 0x32},  {0xBA, 0x33},
      {0xDE, 0x34}, {0xC0, 0x35}, {0xBC, 0x36}, {0xBE, 0x37}, {0xBF, 0x38}, {0x14, 0x39},
      {0x2C, 0x46}, {0x91, 0x47}, {0x13, 0x48}, {0x2D, 0x49}, {0x24, 0x4A}, {0x21, 0x4B},
      {0x2E, 0x4C}, {0x23, 0x4D}, {0x22, 0x4E}, {0x27, 0x4F}, {0x25, 0x50}, {0x28, 0x51},
      {0x26, 0x52}, {0x90, 0x53}, {0x6F, 0x54}, {0x6A, 0x55}, {0x6D, 0x56}, {0x6B, 0x57},
      {0x6C, 0x58}, {0x60, 0x62}, {0x6E, 0x63}, {0xA2, 0xE0}, {0xA0, 0xE1}, {0xA4, 0xE2},
      {0x5B, 0xE3}, {0xA3, 0xE4}, {0xA1, 0xE5}, {0xA5, 0xE6}, {0x5C, 0xE7}, {0x5D, 0x65},
      {0xFE, 0xAF}, {0xE2, 0x64}, {301, 0xEC},  {302, 0xEB},
  };
  for (const Pair& p : kPairs) {
    if (p.vk == vk) return p.usage;
  }
  return 0;
}

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
      out[3] = VirtualKeyToHidUsage(e.value);
      return true;
    case MacroEventType::kKeyUp:
      out[0] = IsModifierKey(e.value) ? 0x90 : 0x80;
      out[3] = VirtualKeyToHidUsage(e.value);
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
