// The program's place in the desktop: the autostart entry, the settings panel's choices, the
// language switch, the links, an autostart's first window state, the pointer page following
// the desktop, and every exit going through the normal shut-down.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/device_main_dlg.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "app_fixture.h"
#include "log/trace.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "settings/pointer_page.h"
#include "store/profile_store.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"

namespace {

namespace frame = ui::frame;
namespace panel = app::panel;
using ui::WindowState;

TEST(DesktopExecArgument, QuotesAndEscapesAsTheEntryFormatWants) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/vex/DeviceDriver", "/opt/vex/DeviceDriver"},
      {"/home/a b/DeviceDriver", "\"/home/a b/DeviceDriver\""},
      {"/x/100%/DeviceDriver", "/x/100%%/DeviceDriver"},
      {"/x/$HOME/a\"b", "\"/x/\\\\$HOME/a\\\\\"b\""},
      {"/x/back\\slash", "\"/x/back\\\\\\\\slash\""},
      {"", "\"\""},
  };
  for (const auto& [argument, value] : cases) {
    EXPECT_EQ(platform::DesktopExecArgument(argument), value) << argument;
  }
}

TEST(StartWindowState, AutorunStartFollowsItsChoice) {
  struct Case {
    bool autorun;
    int minimize;
    bool tray;
    WindowState state;
  };
  const Case cases[] = {
      {false, 1, true, WindowState::kNormal}, {true, 0, true, WindowState::kNormal},
      {true, 1, true, WindowState::kHidden},  {true, 1, false, WindowState::kMinimized},
      {true, 2, true, WindowState::kNormal},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::StartWindowState(c.autorun, c.minimize, c.tray), c.state)
        << c.autorun << c.minimize << c.tray;
  }
  char name[] = "DeviceDriver", autorun[] = "-autorun", other[] = "--simulate";
  char* with[] = {name, other, autorun, nullptr};
  char* without[] = {name, other, nullptr};
  EXPECT_TRUE(app::HasAutorunArgument(3, with));
  EXPECT_FALSE(app::HasAutorunArgument(2, without));
}

// The main window on the headless toolkit with the shipped data, settings and autostart
// folders of its own, and no worker thread.
class SystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("XDG_CONFIG_HOME", (dir_.path() + "config").c_str());
    env_.Set("XDG_CURRENT_DESKTOP", "");  // the stored pointer settings
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
    ui::Manager::SetDeviceName("Vex Mouse Center");
  }
  void TearDown() override {
    dlg_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
    ui::Manager::SetDeviceName(saved_caption_);
  }
  void Start() {
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    dlg_->Panel().SetHooks({.apply_language = [this] { dlg_->ApplyLanguage(); },
                            .link_address = [this](int link) { return Link(link); },
                            .open_url =
                                [this](const std::string& url) {
                                  opened_.push_back(url);
                                  return true;
                                },
                            .executable = [this] { return executable_; }});
    dlg_->OnInitDialog();
  }
  std::string Link(int link) {
    const catalogue::CatalogueLinks links = dlg_->Device().Catalogue().Links();
    return link == 0 ? links.website : link == 1 ? links.feedback : links.qa;
  }
  // Ticks or clears a box, as the person does, and tells the window.
  void Tick(int id, bool checked) {
    tk_.SetCheck(id, checked);
    dlg_->OnControlNotify(id, ui::kNotifyClicked, checked ? 1 : 0);
  }
  std::string EntryPath() { return dir_.path() + "config/autostart/Vex Mouse Center.desktop"; }

  std::string saved_program_dir_ = platform::ProgramDir();
  std::string saved_caption_ = ui::Manager::GetDeviceName();
  app_test::TempDir dir_;
  app_test::EnvGuard env_;
  platform::AppKey key_{dir_.path() + "config/Vex Mouse Center/"};
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  app_test::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<app::DeviceMainDlg> dlg_;
  std::vector<std::string> opened_;
  std::string executable_ = "/opt/vex/DeviceDriver";
};

