// The toolkit's operations on the control kinds the page builders create.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>
#include <QWheelEvent>
#include <memory>

#include "qt_app.h"
#include "recorder.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/qt_toolkit.h"

namespace {

using qt_test::Recorder;

class PageControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { toolkit_.SetListener(&recorder_); }

  bool app_ = qt_test::EnsureQtApp();  // first: the widgets below need it
  ui::qt::QtToolkit toolkit_;
  std::unique_ptr<QWidget> page_ = std::make_unique<QWidget>();
  ui::qt::PageBuilder builder_{toolkit_, page_.get(), 50};
  Recorder recorder_;
};

TEST_F(PageControlsTest, RadioGroupsAreExclusiveAndCanBeCleared) {
  builder_.Radio(198, "1.0mm", "IDC_PER_STC_LOD");
  builder_.Radio(199, "2.0mm", "IDC_PER_STC_LOD");
  builder_.Radio(211, "On", "IDC_SYS_STC_GAMEMODE");
  toolkit_.SetCheck(198, true);
  toolkit_.SetCheck(211, true);
  toolkit_.SetCheck(199, true);
  EXPECT_FALSE(toolkit_.GetCheck(198));
  EXPECT_TRUE(toolkit_.GetCheck(199));
  EXPECT_TRUE(toolkit_.GetCheck(211));  // another group
  toolkit_.SetCheck(199, false);
  EXPECT_FALSE(toolkit_.GetCheck(199));
  EXPECT_TRUE(recorder_.notes.empty());  // set by the program: no notifications
  qobject_cast<QAbstractButton*>(toolkit_.Control(198))->click();
  EXPECT_TRUE(toolkit_.GetCheck(198));
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{198, ui::kNotifyClicked, 1}}));
}

TEST_F(PageControlsTest, ValuesRoundTripThroughEachKind) {
  builder_.Combo(104);
  builder_.Edit(138, "10");
  builder_.Slider(228, 1, 20);
  builder_.Check(204, "Motion sync");
  builder_.ColorButton(174, "DEFAULTCOLOR");
  builder_.ColorButton(175, "DEFAULTCOLOR");
  builder_.Switch(70);
  builder_.Text(59, "hint");

  for (int i = 1; i <= 7; ++i) toolkit_.AddItem(104, std::to_string(i), i);
  EXPECT_EQ(toolkit_.GetCurSel(104), -1);
  EXPECT_EQ(toolkit_.GetCurData(104), -1);
  EXPECT_TRUE(toolkit_.SelectData(104, 4));
  EXPECT_FALSE(toolkit_.SelectData(104, 9));
  EXPECT_EQ(toolkit_.GetCurSel(104), 3);
  EXPECT_EQ(toolkit_.GetItemText(104, 6), "7");
  EXPECT_EQ(toolkit_.GetItemCount(104), 7);

  EXPECT_EQ(toolkit_.GetEditText(138), "10");
  toolkit_.SetEditText(138, "25");
  EXPECT_EQ(toolkit_.GetEditText(138), "25");

  toolkit_.SetPos(228, 30);  // clamped to the range
  EXPECT_EQ(toolkit_.GetPos(228), 20);

  toolkit_.SetColor(174, 0x0000FF);
  EXPECT_EQ(toolkit_.GetColor(174), 0x0000FFu);
  toolkit_.SetCheck(174, true);
  toolkit_.SetCheck(175, true);
  EXPECT_FALSE(toolkit_.GetCheck(174));

  toolkit_.SetCheck(70, true);
  EXPECT_TRUE(toolkit_.GetCheck(70));
  toolkit_.SetTitle(59, "Connect your mouse");
  EXPECT_EQ(toolkit_.GetTitle(59), "Connect your mouse");
  EXPECT_TRUE(recorder_.notes.empty());

  // What the person does is reported: an edit as a change, a slider step as one too.
  auto* edit = qobject_cast<QLineEdit*>(toolkit_.Control(138));
  edit->setFocus();
  edit->insert("0");
  qobject_cast<QSlider*>(toolkit_.Control(228))->triggerAction(QSlider::SliderSingleStepSub);
  EXPECT_EQ(recorder_.notes.back(), (Recorder::Note{228, ui::kNotifyChanged, 19}));
  bool edited = false;
  for (const auto& n : recorder_.notes) edited |= n.number == 138 && n.code == ui::kNotifyChanged;
  EXPECT_TRUE(edited);
}

// The wait dialog blocks the window while a task runs: like the message box it must stay
// on top, or it can end up hidden behind another window.
TEST_F(PageControlsTest, WaitDialogStaysOnTop) {
  toolkit_.BeginModal(ui::ModalKind::kWait);
  QDialog* wait = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QStringLiteral("WaitDlg")) wait = qobject_cast<QDialog*>(w);
  }
  ASSERT_NE(wait, nullptr);
  EXPECT_TRUE(wait->windowFlags() & Qt::WindowStaysOnTopHint);
  toolkit_.EndModal(ui::ModalKind::kWait);
  delete wait;
}

// Each committed slider value is a write to the mouse: a burst of wheel and key steps must
// follow live as changes but commit once, with the value it ended on; a drag commits on its
// drop.
TEST_F(PageControlsTest, SliderStepsFollowLiveAndCommitOnceWhenSettled) {
  toolkit_.SetSliderSettleDelay(0);
  auto* slider = builder_.Slider(228, 1, 100);
  toolkit_.SetPos(228, 5);
  for (int i = 0; i < 5; ++i) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(slider, &key);
    const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
    QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
  }
  const int final_value = slider->value();
  ASSERT_GT(final_value, 15) << "every step moved the slider";
  auto commits = [&] {
    std::vector<Recorder::Note> found;
    for (const auto& n : recorder_.notes) {
      if (n.code == ui::kNotifyClicked) found.push_back(n);
    }
    return found;
  };
  EXPECT_EQ(recorder_.notes.size(), 10u);
  EXPECT_EQ(recorder_.notes.back(), (Recorder::Note{228, ui::kNotifyChanged, final_value}));
  EXPECT_TRUE(qt_test::ProcessUntil([&] { return !commits().empty(); }));
  ASSERT_TRUE(qt_test::ProcessUntilTimersIdle(slider));
  EXPECT_EQ(commits(), (std::vector<Recorder::Note>{{228, ui::kNotifyClicked, final_value}}));

  recorder_.notes.clear();
  slider->setSliderDown(true);
  slider->setValue(40);
  slider->setValue(41);
  slider->setSliderDown(false);
  ASSERT_TRUE(qt_test::ProcessUntilTimersIdle(slider));
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{228, ui::kNotifyChanged, 40},
                                                          {228, ui::kNotifyChanged, 41},
                                                          {228, ui::kNotifyClicked, 41}}));
}

}  // namespace
