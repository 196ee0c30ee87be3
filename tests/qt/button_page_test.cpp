// The button page's widgets: every control of the page exists, key fields report captured keys
// as virtual keys instead of typing them, and captions come and go with their controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "buttons/buttons_subsystem.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "recorder.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/qt_toolkit.h"

namespace {

using qt_test::Recorder;

class ButtonPageWidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR "/");
    platform::SetLanguageId(1033);
    toolkit_.SetListener(&recorder_);
    ui::qt::BuildButtonPage(builder_);
    page_->resize(1200, 700);
    page_->show();
    QApplication::processEvents();
  }
  void TearDown() override { platform::SetProgramDir(saved_program_dir_); }

  void Press(int id, Qt::Key key, quint32 scan_code, quint32 keysym, quint32 modifiers = 0) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, scan_code, keysym, modifiers);
    QApplication::sendEvent(toolkit_.Control(id), &event);
  }
  // The caption of the fire-key timing row (interval and presses).
  QLabel* IntervalCaption() {
    for (QLabel* label : page_->findChildren<QLabel*>()) {
      if (label->text() == QString::fromStdString(LanguageText(platform::TextId{1920})))
        return label;
    }
    return nullptr;
  }

  bool app_ = qt_test::EnsureQtApp();
  std::string saved_program_dir_ = platform::ProgramDir();
  ui::qt::QtToolkit toolkit_;
  std::unique_ptr<QWidget> page_ = std::make_unique<QWidget>();
  ui::qt::PageBuilder builder_{toolkit_, page_.get(), 50};
  Recorder recorder_;
};

TEST_F(ButtonPageWidgetsTest, EveryControlOfThePageExists) {
  for (int id :
       {63, 67, 68, 69, 70, 71, 73, 74, 75, 76, 77, 78, 79, 80, 81, 83, 84, 86, 90, 91, 92, 93}) {
    EXPECT_TRUE(toolkit_.HasControl(id)) << id;
  }
  EXPECT_FALSE(toolkit_.HasControl(216));  // the debounce field lives on the performance page
}

TEST_F(ButtonPageWidgetsTest, KeyFieldsReportVirtualKeysAndTypeNothing) {
  Press(buttons::kKeyField, Qt::Key_A, 38, 'a');
  Press(buttons::kKeyField, Qt::Key_Shift, 62, 0xFFE2);        // right Shift
  Press(buttons::kKeyField, Qt::Key_Tab, 23, 0xFF09);          // captured, not a focus move
  Press(buttons::kFireKeyField, Qt::Key_1, 87, 0xFFB1, 0x10);  // keypad 1 with Num Lock
  Press(buttons::kFireKeyField, Qt::Key_End, 87, 0xFF9C);      // ... and without
  Press(buttons::kFireKeyField, Qt::Key_Enter, 104, 0xFF8D);   // keypad Enter
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{75, ui::kNotifyKey, 0x41},
                                                          {75, ui::kNotifyKey, 0xA1},
                                                          {75, ui::kNotifyKey, 0x09},
                                                          {84, ui::kNotifyKey, 0x61},
                                                          {84, ui::kNotifyKey, 0x23},
                                                          {84, ui::kNotifyKey, 0x6C}}));
  EXPECT_TRUE(toolkit_.GetEditText(buttons::kKeyField).empty());
  // The page logic names the key.
  toolkit_.SetEditText(buttons::kKeyField, "A");
  EXPECT_EQ(toolkit_.GetEditText(buttons::kKeyField), "A");
}

TEST_F(ButtonPageWidgetsTest, CaptionsFollowTheirControls) {
  QLabel* interval = IntervalCaption();
  ASSERT_NE(interval, nullptr);
  toolkit_.SetVisible(buttons::kFireIntervalField, false);
  QApplication::processEvents();
  EXPECT_TRUE(interval->isHidden());
  toolkit_.SetVisible(buttons::kFireIntervalField, true);
  QApplication::processEvents();
  EXPECT_FALSE(interval->isHidden());
}

}  // namespace
