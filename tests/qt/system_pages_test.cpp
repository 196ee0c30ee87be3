// The pointer half of the performance page and the settings panel in the Qt window: their
// controls exist with the kinds the logic drives, the wheel field commits only a changed
// value, wheel lines reach Qt, and the panel's controls reach the window logic.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <memory>

#include "app/device_main_dlg.h"
#include "app/settings_panel.h"
#include "device/hid.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "recorder.h"
#include "settings/pointer_page.h"
#include "support/device_test_support.h"
#include "support/temp_dir.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

namespace p = settings;
namespace panel = app::panel;

class QtSystemPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureQtApp();
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Test Center");
  }
  void TearDown() override {
    dlg_.reset();
    toolkit_.reset();
    platform::SetProgramDir(saved_program_dir_);
  }
  void StartLogic() {
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        *toolkit_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    app::SettingsPanel::Hooks hooks;
    hooks.open_url = [this](const std::string& url) {
      opened_.push_back(url);
      return true;
    };
    hooks.link_address = [](int link) { return "https://example.test/" + std::to_string(link); };
    dlg_->Panel().SetHooks(std::move(hooks));
    dlg_->OnInitDialog();
  }
  template <class W>
  W* As(int id) {
    return qobject_cast<W*>(toolkit_->Control(id));
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  test_support::TempDir dir_;
  platform::AppKey key_{dir_.path() + "config/"};
  platform::VirtualClock clock_;
  devtest::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<app::DeviceMainDlg> dlg_;
  std::vector<std::string> opened_;
};

TEST_F(QtSystemPagesTest, ControlsExistWithTheirKinds) {
  for (int id : {p::kPointerSpeedSlider, p::kWheelLinesSlider, p::kDoubleClickSlider}) {
    EXPECT_NE(As<QSlider>(id), nullptr) << id;
  }
  EXPECT_NE(As<QCheckBox>(p::kPointerPrecision), nullptr);
  EXPECT_NE(As<QLineEdit>(p::kWheelLinesField), nullptr);
  for (int id : {p::kPointerSpeedLabel, p::kDoubleClickLabel, p::kPointerNote, p::kPointerHeading,
                 p::kWheelSliderCaption}) {
    EXPECT_TRUE(toolkit_->HasControl(id)) << id;
  }
  // Each radio pair is exclusive, and apart from the other pairs.
  QRadioButton* lines = As<QRadioButton>(p::kWheelLinesRadio);
  QRadioButton* page = As<QRadioButton>(p::kWheelPageRadio);
  QRadioButton* hide = As<QRadioButton>(panel::kHideToTray);
  QRadioButton* exit = As<QRadioButton>(panel::kExitOnClose);
  ASSERT_TRUE(lines && page && hide && exit);
  EXPECT_EQ(lines->group(), page->group());
  EXPECT_EQ(hide->group(), exit->group());
  EXPECT_NE(lines->group(), hide->group());
  EXPECT_EQ(hide->group()->objectName(), "IDC_SET_STC_EXITMODE");

  EXPECT_NE(As<QComboBox>(panel::kLanguage), nullptr);
  EXPECT_NE(As<QCheckBox>(panel::kAutorun), nullptr);
  EXPECT_NE(As<QCheckBox>(panel::kAutorunMinimize), nullptr);
  QPushButton* firmware = As<QPushButton>(panel::kFirmwareCheck);
  ASSERT_NE(firmware, nullptr);
  // Enabled, and a press reaches the window logic as a click of 248.
  EXPECT_TRUE(firmware->isEnabled());
  qt_test::Recorder recorder;
  toolkit_->SetListener(&recorder);
  firmware->click();
  toolkit_->SetListener(nullptr);
  EXPECT_EQ(recorder.notes,
            (std::vector<qt_test::Recorder::Note>{{panel::kFirmwareCheck, ui::kNotifyClicked, 0}}));
  for (int id : {panel::kWebsite, panel::kFeedback, panel::kQuestions}) {
    EXPECT_NE(As<QPushButton>(id), nullptr) << id;
  }
}

TEST_F(QtSystemPagesTest, WheelFieldCommitsOnlyAChangedValue) {
  qt_test::Recorder recorder;
  toolkit_->SetListener(&recorder);
  QLineEdit* field = As<QLineEdit>(p::kWheelLinesField);
  ASSERT_NE(field, nullptr);
  toolkit_->SetEditText(p::kWheelLinesField, "3");
  emit field->editingFinished();  // left without a change
  EXPECT_TRUE(recorder.notes.empty());
  field->setText("12");
  emit field->editingFinished();
  EXPECT_EQ(recorder.notes,
            (std::vector<qt_test::Recorder::Note>{{p::kWheelLinesField, ui::kNotifyClicked, 0}}));
  toolkit_->SetListener(nullptr);
}

TEST_F(QtSystemPagesTest, WheelLinesReachQt) {
  toolkit_->SetWheelScrollLines(7);
  EXPECT_EQ(QApplication::wheelScrollLines(), 7);
  toolkit_->SetWheelScrollLines(p::kWheelPageScroll);  // Qt has no page mode
  EXPECT_EQ(QApplication::wheelScrollLines(), 3);
}

TEST_F(QtSystemPagesTest, PanelClicksReachTheLogic) {
  StartLogic();
  As<QPushButton>(panel::kFeedback)->click();
  EXPECT_EQ(opened_, std::vector<std::string>{"https://example.test/1"});
  As<QRadioButton>(panel::kHideToTray)->click();
  EXPECT_EQ(key_.ReadInt("exit_mode"), 1);
  // The pointer half shows the stored fallback with its note.
  EXPECT_EQ(toolkit_->GetTitle(p::kPointerSpeedLabel), "10");
  EXPECT_FALSE(As<QWidget>(p::kPointerNote)->isHidden());
}

}  // namespace
