// The one QApplication of the Qt tests, made on first use and never destroyed (Qt's own
// globals are gone by the time static objects die).
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

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

// Lets queued work and due timers run until `done` holds (true) or a generous limit passes
// (false, after `limit_ms`). For timers the test has set to fire at once, not for waiting on
// real time.
inline bool ProcessUntil(const std::function<bool()>& done, int limit_ms = 10000) {
  QElapsedTimer limit;
  limit.start();
  while (!done()) {
    if (limit.elapsed() > limit_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Lets events run until no timer belonging to `owner` (or its children) is still pending, so
// whatever those timers were going to do has been done; false after a generous limit.
inline bool ProcessUntilTimersIdle(const QObject* owner) {
  return ProcessUntil([owner] {
    for (const QTimer* timer : owner->findChildren<QTimer*>()) {
      if (timer->isActive()) return false;
    }
    return true;
  });
}

}  // namespace qt_test
