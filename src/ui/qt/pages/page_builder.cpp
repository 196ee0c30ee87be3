#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

PageBuilder::PageBuilder(QtToolkit& toolkit, QWidget* page, int layout_number)
    : toolkit_(toolkit), page_(page), number_(layout_number) {
  layout_ = qobject_cast<QVBoxLayout*>(page->layout());
  if (!layout_) {
    layout_ = new QVBoxLayout(page);
    layout_->setContentsMargins(28, 20, 28, 24);
    layout_->setSpacing(16);
  }
}

QFrame* PageBuilder::Card(const QString& heading, QLayout* into) {
  auto* card = new QFrame;
  card->setObjectName("Card");
  auto* layout = new QVBoxLayout(card);
  layout->setContentsMargins(20, 16, 20, 18);
  layout->setSpacing(12);
  // Contents sit at the top, so headings of cards side by side line up.
  layout->setAlignment(Qt::AlignTop);
  if (!heading.isEmpty()) {
    auto* title = new QLabel(heading);
    title->setObjectName("CardTitle");
    layout->addWidget(title);
  }
  (into ? into : layout_)->addWidget(card);
  return card;
}

QHBoxLayout* PageBuilder::Row(QLayout* into) {
  auto* row = new QHBoxLayout;
  row->setSpacing(12);
  QLayout* target = into ? into : layout_;
  if (auto* box = qobject_cast<QBoxLayout*>(target)) {
    box->addLayout(row);
  } else {
    auto* holder = new QWidget;
    holder->setLayout(row);
    target->addWidget(holder);
  }
  return row;
}

QButtonGroup* PageBuilder::Group(const QString& name) {
  QButtonGroup*& group = groups_[name];
  if (!group) {
    group = new QButtonGroup(page_);
    group->setObjectName(name);
    group->setExclusive(true);
  }
  return group;
}

QPushButton* PageBuilder::Button(int id, const QString& text, QLayout* into) {
  return Add(id, new QPushButton(text), into);
}

QPushButton* PageBuilder::Toggle(int id, const QString& text, QLayout* into) {
  auto* button = new QPushButton(text);
  button->setCheckable(true);
  return Add(id, button, into);
}

QCheckBox* PageBuilder::Check(int id, const QString& text, QLayout* into) {
  return Add(id, new QCheckBox(text), into);
}

QRadioButton* PageBuilder::Radio(int id, const QString& text, const QString& group, QLayout* into) {
  auto* radio = new QRadioButton(text);
  Group(group)->addButton(radio, id);
  return Add(id, radio, into);
}

QComboBox* PageBuilder::Combo(int id, QLayout* into) { return Add(id, new QComboBox, into); }

QLineEdit* PageBuilder::Edit(int id, const QString& initial, QLayout* into) {
  return Add(id, new QLineEdit(initial), into);
}

QSlider* PageBuilder::Slider(int id, int minimum, int maximum, QLayout* into) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(minimum, maximum);
  return Add(id, slider, into);
}

QLabel* PageBuilder::Text(int id, const QString& text, QLayout* into) {
  return Add(id, new QLabel(text), into);
}

SwitchButton* PageBuilder::Switch(int id, QLayout* into) { return Add(id, new SwitchButton, into); }

ColorSwatch* PageBuilder::ColorButton(int id, const QString& group, QLayout* into) {
  auto* swatch = new ColorSwatch;
  Group(group)->addButton(swatch, id);
  return Add(id, swatch, into);
}

QFrame* PageBuilder::Card(platform::TextId heading, QLayout* into) {
  QFrame* card = Card(T(heading), into);
  if (auto* title = card->findChild<QLabel*>(QStringLiteral("CardTitle"))) MarkText(title, heading);
  return card;
}

QLabel* PageBuilder::Label(platform::TextId text, QLayout* into) {
  return Marked(Label(T(text), into), text);
}

void PageBuilder::ApplyTexts(std::span<const ControlText> texts) {
  ApplyControlTexts(toolkit_, texts);
}

QLabel* PageBuilder::Label(const QString& text, QLayout* into) {
  auto* label = new QLabel(text);
  label->setObjectName("Muted");
  return Place(label, into);
}

}  // namespace ui::qt
