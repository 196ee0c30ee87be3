// The language switch on the whole window (headless toolkit, shipped data in a program folder
// of the test's own, so a test may edit or remove a language file).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/device_main_dlg.h"
#include "app/settings_panel.h"
#include "app_fixture.h"
#include "macros/macros_subsystem.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "settings/pointer_page.h"
#include "settings/settings_model.h"
#include "store/profile_store.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"

namespace {

namespace frame = ui::frame;
namespace panel = app::panel;

class LanguageSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("XDG_CONFIG_HOME", (dir_.path() + "config").c_str());
    env_.Set("XDG_CURRENT_DESKTOP", "");
    std::filesystem::copy(MOUSE_DATA_DIR, program_dir_, std::filesystem::copy_options::recursive);
    platform::SetProgramDir(program_dir_);
    platform::SetLanguageId(2052);
    ui::Manager::SetDeviceName("Vex Mouse Center");
  }
  void TearDown() override {
    dlg_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
    platform::SetLanguageId(saved_language_);
    ui::Manager::SetDeviceName(saved_caption_);
  }
  void Start() {
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    app::SettingsPanel::Hooks hooks;
    hooks.apply_language = [this] { dlg_->ApplyLanguage(); };
    dlg_->Panel().SetHooks(std::move(hooks));
    dlg_->OnInitDialog();
  }
  // The person picks a language in the settings panel.
  void Choose(int language) {
    ASSERT_TRUE(tk_.SelectData(panel::kLanguage, language));
    dlg_->OnControlNotify(panel::kLanguage, ui::kNotifyClicked, 0);
    ASSERT_EQ(platform::LanguageId(), language);
  }
  // Replaces the value of one key of [LAN] in a language file; a later time than the file's
  // own, so the change is seen even within the file system's time resolution.
  void EditText(int language, int number, const std::string& value) {
    const std::string path = program_dir_ + "language/" + std::to_string(language) + ".lan";
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    in.close();
    std::string text;
    const std::string key = std::to_string(number) + "=";
    for (std::string line; std::getline(s, line);) {
      text += (line.starts_with(key) ? key + value : line) + "\n";
    }
    ASSERT_NE(text.find(key + value), std::string::npos) << number;
    const auto before = std::filesystem::last_write_time(path);
    app_test::WriteFile(path, text);
    std::filesystem::last_write_time(path, before + std::chrono::seconds(2));
  }

  app_test::TempDir dir_;
  std::string program_dir_ = dir_.path() + "program/";
  std::string saved_program_dir_ = platform::ProgramDir();
  int saved_language_ = platform::LanguageId();
  std::string saved_caption_ = ui::Manager::GetDeviceName();
  app_test::EnvGuard env_;
  platform::AppKey key_{dir_.path() + "config/Vex Mouse Center/"};
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  app_test::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<app::DeviceMainDlg> dlg_;
};

TEST_F(LanguageSwitchTest, ConnectionLabelIsRecognisedByItsText) {
  Start();
  tk_.SetTitle(frame::kConnection, "USB连接");
  Choose(1033);
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "USB Connection");
  // An English text 51 other than the one the label is recognised by: the switch gives it,
  // but switching back cannot tell what the label says, so it stays.
  Choose(2052);
  ASSERT_EQ(tk_.GetTitle(frame::kConnection), "USB连接");
  EditText(1033, 51, "Wired");
  Choose(1033);
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "Wired");
  Choose(2052);
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "Wired");
}

TEST_F(LanguageSwitchTest, EveryConnectionStateIsTranslatedBothWays) {
  Start();
  const std::pair<const char*, const char*> states[] = {
      {"未连接", "Not Connected"},
      {"USB连接", "USB Connection"},
      {"2.4Ghz连接", "2.4Ghz Connection"},
      {"蓝牙连接", "Bluetooth Connection"},
  };
  for (const auto& [chinese, english] : states) {
    platform::SetLanguageId(2052);
    tk_.SetTitle(frame::kConnection, chinese);
    Choose(1033);
    EXPECT_EQ(tk_.GetTitle(frame::kConnection), english);
    Choose(2052);
    EXPECT_EQ(tk_.GetTitle(frame::kConnection), chinese);
  }
  // A text of its own (a refused mouse's reason) is left alone.
  tk_.SetTitle(frame::kConnection, "Cannot Open Mouse");
  Choose(1033);
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "Cannot Open Mouse");
}

