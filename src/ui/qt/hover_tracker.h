// The part of a widget under the pointer, for widgets drawn by the program (tabs, cards, hot
// spots, caption buttons): follows the pointer, repaints the widget when the part changes,
// shows the hand cursor over a part when asked, and forgets the part when the pointer leaves.
#pragma once

#include <QObject>
#include <QPointF>
#include <functional>

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

}  // namespace ui::qt
