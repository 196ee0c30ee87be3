#include "ui/qt/pages/report_rate_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/manager.h"
#include "ui/qt/hover_tracker.h"

namespace ui::qt {

namespace {

constexpr int kSegmentWidth = 82;
constexpr int kHeight = 38;

const QColor kTrack(0x11, 0x13, 0x17);
const QColor kBorder(0x2F, 0x33, 0x3C);
const QColor kHover(0x23, 0x26, 0x2E);
const QColor kText(0xE2, 0xE5, 0xEC);
const QColor kMuted(0x84, 0x8A, 0x98);

}  // namespace

ReportRateControl::ReportRateControl(QWidget* parent) : QWidget(parent) {
  hover_ = new HoverTracker(this, [this](const QPointF& at) {
    for (int i = 0; i < Count(); ++i) {
      if (SegmentRect(i).contains(at.toPoint())) return i;
    }
    return -1;
  });
  // The arrow keys choose the neighbouring rate.
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ReportRateControl::StateChanged() {
  updateGeometry();
  update();
}

QSize ReportRateControl::sizeHint() const {
  return {std::max(Count(), 4) * kSegmentWidth + 8, kHeight};
}

QRect ReportRateControl::SegmentRect(int index) const {
  return {4 + index * kSegmentWidth, 4, kSegmentWidth, kHeight - 8};
}

void ReportRateControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent = QColor::fromRgba(Manager::GetSelectColor());
  QPainterPath track;
  track.addRoundedRect(QRectF(0.5, 0.5, Count() * kSegmentWidth + 7, kHeight - 1), 10, 10);
  p.fillPath(track, kTrack);
  p.setPen(QPen(kBorder, 1));
  p.drawPath(track);

  QFont f = font();
  f.setPixelSize(13);
  const ControlState& s = State();
  for (int i = 0; i < Count(); ++i) {
    const QRectF seg = QRectF(SegmentRect(i)).adjusted(1, 0, -1, 0);
    const bool selected = i == s.cur_sel;
    if (selected || (i == hover_->Index() && isEnabled())) {
      QPainterPath pill;
      pill.addRoundedRect(seg, 7, 7);
      p.fillPath(pill, selected ? (isEnabled() ? accent : accent.darker(180)) : kHover);
    }
    f.setBold(selected);
    p.setFont(f);
    p.setPen(selected ? Qt::white : (isEnabled() ? kText : kMuted));
    p.drawText(seg, Qt::AlignCenter, Q(s.items[static_cast<size_t>(i)].text));
    if (selected && hasFocus()) DrawFocusRing(p, seg.adjusted(-1, -1, 1, 1), 8);
  }
}

void ReportRateControl::keyPressEvent(QKeyEvent* event) {
  const int next = ArrowStep(event->key(), State().cur_sel, Count());
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  State().cur_sel = next;
  update();
  Notify(ui::kNotifyClicked, next);
}

void ReportRateControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (int i = 0; i < Count(); ++i) {
    if (!SegmentRect(i).contains(event->position().toPoint())) continue;
    State().cur_sel = i;  // getters see the choice before the notification
    update();
    Notify(ui::kNotifyClicked, i);
    return;
  }
}

}  // namespace ui::qt
