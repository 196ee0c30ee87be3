#include <QEvent>
#include <QGridLayout>

#include "buttons/buttons_subsystem.h"
#include "catalogue/catalogue.h"
#include "platform/language.h"
#include "ui/qt/model_widgets.h"
#include "ui/qt/pages/key_capture_edit.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace b = buttons;
namespace c = catalogue;

namespace {

// Shows and hides a caption with the control it names: the page logic only knows the
// control's number.
class FollowVisibility : public QObject {
 public:
  FollowVisibility(QWidget* leader, QWidget* follower) : QObject(leader), follower_(follower) {
    leader->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent) follower_->setVisible(true);
    if (event->type() == QEvent::HideToParent) follower_->setVisible(false);
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* follower_;
};

QLabel* Caption(PageBuilder& page, platform::TextId text, QWidget* control, QGridLayout* grid,
                int row) {
  QLabel* label = page.Label(text);
  label->setObjectName(QStringLiteral("Muted"));
  grid->addWidget(label, row, 0);
  grid->addWidget(control, row, 1);
  new FollowVisibility(control, label);
  return label;
}

QLineEdit* FireField(PageBuilder& page, int id, const QString& initial) {
  QLineEdit* field = page.Toolkit().Register(id, new QLineEdit(initial));
  field->setFixedWidth(72);
  field->setAlignment(Qt::AlignCenter);
  return field;
}

// The selected button's function: category, value or key or fire key, and apply.
void BuildFunctionCard(PageBuilder& page, QLayout* into) {
  QtToolkit& tk = page.Toolkit();
  QHBoxLayout* heading = nullptr;
  QFrame* card = CardWithHeading(page, b::kFunctionHeadingText, &heading, into);
  heading->addStretch(1);
  ResetButton(page, b::kResetButton, {}, heading);
  auto* layout = static_cast<QVBoxLayout*>(card->layout());
  QLabel* hint = page.Label(b::kPageHintText, layout);
  hint->setObjectName(QStringLiteral("Muted"));
  hint->setWordWrap(true);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(10);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  int row = 0;

  auto* category = tk.Register(b::kCategoryList, new QComboBox);
  Caption(page, b::kFunctionCaptionText, category, grid, row++);
  auto* value = tk.Register(b::kValueList, new QComboBox);
  value->setMaxVisibleItems(14);
  grid->addWidget(value, row++, 1);

  // Keyboard key: the key field and the four modifier toggles under it.
  auto* key = tk.Register(b::kKeyField, new KeyCaptureEdit(tk, b::kKeyField));
  MarkText(key, b::kPressKeyText);
  Caption(page, b::kFireKindKeyText, key, grid, row++);
  auto* toggles = new QWidget;
  auto* toggle_row = new QHBoxLayout(toggles);
  toggle_row->setContentsMargins(0, 0, 0, 0);
  toggle_row->setSpacing(8);
  const std::pair<int, const char*> mods[] = {{b::kCtrlToggle, "Ctrl"},
                                              {b::kWinToggle, "Win"},
                                              {b::kAltToggle, "Alt"},
                                              {b::kShiftToggle, "Shift"}};
  for (const auto& [id, text] : mods) {
    QPushButton* toggle = page.Toggle(id, QString::fromLatin1(text), toggle_row);
    toggle->setMinimumWidth(64);
  }
  toggle_row->addStretch(1);
  grid->addWidget(toggles, row++, 1);
  new FollowVisibility(tk.Control(b::kCtrlToggle), toggles);

  // Fire key: what is fired, how often and how fast.
  auto* kind = tk.Register(b::kFireKindList, new QComboBox);
  Caption(page, b::kFiredInputText, kind, grid, row++);
  auto* fire_mouse = tk.Register(b::kFireMouseList, new QComboBox);
  grid->addWidget(fire_mouse, row++, 1);
  auto* fire_key = tk.Register(b::kFireKeyField, new KeyCaptureEdit(tk, b::kFireKeyField));
  MarkText(fire_key, b::kPressKeyText);
  grid->addWidget(fire_key, row++, 1);

  auto* timing = new QWidget;
  auto* timing_row = new QHBoxLayout(timing);
  timing_row->setContentsMargins(0, 0, 0, 0);
  timing_row->setSpacing(8);
  QLineEdit* interval = FireField(page, b::kFireIntervalField, QStringLiteral("10"));
  timing_row->addWidget(interval);
  page.Label(QStringLiteral("ms"), timing_row)->setObjectName(QStringLiteral("Muted"));
  timing_row->addSpacing(16);
  QLabel* presses = page.Label(b::kPressesText, timing_row);
  presses->setObjectName(QStringLiteral("Muted"));
  timing_row->addWidget(FireField(page, b::kFireCountField, QStringLiteral("1")));
  timing_row->addStretch(1);
  Caption(page, b::kIntervalText, timing, grid, row++);
  new FollowVisibility(interval, timing);

  auto* actions = page.Row(layout);
  actions->addStretch(1);
  QPushButton* apply = page.Button(b::kApplyButton, {}, actions);
  apply->setObjectName(QStringLiteral("PrimaryButton"));
  QPushButton* fire_apply = page.Button(b::kFireApplyButton, {}, actions);
  fire_apply->setObjectName(QStringLiteral("PrimaryButton"));
  for (QPushButton* button : {apply, fire_apply}) button->setMinimumWidth(120);
}

// The two side-button switches (the catalogue shows them for models that have them).
void BuildLockCard(PageBuilder& page, QLayout* into) {
  QFrame* card = page.Card(b::kSideButtonsHeadingText, into);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(10);
  grid->setColumnStretch(0, 1);
  static_cast<QVBoxLayout*>(card->layout())->addLayout(grid);
  const std::pair<int, int> sides[] = {{c::kLeftLockLabel, c::kLeftLockSwitch},
                                       {c::kRightLockLabel, c::kRightLockSwitch}};
  int row = 0;
  for (const auto& [label_id, switch_id] : sides) {
    QLabel* label = page.Toolkit().Register(label_id, new QLabel);
    SwitchButton* toggle = page.Toolkit().Register(switch_id, new SwitchButton);
    toggle->setChecked(true);
    grid->addWidget(label, row, 0);
    grid->addWidget(toggle, row, 1);
    ++row;
  }
  // The card goes with its switches.
  new FollowVisibility(page.Toolkit().Control(c::kLeftLockSwitch), card);
}

}  // namespace

// Page layout 50: the model's button layout picture (63) with one hot-spot per button (92)
// on the left; on the right the selected button's function, the side-button switches and
// the reset of all buttons.
void BuildButtonPage(PageBuilder& page) {
  QHBoxLayout* row = page.Row();
  QFrame* picture_card = page.Card({}, row);
  auto* picture = page.Add(c::kLayoutPicture, new SkinPicture("device/img_mouse_layout.png"),
                           picture_card->layout());
  page.Toolkit().Register(c::kMouseHotSpots, new MouseHotSpots(picture));

  auto* side = new QVBoxLayout;
  side->setSpacing(page.Layout()->spacing());
  row->addLayout(side);
  BuildFunctionCard(page, side);
  BuildLockCard(page, side);
  side->addStretch(1);
  QHBoxLayout* bottom = page.Row(side);
  bottom->addStretch(1);
  page.Button(b::kResetAllButton, {}, bottom);
  page.ApplyTexts(b::kPageTexts);

  row->setStretch(0, 3);
  row->setStretch(1, 2);
}

}  // namespace ui::qt
