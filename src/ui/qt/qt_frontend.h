// The start-up's window system on Qt: the application object, the primary screen and the
// main window's run.
#pragma once

#include <QApplication>
#include <memory>

#include "app/frontend.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {

class QtFrontend : public app::Frontend {
 public:
  // argc must outlive the frontend (Qt keeps a reference).
  QtFrontend(int& argc, char** argv);
  ~QtFrontend() override;

  app::ScreenInfo PrimaryScreen() override;
  void SetProcessDpiAware() override;
  ui::Toolkit& Toolkit() override { return *toolkit_; }
  QtToolkit& Qt() { return *toolkit_; }
  void RunMainWindow(const std::string& title, const std::function<void()>& on_init) override;

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<QtToolkit> toolkit_;
};

}  // namespace ui::qt
