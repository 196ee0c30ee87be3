// What start-up needs from the window system: the primary screen, the toolkit and the main
// window's run. QtFrontend (src/ui/qt/) is the real one; tests use a headless one.
#pragma once

#include <functional>
#include <string>

#include "ui/toolkit.h"

namespace app {

struct ScreenInfo {
  bool has_monitor = true;
  int width = 0;  // pixels
  int height = 0;
  int dpi = 96;  // effective horizontal DPI
};

class Frontend {
 public:
  virtual ~Frontend() = default;
  virtual ScreenInfo PrimaryScreen() = 0;
  // Drawing 1:1 in device pixels instead of letting the window system scale the window.
  virtual void SetProcessDpiAware() {}
  virtual ui::Toolkit& Toolkit() = 0;
  // Creates the main window (title, 1280 x 780, centred), calls on_init once it exists (the
  // initialisation hook) and runs it until the toolkit's CloseWindow.
  virtual void RunMainWindow(const std::string& title, const std::function<void()>& on_init) = 0;
};

}  // namespace app
