// The board link's event host for a program without an event loop: the
// one-shot timer runs on a clock, and each pass pauses briefly (0.2 ms by
// default) so the link's wait loops do not keep a core busy.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "board/Clock.h"
#include "board/Event_host.h"

namespace velqoris::cli {

class SleepingEventHost final : public EventHost {
 public:
  using Pause = std::function<void()>;
  // An empty pause sleeps for 0.2 ms.
  explicit SleepingEventHost(const Clock& clock, Pause pause = {});

  void ArmTimer(int milliseconds, std::function<void()> expired) override;
  void DisarmTimer() override;
  void ProcessEvents() override;

 private:
  const Clock& clock_;
  Pause pause_;
  std::optional<Clock::Duration> due_;
  std::function<void()> expired_;
};

}  // namespace velqoris::cli