TEST_F(SystemTest, AutorunWritesTheEntryAndTurningItOffRemovesItAndTheMinimiseChoice) {
  Start();
  EXPECT_FALSE(tk_.GetCheck(panel::kAutorun));
  EXPECT_FALSE(tk_.IsEnabled(panel::kAutorunMinimize));

  Tick(panel::kAutorun, true);
  EXPECT_TRUE(tk_.IsEnabled(panel::kAutorunMinimize));
  EXPECT_EQ(app_test::ReadFile(EntryPath()),
            "[Desktop Entry]\nType=Application\nName=Vex Mouse Center\n"
            "Exec=/opt/vex/DeviceDriver -autorun\nTerminal=false\n"
            "X-GNOME-Autostart-enabled=true\n");
  Tick(panel::kAutorunMinimize, true);
  EXPECT_EQ(key_.ReadInt("autorun_minimize"), 1);

  Tick(panel::kAutorun, false);
  EXPECT_FALSE(std::filesystem::exists(EntryPath()));
  EXPECT_FALSE(tk_.GetCheck(panel::kAutorunMinimize));
  EXPECT_FALSE(tk_.IsEnabled(panel::kAutorunMinimize));
  EXPECT_TRUE(key_.Has("autorun_minimize"));
  EXPECT_EQ(key_.ReadInt("autorun_minimize"), 0);

  // Moved since: off and on again points the entry at where the program is now.
  executable_ = "/home/someone/vex mouse/DeviceDriver";
  Tick(panel::kAutorun, true);
  const std::string entry = app_test::ReadFile(EntryPath());
  EXPECT_NE(entry.find("\nExec=\"/home/someone/vex mouse/DeviceDriver\" -autorun\n"),
            std::string::npos)
      << entry;
}

TEST_F(SystemTest, PanelShowsTheStoredChoices) {
  app_test::WriteFile(EntryPath(), "[Desktop Entry]\nExec=/old/DeviceDriver -autorun\n");
  key_.WriteInt("autorun_minimize", 1);
  key_.WriteInt("exit_mode", 1);
  Start();
  EXPECT_TRUE(tk_.GetCheck(panel::kAutorun));
  EXPECT_TRUE(tk_.IsEnabled(panel::kAutorunMinimize));
  EXPECT_TRUE(tk_.GetCheck(panel::kAutorunMinimize));
  EXPECT_TRUE(tk_.GetCheck(panel::kHideToTray));
  EXPECT_FALSE(tk_.GetCheck(panel::kExitOnClose));
  // Removed outside the program: the panel shows it when it opens again.
  std::filesystem::remove(EntryPath());
  dlg_->OnControlNotify(frame::kSettings, ui::kNotifyClicked, 0);
  EXPECT_FALSE(tk_.GetCheck(panel::kAutorun));
  EXPECT_FALSE(tk_.GetCheck(panel::kAutorunMinimize));
  EXPECT_FALSE(tk_.IsEnabled(panel::kAutorunMinimize));
  // The list offers both languages and shows the current one.
  ASSERT_EQ(tk_.GetItemCount(panel::kLanguage), 2);
  EXPECT_EQ(tk_.GetItemText(panel::kLanguage, 0), "简体中文");
  EXPECT_EQ(tk_.GetItemData(panel::kLanguage, 0), 2052);
  EXPECT_EQ(tk_.GetItemText(panel::kLanguage, 1), "English");
  EXPECT_EQ(tk_.GetCurData(panel::kLanguage), 1033);
  // The firmware check is there to be pressed, and the update logic answers it.
  EXPECT_TRUE(tk_.IsEnabled(panel::kFirmwareCheck));
  EXPECT_TRUE(dlg_->Dispatch().Has(panel::kFirmwareCheck));
}

TEST_F(SystemTest, ExitModeRadiosStoreTheChoiceAndTheCloseButtonFollowsIt) {
  Start();
  EXPECT_TRUE(tk_.GetCheck(panel::kExitOnClose));  // nothing stored: closing exits
  tk_.SetCheck(panel::kExitOnClose, false);
  Tick(panel::kHideToTray, true);
  EXPECT_EQ(key_.ReadInt("exit_mode"), 1);
  dlg_->OnControlNotify(frame::kClose, ui::kNotifyClicked, 0);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kHidden);
  EXPECT_FALSE(tk_.WindowClosed());
  dlg_->OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, app::kTrayLeftDoubleClick);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kNormal);

  tk_.SetCheck(panel::kHideToTray, false);
  Tick(panel::kExitOnClose, true);
  EXPECT_TRUE(key_.Has("exit_mode"));
  EXPECT_EQ(key_.ReadInt("exit_mode"), 0);
  dlg_->OnControlNotify(frame::kClose, ui::kNotifyClicked, 0);
  EXPECT_TRUE(tk_.WindowClosed());
}

