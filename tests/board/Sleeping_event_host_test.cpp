// The event host without a window, on a manual clock.
#include "board/Sleeping_event_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "board/Clock.h"

namespace velqoris {
namespace {

using std::chrono::milliseconds;

TEST(SleepingEventHostTest, TheTimerFiresOnThePassThatReachesItsTime) {
  ManualClock clock;
  int pauses = 0;
  SleepingEventHost host(clock, [&] {
    clock.Advance(milliseconds(10));
    ++pauses;
  });
  int fired = 0;
  host.ArmTimer(100, [&] { ++fired; });
  for (int i = 0; i < 9; ++i) host.ProcessEvents();
  EXPECT_EQ(fired, 0);
  host.ProcessEvents();
  EXPECT_EQ(fired, 1);
  host.ProcessEvents();
  EXPECT_EQ(fired, 1);    // one-shot
  EXPECT_EQ(pauses, 11);  // every pass pauses, so a wait never spins

  host.ArmTimer(20, [&] { ++fired; });
  host.DisarmTimer();
  for (int i = 0; i < 5; ++i) host.ProcessEvents();
  EXPECT_EQ(fired, 1);
}

TEST(SleepingEventHostTest, TheCallbackMayArmTheTimerAgain) {
  ManualClock clock;
  SleepingEventHost host(clock, [&] { clock.Advance(milliseconds(5)); });
  int fired = 0;
  std::function<void()> again = [&] {
    if (++fired < 3) host.ArmTimer(5, again);
  };
  host.ArmTimer(5, again);
  for (int i = 0; i < 10; ++i) host.ProcessEvents();
  EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace velqoris
