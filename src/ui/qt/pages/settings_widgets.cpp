#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace {

const char kRoundButton[] =
    "QToolButton{background:#23262E;border:1px solid #2F333C;border-radius:%1px;color:#C9CDD6;"
    "font-weight:600;font-size:%2px;}"
    "QToolButton:hover{border-color:#E2E5EC;color:#FFFFFF;}"
    "QToolButton:pressed{background:#1D2026;}";

QToolButton* RoundButton(int size, int font_px, const QString& text) {
  auto* b = new QToolButton;
  b->setText(text);
  b->setFixedSize(size, size);
  b->setCursor(Qt::PointingHandCursor);
  b->setStyleSheet(QString::fromLatin1(kRoundButton).arg(size / 2).arg(font_px));
  return b;
}

}  // namespace

QToolButton* HelpTip(PageBuilder& page, int id, const QString& text, QLayout* into) {
  QToolButton* b = page.Add(id, RoundButton(22, 12, QStringLiteral("?")), into);
  b->setToolTip(text);
  return b;
}

QToolButton* ResetButton(PageBuilder& page, int id, const QString& tip, QLayout* into) {
  QToolButton* b = page.Add(id, RoundButton(30, 16, QString(QChar(0x21BA))), into);
  b->setToolTip(tip);
  return b;
}

QFrame* CardWithHeading(PageBuilder& page, const QString& heading, QHBoxLayout** heading_row,
                        QLayout* into) {
  QFrame* card = page.Card({}, into);
  auto* row = new QHBoxLayout;
  row->setSpacing(10);
  auto* title = new QLabel(heading);
  title->setObjectName(QStringLiteral("CardTitle"));
  row->addWidget(title);
  static_cast<QVBoxLayout*>(card->layout())->addLayout(row);
  *heading_row = row;
  return card;
}

}  // namespace ui::qt
