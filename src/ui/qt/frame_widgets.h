// Widgets of the window frame that Qt has no class for: the drawn caption buttons, the tab
// row and the battery gauge. Each draws from its CustomControl::State().
#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QLabel>
#include <QWidget>

#include "ui/qt/custom_control.h"

namespace ui::qt {

class HoverTracker;

// Simple line icons drawn with QPainter, so the frame needs no image files.
enum class Glyph {
  kNone,
  kClose,
  kMinimize,
  kMaximize,
  kRestore,
  kSettings,
  kBack,
  kHome,
  kKeys,
  kDpi,
  kLighting,
  kScreen,
  kMacro,
  kPerformance,
  kImport,
  kExport
};
// The glyph that stands for a skin image name ("sysbtn_close.png", "icon/tab_dpi.png", ...).
Glyph GlyphForImage(const std::string& image);
void DrawGlyph(QPainter& painter, const QRectF& box, Glyph glyph, const QColor& colour);

// A caption button (close, minimise, maximise/restore, settings, return). SetImage with the
// skin names swaps the drawn glyph ("sysbtn_restore.png" draws the restore symbol).
class WindowButton : public QAbstractButton, public CustomControl {
  Q_OBJECT

 public:
  WindowButton(const std::string& image, bool danger, QWidget* parent = nullptr);
  void StateChanged() override { update(); }
  QSize sizeHint() const override { return {46, 36}; }
  // Drawn in the theme colour while what it opens is shown (the settings button and its panel).
  void SetActive(bool active);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool danger_;
  HoverTracker* hover_;
  bool active_ = false;
};

// The tab row (control 48): one entry per visible TabItem, with its glyph and title.
// A click selects the entry and notifies (2, position in the item list).
class TabRow : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit TabRow(QWidget* parent = nullptr);
  void StateChanged() override;
  QSize sizeHint() const override { return {900, 54}; }
  // Rectangles of the visible tabs, left to right, with their positions in the item list.
  std::vector<std::pair<QRectF, int>> TabRects() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QFont TabFont(bool selected) const;
  HoverTracker* hover_;
};

// Battery level and charging (control 44); nothing drawn while the level is unknown (-1).
class BatteryGauge : public QWidget, public CustomControl {
  Q_OBJECT

 public:
  explicit BatteryGauge(QWidget* parent = nullptr);
  void StateChanged() override { update(); }
  QSize sizeHint() const override { return {92, 28}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// CSwitchButton: a checkable on/off switch.
class SwitchButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit SwitchButton(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {44, 24}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// CColorButton: a round swatch in the control's colour (SetColor), ringed when checked.
class ColorSwatch : public QAbstractButton, public CustomControl {
  Q_OBJECT

 public:
  explicit ColorSwatch(QWidget* parent = nullptr);
  void StateChanged() override { update(); }
  QSize sizeHint() const override { return {30, 30}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The connection label (43): its text, with a dot in front that is green while the text is not
// the not-connected text (language text 50).
class ConnectionLabel : public QLabel {
 public:
  explicit ConnectionLabel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The import and export buttons' icon (normal and hover colours).
QIcon GlyphIcon(Glyph glyph, int size);

// A round badge drawn in the accent colour with the product's initial: the logo (34) and the
// window icon.
QPixmap LogoPixmap(int size, const QString& caption);

}  // namespace ui::qt
