// Event host for tests: each ProcessEvents pass advances a manual clock by a
// fixed step and fires the one-shot timer once it is due. Waits end in virtual
// time, so no test sleeps.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

#include "board/Clock.h"
#include "board/Event_host.h"

namespace velqoris::testing {

class FakeEventHost final : public EventHost {
 public:
  explicit FakeEventHost(ManualClock& clock,
                         std::chrono::nanoseconds step = std::chrono::microseconds(100))
      : clock_(clock), step_(step) {}

  void ArmTimer(int milliseconds, std::function<void()> expired) override {
    due_ = clock_.Now() + std::chrono::milliseconds(milliseconds);
    expired_ = std::move(expired);
    ++armed_;
  }
  void DisarmTimer() override { due_.reset(); }
  void ProcessEvents() override {
    clock_.Advance(step_);
    ++passes_;
    if (onPass) onPass();
    if (due_ && clock_.Now() >= *due_) {
      due_.reset();
      if (expired_) expired_();
    }
  }

  bool TimerArmed() const { return due_.has_value(); }
  int ArmedCount() const { return armed_; }
  long Passes() const { return passes_; }
  // Runs on every pass before the timer is looked at (a test's "window event").
  std::function<void()> onPass;

 private:
  ManualClock& clock_;
  std::chrono::nanoseconds step_;
  std::optional<Clock::Duration> due_;
  std::function<void()> expired_;
  int armed_ = 0;
  long passes_ = 0;
};

}  // namespace velqoris::testing
