// What a button does: the function types and values with their labels, the four-byte code a
// function travels to the mouse as, the text that describes an assignment, and the reverse
// reading of a code from the mouse. Pure but for the language texts.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/language.h"
#include "store/profile_store.h"

namespace buttons {

// macro_type of a button row.
enum KeyFunctionType : int {
  kMouseButton = 1,
  kKeyboardKey = 2,
  kMultimedia = 3,
  kMacro = 4,
  kDpiFunction = 5,
  kReportRateFunction = 6,
  kLightingFunction = 7,
  kFireKey = 8,
  kSystemShortcut = 9,
  kDisabled = 10,
  kType11 = 11,
};

// b0 b1 b2 b3; bit 7 of b0 is the lock flag, not part of the function.
using ButtonCode = std::array<uint8_t, 4>;
inline constexpr uint8_t kLockBit = 0x80;

// The mouse's key table: buttons 0..5, four bytes each.
inline constexpr int kKeyTableButtons = 6;
using KeyTable = std::array<uint8_t, 4 * kKeyTableButtons>;
// What buttons without a row are sent as.
KeyTable DefaultKeyTable();

// FireKey values: the fired input's kind in the high bits, its code in the low byte.
inline constexpr int kFireMouseBase = 0x400;
inline constexpr int kFireKeyBase = 0x800;
inline constexpr int kFireFieldMin = 1;
inline constexpr int kFireFieldMax = 255;

// A lighting step "next effect" (value 0) would be a row with value and value2 both 0, which
// the store does not keep; such rows carry this marker in macro_value2 instead. The code
// ignores macro_value2 for lighting, so the marker never reaches the mouse.
inline constexpr int kLightingKeptMarker = 1;

// One entry of the category list or of a value list: the value and its label's text number.
struct ListEntry {
  int value;
  platform::TextId text;
};
// The eight categories of the category list, in list order.
std::span<const ListEntry> Categories();
// The value list of a type in list order (mouse, media, shortcut and DPI functions; empty for
// the others).
std::span<const ListEntry> ValueList(int type);
// The label text of a value of a listed type; nothing when the value has no label.
std::optional<platform::TextId> ValueLabel(int type, int value);

// The five mouse functions a fire key offers: device numbers 1..5 with their labels.
std::span<const ListEntry> FireMouseFunctions();

// Macro id -> slot (the last slot a macro was given) and slot -> macro id, built from the
// profile's rows in row order: every Macro row whose macro exists takes the next slot.
struct MacroSlotTable {
  std::map<int, int> slot_of_macro;
  std::map<int, int> macro_of_slot;

  // The slot a macro's buttons carry; -1 when it has none.
  int SlotOf(int macro_id) const;
  // The macro of each slot, in slot order.
  std::vector<int> Slots() const;
  size_t Count() const { return macro_of_slot.size(); }
};
MacroSlotTable BuildMacroSlotTable(const std::vector<KeyAssignmentRecord>& rows,
                                   const std::vector<MacroRecord>& macros);

// What a Macro row codes against: all macros and the slot table of the current upload.
struct MacroContext {
  const std::vector<MacroRecord>* macros = nullptr;
  const MacroSlotTable* slot_table = nullptr;
};

// The device code of a row. A type or value outside its table codes as 00 00 00 00.
ButtonCode EncodeButtonCode(const KeyAssignmentRecord& record, const MacroContext& macros = {});

// The table sent for a profile: DefaultKeyTable with every row of buttons 0..5 laid over it.
KeyTable BuildKeyTable(const std::vector<KeyAssignmentRecord>& rows, const MacroContext& macros);

// The text shown on the button picture and in the page.
std::string DescribeAssignment(const KeyAssignmentRecord& record);
// A stored macro name as lists show it: a "自定义" or "Custom" prefix becomes text 351.
std::string MacroDisplayName(const std::string& name);
// "Shift+ Ctrl + A": the modifier bits (Shift, Ctrl, Win, Alt in that order) and the name of
// `usage`, joined.
std::string KeyboardDescription(int modifier_bits, int usage);

// A language text by number.
using TextLookup = std::string (*)(platform::TextId text);

// The row a code read from the mouse stands for (type, values, description; key_code = n),
// or nothing when the code is not one the program keeps. The lock bit is ignored. Texts come
// from `text` (nullptr: the language file).
std::optional<KeyAssignmentRecord> DecodeButtonBytes(int n, uint8_t b0, uint8_t b1, uint8_t b2,
                                                     uint8_t b3, TextLookup text = nullptr);

// True when replacing button `key_code`'s function would take away the profile's last left
// click: its row is MouseButton 1 and at most one stored row is.
bool LeftClickGuardRefuses(const std::vector<KeyAssignmentRecord>& rows, int key_code);

}  // namespace buttons
