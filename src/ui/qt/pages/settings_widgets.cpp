#include "ui/qt/pages/settings_widgets.h"

#include "ui/manager.h"

namespace ui::qt {

namespace {

const char kRoundButton[] =
    "QToolButton{background:#23262E;border:1px solid #2F333C;border-radius:%1px;color:#C9CDD6;"
    "font-weight:700;font-size:%2px;}"
    "QToolButton:hover{border-color:%3;color:#FFFFFF;}"
    "QToolButton:pressed{background:#1D2026;}"
    "QToolButton:disabled{color:#5C616C;border-color:#262A31;}";

QToolButton* RoundButton(int size, int font_px, const QString& text) {
  auto* b = new QToolButton;
  b->setText(text);
  b->setFixedSize(size, size);
  b->setCursor(Qt::PointingHandCursor);
  // Hover in the theme colour, like the other buttons.
  const QString accent = QColor::fromRgba(Manager::GetSelectColor()).name();
  b->setStyleSheet(QString::fromLatin1(kRoundButton).arg(size / 2).arg(font_px).arg(accent));
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

QFrame* CardWithHeading(PageBuilder& page, platform::TextId heading, QHBoxLayout** heading_row,
                        QLayout* into) {
  QFrame* card = page.Card({}, into);
  auto* row = new QHBoxLayout;
  row->setSpacing(10);
  auto* title = Marked(new QLabel, heading);
  title->setObjectName(QStringLiteral("CardTitle"));
  row->addWidget(title);
  static_cast<QVBoxLayout*>(card->layout())->addLayout(row);
  *heading_row = row;
  return card;
}

}  // namespace ui::qt