TEST_F(SystemTest, LanguageSwitchStoresItAndReappliesTheTexts) {
  Start();
  tk_.SetTitle(frame::kConnection, "USB Connection");
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tabs[2].title, "DPI");
  ASSERT_TRUE(tk_.SelectData(panel::kLanguage, 2052));
  dlg_->OnControlNotify(panel::kLanguage, ui::kNotifyClicked, 0);
  EXPECT_EQ(platform::LanguageId(), 2052);
  EXPECT_EQ(key_.ReadInt("LCID"), 2052);
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tabs[2].title, "DPI设置");
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "USB连接");
  ASSERT_GT(tk_.GetItemCount(frame::kProfiles), 0);
  EXPECT_EQ(tk_.GetItemText(frame::kProfiles, 0).rfind("配置方案", 0), 0u)
      << tk_.GetItemText(frame::kProfiles, 0);
  EXPECT_EQ(tk_.GetTitle(panel::kAutorun), LanguageText(panel::kAutorunText));
  EXPECT_EQ(tk_.GetTitle(settings::kPointerPrecision), LanguageText(settings::kPrecisionText));
  EXPECT_FALSE(LanguageText(panel::kAutorunText).empty());
  // The panel stays open where the language was chosen.
  EXPECT_TRUE(dlg_->SettingsPanelShown() || !tk_.IsVisible(frame::kTabs));
}

TEST_F(SystemTest, LinksOpenTheAddressesOfTheCatalogue) {
  Start();
  for (int id : {panel::kWebsite, panel::kFeedback, panel::kQuestions}) {
    dlg_->OnControlNotify(id, ui::kNotifyClicked, 0);
  }
  EXPECT_EQ(opened_, (std::vector<std::string>{"https://vexmouse.example/",
                                               "https://vexmouse.example/feedback",
                                               "https://vexmouse.example/faq"}));
}

