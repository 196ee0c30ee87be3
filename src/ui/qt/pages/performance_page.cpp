#include <QGridLayout>
#include <QRegularExpressionValidator>
#include <QScrollArea>

#include "platform/language.h"
#include "settings/pointer_page.h"
#include "settings/settings_model.h"
#include "settings/settings_page.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/settings_widgets.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {

namespace s = settings;

namespace {

// The mouse's own settings: lift-off, sensor options, e-sports mode, button response time,
// sleep time and the factory restore.
void BuildMouseSettings(PageBuilder& page) {
  QHBoxLayout* top = page.Row();

  QHBoxLayout* liftoff_heading = nullptr;
  QFrame* liftoff = CardWithHeading(page, s::kLiftoffHeadingText, &liftoff_heading, top);
  HelpTip(page, s::kSensorHelpTip, QString(), liftoff_heading);
  liftoff_heading->addStretch(1);
  QHBoxLayout* liftoff_row = page.Row(liftoff->layout());
  const char* distances[] = {"1.0mm", "2.0mm", "3.0mm"};
  for (int i = 0; i < 3; ++i) {
    page.Radio(s::kLiftoffFirst + i, QString::fromLatin1(distances[i]),
               QStringLiteral("IDC_PER_STC_LOD"), liftoff_row);
  }
  liftoff_row->addStretch(1);

  QFrame* sensor = page.Card(s::kSensorHeadingText, top);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(10);
  static_cast<QVBoxLayout*>(sensor->layout())->addLayout(grid);
  for (size_t i = 0; i < s::kSensorOptions.size(); ++i) {
    const s::SensorOption& option = s::kSensorOptions[i];
    auto* box = page.Toolkit().Register(option.control, new QCheckBox(T(option.text)));
    grid->addWidget(box, static_cast<int>(i) / 2, static_cast<int>(i) % 2);
  }

  top->setStretch(0, 1);
  top->setStretch(1, 1);

  QHBoxLayout* middle = page.Row();
  QFrame* esports = page.Card(s::kEsportsHeadingText, middle);
  QHBoxLayout* esports_row = page.Row(esports->layout());
  for (size_t i = 0; i < s::kEsportsTexts.size(); ++i) {
    page.Radio(s::kEsportsFirst + static_cast<int>(i), T(s::kEsportsTexts[i]),
               QStringLiteral("IDC_SYS_STC_GAMEMODE"), esports_row);
  }
  esports_row->addStretch(1);

  // The button response time sits in its own area (214) under its caption (215).
  QFrame* debounce = page.Add(s::kDebounceArea, new QFrame, middle);
  debounce->setObjectName(QStringLiteral("Card"));
  auto* debounce_layout = new QVBoxLayout(debounce);
  debounce_layout->setContentsMargins(20, 16, 20, 18);
  debounce_layout->setSpacing(12);
  debounce_layout->setAlignment(Qt::AlignTop);
  page.Add(s::kDebounceCaption, Marked(new QLabel, s::kDebounceHeadingText), debounce_layout)
      ->setObjectName(QStringLiteral("CardTitle"));
  QHBoxLayout* debounce_row = page.Row(debounce->layout());
  QLineEdit* field = page.Edit(s::kDebounceField, QStringLiteral("8"), debounce_row);
  field->setFixedWidth(64);
  field->setAlignment(Qt::AlignCenter);
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,2}")), field));
  // Typing reports every change; Enter or leaving the field commits the value, but only a
  // value that differs from the one last committed or set by the program: each commit is a
  // write to the mouse, and merely passing through the field must not cause one.
  QtToolkit* toolkit = &page.Toolkit();
  field->setProperty(kCommittedTextProperty, field->text());
  QObject::connect(field, &QLineEdit::editingFinished, field, [toolkit, field] {
    field->setModified(false);  // the typing is over, whether or not it changed anything
    if (field->text() == field->property(kCommittedTextProperty).toString()) return;
    field->setProperty(kCommittedTextProperty, field->text());
    toolkit->Emit(s::kDebounceField, ui::kNotifyClicked, 0);
  });
  page.Label(s::kDebounceUnitText, debounce_row);
  debounce_row->addStretch(1);

  QFrame* sleep = page.Card(s::kSleepHeadingText, middle);
  page.Combo(s::kSleepSelector, sleep->layout())->setMinimumWidth(140);
  for (int i = 0; i < 3; ++i) middle->setStretch(i, 1);

  QHBoxLayout* bottom = page.Row();
  bottom->addStretch(1);
  page.Button(s::kFactoryResetButton, {}, bottom);
  page.ApplyTexts(s::kDpiPageTexts);
}

// A numbered caption: the window logic sets its text again on a language switch.
QLabel* Caption(PageBuilder& page, int id, QGridLayout* grid, int row, int column) {
  QLabel* label = page.Toolkit().Register(id, new QLabel);
  label->setObjectName(QStringLiteral("Muted"));
  grid->addWidget(label, row, column);
  return label;
}

// A value shown beside its slider, wide enough for its longest text so the slider keeps
// its length.
QLabel* Value(PageBuilder& page, int id, const QString& widest, QGridLayout* grid, int row,
              int column) {
  QLabel* label = page.Toolkit().Register(id, new QLabel);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 4);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(label, row, column);
  return label;
}

