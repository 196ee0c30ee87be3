// Widgets of the model side of the window that Qt has no class for: a skin picture that keeps
// its proportions (the model pictures 57 and 63), the button hot-spots drawn over the button
// layout picture (92) and the list of models with their connection state (62). Each draws
// from its CustomControl::State().
#pragma once

#include <QSvgRenderer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "ui/qt/custom_control.h"

namespace ui::qt {

class HoverTracker;

// MPicture: the picture named by State().image (a skin file, SVG or bitmap), scaled to fit
// and centred. Draws nothing while the file is missing.
class SkinPicture : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit SkinPicture(const std::string& initial_image, QWidget* parent = nullptr);
  void StateChanged() override;
  QSize sizeHint() const override { return {640, 480}; }

  // The picture's own size in its coordinates (empty while nothing is loaded), and where it
  // lands in the widget.
  QSizeF NaturalSize() const { return natural_; }
  QRectF PictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Load();

  std::string loaded_;
  QSizeF natural_;
  std::unique_ptr<QSvgRenderer> svg_;
  QPixmap pixmap_;
};

// MouseCtrl: one hot spot per State().mouse_items entry over the SkinPicture it is a child
// of, in the picture's coordinates: a dot on the button, a leader line through the corner
// point to the label point, and a label with the button's name and what it does, on the side
// the item's direction names, else the side the line leads to. A click on the dot or the
// label selects the button and notifies (2, key value).
class MouseHotSpots : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit MouseHotSpots(SkinPicture* picture);
  void StateChanged() override { update(); }

  // Where item `index` is drawn in widget coordinates: its dot and its label box.
  QPointF DotPosition(int index) const;
  QRectF LabelRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kDirectionRight = 1;
  static bool LabelOnLeft(const MouseItem& item);
  QPointF Map(int x, int y) const;
  int HitTest(const QPointF& point) const;  // item index or -1

  SkinPicture* picture_;
  HoverTracker* hover_;
};

// CDeviceList: one card per State().devices entry with the model's picture, its name, how it
// is attached (cable, receiver or not connected), its version and battery. A click on a card
// notifies (2, the model's device type).
class DeviceCards : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit DeviceCards(QWidget* parent = nullptr);
  void StateChanged() override;
  QSize sizeHint() const override { return {900, 300}; }

  QRectF CardRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int HitTest(const QPointF& point) const;
  void DrawPicture(QPainter& painter, const std::string& image, const QRectF& box);

  HoverTracker* hover_;
  int focus_index_ = 0;  // the card the keyboard is on
  std::map<std::string, std::shared_ptr<QSvgRenderer>> svg_cache_;
};

}  // namespace ui::qt
