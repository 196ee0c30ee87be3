// The pointer half of the performance page against a scripted desktop: what it shows and
// stores on a refresh, what each control does, and task 19 reading the sliders when it runs.
#include "settings/pointer_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/task_list.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "profiles/profile_list.h"
#include "store/profile_store.h"
#include "store/settings_keys.h"
#include "support/device_test_support.h"
#include "support/temp_dir.h"
#include "ui/control_dispatch.h"
#include "ui/headless/headless_toolkit.h"
#include "ui/task_table.h"

namespace {

namespace s = settings;

// The desktop as the page sees it, with every change it was asked for.
class ScriptedDesktop : public s::PointerSettings {
 public:
  int speed = 10;
  bool precision = true;
  int double_click = 500;
  uint32_t wheel = 3;
  bool reachable = true;
  std::vector<std::string> calls;

  int Speed() override { return speed; }
  void SetSpeed(int v) override {
    speed = v;
    calls.push_back("speed " + std::to_string(v));
  }
  bool Precision() override { return precision; }
  void SetPrecision(bool on) override {
    precision = on;
    calls.push_back(on ? "precision on" : "precision off");
  }
  int DoubleClickTime() override { return double_click; }
  void SetDoubleClickTime(int ms) override {
    double_click = ms;
    calls.push_back("double-click " + std::to_string(ms));
  }
  uint32_t WheelLines() override { return wheel; }
  void SetWheelLines(uint32_t lines) override {
    wheel = lines;
    calls.push_back(lines == s::kWheelPageScroll ? "wheel page" : "wheel " + std::to_string(lines));
  }
  bool DesktopReachable() const override { return reachable; }
  std::string Name() const override { return "scripted"; }
};

class PointerPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(dir_.path());  // no language files: every text is empty
    std::filesystem::create_directories(dir_.path() + "db");
    ASSERT_TRUE(ProfileStore::Instance().OpenForModel(dir_.path(), "K7"));
    profile_ = RefreshProfileList(tk_, ProfileStore::Instance());
    ASSERT_GT(profile_, 0);
    context_.current_profile = [this] { return profile_; };
    context_.append_task = [this](int code) { tasks_.Append(code); };
    page_.Register(dispatch_, table_);
  }
  void TearDown() override {
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }

  std::string Stored(const std::string& key) {
    std::string value;
    ProfileStore::Instance().ReadSetting(profile_, key, value);
    return value;
  }
  void Notify(int id, int code) { EXPECT_TRUE(dispatch_.Notify(id, code, tk_.GetPos(id))) << id; }
  // Moves a slider and lets go of it.
  void Release(int id, int position) {
    tk_.SetPos(id, position);
    Notify(id, ui::kNotifyClicked);
  }
  std::vector<int> Queued() {
    std::vector<int> codes;
    while (auto code = tasks_.TakeFirst()) codes.push_back(*code);
    return codes;
  }
  void RunTask19() {
    const ui::TaskRoutine* routine = table_.Find(ui::kTaskPointer);
    ASSERT_NE(routine, nullptr);
    EXPECT_EQ(routine->pause_ms, 0);
    EXPECT_FALSE(routine->closes_wait);
    routine->run();
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  test_support::TempDir dir_;
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  devtest::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  s::SettingsState state_;
  s::SettingsContext context_{comm_, ProfileStore::Instance(), tk_, clock_, state_};
  ScriptedDesktop desktop_;
  s::PointerPage page_{context_, desktop_};
  ui::ControlDispatch dispatch_;
  ui::TaskTable table_;
  app::TaskList tasks_;
  int profile_ = 0;
};

TEST(DoubleClickTimes, PositionsAndTimes) {
  const std::pair<int, int> forward[] = {{0, 900}, {5, 550}, {9, 270},  {10, 200},
                                         {11, 11}, {-1, -1}, {700, 700}};
  for (const auto& [position, ms] : forward) {
    EXPECT_EQ(s::DoubleClickTimeForPosition(position), ms) << position;
  }
  const std::pair<int, int> back[] = {{900, 0},  {690, 3}, {550, 5}, {500, 5},
                                      {200, 10}, {400, 0}, {0, 0}};
  for (const auto& [ms, position] : back) {
    EXPECT_EQ(s::PositionForDoubleClickTime(ms), position) << ms;
  }
}

