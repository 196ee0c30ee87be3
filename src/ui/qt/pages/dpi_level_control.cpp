#include "ui/qt/pages/dpi_level_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "settings/settings_model.h"
#include "ui/manager.h"
#include "ui/qt/hover_tracker.h"

namespace ui::qt {

namespace {

constexpr int kCardWidth = 84;
constexpr int kCardHeight = 96;
constexpr int kGap = 10;
constexpr int kChip = 18;

const QColor kCard(0x23, 0x26, 0x2E);
const QColor kCardHover(0x2A, 0x2E, 0x37);
const QColor kText(0xF3, 0xF4, 0xF7);
const QColor kMuted(0x84, 0x8A, 0x98);

QColor Unpack(uint32_t packed) {
  return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

}  // namespace

DpiLevelControl::DpiLevelControl(QWidget* parent) : QWidget(parent) {
  // The arrow keys choose the neighbouring level; Enter or Space asks for its colour.
  setFocusPolicy(Qt::StrongFocus);
  hover_ = new HoverTracker(this, [this](const QPointF& at) { return HitCard(at.toPoint()); });
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int DpiLevelControl::LevelCount() const { return std::clamp(State().dpi_count, 0, kMaxLevels); }

QSize DpiLevelControl::sizeHint() const {
  return {kMaxLevels * kCardWidth + (kMaxLevels - 1) * kGap, kCardHeight};
}

QRect DpiLevelControl::CardRect(int level) const {
  return {level * (kCardWidth + kGap), 0, kCardWidth, kCardHeight};
}

QRect DpiLevelControl::ChipRect(int level) const {
  const QRect card = CardRect(level);
  return {card.center().x() - kChip / 2, card.top() + 14, kChip, kChip};
}

int DpiLevelControl::HitCard(QPoint at) const {
  for (int i = 0; i < LevelCount(); ++i) {
    if (CardRect(i).contains(at)) return i;
  }
  return -1;
}

void DpiLevelControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent = QColor::fromRgba(Manager::GetSelectColor());
  QFont number = font();
  number.setPixelSize(20);
  number.setBold(true);
  QFont small = font();
  small.setPixelSize(11);
  const ControlState& s = State();

  for (int i = 0; i < LevelCount(); ++i) {
    const auto value = s.dpi_values.find(i);
    const auto colour = s.dpi_colours.find(i);
    const int dpi = value == s.dpi_values.end() ? 0 : value->second;
    const QColor chip_colour = Unpack(colour == s.dpi_colours.end() ? 0 : colour->second);
    const bool selected = i == s.dpi_selected;
    const QRectF card = QRectF(CardRect(i)).adjusted(1, 1, -1, -1);

    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    p.fillPath(shape, i == hover_->Index() && !selected ? kCardHover : kCard);
    if (selected) {
      p.setPen(QPen(accent, 2));
      p.setBrush(Qt::NoBrush);
      p.drawPath(shape);
      // The level's own colour as a glow line along the bottom.
      p.fillRect(QRectF(card.left() + 16, card.bottom() - 6, card.width() - 32, 3), chip_colour);
    }
    const QRectF chip = ChipRect(i);
    p.setPen(QPen(QColor(255, 255, 255, i == hover_->Index() ? 210 : 80), 1.5));
    p.setBrush(chip_colour);
    p.drawEllipse(chip);

    p.setPen(selected ? kText : kText.darker(125));
    p.setFont(number);
    p.drawText(QRectF(card.left(), chip.bottom() + 8, card.width(), 28), Qt::AlignCenter,
               QString::number(dpi));
    p.setPen(selected ? accent.lighter(130) : kMuted);
    p.setFont(small);
    p.drawText(QRectF(card.left(), chip.bottom() + 36, card.width(), 16), Qt::AlignCenter,
               QStringLiteral("DPI %1").arg(i + 1));
    if (selected && hasFocus()) DrawFocusRing(p, card.adjusted(-1, -1, 1, 1), 11);
  }
}

void DpiLevelControl::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const int selected = State().dpi_selected;
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && selected >= 0 &&
      selected < LevelCount()) {
    Notify(settings::kDpiColourClicked, selected);  // as a click on its colour chip
    return;
  }
  const int next = ArrowStep(key, selected, LevelCount());
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  State().dpi_selected = next;
  update();
  Notify(settings::kDpiLevelSelected, next);
}

void DpiLevelControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const int level = HitCard(at);
  if (level < 0) return;
  // The chip's click area is a little larger than the chip itself.
  if (ChipRect(level).adjusted(-5, -5, 5, 5).contains(at)) {
    Notify(settings::kDpiColourClicked, level);
    return;
  }
  State().dpi_selected = level;  // getters see the choice before the notification
  update();
  Notify(settings::kDpiLevelSelected, level);
}

}  // namespace ui::qt
