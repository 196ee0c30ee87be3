// Recording from scripted raw-input records: decoding, auto-repeat, delays, the limit, and the
// click on the recording button.
#include <gtest/gtest.h>

#include <set>

#include "macros/macro_fixture.h"
#include "macros/macro_recorder.h"

namespace {

using macrotest::MacroRig;
namespace m = macros;

m::RawInputRecord Key(int vk, bool down, uint16_t flags = 0, uint16_t make = 0) {
  m::RawInputRecord r;
  r.type = m::kRawKeyboard;
  r.vkey = static_cast<uint16_t>(vk);
  r.message = down ? m::kWmKeyDown : m::kWmKeyUp;
  r.flags = static_cast<uint16_t>(flags | (down ? 0 : m::kKeyBreak));
  r.make_code = make;
  return r;
}

m::RawInputRecord Mouse(uint16_t flags, int16_t data = 0, bool over_button = false) {
  m::RawInputRecord r;
  r.type = m::kRawMouse;
  r.button_flags = flags;
  r.button_data = data;
  r.over_record_button = over_button;
  return r;
}

struct DecodeCase {
  const char* name;
  m::RawInputRecord record;
  std::set<int> held;  // keys the system says are down
  m::InputCapture expected;
};

class Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, GivesThisCapture) {
  uint8_t modifiers = 0;
  const std::set<int> held = GetParam().held;
  const m::InputCapture c = m::DecodeRawInput(
      GetParam().record, modifiers, [&](int vk) { return held.count(vk) != 0; }, nullptr);
  EXPECT_EQ(c, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Macros, Decode,
    testing::Values(
        DecodeCase{"RightShift", Key(0x10, true), {0xA1}, {2, 0, 0xA1, "RShift"}},
        DecodeCase{"LeftCtrl", Key(0x11, true), {0xA2}, {2, 0, 0xA2, "Ctrl"}},
        DecodeCase{"Numpad8WithoutNumLock", Key(0x26, true, 0, 0x48), {}, {2, 0, 0x68, "Up"}},
        DecodeCase{"ArrowUp", Key(0x26, true, m::kKeyE0, 0x48), {}, {2, 0, 0x26, "Up"}},
        DecodeCase{"KeypadEnter", Key(0x0D, false, m::kKeyE0), {}, {2, 1, 0x6C, "Num Enter"}},
        DecodeCase{"MainEnter", Key(0x0D, true), {}, {2, 0, 0x0D, "Enter"}},
        DecodeCase{"Yen", Key(0xFF, true, 0, 0x7D), {}, {2, 0, 0x89, "\uFFE5"}},
        DecodeCase{"SysKeyAlt",
                   {m::kRawKeyboard, 0x38, 0, 0x12, m::kWmSysKeyDown},
                   {0xA5},
                   {2, 0, 0xA5, "RAlt"}},
        DecodeCase{"LeftButtonDown", Mouse(m::kLeftDown), {}, {1, 0, 1, "LB"}},
        DecodeCase{"MiddleUp", Mouse(m::kMiddleUp), {}, {1, 1, 4, "MB"}},
        DecodeCase{"Button4IsBackward", Mouse(m::kButton4Down), {}, {1, 0, 16, "Backward"}},
        DecodeCase{"Button5IsForward", Mouse(m::kButton5Up), {}, {1, 1, 8, "Forward"}},
        DecodeCase{"WheelNotchUp", Mouse(m::kWheel, 120), {}, {1, 3, 1, "Scroll Up"}},
        DecodeCase{"WheelDown", Mouse(m::kWheel, -120), {}, {1, 4, 255, "Scroll Down"}},
        DecodeCase{"TwoNotchesUpStayUp", Mouse(m::kWheel, 240), {}, {1, 3, 1, "Scroll Up"}},
        DecodeCase{"PureMovement", Mouse(0), {}, {1, 0, 0, ""}}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(Decode, ReleasingLeftShiftWhileRightIsHeldGivesLeftShift) {
  uint8_t modifiers = 0;
  std::set<int> down = {0xA0};
  auto state = [&](int vk) { return down.count(vk) != 0; };
  EXPECT_EQ(m::DecodeRawInput(Key(0x10, true), modifiers, state, nullptr).code, 0xA0);
  EXPECT_EQ(modifiers, m::kModLShift);
  down = {0xA1};  // left released, right held
  EXPECT_EQ(m::DecodeRawInput(Key(0x10, false), modifiers, state, nullptr).code, 0xA0);
  EXPECT_EQ(modifiers, 0);
  EXPECT_EQ(m::DecodeRawInput(Key(0x10, false), modifiers, state, nullptr).code, 0xA1);
}

TEST(MeasureDelay, FirstIsZeroAndLongPausesAreCapped) {
  uint64_t last = 0;
  EXPECT_EQ(m::MeasureDelay(5000, last), 0);
  EXPECT_EQ(m::MeasureDelay(5120, last), 120);
  EXPECT_EQ(m::MeasureDelay(5120 + 45000, last), 31000);
  EXPECT_EQ(last, 50120u);
}

class Recording : public testing::Test {
 protected:
  void SetUp() override {
    r.rig.p().Notify(m::kNewMacro, 2);
    id = r.macros->CurrentMacro();
  }
  void Record() { r.rig.p().Notify(m::kRecordButton, 2); }
  std::vector<MacroEventRecord> Stored() {
    std::vector<MacroEventRecord> list;
    r.store().ListMacroEvents(id, list);
    return list;
  }
  std::vector<std::string> StoredTexts() {
    std::vector<std::string> out;
    for (const auto& e : Stored()) out.push_back(e.desc);
    return out;
  }
  MacroRig r;
  int id = 0;
};

TEST_F(Recording, HeldKeyGivesOnePressAndOneReleaseWithTheMeasuredDelays) {
  Record();
  EXPECT_TRUE(r.macros->Recording());
  EXPECT_EQ(r.tk().GetTitle(m::kRecordButton), "T359");
  EXPECT_FALSE(r.tk().IsEnabled(m::kMacroList));
  r.macros->OnInput(Key(0x41, true, 0, 0x1E));
  for (int i = 0; i < 5; ++i) {  // auto-repeat
    r.rig.clock.Advance(30);
    r.macros->OnInput(Key(0x41, true, 0, 0x1E));
  }
  r.rig.clock.Advance(45000);
  r.macros->OnInput(Key(0x41, false, 0, 0x1E));
  r.macros->OnInput(Mouse(m::kLeftDown, 0, true));  // the click on the button itself
  Record();
  EXPECT_FALSE(r.macros->Recording());
  EXPECT_EQ(r.tk().GetTitle(m::kRecordButton), "T358");
  EXPECT_TRUE(r.tk().IsEnabled(m::kMacroList));

  const auto s = Stored();
  EXPECT_EQ(StoredTexts(), (std::vector<std::string>{"\u2193  A", " -   31000 ms", "\u2191  A"}));
  EXPECT_EQ(s[0].type, 2);
  EXPECT_EQ(s[0].value, 0x41);
  EXPECT_EQ(s[1].type, 1);
  EXPECT_EQ(s[1].value, 31000);
  EXPECT_EQ(s[2].type, 3);
  // Each entry its own stamp, counted on from the tick count at the start.
  EXPECT_LT(s[0].delay_time, s[1].delay_time);
  EXPECT_LT(s[1].delay_time, s[2].delay_time);
}

TEST_F(Recording, WheelAndButtonsWithFixedDelays) {
  r.rig.p().Notify(m::kDelayFixed, 2);
  r.tk().SetEditText(m::kFixedDelayField, "25");
  Record();
  r.macros->OnInput(Mouse(m::kWheel, 240));
  r.macros->OnInput(Mouse(m::kRightDown));
  Record();
  const auto s = Stored();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].type, 6);
  EXPECT_EQ(s[0].value, 1);
  EXPECT_EQ(s[0].desc, "Scroll Up");
  EXPECT_EQ(s[1].value, 25);
  EXPECT_EQ(s[2].desc, "\u2193  RB");
  EXPECT_EQ(s[2].value, 2);
}

TEST_F(Recording, StopsByItselfAt990Events) {
  r.rig.p().Notify(m::kDelayNone, 2);
  Record();
  for (int i = 0; i < 600; ++i) {
    r.macros->OnInput(Key(0x42, true));
    r.macros->OnInput(Key(0x42, false));
  }
  EXPECT_FALSE(r.macros->Recording());
  EXPECT_EQ(Stored().size(), 990u);
  ASSERT_EQ(r.tk().Messages().size(), 1u);
  EXPECT_EQ(r.tk().Messages()[0].title, "T355");
  EXPECT_EQ(r.tk().Messages()[0].message, "T386");
  // From the first recording on, hand insertion is held to the same limit.
  EXPECT_EQ(r.macros->EventLimit(), 990);
  r.Message(m::kMsgInsertMenu, m::kCmdInsertDelay);
  EXPECT_EQ(Stored().size(), 990u);
}

TEST_F(Recording, NeedsASelectedMacro) {
  MacroRig fresh;
  fresh.rig.p().Notify(m::kRecordButton, 2);
  EXPECT_FALSE(fresh.macros->Recording());
  ASSERT_EQ(fresh.tk().Messages().size(), 1u);
  EXPECT_EQ(fresh.tk().Messages()[0].message, "T387");
}

TEST_F(Recording, InputWithoutACaptureIsIgnored) {
  r.macros->OnInput(Key(0x41, true));
  r.macros->OnInput(Key(0x41, false));
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(r.tk().GetItemCount(m::kEventList), 0);
}

}  // namespace
