// The lighting page in the real window: the page logic fills the Qt widgets, a mode without
// parameters folds its sliders and colour away, and the colour inputs reach the dispatch.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <filesystem>
#include <memory>

#include "device/driver_comm.h"
#include "lighting/lighting.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "profiles/profile_list.h"
#include "qt_app.h"
#include "recorder.h"
#include "settings/settings_context.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

namespace l = lighting;
using qt_test::Recorder;

class LightingPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR "/");
    platform::SetLanguageId(1033);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Test Center");
    toolkit_->SetListener(&recorder_);
    std::filesystem::create_directories(user_tmp_.path() + "db");
    ASSERT_TRUE(ProfileStore::Instance().OpenForModel(user_tmp_.path(), "K7 Mouse"));
    profile_ = RefreshProfileList(*toolkit_, ProfileStore::Instance());
    context_ = std::make_unique<settings::SettingsContext>(comm_, ProfileStore::Instance(),
                                                           *toolkit_, clock_, state_);
    context_->current_profile = [this] { return profile_; };
    context_->lighting_in_use = [] { return true; };
    context_->append_task = [](int) {};
    light_ = std::make_unique<l::LightingSubsystem>(*context_);
    light_->InitLightingPage();
    light_->LoadLightingPage();
    window_->resize(1280, 780);
    window_->show();
    for (int page = 49; page <= 55; ++page) toolkit_->SetVisible(page, page == 53);
    QApplication::processEvents();
  }
  void TearDown() override {
    light_.reset();
    context_.reset();
    toolkit_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }
  template <class W>
  W* Widget(int id) {
    return dynamic_cast<W*>(toolkit_->Control(id));
  }
  bool Shown(int id) { return toolkit_->Control(id)->isVisibleTo(window_); }

  bool app_ = qt_test::EnsureQtApp();
  std::string saved_program_dir_ = platform::ProgramDir();
  const test_support::TempDir user_tmp_{"qt_light_"};
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  settings::SettingsState state_;
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<settings::SettingsContext> context_;
  std::unique_ptr<l::LightingSubsystem> light_;
  Recorder recorder_;
  int profile_ = 0;
};

TEST_F(LightingPageTest, EveryLightingControlExists) {
  std::vector<int> ids = {165, 166, 167, 168, 169, 170, 171, 172,
                          173, 182, 183, 186, 190, 191, 192};
  for (int id = 174; id <= 181; ++id) ids.push_back(id);
  for (int id : ids) EXPECT_TRUE(toolkit_->HasControl(id)) << id;
  // The presets are one exclusive group: checking one unchecks the other.
  toolkit_->SetCheck(174, true);
  toolkit_->SetCheck(175, true);
  EXPECT_FALSE(toolkit_->GetCheck(174));
  // The hue bar clears them all.
  toolkit_->SetCheck(175, false);
  EXPECT_FALSE(Widget<QAbstractButton>(175)->isChecked());
}

TEST_F(LightingPageTest, ModesAndTheirParametersInTheWidgets) {
  auto* modes = Widget<QComboBox>(l::kModeSelector);
  ASSERT_NE(modes, nullptr);
  ASSERT_EQ(modes->count(), 7);
  EXPECT_EQ(ui::qt::U(modes->itemText(0)), LanguageText(platform::TextId{280}));
  EXPECT_EQ(ui::qt::U(modes->itemText(6)), LanguageText(platform::TextId{286}));
  EXPECT_NE(LanguageText(platform::TextId{286}), "");
  // Mode 0 offers nothing: the sliders' frame and the colour card are folded away.
  EXPECT_FALSE(Shown(l::kSliderFrame));
  EXPECT_FALSE(Shown(l::kColourArea));

  light_->SelectLightMode(2);
  QApplication::processEvents();
  EXPECT_TRUE(Shown(l::kSliderFrame));
  EXPECT_FALSE(Shown(l::kBrightnessSlider));
  EXPECT_TRUE(Shown(l::kSpeedSlider));
  EXPECT_TRUE(Shown(l::kColourArea));
  EXPECT_EQ(Widget<QSlider>(l::kSpeedSlider)->maximum(), 255);
  EXPECT_EQ(Widget<QSlider>(l::kSpeedSlider)->value(), 127);
  EXPECT_EQ(toolkit_->GetColor(l::kPresetFirst + 3), 0xFCFF00u);
  EXPECT_FALSE(toolkit_->GetTitle(l::kBrightnessLabel).empty());
}

TEST_F(LightingPageTest, ColourFieldCommitsOnceWhenItsTextChanged) {
  light_->SelectLightMode(1);
  QApplication::processEvents();
  auto* red = Widget<QLineEdit>(l::kRedField);
  ASSERT_NE(red, nullptr);
  red->setFocus();
  red->setText(QStringLiteral("300"));
  emit red->editingFinished();
  emit red->editingFinished();  // left again without typing: no second commit
  int commits = 0;
  for (const Recorder::Note& n : recorder_.notes) {
    if (n.number == l::kRedField && n.code == ui::kNotifyClicked) ++commits;
  }
  EXPECT_EQ(commits, 1);
}

}  // namespace
