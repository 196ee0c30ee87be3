#include "ui/qt/hover_tracker.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace ui::qt {

HoverTracker::HoverTracker(QWidget* widget, HitTest hit, bool hand_cursor)
    : QObject(widget), widget_(widget), hit_(std::move(hit)), hand_cursor_(hand_cursor) {
  widget_->setMouseTracking(true);
  widget_->installEventFilter(this);
}

bool HoverTracker::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  switch (event->type()) {
    case QEvent::Enter:
      Set(hit_(static_cast<QEnterEvent*>(event)->position()));
      break;
    case QEvent::MouseMove:
      Set(hit_(static_cast<QMouseEvent*>(event)->position()));
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      Set(-1);
      break;
    default:
      break;
  }
  return false;  // the widget still sees every event
}

void HoverTracker::Set(int index) {
  if (index == index_) return;
  index_ = index;
  if (hand_cursor_) {
    if (index >= 0) {
      widget_->setCursor(Qt::PointingHandCursor);
    } else {
      widget_->unsetCursor();
    }
  }
  widget_->update();
}

}  // namespace ui::qt
