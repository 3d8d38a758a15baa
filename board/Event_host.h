// What the link's wait loops need from the event loop they run in: a one-shot
// timer and a way to let pending events run. The window gives it a Qt
// implementation; tests give it a fake clock, so no test sleeps.
#pragma once

#include <functional>

namespace velqoris {

class EventHost {
 public:
  virtual ~EventHost() = default;
  // Arms the one-shot timer; `expired` runs from inside ProcessEvents once the
  // interval has passed. Arming again replaces the earlier timer.
  virtual void ArmTimer(int milliseconds, std::function<void()> expired) = 0;
  virtual void DisarmTimer() = 0;
  // Lets every pending event (the timer's included) run, then returns.
  virtual void ProcessEvents() = 0;
};

}  // namespace velqoris
