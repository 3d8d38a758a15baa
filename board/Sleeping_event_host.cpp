#include "board/Sleeping_event_host.h"

#include <thread>
#include <utility>

namespace velqoris::cli {

SleepingEventHost::SleepingEventHost(const Clock& clock, Pause pause)
    : clock_(clock), pause_(std::move(pause)) {
  if (!pause_) pause_ = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
}

void SleepingEventHost::ArmTimer(int milliseconds, std::function<void()> expired) {
  due_ = clock_.Now() + std::chrono::milliseconds(milliseconds);
  expired_ = std::move(expired);
}

void SleepingEventHost::DisarmTimer() { due_.reset(); }

void SleepingEventHost::ProcessEvents() {
  pause_();
  if (due_ && clock_.Now() >= *due_) {
    due_.reset();
    // The callback may arm the timer again, so run a copy.
    auto expired = expired_;
    if (expired) expired();
  }
}

}  // namespace velqoris::cli
