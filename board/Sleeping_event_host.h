// The board link's event host for a program without an event loop: the
// one-shot timer runs on a clock, and each pass sleeps, so a wait never keeps
// a core busy. While the timer is armed (a command awaits its reply) a pass
// sleeps 1 ms at most; otherwise (a run awaits its next block) it sleeps the
// idle pause, 20 ms unless set: the device keeps what arrives meanwhile (at
// 4800 sps on both channels about 1.3 kB), and the reader then takes the
// blocks that came one after another.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "board/Clock.h"
#include "board/Event_host.h"

namespace velqoris {

// Sleeps the calling thread for about `duration`, never less than asked and
// never by spinning (on Windows a sub-millisecond sleep would only yield).
void SleepFor(Clock::Duration duration);

class SleepingEventHost final : public EventHost {
 public:
  static constexpr Clock::Duration kReplyPause = std::chrono::milliseconds(1);
  static constexpr Clock::Duration kIdlePause = std::chrono::milliseconds(20);

  // Given how long to sleep; tests advance a manual clock instead.
  using Pause = std::function<void(Clock::Duration)>;
  // An empty pause sleeps the thread (SleepFor).
  explicit SleepingEventHost(const Clock& clock, Pause pause = {});

  // The pause between passes while no timer is armed.
  void SetIdlePause(Clock::Duration pause) { idlePause_ = pause; }

  void ArmTimer(int milliseconds, std::function<void()> expired) override;
  void DisarmTimer() override;
  void ProcessEvents() override;

 private:
  Clock::Duration NextPause() const;

  const Clock& clock_;
  Pause pause_;
  Clock::Duration idlePause_ = kIdlePause;
  std::optional<Clock::Duration> due_;
  std::function<void()> expired_;
};

}  // namespace velqoris
