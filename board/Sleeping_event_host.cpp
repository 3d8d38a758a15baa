#include "board/Sleeping_event_host.h"

#include <algorithm>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velqoris {

void SleepFor(Clock::Duration duration) {
  if (duration <= Clock::Duration::zero()) return;
#ifdef _WIN32
  // The C++ library's sleep truncates to whole milliseconds, so a shorter
  // one became Sleep(0): a spin. Rounded up instead.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
  ::Sleep(static_cast<DWORD>(std::max<long long>(ms, 1)));
#else
  std::this_thread::sleep_for(duration);
#endif
}

SleepingEventHost::SleepingEventHost(const Clock& clock, Pause pause)
    : clock_(clock), pause_(std::move(pause)) {
  if (!pause_) pause_ = SleepFor;
}

void SleepingEventHost::ArmTimer(int milliseconds, std::function<void()> expired) {
  due_ = clock_.Now() + std::chrono::milliseconds(milliseconds);
  expired_ = std::move(expired);
}

void SleepingEventHost::DisarmTimer() { due_.reset(); }

Clock::Duration SleepingEventHost::NextPause() const {
  if (!due_) return idlePause_;
  // Never past the timer: a wait ends on time.
  const Clock::Duration left = *due_ - clock_.Now();
  return std::clamp(left, Clock::Duration::zero(), kReplyPause);
}

void SleepingEventHost::ProcessEvents() {
  pause_(NextPause());
  if (due_ && clock_.Now() >= *due_) {
    due_.reset();
    // The callback may arm the timer again, so run a copy.
    auto expired = expired_;
    if (expired) expired();
  }
}

}  // namespace velqoris
