#include "ui/qt/hover_tracker.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "ui/manager.h"

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

int ArrowStep(int key, int current, int count, const std::function<bool(int)>& usable) {
  int step = 0;
  if (key == Qt::Key_Left || key == Qt::Key_Up) step = -1;
  if (key == Qt::Key_Right || key == Qt::Key_Down) step = 1;
  if (step == 0) return -1;
  if (current < 0 && step < 0) return -1;
  for (int i = current + step; i >= 0 && i < count; i += step) {
    if (!usable || usable(i)) return i;
  }
  return -1;
}

namespace {

bool keyboard_focus = false;  // until a key is pressed

// A key press shows the ring; a pointer press hides it again. The focus widget repaints on
// each change, so its ring follows at once.
class FocusSource : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) Set(true);
    if (event->type() == QEvent::MouseButtonPress) Set(false);
    return false;
  }

 private:
  static void Set(bool keyboard) {
    if (keyboard_focus == keyboard) return;
    keyboard_focus = keyboard;
    if (QWidget* focus = QApplication::focusWidget()) focus->update();
  }
};

}  // namespace

void TrackKeyboardFocus() {
  static FocusSource* source = nullptr;
  if (source || !QCoreApplication::instance()) return;
  source = new FocusSource;
  source->setParent(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(source);
}

void DrawFocusRing(QPainter& painter, const QRectF& box, qreal radius) {
  if (!keyboard_focus) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor::fromRgba(Manager::GetSelectColor()).lighter(125), 2));
  painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), radius, radius);
  painter.restore();
}

}  // namespace ui::qt
