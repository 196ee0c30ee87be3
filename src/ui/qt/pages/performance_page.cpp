#include <QGridLayout>
#include <QRegularExpressionValidator>

#include "platform/language.h"
#include "settings/settings_model.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/settings_widgets.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {

namespace s = settings;

namespace {

QString T(int number) { return Q(LanguageText(number)); }

// The mouse's own settings: lift-off, sensor options, e-sports mode, button response time,
// sleep time and the factory restore.
void BuildMouseSettings(PageBuilder& page) {
  QHBoxLayout* top = page.Row();

  QHBoxLayout* liftoff_heading = nullptr;
  QFrame* liftoff = CardWithHeading(page, T(500), &liftoff_heading, top);
  HelpTip(page, s::kSensorHelpTip, QString(), liftoff_heading);
  liftoff_heading->addStretch(1);
  QHBoxLayout* liftoff_row = page.Row(liftoff->layout());
  const char* distances[] = {"1.0mm", "2.0mm", "3.0mm"};
  for (int i = 0; i < 3; ++i) {
    page.Radio(s::kLiftoffFirst + i, QString::fromLatin1(distances[i]),
               QStringLiteral("IDC_PER_STC_LOD"), liftoff_row);
  }
  liftoff_row->addStretch(1);

  QFrame* sensor = page.Card(T(501), top);
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
  QFrame* esports = page.Card(T(504), middle);
  QHBoxLayout* esports_row = page.Row(esports->layout());
  for (size_t i = 0; i < s::kEsportsTexts.size(); ++i) {
    page.Radio(s::kEsportsFirst + static_cast<int>(i), T(s::kEsportsTexts[i]),
               QStringLiteral("IDC_SYS_STC_GAMEMODE"), esports_row);
  }
  esports_row->addStretch(1);

  QFrame* debounce = page.Card(T(547), middle);
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
  page.Label(T(548), debounce_row);
  debounce_row->addStretch(1);

  QFrame* sleep = page.Card(T(502), middle);
  page.Combo(s::kSleepSelector, sleep->layout())->setMinimumWidth(140);
  for (int i = 0; i < 3; ++i) middle->setStretch(i, 1);

  QHBoxLayout* bottom = page.Row();
  bottom->addStretch(1);
  page.Button(s::kFactoryResetButton, T(570), bottom);
}

}  // namespace

// Page layout 54.
void BuildPerformancePage(PageBuilder& page) {
  BuildMouseSettings(page);
  // The system pointer half is not built yet; its place says so.
  page.EmptyState(Glyph::kPerformance, T(1910), T(1911), nullptr, true);
  page.Layout()->addStretch(1);
}

}  // namespace ui::qt
