// The DPI page and the performance page on the Qt toolkit: every control is there, the drawn
// controls report what the person does, and the toolkit's DPI operations reach the level cards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <functional>
#include <memory>

#include "qt_app.h"
#include "recorder.h"
#include "settings/settings_model.h"
#include "ui/qt/pages/dpi_level_control.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/report_rate_control.h"

namespace {

namespace s = settings;

using qt_test::Recorder;

void Press(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

class SettingsPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_.SetListener(&recorder_);
    ui::qt::BuildDpiPage(dpi_builder_);
    ui::qt::BuildPerformancePage(performance_builder_);
  }

  bool app_ = qt_test::EnsureQtApp();
  ui::qt::QtToolkit toolkit_;
  std::unique_ptr<QWidget> dpi_page_ = std::make_unique<QWidget>();
  std::unique_ptr<QWidget> performance_page_ = std::make_unique<QWidget>();
  ui::qt::PageBuilder dpi_builder_{toolkit_, dpi_page_.get(), 51};
  ui::qt::PageBuilder performance_builder_{toolkit_, performance_page_.get(), 54};
  Recorder recorder_;
};

TEST_F(SettingsPagesTest, EveryControlOfBothPagesExists) {
  for (int id : {98,  99,  100, 101, 102, 104, 105, 106, 107, 108, 109, 198, 199,
                 200, 203, 204, 205, 206, 207, 211, 212, 213, 216, 220, 223}) {
    EXPECT_TRUE(toolkit_.HasControl(id)) << id;
  }
}

TEST_F(SettingsPagesTest, LevelCardsDrawTheToolkitValuesAndReportClicks) {
  auto* levels = qobject_cast<ui::qt::DpiLevelControl*>(toolkit_.Control(s::kDpiControl));
  ASSERT_NE(levels, nullptr);
  toolkit_.SetDPILevelCount(s::kDpiControl, 3);
  toolkit_.SetDPIValue(s::kDpiControl, 2, 3200);
  toolkit_.SetDPIColorValue(s::kDpiControl, 2, 255);
  EXPECT_EQ(toolkit_.GetDPIValue(s::kDpiControl, 2), 3200);
  EXPECT_EQ(levels->State().dpi_count, 3);

  Press(levels, levels->CardRect(1).center() + QPoint(0, 30));
  EXPECT_EQ(toolkit_.GetDPISelected(s::kDpiControl), 1) << "selected before the notification";
  Press(levels, levels->ChipRect(2).center());
  Press(levels, levels->CardRect(5).center());  // beyond the level count: nothing
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{100, s::kDpiLevelSelected, 1},
                                                          {100, s::kDpiColourClicked, 2}}));
  EXPECT_EQ(toolkit_.GetDPISelected(s::kDpiControl), 1) << "a colour click selects nothing";
}

TEST_F(SettingsPagesTest, ReportRateSegmentsCarryTheItemCodes) {
  auto* rates = qobject_cast<ui::qt::ReportRateControl*>(toolkit_.Control(s::kReportRateList));
  ASSERT_NE(rates, nullptr);
  for (const auto& item : s::ReportRateItems()) toolkit_.AddItem(109, item.text, item.code);
  EXPECT_TRUE(toolkit_.SelectData(109, s::kRate1000Hz));
  EXPECT_EQ(rates->State().cur_sel, 3);

  Press(rates, rates->SegmentRect(6).center());
  EXPECT_EQ(toolkit_.GetCurData(109), s::kRate8000Hz);
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{109, ui::kNotifyClicked, 6}}));
}

TEST_F(SettingsPagesTest, DebounceFieldReportsTypingAndCommit) {
  auto* field = qobject_cast<QLineEdit*>(toolkit_.Control(s::kDebounceField));
  ASSERT_NE(field, nullptr);
  field->setFocus();
  field->selectAll();
  field->insert(QStringLiteral("12"));  // as typed: textEdited
  Q_EMIT field->editingFinished();
  ASSERT_GE(recorder_.notes.size(), 2u);
  EXPECT_EQ(recorder_.notes.front().number, s::kDebounceField);
  EXPECT_EQ(recorder_.notes.front().code, ui::kNotifyChanged);
  EXPECT_EQ(recorder_.notes.back(), (Recorder::Note{s::kDebounceField, ui::kNotifyClicked, 0}));
  EXPECT_EQ(toolkit_.GetEditText(s::kDebounceField), "12");
  // Only digits get in.
  field->insert(QStringLiteral("x"));
  EXPECT_EQ(field->text(), QStringLiteral("12"));
}

// Each commit is a write to the mouse: leaving the field commits only a text that differs
// from the one last committed or set by the program. A correction the program makes while
// the person types is still theirs to commit.
TEST_F(SettingsPagesTest, DebounceFieldCommitsOnlyChangedText) {
  auto* field = qobject_cast<QLineEdit*>(toolkit_.Control(s::kDebounceField));
  ASSERT_NE(field, nullptr);
  auto type = [&](const char* text) {
    field->selectAll();
    field->insert(QString::fromLatin1(text));
  };
  struct Case {
    const char* what;
    std::function<void()> act;
    bool commits;
  };
  const Case cases[] = {
      {"leave the field untouched", [] {}, false},
      {"type a new value", [&] { type("12"); }, true},
      {"leave it again", [] {}, false},
      {"retype the committed value", [&] { type("12"); }, false},
      {"the program sets a value", [&] { toolkit_.SetEditText(s::kDebounceField, "5"); }, false},
      {"type the earlier value back", [&] { type("12"); }, true},
      {"type a value the program corrects",
       [&] {
         type("25");
         toolkit_.SetEditText(s::kDebounceField, "20");
       },
       true},
  };
  field->setFocus();
  for (const Case& c : cases) {
    recorder_.notes.clear();
    c.act();
    Q_EMIT field->editingFinished();
    const bool committed =
        !recorder_.notes.empty() &&
        recorder_.notes.back() == Recorder::Note{s::kDebounceField, ui::kNotifyClicked, 0};
    EXPECT_EQ(committed, c.commits) << c.what;
  }
  EXPECT_EQ(field->text(), QStringLiteral("20"));
}

TEST_F(SettingsPagesTest, RadioGroupsOfThePerformancePageAreSeparate) {
  toolkit_.SetCheck(s::kLiftoffSecond, true);
  toolkit_.SetCheck(s::kEsportsThird, true);
  toolkit_.SetCheck(s::kLiftoffThird, true);
  EXPECT_FALSE(toolkit_.GetCheck(s::kLiftoffSecond));
  EXPECT_TRUE(toolkit_.GetCheck(s::kLiftoffThird));
  EXPECT_TRUE(toolkit_.GetCheck(s::kEsportsThird));
}

}  // namespace
