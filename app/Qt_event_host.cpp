#include "app/Qt_event_host.h"

#include <QCoreApplication>

#include <utility>

namespace velqoris {

QtEventHost::QtEventHost() {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    // The callback may arm the timer again, so run a copy.
    auto expired = expired_;
    if (expired) expired();
  });
}

void QtEventHost::ArmTimer(int milliseconds, std::function<void()> expired) {
  expired_ = std::move(expired);
  timer_.start(milliseconds);
}

void QtEventHost::DisarmTimer() { timer_.stop(); }

void QtEventHost::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace velqoris
