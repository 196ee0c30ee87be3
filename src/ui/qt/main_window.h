// The main window: frameless, 1280 x 780, with its own caption strip (logo, caption, buttons
// 42, 40, 41, 39), the status strip (44, 45, 64, 46, 47), the tab row (48) and the page
// layouts (49 to 55, the settings panel 245) that the page builders in pages/ fill.
#pragma once

#include <QPoint>
#include <QWidget>

namespace ui::qt {

class QtToolkit;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 780;

  MainWindow(QtToolkit& toolkit, const QString& title);
  // The page layout with this number (49 to 56, 245); nullptr for another number.
  QWidget* Page(int layout) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Activation reaches the window logic as WM_ACTIVATE (the pointer page reads the desktop
  // again).
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildCaption(const QString& title);
  QWidget* BuildStatusStrip();
  QWidget* BuildPages();

  QtToolkit& toolkit_;
  QWidget* caption_ = nullptr;
  QWidget* status_strip_ = nullptr;
  QPoint drag_offset_;
  bool dragging_ = false;
};

}  // namespace ui::qt
