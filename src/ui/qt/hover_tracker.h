// Pointer and keyboard for widgets drawn by the program (tabs, cards, hot spots, caption
// buttons): HoverTracker follows the part under the pointer; ArrowStep and DrawFocusRing give
// them the same keyboard behaviour and the same visible focus.
#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <functional>

class QPainter;
class QWidget;

namespace ui::qt {

class HoverTracker : public QObject {
 public:
  // Part index at a point in the widget's coordinates; -1 for none.
  using HitTest = std::function<int(const QPointF&)>;

  // Watches `widget` (turning its mouse tracking on); a widget that is one part passes a hit
  // test that always answers 0.
  HoverTracker(QWidget* widget, HitTest hit, bool hand_cursor = false);

  int Index() const { return index_; }
  bool Is(int part) const { return part >= 0 && index_ == part; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Set(int index);

  QWidget* widget_;
  HitTest hit_;
  bool hand_cursor_;
  int index_ = -1;
};

// The entry an arrow key moves to from `current` among `count` entries (Left and Up go back,
// Right and Down forward, without wrapping), skipping those `usable` rejects; -1 for any other
// key or when nothing usable lies that way. A `current` of -1 starts before the first entry.
int ArrowStep(int key, int current, int count, const std::function<bool(int)>& usable = {});

// The ring drawn around what the keyboard is on, in the theme colour; nothing while the focus
// came from the pointer (a click leaves no ring behind).
void DrawFocusRing(QPainter& painter, const QRectF& box, qreal radius);
// Follows whether the keyboard or the pointer was used last, for DrawFocusRing. Once per
// application (later calls do nothing); window thread.
void TrackKeyboardFocus();

}  // namespace ui::qt
