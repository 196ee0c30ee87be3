// Widgets of the screen page that Qt has no class for: the item list (LCDViewList), the frame
// strip (ImageViewList), the pixel editor (ImageView) and the colour wheel (CirclePalette).
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/qt/custom_control.h"

namespace ui::qt {

class ColourWheel;

// A row of thumbnails, one per item (text = picture file); a click selects (code 2), a double
// click on a frame strip asks for its delay (code 9). The strip shows each delay (data) below.
class ThumbnailRow : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  ThumbnailRow(bool show_delays, QWidget* parent = nullptr);
  void StateChanged() override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int IndexAt(QPoint at) const;
  QRect Cell(int index) const;
  bool show_delays_;
  std::vector<std::pair<std::string, QImage>> cache_;
};

// Receives the editor commands of the screen page (Toolkit::ImageEditorCommand).
class ImageEditorTarget {
 public:
  virtual ~ImageEditorTarget() = default;
  virtual void EditorCommand(int command, int value, const std::string& text) = 0;
};

// The 240 x 135 pixel editor: pen and eraser in three sizes, text, grid, undo, zoom, and a
// preview that plays the frames at their delays. A finished edit is written to the scratch
// file the page named, then reported (code 33); a right click asks for the menu (code 5).
class PixelEditor : public QWidget, public CustomControl, public ImageEditorTarget {
  Q_OBJECT

 public:
  explicit PixelEditor(QWidget* parent = nullptr);
  void StateChanged() override {}
  void EditorCommand(int command, int value, const std::string& text) override;
  QSize sizeHint() const override { return {240 * 2 + 2, 135 * 2 + 2}; }
  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QRect Canvas() const;
  QPoint ToPixel(QPointF at) const;
  void Stroke(QPoint from, QPoint to);
  void Finish();
  void NextPreviewFrame();

  QImage image_{240, 135, QImage::Format_RGB32};
  QImage original_;
  std::vector<QImage> undo_;
  QString scratch_;
  QColor colour_{Qt::white};
  int pen_ = 2;
  int text_size_ = 16;
  int mode_ = 102;
  QString text_;
  bool grid_ = false;
  int zoom_ = 0;  // 0: the largest that fits
  bool drawing_ = false;
  QPoint last_;
  QTimer preview_timer_;
  std::vector<std::pair<int, QImage>> preview_;
  size_t preview_at_ = 0;
};

// CirclePalette: a colour wheel whose pick becomes the control's colour (code 2).
class PaletteControl : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  // Space kept around the wheel for the focus ring.
  static constexpr int kRingRoom = 3;

  explicit PaletteControl(QWidget* parent = nullptr);
  void StateChanged() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ColourWheel* wheel_;
};

}  // namespace ui::qt