TEST_F(PointerPageTest, RefreshShowsAndStoresWhatTheDesktopHas) {
  desktop_.speed = 10;
  desktop_.precision = false;
  desktop_.wheel = 7;
  desktop_.double_click = 500;
  page_.Init();
  EXPECT_EQ(tk_.GetPos(s::kPointerSpeedSlider), 9);
  EXPECT_EQ(tk_.GetTitle(s::kPointerSpeedLabel), "10");
  EXPECT_EQ(Stored(s::kMouseSpeed), "10");
  EXPECT_FALSE(tk_.GetCheck(s::kPointerPrecision));
  EXPECT_EQ(Stored(s::kMouseSensitivity), "0");
  EXPECT_TRUE(tk_.GetCheck(s::kWheelLinesRadio));
  EXPECT_FALSE(tk_.GetCheck(s::kWheelPageRadio));
  EXPECT_EQ(tk_.GetEditText(s::kWheelLinesField), "7");
  EXPECT_TRUE(tk_.IsEnabled(s::kWheelLinesField));
  EXPECT_EQ(Stored(s::kWheelScrollFlag), "1");
  EXPECT_EQ(Stored(s::kWheelScrollLines), "7");
  EXPECT_EQ(tk_.GetPos(s::kDoubleClickSlider), 5);
  EXPECT_EQ(tk_.GetTitle(s::kDoubleClickLabel), "500");
  EXPECT_EQ(Stored(s::kDoubleClickTime), "500");
  // Ranges, the wheel slider's start, and the desktop reachable: no note.
  EXPECT_EQ(tk_.Snapshot(s::kPointerSpeedSlider).range_max, 19);
  EXPECT_EQ(tk_.Snapshot(s::kWheelLinesSlider).range_max, 11);
  EXPECT_EQ(tk_.GetPos(s::kWheelLinesSlider), 3);
  EXPECT_EQ(tk_.Snapshot(s::kDoubleClickSlider).range_max, 10);
  EXPECT_FALSE(tk_.IsVisible(s::kPointerNote));
  // Showing is not changing: nothing went to the desktop.
  EXPECT_TRUE(desktop_.calls.empty());
  EXPECT_TRUE(Queued().empty());
}

TEST_F(PointerPageTest, PagePerNotchDisablesTheFieldAndStoresZeros) {
  desktop_.wheel = s::kWheelPageScroll;
  page_.Init();
  EXPECT_TRUE(tk_.GetCheck(s::kWheelPageRadio));
  EXPECT_FALSE(tk_.GetCheck(s::kWheelLinesRadio));
  EXPECT_EQ(tk_.GetEditText(s::kWheelLinesField), "0");
  EXPECT_FALSE(tk_.IsEnabled(s::kWheelLinesField));
  EXPECT_EQ(Stored(s::kWheelScrollFlag), "0");
  EXPECT_EQ(Stored(s::kWheelScrollLines), "0");
  // 101 lines is more than the field takes: read as a page too.
  desktop_.wheel = 101;
  page_.Refresh();
  EXPECT_TRUE(tk_.GetCheck(s::kWheelPageRadio));
}

TEST_F(PointerPageTest, WithoutTheDesktopThePageSaysSo) {
  desktop_.reachable = false;
  page_.Init();
  EXPECT_TRUE(tk_.IsVisible(s::kPointerNote));
}

TEST_F(PointerPageTest, WheelModeRadios) {
  page_.Init();
  tk_.SetCheck(s::kWheelPageRadio, true);
  tk_.SetCheck(s::kWheelLinesRadio, false);
  Notify(s::kWheelPageRadio, ui::kNotifyClicked);
  EXPECT_EQ(desktop_.calls, std::vector<std::string>{"wheel page"});
  EXPECT_EQ(tk_.GetEditText(s::kWheelLinesField), "0");
  EXPECT_FALSE(tk_.IsEnabled(s::kWheelLinesField));
  EXPECT_EQ(Stored(s::kWheelScrollFlag), "0");
  EXPECT_EQ(Stored(s::kWheelScrollLines), "0");

  tk_.SetCheck(s::kWheelLinesRadio, true);
  tk_.SetCheck(s::kWheelPageRadio, false);
  Notify(s::kWheelLinesRadio, ui::kNotifyClicked);
  EXPECT_EQ(desktop_.calls.back(), "wheel 3");
  EXPECT_EQ(tk_.GetEditText(s::kWheelLinesField), "3");
  EXPECT_TRUE(tk_.IsEnabled(s::kWheelLinesField));
  EXPECT_EQ(Stored(s::kWheelScrollFlag), "1");
  EXPECT_EQ(Stored(s::kWheelScrollLines), "3");
  EXPECT_TRUE(Queued().empty());  // applied at once, no task
}