TEST_F(LanguageSwitchTest, TheSwitchSetsTheTextsTheWindowWasBuiltWith) {
  Start();
  Choose(1033);
  // Frame, settings panel, pages (titles, tooltips, fixed lists) and composed texts.
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tabs[1].title, "Buttons");
  EXPECT_EQ(tk_.GetTitle(panel::kAutorun), "Start with the desktop session");
  EXPECT_EQ(tk_.GetTitle(macros::kNewMacro), "New");
  EXPECT_EQ(tk_.GetTitle(macros::kRecordButton), "Record");
  EXPECT_EQ(tk_.GetTitle(settings::kPointerPrecision), "Enhance pointer precision");
  EXPECT_EQ(tk_.GetTitle(settings::kSensorOption1), "Motion sync");
  EXPECT_EQ(tk_.GetTitle(settings::kEsportsFirst), "Standard");
  ASSERT_GE(tk_.GetItemCount(settings::kSleepSelector), 3);
  EXPECT_EQ(tk_.GetItemText(settings::kSleepSelector, 0), "Never");
  EXPECT_EQ(tk_.GetItemText(settings::kSleepSelector, 1), "30s");
  EXPECT_EQ(tk_.GetItemText(settings::kSleepSelector, 2), "1min");
  EXPECT_EQ(tk_.GetTitle(frame::kCaptionText2).rfind("Software version: v", 0), 0u)
      << tk_.GetTitle(frame::kCaptionText2);
  Choose(2052);
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tabs[1].title, "按键设置");
  EXPECT_EQ(tk_.GetTitle(macros::kNewMacro), "新建");
  EXPECT_EQ(tk_.GetTitle(settings::kSensorOption1), "移动同步");
  EXPECT_EQ(tk_.GetItemText(settings::kSleepSelector, 2), "1分钟");
  EXPECT_EQ(tk_.GetTitle(frame::kCaptionText2).rfind("软件版本: v", 0), 0u)
      << tk_.GetTitle(frame::kCaptionText2);
}

TEST_F(LanguageSwitchTest, AMissingLanguageFileLeavesEveryTextEmptyAndTheWindowRuns) {
  std::filesystem::remove(program_dir_ + "language/2052.lan");
  Start();
  EXPECT_EQ(tk_.Snapshot(frame::kTabs).tabs[1].title, "");
  EXPECT_EQ(tk_.GetTitle(frame::kConnection), "");
  EXPECT_EQ(tk_.GetTitle(panel::kAutorun), "");
  EXPECT_EQ(tk_.GetTitle(macros::kNewMacro), "");
  // The window goes on working: tabs, the settings panel and a switch to a language that is
  // there.
  dlg_->OnControlNotify(frame::kTabs, ui::kNotifyClicked, 2);
  EXPECT_EQ(dlg_->SelectedItemId(), frame::kItemDpi);
  dlg_->OnControlNotify(frame::kSettings, ui::kNotifyClicked, 0);
  EXPECT_TRUE(dlg_->SettingsPanelShown());
  Choose(1033);
  EXPECT_EQ(tk_.GetTitle(panel::kAutorun), "Start with the desktop session");
}

TEST_F(LanguageSwitchTest, DefaultProfileNamesFollowText60AtTheNextRefill) {
  platform::SetLanguageId(1033);
  Start();
  // The first refill makes the default profiles (no mouse here reads them in).
  dlg_->OnMessage(app::WM_APPLY_LANGUAGE, 0, 0);
  ASSERT_GT(tk_.GetItemCount(frame::kProfiles), 0);
  // The stored name's rest keeps its blank after the word.
  EXPECT_EQ(tk_.GetItemText(frame::kProfiles, 0), "Profile  1");
  EditText(1033, 60, "Setup");
  dlg_->OnMessage(app::WM_APPLY_LANGUAGE, 0, 0);
  EXPECT_EQ(tk_.GetItemText(frame::kProfiles, 0), "Setup  1");
}

}  // namespace
