#include "app/device_main_dlg.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "support/main_window_controls.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"

namespace {

namespace frame = ui::frame;
using ui::WindowState;

class DeviceMainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
  }
  void TearDown() override {
    platform::SetProgramDir(saved_program_dir_);
    ui::Manager::SetDeviceName(saved_caption_);
  }

  void Click(int id) { dlg_.OnControlNotify(id, ui::kNotifyClicked, 0); }
  bool Visible(int id) { return tk_.Snapshot(id).visible; }
  // The one page layout shown, 0 when none is.
  int ShownLayout() {
    int shown = 0;
    for (int layout : frame::kPageLayouts) {
      if (Visible(layout)) {
        EXPECT_EQ(shown, 0) << "two layouts shown: " << shown << " and " << layout;
        shown = layout;
      }
    }
    return shown;
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  std::string saved_caption_ = ui::Manager::GetDeviceName();
  app_test::TempDir dir_;
  platform::AppKey key_{dir_.path()};
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  app_test::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  // No worker thread or hot-plug: these tests are about the frame.
  app::DeviceMainDlg dlg_{
      tk_,
      comm_,
      key_,
      {.user_data_dir = dir_.path(), .start_thread = false, .start_hotplug = false}};
};

TEST_F(DeviceMainDlgTest, InitialisationAddsTrayIconTabsFirstTaskAndTimer) {
  // 130 characters, Chinese included: the tip keeps the first 127 characters.
  std::string caption;
  for (int i = 0; i < 65; ++i) caption += "鼠a";
  ui::Manager::SetDeviceName(caption);
  dlg_.OnInitDialog();

  const auto tray = tk_.TrayIcons();
  ASSERT_EQ(tray.size(), 1u);
  EXPECT_EQ(std::get<0>(tray[0]), app::kTrayIconId);
  std::string tip;  // 63 pairs and one more character: 127 characters
  for (int i = 0; i < 63; ++i) tip += "鼠a";
  tip += "鼠";
  EXPECT_EQ(std::get<1>(tray[0]), tip);
  EXPECT_NE(std::get<1>(tray[0]), caption);
  EXPECT_EQ(tk_.Snapshot(frame::kCaptionText).title, caption);

  const auto tabs = tk_.Snapshot(frame::kTabs).tabs;
  ASSERT_EQ(tabs.size(), 7u);
  const int ids[] = {1, 2, 3, 5, 7, 4, 6};
  for (size_t i = 0; i < tabs.size(); ++i) EXPECT_EQ(tabs[i].id, ids[i]);
  EXPECT_EQ(tabs[2].title, "DPI");
  EXPECT_EQ(tabs[6].title, "Performance");
  EXPECT_EQ(tk_.Snapshot(frame::kConnection).title, "Not Connected");

  // The first tab: its layout alone, no tab row.
  EXPECT_EQ(ShownLayout(), 49);
  EXPECT_FALSE(Visible(frame::kTabs));
  EXPECT_EQ(dlg_.PendingTasks().TakeFirst(), ui::kTaskFirstRead);
  EXPECT_EQ(tk_.StartedTimerPeriod(), 0);  // no idle window timer: it would only wake the program
}

TEST_F(DeviceMainDlgTest, WithoutTrayTheProgramRunsOn) {
  tk_.SetTrayAvailable(false);
  dlg_.OnInitDialog();
  EXPECT_TRUE(tk_.TrayIcons().empty());
  EXPECT_FALSE(dlg_.TrayIconShown());
  EXPECT_EQ(dlg_.PendingTasks().Size(), 1u);
}

TEST_F(DeviceMainDlgTest, TabSelectionShowsItsLayoutAndTheRowExceptOnTheFirstTab) {
  dlg_.OnInitDialog();
  // position -> {page layout, tab item id}
  const struct {
    int layout, item_id;
  } tabs[] = {{49, 1}, {50, 2}, {51, 3}, {53, 5}, {55, 7}, {52, 4}, {54, 6}};
  for (int position = 6; position >= 0; --position) {
    tk_.Notify(frame::kTabs, ui::kNotifyClicked, position);
    EXPECT_EQ(ShownLayout(), tabs[position].layout) << position;
    EXPECT_EQ(dlg_.SelectedItemId(), tabs[position].item_id);
    const bool first = position == 0;
    EXPECT_EQ(Visible(frame::kTabs), !first) << position;
    for (int id : frame::kModelControls) EXPECT_EQ(Visible(id), !first) << id;
    EXPECT_TRUE(Visible(frame::kConnection));
  }
  // Any code of the tab row counts; out-of-range positions change nothing.
  dlg_.OnControlNotify(frame::kTabs, ui::kNotifyChanged, 2);
  EXPECT_EQ(ShownLayout(), 51);
  dlg_.OnControlNotify(frame::kTabs, ui::kNotifyClicked, 7);
  EXPECT_EQ(ShownLayout(), 51);
}

