// ReporteCtrl (109): the report rates as one row of segments, drawn from the toolkit's items
// and selection. A click selects the segment and reports it as a choice (code 2, its index).
#pragma once

#include <QWidget>

#include "ui/qt/custom_control.h"

namespace ui::qt {

class HoverTracker;

class ReportRateControl : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit ReportRateControl(QWidget* parent = nullptr);
  void StateChanged() override;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  QRect SegmentRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int Count() const { return static_cast<int>(State().items.size()); }
  HoverTracker* hover_;
};

}  // namespace ui::qt
