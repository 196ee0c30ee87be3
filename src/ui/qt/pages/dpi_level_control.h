// The DPI level control: up to seven level cards, each with its colour chip and DPI value. A
// click on a card selects the level; a click on its chip asks for a new colour.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace ui::qt {

class DpiLevelControl : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxLevels = 7;

  explicit DpiLevelControl(QWidget* parent = nullptr);

  void SetLevelCount(int count);  // 0..7; values and colours of kept levels survive
  int LevelCount() const { return static_cast<int>(levels_.size()); }
  void SetValue(int level, int dpi);
  int Value(int level) const;
  // Packed red + 256 * green + 65536 * blue.
  void SetColour(int level, uint32_t colour);
  uint32_t Colour(int level) const;
  void SetSelected(int level);
  int Selected() const { return selected_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  // Where level `level`'s card and chip are drawn (for tests and hit testing).
  QRect CardRect(int level) const;
  QRect ChipRect(int level) const;

 Q_SIGNALS:
  void LevelSelected(int level);
  void ColourClicked(int level);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Level {
    int dpi = 0;
    uint32_t colour = 0;
  };
  int HitCard(QPoint at) const;
  std::vector<Level> levels_;
  int selected_ = 0;
  int hover_ = -1;
  // Levels hidden by a smaller count keep their values until shown again.
  std::vector<Level> store_ = std::vector<Level>(kMaxLevels);
};

}  // namespace ui::qt
