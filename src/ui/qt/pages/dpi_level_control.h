// DPIControl (100): up to seven level cards, each with its colour chip and DPI value, drawn
// from the toolkit's record (dpi_count, dpi_values, dpi_colours, dpi_selected). A click on a
// card selects its level; a click on its chip asks for a new colour.
#pragma once

#include <QWidget>

#include "ui/qt/custom_control.h"

namespace ui::qt {

class HoverTracker;

class DpiLevelControl : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  static constexpr int kMaxLevels = 7;

  explicit DpiLevelControl(QWidget* parent = nullptr);
  void StateChanged() override { update(); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  // Where level `level`'s card and colour chip are drawn.
  QRect CardRect(int level) const;
  QRect ChipRect(int level) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int LevelCount() const;
  int HitCard(QPoint at) const;
  HoverTracker* hover_;
};

}  // namespace ui::qt