QSlider* GridSlider(PageBuilder& page, int id, int maximum, QGridLayout* grid, int row,
                    int column) {
  auto* slider = page.Toolkit().Register(id, new QSlider(Qt::Horizontal));
  slider->setRange(0, maximum);
  slider->setPageStep(1);
  slider->setMinimumWidth(100);
  grid->addWidget(slider, row, column);
  return slider;
}

// The desktop's pointer settings: speed and precision on the left, double-click time and the
// wheel on the right. The note under the heading shows only where the desktop is out of reach.
void BuildPointerSettings(PageBuilder& page) {
  namespace p = settings;
  QHBoxLayout* heading = nullptr;
  QFrame* card = CardWithHeading(page, p::kPointerHeadingText, &heading);
  // The card's own heading label is replaced by the numbered one, so a language switch reaches
  // it.
  if (auto* title = card->findChild<QLabel*>(QStringLiteral("CardTitle"))) {
    page.Toolkit().Register(p::kPointerHeading, title);
  }
  heading->addStretch(1);
  // On a line of its own, so it wraps in a narrow window instead of widening the page.
  QLabel* note = page.Text(p::kPointerNote, {}, card->layout());
  note->setObjectName(QStringLiteral("Muted"));
  note->setWordWrap(true);
  note->setVisible(false);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(14);
  grid->setVerticalSpacing(10);
  static_cast<QVBoxLayout*>(card->layout())->addLayout(grid);

  // Left: speed, precision.
  Caption(page, p::kPointerSpeedCaption, grid, 0, 0);
  GridSlider(page, p::kPointerSpeedSlider, p::kSpeedMax - p::kSpeedMin, grid, 0, 1);
  Value(page, p::kPointerSpeedLabel, QStringLiteral("20"), grid, 0, 2);
  auto* precision = page.Toolkit().Register(p::kPointerPrecision, new QCheckBox);
  grid->addWidget(precision, 1, 0, 1, 3);

  // A gap between the halves.
  grid->setColumnMinimumWidth(3, 24);

  // Right: double-click time, wheel mode with its field, wheel slider.
  Caption(page, p::kDoubleClickCaption, grid, 0, 4);
  GridSlider(page, p::kDoubleClickSlider, static_cast<int>(p::kDoubleClickTimes.size()) - 1, grid,
             0, 5);
  auto* time = new QHBoxLayout;
  time->setSpacing(4);
  QLabel* ms = page.Toolkit().Register(p::kDoubleClickLabel, new QLabel);
  ms->setMinimumWidth(ms->fontMetrics().horizontalAdvance(QStringLiteral("900")) + 4);
  ms->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  time->addWidget(ms);
  QLabel* unit = page.Toolkit().Register(p::kDoubleClickUnit, new QLabel);
  unit->setObjectName(QStringLiteral("Muted"));
  time->addWidget(unit);
  grid->addLayout(time, 0, 6);

  Caption(page, p::kWheelCaption, grid, 1, 4);
  auto* mode = new QHBoxLayout;
  mode->setSpacing(10);
  page.Radio(p::kWheelLinesRadio, {}, QStringLiteral("IDC_SYS_STC_WHEEL"), mode);
  QLineEdit* field = page.Edit(p::kWheelLinesField, QStringLiteral("3"), mode);
  field->setFixedWidth(56);
  field->setAlignment(Qt::AlignCenter);
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), field));
  // As the debounce field: Enter or leaving the field commits a changed value only.
  QtToolkit* toolkit = &page.Toolkit();
  field->setProperty(kCommittedTextProperty, field->text());
  QObject::connect(field, &QLineEdit::editingFinished, field, [toolkit, field] {
    field->setModified(false);
    if (field->text() == field->property(kCommittedTextProperty).toString()) return;
    field->setProperty(kCommittedTextProperty, field->text());
    toolkit->Emit(settings::kWheelLinesField, ui::kNotifyClicked, 0);
  });
  mode->addSpacing(8);
  page.Radio(p::kWheelPageRadio, {}, QStringLiteral("IDC_SYS_STC_WHEEL"), mode);
  mode->addStretch(1);
  grid->addLayout(mode, 1, 5, 1, 2);

  Caption(page, p::kWheelSliderCaption, grid, 2, 4);
  GridSlider(page, p::kWheelLinesSlider, p::kWheelSliderMax, grid, 2, 5);

  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(5, 1);
}

}  // namespace

// Page layout 54: the mouse's own settings, then the desktop's pointer settings. Both halves
// do not fit the smallest window: there the page scrolls instead of squeezing its cards.
void BuildPerformancePage(PageBuilder& page) {
  auto* scroll = new QScrollArea;
  scroll->setObjectName(QStringLiteral("PageScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* content = new QWidget;
  content->setObjectName(QStringLiteral("Page"));
  PageBuilder inner(page.Toolkit(), content, page.LayoutNumber());
  BuildMouseSettings(inner);
  BuildPointerSettings(inner);
  inner.ApplyTexts(settings::kPointerTexts);
  inner.Layout()->addStretch(1);
  scroll->setWidget(content);
  scroll->viewport()->setAutoFillBackground(false);
  page.Layout()->setContentsMargins(0, 0, 0, 0);
  page.Place(scroll);
}

}  // namespace ui::qt
