// Button functions: their device codes, their descriptions, the reading of codes from the
// mouse, the left-click guard and the key-table frames.
#include "buttons/button_function.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buttons/key_map.h"
#include "platform/language.h"
#include "platform/paths.h"

namespace buttons {
namespace {

class ButtonFunctionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
  }
  void TearDown() override { platform::SetProgramDir(saved_); }
  std::string saved_ = platform::ProgramDir();
};

KeyAssignmentRecord Row(int type, int value, int value2 = 0, int value3 = 0, std::string desc = "",
                        int key_code = 0) {
  KeyAssignmentRecord r;
  r.key_code = key_code;
  r.macro_type = type;
  r.macro_value = value;
  r.macro_value2 = value2;
  r.macro_value3 = value3;
  r.macro_desc = std::move(desc);
  return r;
}

struct EncodeCase {
  const char* what;
  KeyAssignmentRecord row;
  ButtonCode code;
};

TEST_F(ButtonFunctionTest, EncodesEveryType) {
  const EncodeCase cases[] = {
      {"left", Row(1, 1), {0x01, 0x01, 0x01, 0x00}},
      {"middle", Row(1, 3), {0x01, 0x03, 0x01, 0x00}},
      {"double click", Row(1, 4), {0x01, 0x01, 0x02, 0x00}},
      {"forward", Row(1, 5), {0x01, 0x04, 0x01, 0x00}},
      {"mouse 14", Row(1, 14), {0x01, 0x0D, 0x01, 0x00}},
      {"mouse 15", Row(1, 15), {0x00, 0x00, 0x00, 0x00}},
      {"mouse 0", Row(1, 0), {0x00, 0x00, 0x00, 0x00}},
      {"Ctrl+Shift+A", Row(2, 0x04, 0x03), {0x00, 0x03, 0x00, 0x04}},
      {"left Shift alone", Row(2, 0xE1, 0), {0x00, 0x02, 0x00, 0x00}},
      {"right GUI alone", Row(2, 0xE7, 0), {0x00, 0x80, 0x00, 0x00}},
      {"Ctrl+Alt + A", Row(2, 0x04, 0x05), {0x00, 0x05, 0x00, 0x04}},
      {"Ctrl + left Shift", Row(2, 0xE1, 0x01), {0x00, 0x01, 0x00, 0x02}},
      {"second key", Row(2, 0x04, 0x00, 0x05), {0x00, 0x00, 0x05, 0x04}},
      {"key usage too large", Row(2, 0x104, 0), {0x00, 0x00, 0x00, 0x00}},
      {"media player", Row(3, 1), {0x02, 0x00, 0x01, 0x83}},
      {"play/pause", Row(3, 2), {0x02, 0x00, 0x00, 0xCD}},
      {"mute", Row(3, 8), {0x02, 0x00, 0x00, 0xE2}},
      {"media 9", Row(3, 9), {0x00, 0x00, 0x00, 0x00}},
      {"DPI +", Row(5, 1), {0x05, 0x01, 0x00, 0x00}},
      {"DPI lock", Row(5, 10), {0x05, 0x0A, 0x00, 0x00}},
      {"DPI 3", Row(5, 3), {0x00, 0x00, 0x00, 0x00}},
      {"rate loop", Row(6, 3), {0x09, 0x03, 0x00, 0x00}},
      {"rate 4", Row(6, 4), {0x00, 0x00, 0x00, 0x00}},
      {"next effect (kept)", Row(7, 0, kLightingKeptMarker), {0x08, 0x00, 0x00, 0x00}},
      {"speed", Row(7, 4), {0x08, 0x04, 0x00, 0x00}},
      {"lighting 5", Row(7, 5), {0x00, 0x00, 0x00, 0x00}},
      {"fire right", Row(8, 0x402, 10, 1), {0x01, 0x02, 0x01, 0x0A}},
      {"fire left Shift", Row(8, 0x800 + 0xA0, 10, 3), {0x11, 0xE1, 0x03, 0x0A}},
      {"fire A", Row(8, 0x800 + 0x41, 20, 2), {0x10, 0x04, 0x02, 0x14}},
      {"fire value 5", Row(8, 5, 20, 2), {0x00, 0x00, 0x00, 0x00}},
      {"brightness up", Row(9, 1), {0x02, 0x00, 0x00, 0x6F}},
      {"home", Row(9, 5), {0x02, 0x00, 0x02, 0x23}},
      {"F5", Row(9, 7), {0x00, 0x00, 0x3E, 0x00}},
      {"Alt+Tab", Row(9, 8), {0x00, 0x04, 0x2B, 0x00}},
      {"Ctrl+X", Row(9, 11), {0x00, 0x01, 0x1B, 0x00}},
      {"shortcut 12", Row(9, 12), {0x00, 0x00, 0x00, 0x00}},
      {"disabled", Row(10, 1), {0x00, 0x00, 0x00, 0x00}},
      {"type 11", Row(11, 1), {0x06, 0x00, 0x00, 0x00}},
      {"type 0", Row(0, 1), {0x00, 0x00, 0x00, 0x00}},
      {"type 12", Row(12, 1), {0x00, 0x00, 0x00, 0x00}},
  };
  for (const EncodeCase& c : cases) EXPECT_EQ(EncodeButtonCode(c.row), c.code) << c.what;
}

