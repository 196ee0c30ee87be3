#include "ui/qt/pages/dpi_level_control.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace ui::qt {

namespace {

constexpr int kCardWidth = 76;
constexpr int kCardHeight = 92;
constexpr int kGap = 10;
constexpr int kChip = 18;

const QColor kCard(0x24, 0x28, 0x31);
const QColor kCardHover(0x2c, 0x31, 0x3c);
const QColor kAccent(0xe0, 0x46, 0x3a);
const QColor kText(0xf0, 0xf2, 0xf5);
const QColor kMuted(0x8a, 0x91, 0x9e);

QColor ToQColor(uint32_t packed) {
  return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

}  // namespace

DpiLevelControl::DpiLevelControl(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
}

QSize DpiLevelControl::sizeHint() const {
  return {kMaxLevels * kCardWidth + (kMaxLevels - 1) * kGap, kCardHeight};
}

void DpiLevelControl::SetLevelCount(int count) {
  count = std::clamp(count, 0, kMaxLevels);
  for (size_t i = 0; i < levels_.size(); ++i) store_[i] = levels_[i];
  levels_.assign(store_.begin(), store_.begin() + count);
  if (selected_ >= count) selected_ = std::max(0, count - 1);
  updateGeometry();
  update();
}

void DpiLevelControl::SetValue(int level, int dpi) {
  if (level < 0 || level >= LevelCount()) return;
  levels_[static_cast<size_t>(level)].dpi = dpi;
  update();
}

int DpiLevelControl::Value(int level) const {
  if (level < 0 || level >= LevelCount()) return 0;
  return levels_[static_cast<size_t>(level)].dpi;
}

void DpiLevelControl::SetColour(int level, uint32_t colour) {
  if (level < 0 || level >= LevelCount()) return;
  levels_[static_cast<size_t>(level)].colour = colour & 0xFFFFFF;
  update();
}

uint32_t DpiLevelControl::Colour(int level) const {
  if (level < 0 || level >= LevelCount()) return 0;
  return levels_[static_cast<size_t>(level)].colour;
}

void DpiLevelControl::SetSelected(int level) {
  selected_ = level;
  update();
}

QRect DpiLevelControl::CardRect(int level) const {
  return {level * (kCardWidth + kGap), 0, kCardWidth, kCardHeight};
}

QRect DpiLevelControl::ChipRect(int level) const {
  const QRect card = CardRect(level);
  return {card.center().x() - kChip / 2, card.top() + 12, kChip, kChip};
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
  QFont number = font();
  number.setPointSizeF(number.pointSizeF() * 1.35);
  number.setBold(true);
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.8);

  for (int i = 0; i < LevelCount(); ++i) {
    const Level& level = levels_[static_cast<size_t>(i)];
    const QRectF card = QRectF(CardRect(i)).adjusted(1, 1, -1, -1);
    const bool selected = i == selected_;
    QPainterPath shape;
    shape.addRoundedRect(card, 8, 8);
    p.fillPath(shape, i == hover_ && !selected ? kCardHover : kCard);
    if (selected) {
      p.setPen(QPen(kAccent, 2));
      p.drawPath(shape);
      // The level's own colour as a bar under the card's edge.
      p.fillRect(QRectF(card.left() + 14, card.bottom() - 5, card.width() - 28, 3),
                 ToQColor(level.colour));
    }
    // Colour chip with a ring that says "click me".
    const QRectF chip = ChipRect(i);
    p.setPen(QPen(QColor(255, 255, 255, i == hover_ ? 200 : 90), 1.5));
    p.setBrush(ToQColor(level.colour));
    p.drawEllipse(chip);

    p.setPen(selected ? kText : kText.darker(115));
    p.setFont(number);
    p.drawText(QRectF(card.left(), chip.bottom() + 8, card.width(), 26), Qt::AlignCenter,
               QString::number(level.dpi));
    p.setPen(kMuted);
    p.setFont(small);
    p.drawText(QRectF(card.left(), chip.bottom() + 32, card.width(), 16), Qt::AlignCenter,
               QStringLiteral("DPI %1").arg(i + 1));
  }
}

void DpiLevelControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const int level = HitCard(at);
  if (level < 0) return;
  // The chip's click area is a little larger than the chip itself.
  if (ChipRect(level).adjusted(-4, -4, 4, 4).contains(at)) {
    Q_EMIT ColourClicked(level);
    return;
  }
  SetSelected(level);
  Q_EMIT LevelSelected(level);
}

void DpiLevelControl::mouseMoveEvent(QMouseEvent* event) {
  const int hover = HitCard(event->position().toPoint());
  if (hover != hover_) {
    hover_ = hover;
    update();
  }
}

void DpiLevelControl::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

}  // namespace ui::qt
