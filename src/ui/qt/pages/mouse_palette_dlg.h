// MousePaletteDlg: the colour dialog of a DPI level's indicator. A colour wheel, seven preset
// colours and R, G, B fields; every pick becomes the result at once. OK accepts, the window's
// close button cancels.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/language.h"

class QSpinBox;
class QFrame;

namespace ui::qt {

// The dialog's title.
inline constexpr platform::TextId kPaletteTitleText{27};

// A hue/saturation wheel at full brightness.
class ColourWheel : public QWidget {
  Q_OBJECT
 public:
  explicit ColourWheel(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {132, 132}; }
  // Moves the marker to where `colour`'s hue and saturation sit (no signal).
  void ShowColour(const QColor& colour);
  QPointF Marker() const { return marker_; }
  void SetMarker(QPointF at) {
    marker_ = at;
    update();
  }

 Q_SIGNALS:
  void Picked(QColor colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PickAt(QPointF at);
  QImage wheel_;
  QPointF marker_{-1, -1};
};

class MousePaletteDlg : public QDialog {
  Q_OBJECT
 public:
  // Colours are packed red + 256 * green + 65536 * blue.
  static constexpr std::array<uint32_t, 7> kPresets{255,   65280,    16711680, 16776960,
                                                    65535, 16711935, 16777215};

  explicit MousePaletteDlg(uint32_t initial, QWidget* parent = nullptr);

  uint32_t Colour() const { return colour_; }
  void SetColour(uint32_t colour);

  // Runs the dialog: the picked colour, or nothing when it was closed without OK.
  static std::optional<uint32_t> Pick(uint32_t initial, QWidget* parent = nullptr);

 private:
  void FromFields();

  uint32_t colour_ = 0;
  bool updating_ = false;
  QSpinBox* red_ = nullptr;
  QSpinBox* green_ = nullptr;
  QSpinBox* blue_ = nullptr;
  QFrame* preview_ = nullptr;
  ColourWheel* wheel_ = nullptr;
};

}  // namespace ui::qt