TEST_F(DeviceMainDlgTest, SettingsPanelReplacesTabsAndStatusStrip) {
  dlg_.OnInitDialog();
  dlg_.SetModelLoaded(true);
  tk_.Notify(frame::kTabs, ui::kNotifyClicked, 2);  // DPI
  Click(frame::kSettings);
  EXPECT_TRUE(dlg_.SettingsPanelShown());
  EXPECT_EQ(ShownLayout(), frame::kSettingsPanel);
  EXPECT_FALSE(Visible(frame::kTabs));
  for (int id : frame::kStatusStrip) EXPECT_FALSE(Visible(id)) << id;

  // Back: the remembered tab again, with its row and the status strip.
  Click(frame::kSettingsReturn);
  EXPECT_FALSE(dlg_.SettingsPanelShown());
  EXPECT_EQ(ShownLayout(), 51);
  EXPECT_TRUE(Visible(frame::kTabs));
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tab_selected, 2);
  for (int id : frame::kStatusStrip) EXPECT_TRUE(Visible(id)) << id;

  // Choosing a tab while the panel is open closes it.
  Click(frame::kSettings);
  tk_.Notify(frame::kTabs, ui::kNotifyClicked, 6);
  EXPECT_FALSE(Visible(frame::kSettingsPanel));
  EXPECT_EQ(ShownLayout(), 54);
  for (int id : frame::kStatusStrip) EXPECT_TRUE(Visible(id)) << id;
}

TEST_F(DeviceMainDlgTest, ClosingSettingsPanelBeforeAnyModelReturnsToTheFirstTab) {
  platform::SetProgramDir(dir_.path());  // no catalogue: no model is loaded
  dlg_.OnInitDialog();
  tk_.Notify(frame::kTabs, ui::kNotifyClicked, 1);
  Click(frame::kSettings);
  Click(frame::kSettingsReturn);
  EXPECT_EQ(ShownLayout(), 49);
  EXPECT_FALSE(Visible(frame::kTabs));
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tab_selected, 0);
  // The toolkit's selection notification arrives later and changes nothing.
  tk_.PumpMessages();
  EXPECT_EQ(ShownLayout(), 49);
}

TEST_F(DeviceMainDlgTest, CloseButtonFollowsExitMode) {
  struct Case {
    const char* exit_mode;  // nullptr: absent
    bool tray;
    WindowState state;  // afterwards
    bool ends;          // through the close routine
  };
  const Case cases[] = {
      {nullptr, true, WindowState::kNormal, true},
      {"0", true, WindowState::kNormal, true},
      {"1", true, WindowState::kHidden, false},
      {"1", false, WindowState::kMinimized, false},
  };
  for (const Case& c : cases) {
    app_test::TempDir dir;
    platform::AppKey key(dir.path());
    if (c.exit_mode) key.WriteInt("exit_mode", std::atoi(c.exit_mode));
    ui::HeadlessToolkit tk;
    tk.SetTrayAvailable(c.tray);
    app::DeviceMainDlg dlg(
        tk, comm_, key,
        {.user_data_dir = dir.path(), .start_thread = false, .start_hotplug = false});
    dlg.OnInitDialog();
    dlg.OnControlNotify(frame::kClose, ui::kNotifyClicked, 0);
    EXPECT_EQ(tk.GetWindowState(), c.state) << c.exit_mode << c.tray;
    EXPECT_EQ(tk.WindowClosed(), c.ends) << c.exit_mode << c.tray;
    // Every exit path takes the tray icon away first.
    if (c.ends) {
      EXPECT_TRUE(tk.TrayIcons().empty());
    } else {
      EXPECT_EQ(tk.TrayIcons().size(), c.tray ? 1u : 0u);
    }
  }
}

TEST_F(DeviceMainDlgTest, HiddenWindowComesBackFromTheTray) {
  key_.WriteInt("exit_mode", 1);
  dlg_.OnInitDialog();
  Click(frame::kClose);
  ASSERT_EQ(tk_.GetWindowState(), WindowState::kHidden);
  dlg_.OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, app::kTrayLeftDown);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kNormal);
  EXPECT_EQ(tk_.RaiseCount(), 1);
  dlg_.OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, 512);  // a mouse move: nothing
  EXPECT_EQ(tk_.RaiseCount(), 1);
  EXPECT_FALSE(tk_.WindowClosed());
}

TEST_F(DeviceMainDlgTest, TrayMenuExitEndsTheProgramThroughTheCloseRoutine) {
  dlg_.OnInitDialog();
  dlg_.OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, app::kTrayRightUp);  // dismissed
  EXPECT_FALSE(tk_.WindowClosed());
  tk_.QueueMenuAnswer(app::kMenuExit);
  dlg_.OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, app::kTrayRightUp);
  const auto menus = tk_.Menus();
  ASSERT_EQ(menus.size(), 2u);
  ASSERT_EQ(menus[1].size(), 1u);
  EXPECT_EQ(menus[1][0].command, app::kMenuExit);
  EXPECT_EQ(menus[1][0].text, "Exit");
  EXPECT_TRUE(tk_.WindowClosed());
  EXPECT_TRUE(tk_.TrayIcons().empty());
}

