// The event host without a window, on a manual clock: how long each pass
// sleeps, and the one-shot timer.
#include "board/Sleeping_event_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "board/Clock.h"

namespace velqoris {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// A host whose pauses advance the manual clock and are kept.
struct Recorded {
  ManualClock clock;
  std::vector<Clock::Duration> pauses;
  SleepingEventHost host{clock, [this](Clock::Duration d) {
                           pauses.push_back(d);
                           clock.Advance(d);
                         }};
};

TEST(SleepingEventHostTest, TheTimerFiresOnThePassThatReachesItsTimeNeverLater) {
  Recorded r;
  int fired = 0;
  r.host.ArmTimer(10, [&] { ++fired; });
  for (int i = 0; i < 9; ++i) r.host.ProcessEvents();
  EXPECT_EQ(fired, 0);
  r.host.ProcessEvents();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(r.clock.Now(), milliseconds(10));  // the last pause ended on the timer
  r.host.ProcessEvents();
  EXPECT_EQ(fired, 1);  // one-shot

  r.host.ArmTimer(20, [&] { ++fired; });
  r.host.DisarmTimer();
  for (int i = 0; i < 10; ++i) r.host.ProcessEvents();
  EXPECT_EQ(fired, 1);
}

TEST(SleepingEventHostTest, APassSleepsShortForAReplyAndLongerForData) {
  struct Case {
    const char* what;
    std::optional<int> timerMs;
    std::optional<Clock::Duration> idle;
    Clock::Duration expected;
  };
  const Case cases[] = {
      {"no timer: the idle pause", std::nullopt, std::nullopt, SleepingEventHost::kIdlePause},
      {"no timer, idle pause set", std::nullopt, milliseconds(20), milliseconds(20)},
      {"timer far off: the reply pause", 100, milliseconds(20), SleepingEventHost::kReplyPause},
      {"timer sooner than the reply pause", 0, std::nullopt, Clock::Duration::zero()},
  };
  for (const Case& c : cases) {
    Recorded r;
    if (c.idle) r.host.SetIdlePause(*c.idle);
    if (c.timerMs) r.host.ArmTimer(*c.timerMs, [] {});
    r.host.ProcessEvents();
    ASSERT_EQ(r.pauses.size(), 1u) << c.what;
    EXPECT_EQ(r.pauses[0], c.expected) << c.what;
    EXPECT_GE(r.pauses[0], Clock::Duration::zero()) << c.what;
  }
}

TEST(SleepingEventHostTest, AWaitForDataWakesAtMostFiftyTimesASecond) {
  Recorded r;
  while (r.clock.Now() < std::chrono::seconds(1)) r.host.ProcessEvents();
  EXPECT_LE(r.pauses.size(), 50u);
}

TEST(SleepingEventHostTest, TheCallbackMayArmTheTimerAgain) {
  Recorded r;
  int fired = 0;
  std::function<void()> again = [&] {
    if (++fired < 3) r.host.ArmTimer(5, again);
  };
  r.host.ArmTimer(5, again);
  for (int i = 0; i < 20; ++i) r.host.ProcessEvents();
  EXPECT_EQ(fired, 3);
}

TEST(SleepForTest, SleepsAtLeastWhatWasAskedEvenBelowAMillisecond) {
  for (const auto asked : {microseconds(200), microseconds(1500)}) {
    const auto start = std::chrono::steady_clock::now();
    SleepFor(asked);
    EXPECT_GE(std::chrono::steady_clock::now() - start, asked);
  }
}

}  // namespace
}  // namespace velqoris