TEST_F(ButtonFunctionTest, MacroCodesNameTheirSlotAndPlayType) {
  const std::vector<MacroRecord> macros = {
      {7, "Custom 1", 1, 1, 0, 0}, {8, "Custom 2", 0, 5, 0, 0}, {9, "Custom 3", 2, 1, 0, 0}};
  // Rows in row order: macro 8 takes slot 0, a missing macro none, 9 slot 1, 7 slot 2.
  const std::vector<KeyAssignmentRecord> rows = {Row(4, 8, 0, 0, "", 3), Row(4, 99, 0, 0, "", 1),
                                                 Row(1, 1, 0, 0, "", 0), Row(4, 9, 0, 0, "", 4),
                                                 Row(4, 7, 0, 0, "", 5)};
  const MacroSlotTable slots = BuildMacroSlotTable(rows, macros);
  EXPECT_EQ(slots.slot_of_macro, (std::map<int, int>{{8, 0}, {9, 1}, {7, 2}}));
  EXPECT_EQ(slots.macro_of_slot, (std::map<int, int>{{0, 8}, {1, 9}, {2, 7}}));

  const MacroContext context{&macros, &slots};
  EXPECT_EQ(EncodeButtonCode(Row(4, 7), context), (ButtonCode{0x03, 0x04, 0x01, 0x02}));
  EXPECT_EQ(EncodeButtonCode(Row(4, 8), context), (ButtonCode{0x03, 0x01, 0x05, 0x00}));
  EXPECT_EQ(EncodeButtonCode(Row(4, 9), context), (ButtonCode{0x03, 0x02, 0x01, 0x01}));
  EXPECT_EQ(EncodeButtonCode(Row(4, 99), context), (ButtonCode{0x03, 0x00, 0x00, 0x00}));
  EXPECT_EQ(EncodeButtonCode(Row(4, 7)), (ButtonCode{0x03, 0x00, 0x00, 0x00}));

  const KeyTable table = BuildKeyTable(rows, context);
  EXPECT_EQ(table,
            (KeyTable{0x01, 0x01, 0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x03, 0x01, 0x00,
                      0x03, 0x01, 0x05, 0x00, 0x03, 0x02, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02}));
}

TEST(MacroSlotTable, OneSlotPerButtonAndTheLastForAMacroUsedTwice) {
  auto row = [](int key, int type, int value) {
    KeyAssignmentRecord r;
    r.key_code = key;
    r.macro_type = type;
    r.macro_value = value;
    return r;
  };
  std::vector<MacroRecord> macros(2);
  macros[0].macro_id = 7;
  macros[1].macro_id = 9;
  const MacroSlotTable t = BuildMacroSlotTable(
      {row(3, 4, 7), row(1, 2, 7), row(4, 4, 42), row(5, 4, 9), row(6, 4, 7)}, macros);
  EXPECT_EQ(t.Slots(), (std::vector<int>{7, 9, 7}));
  EXPECT_EQ(t.Count(), 3u);
  EXPECT_EQ(t.SlotOf(7), 2);
  EXPECT_EQ(t.SlotOf(9), 1);
  EXPECT_EQ(t.SlotOf(42), -1);  // missing macro: no slot
}