TEST_F(SystemTest, AutorunStartWithMinimiseGoesToTheTray) {
  key_.WriteInt("autorun_minimize", 1);
  dlg_ = std::make_unique<app::DeviceMainDlg>(
      tk_, comm_, key_,
      app::DeviceWorkOptions{
          .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
  dlg_->SetAutorunStart(true);
  dlg_->OnInitDialog();
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kHidden);
  dlg_->OnMessage(app::WM_TRAY_NOTIFY, app::kTrayIconId, app::kTrayLeftDown);
  EXPECT_EQ(tk_.GetWindowState(), WindowState::kNormal);
}

TEST_F(SystemTest, PointerPageFollowsTheDesktopWhenShownOrActivated) {
  Start();
  const int performance = 6;  // tab position of the performance page
  EXPECT_EQ(tk_.GetTitle(settings::kPointerSpeedLabel), "10");
  key_.WriteInt("pointer_speed", 14);  // changed meanwhile, outside the program
  dlg_->OnMessage(WM_ACTIVATE, 1, 0);  // another page is shown: not read
  EXPECT_EQ(tk_.GetTitle(settings::kPointerSpeedLabel), "10");
  tk_.Notify(frame::kTabs, ui::kNotifyClicked, performance);
  EXPECT_EQ(tk_.GetTitle(settings::kPointerSpeedLabel), "14");
  EXPECT_EQ(tk_.GetPos(settings::kPointerSpeedSlider), 13);
  key_.WriteInt("pointer_speed", 3);
  dlg_->OnMessage(WM_ACTIVATE, 0, 0);  // deactivated: nothing
  EXPECT_EQ(tk_.GetTitle(settings::kPointerSpeedLabel), "14");
  dlg_->OnMessage(WM_ACTIVATE, 1, 0);
  EXPECT_EQ(tk_.GetTitle(settings::kPointerSpeedLabel), "3");
  // The stored fallback says on the page that the desktop's settings are out of reach.
  EXPECT_TRUE(tk_.IsVisible(settings::kPointerNote));
  // The wheel lines reached the toolkit when the port was made.
  EXPECT_EQ(tk_.WheelScrollLines(), 3u);
}

// The whole run: every way out ends through the shut-down, with the worker thread stopped and
// the log's last lines written.
class ExitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("XDG_CONFIG_HOME", (home_.path() + "config").c_str());
    env_.Set("XDG_DATA_HOME", (home_.path() + "data").c_str());
    env_.Set("XDG_RUNTIME_DIR", (home_.path() + "run").c_str());
    env_.Set("XDG_CURRENT_DESKTOP", "");
    env_.Set("LANGUAGE", "en_US");
    std::filesystem::create_directories(home_.path() + "run");
    platform::SetProgramDir(MOUSE_DATA_DIR);
    // The log is written into the current folder: one of its own.
    saved_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(home_.path());
  }
  void TearDown() override {
    std::filesystem::current_path(saved_cwd_);
    platform::SetProgramDir(saved_program_dir_);
  }

  int Run(app_test::HeadlessFrontend& frontend) {
    char name[] = "DeviceDriver";
    char* argv[] = {name, nullptr};
    return app::RunApplication(
        1, argv, frontend, [](platform::Clock&) { return std::make_unique<app_test::EmptyBus>(); });
  }
  std::vector<std::string> LogLines() {
    std::istringstream in(app_test::ReadFile(mouselog::LogFileName()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      const size_t stamp = line.find("][");  // after the time stamp
      lines.push_back(stamp == std::string::npos ? line : line.substr(stamp + 1));
    }
    return lines;
  }

  app_test::TempDir home_;
  app_test::EnvGuard env_;
  std::string saved_program_dir_ = platform::ProgramDir();
  std::filesystem::path saved_cwd_;
};

TEST_F(ExitTest, EveryExitEndsThroughTheShutDown) {
  struct Case {
    const char* name;
    std::function<void(ui::HeadlessToolkit&)> act;
    const char* trace;
  };
  const Case cases[] = {
      {"close button", [](ui::HeadlessToolkit& tk) { tk.Notify(frame::kClose, 2, 0); },
       "[Info ]Exit (close button)"},
      {"tray menu",
       [](ui::HeadlessToolkit& tk) {
         tk.PostMessage(app::WM_COMMAND, app::kMenuExit, 0);
         tk.PumpMessages();
       },
       "[Info ]Exit (tray menu)"},
      {"outside request",
       [](ui::HeadlessToolkit& tk) {
         tk.PostMessage(app::WM_EXTERNAL_EXIT, 611, 0);  // not its code: nothing
         tk.PumpMessages();
         EXPECT_FALSE(tk.WindowClosed());
         tk.PostMessage(app::WM_EXTERNAL_EXIT, app::kExternalExitCode, 0);
         tk.PumpMessages();
       },
       "[Info ]Exit (outside request)"},
  };
  for (const Case& c : cases) {
    app_test::HeadlessFrontend frontend;
    frontend.while_running = [&frontend, &c] {
      ASSERT_EQ(frontend.toolkit.TrayIcons().size(), 1u);
      c.act(frontend.toolkit);
      EXPECT_TRUE(frontend.toolkit.WindowClosed()) << c.name;
      EXPECT_TRUE(frontend.toolkit.TrayIcons().empty()) << c.name;
    };
    EXPECT_EQ(Run(frontend), 0) << c.name;  // a normal close
    EXPECT_FALSE(mouselog::LogIsOpen());
    const std::vector<std::string> lines = LogLines();
    // The worker may still finish its turn after the request; the shut-down's line is last.
    ASSERT_FALSE(lines.empty()) << c.name;
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.trace), lines.end()) << c.name;
    EXPECT_EQ(lines.back(), "[Info ]Main window ended") << c.name;
    std::filesystem::remove(mouselog::LogFileName());
  }
}

}  // namespace
