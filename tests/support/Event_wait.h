// Runs the Qt event loop until a condition holds, for tests with real sockets.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace velqoris::testing {

// False when pred still does not hold after ms.
inline bool Until(const std::function<bool()>& pred, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace velqoris::testing
