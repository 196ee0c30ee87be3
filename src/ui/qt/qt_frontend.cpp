#include "ui/qt/qt_frontend.h"

#include <QScreen>

#include "ui/qt/main_window.h"
#include "ui/qt/style.h"

namespace ui::qt {

QtFrontend::QtFrontend(int& argc, char** argv) {
  app_ = std::make_unique<QApplication>(argc, argv);
  QApplication::setApplicationName("DeviceDriver");
  QApplication::setStyle("Fusion");
  SetApplicationFont();
  toolkit_ = std::make_unique<QtToolkit>();
}

QtFrontend::~QtFrontend() {
  toolkit_.reset();
  app_.reset();
}

app::ScreenInfo QtFrontend::PrimaryScreen() {
  app::ScreenInfo info;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    info.has_monitor = false;
    return info;
  }
  const qreal ratio = screen->devicePixelRatio();
  info.width = qRound(screen->geometry().width() * ratio);
  info.height = qRound(screen->geometry().height() * ratio);
  info.dpi = qRound(screen->logicalDotsPerInchX() * ratio);
  return info;
}

// Qt draws every window in device pixels with its own scale factor already: there is no
// separate awareness to switch on.
void QtFrontend::SetProcessDpiAware() {}

void QtFrontend::RunMainWindow(const std::string& title, const std::function<void()>& on_init) {
  toolkit_->BuildMainWindow(title);
  toolkit_->RunMainWindow(on_init);
}

}  // namespace ui::qt