TEST_F(DeviceMainDlgTest, OutsideExitRequestNeedsItsCode) {
  dlg_.OnInitDialog();
  for (int64_t other : {0, 609, 611, 100}) {
    dlg_.OnMessage(app::WM_EXTERNAL_EXIT, other, 0);
    EXPECT_FALSE(tk_.WindowClosed()) << other;
  }
  EXPECT_EQ(tk_.TrayIcons().size(), 1u);
  dlg_.OnMessage(app::WM_EXTERNAL_EXIT, app::kExternalExitCode, 0);
  EXPECT_TRUE(tk_.WindowClosed());
  EXPECT_TRUE(tk_.TrayIcons().empty());
}

TEST_F(DeviceMainDlgTest, MaximiseTogglesAndSwapsItsImage) {
  dlg_.OnInitDialog();
  Click(frame::kMaximize);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kMaximized);
  EXPECT_EQ(tk_.Snapshot(frame::kMaximize).image, "sysbtn_restore.png");
  Click(frame::kMaximize);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kNormal);
  EXPECT_EQ(tk_.Snapshot(frame::kMaximize).image, "sysbtn_maximize.png");
  Click(frame::kMinimize);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kMinimized);
}

TEST_F(DeviceMainDlgTest, CloseRoutineEndsTheRun) {
  dlg_.OnInitDialog();
  dlg_.OnMessage(WM_CLOSE, 0, 0);
  EXPECT_TRUE(tk_.WindowClosed());
  EXPECT_TRUE(tk_.TrayIcons().empty());
}

TEST_F(DeviceMainDlgTest, SubsystemsRegisterControlsAndMessages) {
  std::vector<std::pair<int, int64_t>> seen;
  dlg_.Dispatch().OnClick(102,
                          [&seen](int code, int64_t value) { seen.emplace_back(code, value); });
  dlg_.OnWindowMessage(1705, [&seen](int64_t w, int64_t l) { seen.emplace_back(int(w), l); });
  dlg_.OnControlNotify(102, ui::kNotifyChanged, 5);  // not a click: ignored
  dlg_.OnControlNotify(102, ui::kNotifyClicked, 6);
  dlg_.OnControlNotify(999, ui::kNotifyClicked, 7);  // nobody's control
  tk_.PostMessage(1705, 2, 9);
  tk_.PumpMessages();
  EXPECT_EQ(seen, (std::vector<std::pair<int, int64_t>>{{2, 6}, {2, 9}}));
  // The remembered model lives in the application settings.
  dlg_.WriteDeviceType(201);
  EXPECT_EQ(key_.ReadInt("DeviceType"), 201);
  EXPECT_EQ(dlg_.ReadDeviceType(), 201);
}

// Every control the window's dispatch names has its handler, with the notifications it takes.
TEST_F(DeviceMainDlgTest, DispatchCoversEveryActiveControl) {
  for (int number : test_support::AnyCodeControls()) {
    EXPECT_TRUE(dlg_.Dispatch().TakesAnyCode(number)) << number;
  }
  for (int number : test_support::ClickControls()) {
    EXPECT_TRUE(dlg_.Dispatch().Has(number)) << number;
    EXPECT_FALSE(dlg_.Dispatch().TakesAnyCode(number)) << number;
  }
  // 129 has no action; pictures, texts and layouts have none either.
  for (int number : {30, 57, 63, 129, 245, 49, 44, 45}) {
    EXPECT_FALSE(dlg_.Dispatch().Has(number)) << number;
  }
}

// A click on a control outside the dispatch changes nothing: no page, no task, no message.
TEST_F(DeviceMainDlgTest, ClickOutsideTheDispatchDoesNothing) {
  dlg_.OnInitDialog();
  dlg_.SetModelLoaded(true);
  tk_.PumpMessages();
  tk_.Notify(frame::kTabs, ui::kNotifyClicked, 2);
  const size_t tasks = dlg_.PendingTasks().Size();
  for (int number : {30, 36, 44, 45, 57, 59, 63, 129, 245, 999}) {
    dlg_.OnControlNotify(number, ui::kNotifyClicked, 1);
    EXPECT_EQ(ShownLayout(), 51) << number;
    EXPECT_EQ(dlg_.SelectedItemId(), 3) << number;
    EXPECT_FALSE(dlg_.SettingsPanelShown()) << number;
  }
  EXPECT_EQ(dlg_.PendingTasks().Size(), tasks);
  EXPECT_TRUE(tk_.PendingMessages().empty());
  EXPECT_TRUE(tk_.Messages().empty());
}

// Every window message of the main window has its handler; others go to the default handling.
TEST_F(DeviceMainDlgTest, EveryWindowMessageHasItsHandler) {
  for (int message : {1674, 1690, 1691, 1692, 1705, 1709, 1710, 1711, 1830, 1831, 2022}) {
    EXPECT_TRUE(dlg_.HandlesMessage(message)) << message;
  }
  for (int message : {1600, 1704, 1706, 2021})
    EXPECT_FALSE(dlg_.HandlesMessage(message)) << message;
}

}  // namespace