TEST_F(ButtonFunctionTest, KeyTableStartsFromTheDefaultsAndSkipsButtonsAboveFive) {
  EXPECT_EQ(BuildKeyTable({}, {}),
            (KeyTable{0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x01, 0x00, 0x01, 0x03, 0x01, 0x00,
                      0x01, 0x05, 0x01, 0x00, 0x01, 0x04, 0x01, 0x00, 0x05, 0x04, 0x00, 0x00}));
  const KeyTable table =
      BuildKeyTable({Row(3, 6, 0, 0, "", 7), Row(10, 1, 0, 0, "", 2), Row(1, 2, 0, 0, "", -1)}, {});
  EXPECT_EQ(table,
            (KeyTable{0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                      0x01, 0x05, 0x01, 0x00, 0x01, 0x04, 0x01, 0x00, 0x05, 0x04, 0x00, 0x00}));
}

TEST_F(ButtonFunctionTest, KeyMapFrames) {
  CommandFrame one = OneButtonFrame(2, {0x01, 0x03, 0x01, 0x00});
  EXPECT_EQ(std::vector<uint8_t>(one.begin(), one.begin() + 12),
            (std::vector<uint8_t>{0x03, 0x00, 0x50, 0x04, 0x20, 0x30, 0x08, 0x01, 0x03, 0x01, 0x00,
                                  0x00}));
  KeyTable table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(0xA0 + i);
  const auto parts = KeyTableFrames(table);
  EXPECT_EQ(std::vector<uint8_t>(parts[0].begin(), parts[0].begin() + 18),
            (std::vector<uint8_t>{0x03, 0x00, 0x50, 0x0A, 0x80, 0x31, 0x00, 0xA0, 0xA1, 0xA2, 0xA3,
                                  0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(parts[1].begin(), parts[1].begin() + 18),
            (std::vector<uint8_t>{0x03, 0x00, 0x50, 0x0A, 0x81, 0x31, 0x0A, 0xAA, 0xAB, 0xAC, 0xAD,
                                  0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(parts[2].begin(), parts[2].begin() + 12),
            (std::vector<uint8_t>{0x03, 0x00, 0x50, 0x04, 0x82, 0x32, 0x14, 0xB4, 0xB5, 0xB6, 0xB7,
                                  0x00}));
}

TEST_F(ButtonFunctionTest, DescribesAssignments) {
  const std::pair<KeyAssignmentRecord, std::string> cases[] = {
      {Row(1, 1, 0, 0, "stored"), "Left Click"},    {Row(1, 4, 0, 0, "stored"), "Double Click"},
      {Row(1, 11, 0, 0, "stored"), "stored"},       {Row(3, 6, 0, 0, "stored"), "Volume Up"},
      {Row(3, 9, 0, 0, "stored"), "stored"},        {Row(9, 9, 0, 0, "stored"), "Copy (Ctrl+C)"},
      {Row(8, 0x402, 10, 1, "stored"), "Fire key"}, {Row(10, 1, 0, 0, "禁用按键"), "Disabled"},
      {Row(2, 4, 2, 0, "Shift + A"), "Shift + A"},  {Row(5, 1, 0, 0, "DPI +"), "DPI +"},
      {Row(11, 1, 0, 0, "eleven"), "eleven"},       {Row(4, 3, 0, 0, "Custom 3"), "Custom 3"},
      {Row(4, 3, 0, 0, "自定义 3"), "Custom 3"},    {Row(4, 3, 0, 0, "Customer"), "Customer"},
      {Row(4, 3, 0, 0, "My macro"), "My macro"},    {Row(42, 3, 0, 0, "odd"), "odd"},
  };
  for (const auto& [row, text] : cases) {
    EXPECT_EQ(DescribeAssignment(row), text) << row.macro_type << "/" << row.macro_value;
  }
}

TEST_F(ButtonFunctionTest, MacroNamesWithTheNewMacroPrefixShowText351) {
  platform::SetLanguageId(2052);
  EXPECT_EQ(MacroDisplayName("Custom 3"), "自定义 3");
  EXPECT_EQ(MacroDisplayName("自定义7"), "自定义7");
  EXPECT_EQ(MacroDisplayName("Cus"), "Cus");
  platform::SetLanguageId(1033);
  EXPECT_EQ(MacroDisplayName("自定义7"), "Custom7");
}

TEST_F(ButtonFunctionTest, KeyboardDescriptions) {
  const std::tuple<int, int, std::string> cases[] = {
      {0x00, 0x04, "A"},
      {0x02, 0x00, "Shift"},
      {0x03, 0x04, "Shift+ Ctrl + A"},
      {0x0F, 0x3A, "Shift+ Ctrl+ Win+ Alt + F1"},
      {0x0C, 0x00, "Win+ Alt"},
      {0x01, 0xE7, "Ctrl"},
      {0x00, 0x00, ""},
      {0x10, 0x29, "Esc"},  // right-hand bits have no text
  };
  for (const auto& [bits, usage, text] : cases) {
    EXPECT_EQ(KeyboardDescription(bits, usage), text) << bits << "/" << usage;
  }
}

struct DecodeCase {
  ButtonCode code;
  bool stored;
  int type, value, value2, value3;
  std::string desc;
};

TEST_F(ButtonFunctionTest, DecodesTheMouseCodesRowByRow) {
  const DecodeCase cases[] = {
      {{0x00, 0x00, 0x00, 0x00}, true, 10, 1, 0, 0, "禁用按键"},
      {{0x80, 0x00, 0x00, 0x00}, true, 10, 1, 0, 0, "禁用按键"},
      {{0x00, 0x00, 0x3E, 0x00}, true, 9, 7, 0, 0, "Refresh (F5)"},
      {{0x00, 0x04, 0x2B, 0x00}, true, 9, 8, 0, 0, "Switch Window (Alt+Tab)"},
      {{0x00, 0x01, 0x06, 0x00}, true, 9, 9, 0, 0, "Copy (Ctrl+C)"},
      {{0x00, 0x01, 0x19, 0x00}, true, 9, 10, 0, 0, "Paste (Ctrl+V)"},
      {{0x00, 0x01, 0x1B, 0x00}, true, 9, 11, 0, 0, "Cut (Ctrl+X)"},
      {{0x00, 0x03, 0x00, 0x04}, true, 2, 4, 3, 0, "Shift+ Ctrl + A"},
      {{0x00, 0x01, 0x06, 0x04}, true, 2, 4, 1, 0, "Ctrl + A"},
      {{0x00, 0x02, 0x00, 0x00}, true, 2, 0, 2, 0, "Shift"},
      {{0x01, 0x02, 0x03, 0x0A}, true, 8, 0x402, 10, 3, "游戏增强"},
      {{0x01, 0x01, 0x02, 0x00}, true, 1, 4, 2, 0, "Double Click"},
      {{0x81, 0x01, 0x01, 0x00}, true, 1, 1, 1, 0, "Left Click"},
      {{0x01, 0x03, 0x01, 0x00}, true, 1, 3, 1, 0, "Middle Click"},
      {{0x01, 0x04, 0x01, 0x00}, true, 1, 5, 1, 0, "Forward"},
      {{0x01, 0x05, 0x01, 0x00}, true, 1, 6, 1, 0, "Back"},
      {{0x01, 0x0D, 0x01, 0x00}, true, 1, 14, 1, 0, "Mouse function 13"},
      {{0x01, 0x0E, 0x01, 0x00}, true, 1, 14, 1, 0, ""},
      {{0x02, 0x00, 0x00, 0xCD}, true, 3, 2, 0, 0, "Play/Pause"},
      {{0x02, 0x00, 0x00, 0xE2}, true, 3, 8, 0, 0, "Mute"},
      {{0x02, 0x00, 0x01, 0x83}, true, 3, 1, 0, 0, "Media Player"},
      {{0x02, 0x00, 0x00, 0x6F}, true, 9, 1, 0, 0, "Brightness Up"},
      {{0x02, 0x00, 0x00, 0x70}, true, 9, 2, 0, 0, "Brightness Down"},
      {{0x02, 0x00, 0x01, 0x92}, true, 9, 3, 0, 0, "Calculator"},
      {{0x02, 0x00, 0x01, 0x94}, true, 9, 4, 0, 0, "My Computer"},
      {{0x02, 0x00, 0x02, 0x23}, true, 9, 5, 0, 0, "Browser Home"},
      {{0x02, 0x00, 0x01, 0x8A}, true, 9, 6, 0, 0, "Mail"},
      {{0x02, 0x00, 0x00, 0x92}, false, 0, 0, 0, 0, ""},
      {{0x02, 0x00, 0x05, 0x55}, false, 0, 0, 0, 0, ""},
      {{0x05, 0x01, 0x00, 0x00}, true, 5, 1, 0, 0, "DPI +"},
      {{0x05, 0x02, 0x00, 0x00}, true, 5, 2, 0, 0, "DPI -"},
      {{0x05, 0x04, 0x00, 0x00}, true, 5, 4, 0, 0, "DPI Cycle"},
      {{0x05, 0x0A, 0x00, 0x00}, true, 5, 10, 0, 0, "DPI 锁定"},
      {{0x05, 0x07, 0x00, 0x00}, true, 5, 0, 0, 0, ""},
      {{0x08, 0x00, 0x00, 0x00}, true, 7, 0, kLightingKeptMarker, 0, "灯效切换"},
      {{0x08, 0x01, 0x00, 0x00}, true, 7, 1, 0, 0, "灯效方向"},
      {{0x08, 0x04, 0x00, 0x00}, true, 7, 4, 0, 0, "速度切换"},
      {{0x08, 0x05, 0x00, 0x00}, true, 7, 0, 0, 0, ""},
      {{0x09, 0x03, 0x00, 0x00}, true, 6, 3, 0, 0, "回报率 Loop"},
      {{0x09, 0x01, 0x00, 0x00}, true, 6, 1, 0, 0, "回报率 +"},
      {{0x09, 0x02, 0x00, 0x00}, true, 6, 2, 0, 0, "回报率 -"},
      {{0x09, 0x09, 0x00, 0x00}, true, 6, 0, 0, 0, ""},
      {{0x10, 0x04, 0x02, 0x14}, true, 8, 0x841, 0x14, 2, "游戏增强"},
      {{0x10, 0x32, 0x02, 0x14}, true, 8, 0x800, 0x14, 2, "游戏增强"},
      {{0x11, 0xE1, 0x03, 0x0A}, true, 8, 0x8A0, 10, 3, "游戏增强"},
      {{0x11, 0xE3, 0x03, 0x0A}, true, 8, 0x85B, 10, 3, "游戏增强"},
      {{0x91, 0xE7, 0x03, 0x0A}, true, 8, 0x85C, 10, 3, "游戏增强"},
      {{0x11, 0x04, 0x03, 0x0A}, true, 8, 0x800, 10, 3, "游戏增强"},
      {{0x03, 0x01, 0x01, 0x02}, false, 0, 0, 0, 0, ""},
      {{0x06, 0x00, 0x00, 0x00}, false, 0, 0, 0, 0, ""},
      {{0x7F, 0xFF, 0xFF, 0xFF}, false, 0, 0, 0, 0, ""},
  };
  for (const DecodeCase& c : cases) {
    const auto row = DecodeButtonBytes(5, c.code[0], c.code[1], c.code[2], c.code[3]);
    const std::string at = testing::PrintToString(c.code);
    ASSERT_EQ(row.has_value(), c.stored) << at;
    if (!row) continue;
    EXPECT_EQ(row->key_code, 5) << at;
    EXPECT_EQ(row->macro_type, c.type) << at;
    EXPECT_EQ(row->macro_value, c.value) << at;
    EXPECT_EQ(row->macro_value2, c.value2) << at;
    EXPECT_EQ(row->macro_value3, c.value3) << at;
    EXPECT_EQ(row->macro_desc, c.desc) << at;
  }
}

TEST_F(ButtonFunctionTest, LeftClickGuardKeepsTheLastStoredLeftClick) {
  const auto left = [](int key) { return Row(1, 1, 0, 0, "", key); };
  const std::vector<KeyAssignmentRecord> two = {left(0), Row(1, 2, 0, 0, "", 1), left(3)};
  EXPECT_FALSE(LeftClickGuardRefuses(two, 0));
  EXPECT_FALSE(LeftClickGuardRefuses(two, 3));
  EXPECT_FALSE(LeftClickGuardRefuses(two, 1));
  const std::vector<KeyAssignmentRecord> one = {left(0), Row(1, 2, 0, 0, "", 1)};
  EXPECT_TRUE(LeftClickGuardRefuses(one, 0));
  EXPECT_FALSE(LeftClickGuardRefuses(one, 1));
  EXPECT_FALSE(LeftClickGuardRefuses(one, 4));  // no row: only stored rows count
  EXPECT_FALSE(LeftClickGuardRefuses({}, 0));
}

}  // namespace
}  // namespace buttons
