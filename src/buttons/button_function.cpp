#include "buttons/button_function.h"

#include <algorithm>

#include "buttons/key_codes.h"
#include "platform/language.h"

namespace buttons {
namespace {

using platform::TextId;

constexpr ListEntry kCategories[] = {
    {kMouseButton, TextId{130}},    {kDpiFunction, TextId{131}}, {kMultimedia, TextId{132}},
    {kKeyboardKey, TextId{133}},    {kMacro, TextId{134}},       {kFireKey, TextId{135}},
    {kSystemShortcut, TextId{137}}, {kDisabled, TextId{138}},
};

constexpr ListEntry kMouseList[] = {
    {1, TextId{150}},  {2, TextId{151}},  {3, TextId{152}},  {5, TextId{153}},  {6, TextId{154}},
    {4, TextId{155}},  {9, TextId{156}},  {10, TextId{157}}, {7, TextId{158}},  {8, TextId{159}},
    {11, TextId{160}}, {12, TextId{161}}, {13, TextId{162}}, {14, TextId{163}},
};
constexpr ListEntry kMediaList[] = {
    {6, TextId{165}}, {7, TextId{166}}, {8, TextId{167}}, {1, TextId{168}},
    {2, TextId{169}}, {4, TextId{170}}, {5, TextId{171}}, {3, TextId{172}},
};
constexpr ListEntry kShortcutList[] = {
    {1, TextId{175}}, {2, TextId{176}}, {3, TextId{177}}, {4, TextId{178}},
    {5, TextId{179}}, {6, TextId{180}}, {7, TextId{181}}, {8, TextId{182}},
    {9, TextId{35}},  {11, TextId{39}}, {10, TextId{36}},
};
constexpr ListEntry kDpiList[] = {
    {4, TextId{195}}, {1, TextId{192}}, {2, TextId{193}}, {10, TextId{230}}};
constexpr ListEntry kFireMouse[] = {
    {1, TextId{150}}, {2, TextId{151}}, {3, TextId{152}}, {4, TextId{153}}, {5, TextId{154}}};

// Consumer-page usages of the media functions 1..8 and the shortcuts 1..6.
constexpr uint16_t kMediaUsage[] = {0x0183, 0x00CD, 0x00B7, 0x00B6, 0x00B5, 0x00E9, 0x00EA, 0x00E2};
constexpr uint16_t kShortcutUsage[] = {0x006F, 0x0070, 0x0192, 0x0194, 0x0223, 0x018A};
// Shortcuts 7..11 are keyboard codes: modifier bits and key.
constexpr uint8_t kShortcutKeys[][2] = {
    {0x00, 0x3E}, {0x04, 0x2B}, {0x01, 0x06}, {0x01, 0x19}, {0x01, 0x1B}};

constexpr platform::TextId kDisabledText{190};
constexpr platform::TextId kFireKeyText{135};
constexpr platform::TextId kCustomPrefixText{351};
constexpr platform::TextId kDoubleClickText{155};

constexpr const char kFireDecoded[] = "游戏增强";
constexpr const char* kLightingNames[] = {"灯效切换", "灯效方向", "颜色切换", "亮度切换",
                                          "速度切换"};

uint8_t Low(int v) { return static_cast<uint8_t>(v & 0xFF); }

ButtonCode Consumer(uint16_t usage) {
  return {0x02, 0x00, static_cast<uint8_t>(usage >> 8), static_cast<uint8_t>(usage & 0xFF)};
}

bool InList(std::span<const ListEntry> list, int value) {
  return std::any_of(list.begin(), list.end(),
                     [value](const ListEntry& e) { return e.value == value; });
}

ButtonCode EncodeKeyboard(const KeyAssignmentRecord& r) {
  const auto in_byte = [](int v) { return v >= 0 && v <= 0xFF; };
  if (!in_byte(r.macro_value) || !in_byte(r.macro_value3)) return {};
  if (r.macro_value2 == 0 && IsModifierUsage(r.macro_value)) {
    return {0x00, static_cast<uint8_t>(HidModifierBit(r.macro_value)), 0x00, 0x00};
  }
  return {0x00, Low(r.macro_value2), static_cast<uint8_t>(HidModifierBit(r.macro_value3)),
          static_cast<uint8_t>(HidModifierBit(r.macro_value))};
}

ButtonCode EncodeMacro(const KeyAssignmentRecord& r, const MacroContext& m) {
  if (!m.macros) return {0x03, 0, 0, 0};
  const auto it = std::find_if(m.macros->begin(), m.macros->end(),
                               [&r](const MacroRecord& x) { return x.macro_id == r.macro_value; });
  if (it == m.macros->end()) return {0x03, 0, 0, 0};
  uint8_t slot = 0;
  if (m.slot_table) {
    const auto s = m.slot_table->slot_of_macro.find(r.macro_value);
    if (s != m.slot_table->slot_of_macro.end()) slot = Low(s->second);
  }
  switch (it->play_type) {
    case 1:
      return {0x03, 0x04, 0x01, slot};
    case 2:
      return {0x03, 0x02, 0x01, slot};
    default:
      return {0x03, 0x01, Low(it->play_times), slot};
  }
}

ButtonCode EncodeFire(const KeyAssignmentRecord& r) {
  const uint8_t count = Low(r.macro_value3);
  const uint8_t interval = Low(r.macro_value2);
  if (r.macro_value >= kFireMouseBase && r.macro_value < kFireKeyBase) {
    return {0x01, Low(r.macro_value), count, interval};
  }
  if (r.macro_value >= kFireKeyBase && r.macro_value <= kFireKeyBase + 0xFF) {
    const int usage = VirtualKeyToHidUsage(Low(r.macro_value));
    return {static_cast<uint8_t>(IsModifierUsage(usage) ? 0x11 : 0x10), Low(usage), count,
            interval};
  }
  return {};
}

KeyAssignmentRecord Row(int n, int type, int value, int value2, int value3, std::string desc) {
  KeyAssignmentRecord r;
  r.key_code = n;
  r.macro_type = type;
  r.macro_value = value;
  r.macro_value2 = value2;
  r.macro_value3 = value3;
  r.macro_desc = std::move(desc);
  return r;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

KeyTable DefaultKeyTable() {
  return {0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x01, 0x00, 0x01, 0x03, 0x01, 0x00,
          0x01, 0x05, 0x01, 0x00, 0x01, 0x04, 0x01, 0x00, 0x05, 0x04, 0x00, 0x00};
}

std::span<const ListEntry> Categories() { return kCategories; }

std::span<const ListEntry> ValueList(int type) {
  switch (type) {
    case kMouseButton:
      return kMouseList;
    case kMultimedia:
      return kMediaList;
    case kSystemShortcut:
      return kShortcutList;
    case kDpiFunction:
      return kDpiList;
    default:
      return {};
  }
}

std::optional<platform::TextId> ValueLabel(int type, int value) {
  for (const ListEntry& e : ValueList(type)) {
    if (e.value == value) return e.text;
  }
  return std::nullopt;
}

std::span<const ListEntry> FireMouseFunctions() { return kFireMouse; }

MacroSlotTable BuildMacroSlotTable(const std::vector<KeyAssignmentRecord>& rows,
                                   const std::vector<MacroRecord>& macros) {
  MacroSlotTable table;
  int counter = 0;
  for (const KeyAssignmentRecord& r : rows) {
    if (r.macro_type != kMacro) continue;
    const bool exists = std::any_of(macros.begin(), macros.end(), [&r](const MacroRecord& m) {
      return m.macro_id == r.macro_value;
    });
    if (!exists) continue;
    table.slot_of_macro[r.macro_value] = counter;
    table.macro_of_slot[counter] = r.macro_value;
    ++counter;
  }
  return table;
}

int MacroSlotTable::SlotOf(int macro_id) const {
  const auto it = slot_of_macro.find(macro_id);
  return it == slot_of_macro.end() ? -1 : it->second;
}

std::vector<int> MacroSlotTable::Slots() const {
  std::vector<int> out;
  out.reserve(macro_of_slot.size());
  for (const auto& [slot, macro] : macro_of_slot) out.push_back(macro);
  return out;
}

ButtonCode EncodeButtonCode(const KeyAssignmentRecord& r, const MacroContext& macros) {
  const int v = r.macro_value;
  switch (r.macro_type) {
    case kMouseButton:
      if (v < 1 || v > 14) return {};
      if (v == 4) return {0x01, 0x01, 0x02, 0x00};
      return {0x01, static_cast<uint8_t>(v <= 3 ? v : v - 1), 0x01, 0x00};
    case kKeyboardKey:
      return EncodeKeyboard(r);
    case kMultimedia:
      if (v < 1 || v > 8) return {};
      return Consumer(kMediaUsage[v - 1]);
    case kMacro:
      return EncodeMacro(r, macros);
    case kDpiFunction:
      if (!InList(kDpiList, v)) return {};
      return {0x05, Low(v), 0x00, 0x00};
    case kReportRateFunction:
      if (v < 1 || v > 3) return {};
      return {0x09, Low(v), 0x00, 0x00};
    case kLightingFunction:
      if (v < 0 || v > 4) return {};
      return {0x08, Low(v), 0x00, 0x00};
    case kFireKey:
      return EncodeFire(r);
    case kSystemShortcut:
      if (v >= 1 && v <= 6) return Consumer(kShortcutUsage[v - 1]);
      if (v >= 7 && v <= 11) return {0x00, kShortcutKeys[v - 7][0], kShortcutKeys[v - 7][1], 0x00};
      return {};
    case kType11:
      return {0x06, 0x00, 0x00, 0x00};
    default:  // Disabled and every unknown type
      return {};
  }
}

KeyTable BuildKeyTable(const std::vector<KeyAssignmentRecord>& rows, const MacroContext& macros) {
  KeyTable table = DefaultKeyTable();
  for (const KeyAssignmentRecord& r : rows) {
    if (r.key_code < 0 || r.key_code >= kKeyTableButtons) continue;
    const ButtonCode code = EncodeButtonCode(r, macros);
    std::copy(code.begin(), code.end(), table.begin() + 4 * r.key_code);
  }
  return table;
}

std::string MacroDisplayName(const std::string& name) {
  for (const char* prefix : {"自定义", "Custom"}) {
    if (StartsWith(name, prefix)) {
      return LanguageText(kCustomPrefixText) + name.substr(std::char_traits<char>::length(prefix));
    }
  }
  return name;
}

std::string DescribeAssignment(const KeyAssignmentRecord& r) {
  const int v = r.macro_value;
  switch (r.macro_type) {
    case kMouseButton:
      if (v >= 1 && v <= 10) return LanguageText(*ValueLabel(kMouseButton, v));
      break;
    case kMultimedia:
    case kSystemShortcut:
      if (const auto text = ValueLabel(r.macro_type, v)) return LanguageText(*text);
      break;
    case kFireKey:
      return LanguageText(kFireKeyText);
    case kDisabled:
      return LanguageText(kDisabledText);
    case kMacro:
      return MacroDisplayName(r.macro_desc);
    default:
      break;
  }
  return r.macro_desc;
}

std::string KeyboardDescription(int bits, int usage) {
  std::string m;
  const auto add = [&m](const char* name) { m = m.empty() ? std::string(name) : m + "+ " + name; };
  if (bits & kModifierShift) add("Shift");
  if (bits & kModifierCtrl) add("Ctrl");
  if (bits & kModifierWin) add("Win");
  if (bits & kModifierAlt) add("Alt");
  const std::string k = HidUsageName(usage);
  if (!m.empty() && !k.empty()) return m + " + " + k;
  return m.empty() ? k : m;
}

std::optional<KeyAssignmentRecord> DecodeButtonBytes(int n, uint8_t b0, uint8_t b1, uint8_t b2,
                                                     uint8_t b3, TextLookup lookup) {
  const auto text = [lookup](std::optional<platform::TextId> number) -> std::string {
    if (!number) return {};
    return lookup ? lookup(*number) : LanguageText(*number);
  };
  switch (b0 & 0x7F) {
    case 0x00: {
      if (b1 == 0 && b2 == 0 && b3 == 0) return Row(n, kDisabled, 1, 0, 0, "禁用按键");
      for (int i = 0; i < 5; ++i) {
        if (b3 == 0 && b1 == kShortcutKeys[i][0] && b2 == kShortcutKeys[i][1]) {
          return Row(n, kSystemShortcut, 7 + i, 0, 0, text(ValueLabel(kSystemShortcut, 7 + i)));
        }
      }
      return Row(n, kKeyboardKey, b3, b1, 0, KeyboardDescription(b1, b3));
    }
    case 0x01:
      if (b1 >= 1 && b2 >= 1 && b3 >= 1) {
        return Row(n, kFireKey, kFireMouseBase + b1, b3, b2, kFireDecoded);
      }
      if (b1 == 1 && b2 == 2) return Row(n, kMouseButton, 4, b2, b3, text(kDoubleClickText));
      if (b1 >= 1 && b1 <= 13) {
        const int value = b1 <= 3 ? b1 : b1 + 1;
        return Row(n, kMouseButton, value, b2, b3, text(ValueLabel(kMouseButton, value)));
      }
      return Row(n, kMouseButton, b1, b2, b3, "");
    case 0x02: {
      constexpr uint8_t kMediaLow[] = {0xCD, 0xB7, 0xB6, 0xB5, 0xE9, 0xEA, 0xE2};
      for (int i = 0; i < 7; ++i) {
        if (b3 == kMediaLow[i])
          return Row(n, kMultimedia, 2 + i, 0, 0, text(ValueLabel(kMultimedia, 2 + i)));
      }
      if (b2 == 0x01 && b3 == 0x83)
        return Row(n, kMultimedia, 1, 0, 0, text(ValueLabel(kMultimedia, 1)));
      if (b3 == 0x6F) return Row(n, kSystemShortcut, 1, 0, 0, text(ValueLabel(kSystemShortcut, 1)));
      if (b3 == 0x70) return Row(n, kSystemShortcut, 2, 0, 0, text(ValueLabel(kSystemShortcut, 2)));
      if (b2 == 0x01 && b3 == 0x92)
        return Row(n, kSystemShortcut, 3, 0, 0, text(ValueLabel(kSystemShortcut, 3)));
      if (b2 == 0x01 && b3 == 0x94)
        return Row(n, kSystemShortcut, 4, 0, 0, text(ValueLabel(kSystemShortcut, 4)));
      if (b3 == 0x23) return Row(n, kSystemShortcut, 5, 0, 0, text(ValueLabel(kSystemShortcut, 5)));
      if (b2 == 0x01 && b3 == 0x8A)
        return Row(n, kSystemShortcut, 6, 0, 0, text(ValueLabel(kSystemShortcut, 6)));
      return std::nullopt;
    }
    case 0x05:
      switch (b1) {
        case 1:
          return Row(n, kDpiFunction, 1, 0, 0, "DPI +");
        case 2:
          return Row(n, kDpiFunction, 2, 0, 0, "DPI -");
        case 4:
          return Row(n, kDpiFunction, 4, 0, 0, text(ValueLabel(kDpiFunction, 4)));
        case 10:
          return Row(n, kDpiFunction, 10, 0, 0, "DPI 锁定");
        default:
          return Row(n, kDpiFunction, 0, 0, 0, "");
      }
    case 0x08:
      if (b1 <= 4) {
        // Value 0 carries the marker so the store keeps it (see kLightingKeptMarker).
        return Row(n, kLightingFunction, b1, b1 == 0 ? kLightingKeptMarker : 0, 0,
                   kLightingNames[b1]);
      }
      return Row(n, kLightingFunction, 0, 0, 0, "");
    case 0x09:
      switch (b1) {
        case 3:
          return Row(n, kReportRateFunction, 3, 0, 0, "回报率 Loop");
        case 1:
          return Row(n, kReportRateFunction, 1, 0, 0, "回报率 +");
        case 2:
          return Row(n, kReportRateFunction, 2, 0, 0, "回报率 -");
        default:
          return Row(n, kReportRateFunction, 0, 0, 0, "");
      }
    case 0x10:
      return Row(n, kFireKey, kFireKeyBase + HidUsageToVirtualKey(b1), b3, b2, kFireDecoded);
    case 0x11: {
      constexpr int kModifierKeys[] = {0xA2, 0xA0, 0xA4, 0x5B, 0xA3, 0xA1, 0xA5, 0x5C};
      const int vk = IsModifierUsage(b1) ? kModifierKeys[b1 - kUsageFirstModifier] : 0;
      return Row(n, kFireKey, kFireKeyBase + vk, b3, b2, kFireDecoded);
    }
    default:  // macros (03) and unknown kinds keep their stored row
      return std::nullopt;
  }
}

bool LeftClickGuardRefuses(const std::vector<KeyAssignmentRecord>& rows, int key_code) {
  const auto is_left = [](const KeyAssignmentRecord& r) {
    return r.macro_type == kMouseButton && r.macro_value == 1;
  };
  const auto own = std::find_if(rows.begin(), rows.end(), [key_code](const KeyAssignmentRecord& r) {
    return r.key_code == key_code;
  });
  if (own == rows.end() || !is_left(*own)) return false;
  return std::count_if(rows.begin(), rows.end(), is_left) <= 1;
}

}  // namespace buttons
