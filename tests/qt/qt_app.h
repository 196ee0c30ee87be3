// The one QApplication of the Qt tests, made on first use and never destroyed (Qt's own
// globals are gone by the time static objects die).
#pragma once

#include <QApplication>

namespace qt_test {

inline bool EnsureQtApp() {
  if (!QApplication::instance()) {
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  return true;
}

}  // namespace qt_test
