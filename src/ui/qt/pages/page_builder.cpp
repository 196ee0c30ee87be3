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

}  // namespace ui::qt