TEST_F(PointerPageTest, WheelFieldIsLimitedAndCommitApplies) {
  page_.Init();
  const std::pair<const char*, const char*> typed[] = {
      {"250", "100"}, {"0", "1"}, {"", "1"}, {"42", "42"}, {"7x", "7"}};
  for (const auto& [text, shown] : typed) {
    tk_.SetEditText(s::kWheelLinesField, text);
    Notify(s::kWheelLinesField, s::kEditTextChanged);
    EXPECT_EQ(tk_.GetEditText(s::kWheelLinesField), shown) << text;
  }
  EXPECT_TRUE(desktop_.calls.empty());  // typing applies nothing
  tk_.SetEditText(s::kWheelLinesField, "250");
  Notify(s::kWheelLinesField, ui::kNotifyChanged);
  Notify(s::kWheelLinesField, ui::kNotifyClicked);
  EXPECT_EQ(desktop_.calls, std::vector<std::string>{"wheel 100"});
  EXPECT_EQ(Stored(s::kWheelScrollLines), "100");
  EXPECT_TRUE(Queued().empty());
}

TEST_F(PointerPageTest, SpeedSliderShowsWhileDraggingAndAppliesOnRelease) {
  page_.Init();
  tk_.SetPos(s::kPointerSpeedSlider, 4);
  Notify(s::kPointerSpeedSlider, ui::kNotifyChanged);
  EXPECT_EQ(tk_.GetTitle(s::kPointerSpeedLabel), "5");
  EXPECT_EQ(Stored(s::kMouseSpeed), "5");
  EXPECT_TRUE(Queued().empty());
  // Two releases queue two tasks; each applies the slider as it is when it runs.
  Release(s::kPointerSpeedSlider, 6);
  Release(s::kPointerSpeedSlider, 14);
  EXPECT_EQ(Queued(), (std::vector<int>{ui::kTaskPointer, ui::kTaskPointer}));
  EXPECT_EQ(page_.Kind(), s::kPointerKindSpeed);
  RunTask19();
  RunTask19();
  EXPECT_EQ(desktop_.calls, (std::vector<std::string>{"speed 15", "speed 15"}));
  EXPECT_EQ(Stored(s::kMouseSpeed), "15");
}

TEST_F(PointerPageTest, DoubleClickSliderAppliesItsTableTime) {
  page_.Init();
  Release(s::kDoubleClickSlider, 10);
  EXPECT_EQ(tk_.GetTitle(s::kDoubleClickLabel), "200");
  EXPECT_EQ(Stored(s::kDoubleClickTime), "200");
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskPointer});
  RunTask19();
  EXPECT_EQ(desktop_.calls, std::vector<std::string>{"double-click 200"});
  EXPECT_EQ(desktop_.double_click, 200);
  // Dragging alone applies nothing.
  EXPECT_FALSE(dispatch_.Notify(s::kDoubleClickSlider, ui::kNotifyChanged, 3));
}

TEST_F(PointerPageTest, WheelSliderAppliesItsPositionAsLines) {
  page_.Init();
  Release(s::kWheelLinesSlider, 11);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskPointer});
  tk_.SetPos(s::kWheelLinesSlider, 8);  // moved again before the task ran
  RunTask19();
  EXPECT_EQ(desktop_.calls, std::vector<std::string>{"wheel 8"});
  // Not stored: the field's keys stay as the refresh left them.
  EXPECT_EQ(Stored(s::kWheelScrollLines), "3");
}

TEST_F(PointerPageTest, PrecisionBoxAppliesAtOnce) {
  page_.Init();
  tk_.SetCheck(s::kPointerPrecision, false);
  Notify(s::kPointerPrecision, ui::kNotifyClicked);
  EXPECT_EQ(desktop_.calls, std::vector<std::string>{"precision off"});
  EXPECT_EQ(Stored(s::kMouseSensitivity), "0");
  tk_.SetCheck(s::kPointerPrecision, true);
  Notify(s::kPointerPrecision, ui::kNotifyClicked);
  EXPECT_EQ(desktop_.calls.back(), "precision on");
  EXPECT_EQ(Stored(s::kMouseSensitivity), "1");
  EXPECT_TRUE(Queued().empty());
}

TEST_F(PointerPageTest, TaskWithoutAReleaseDoesNothing) {
  page_.Init();
  RunTask19();
  EXPECT_TRUE(desktop_.calls.empty());
}

}  // namespace
