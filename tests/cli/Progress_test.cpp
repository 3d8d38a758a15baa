// The run's progress output and the sleeping event host, on a manual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "cli/Progress_meter.h"
#include "board/Sleeping_event_host.h"
#include "board/Clock.h"

namespace velqoris::cli {
namespace {

using std::chrono::milliseconds;

TEST(ProgressMeterTest, ALogGetsTheSampleTextAtMostOnceASecond) {
  ManualClock clock;
  std::ostringstream out;
  ProgressMeter meter(out, false, clock);
  meter.Update(50, 1000, 8388608, std::nullopt);
  clock.Advance(milliseconds(999));
  meter.Update(100, 1000, 8388609, std::nullopt);  // too soon
  clock.Advance(milliseconds(1));
  meter.Update(150, 1000, 8388610, 8388611);
  meter.Finish();
  EXPECT_EQ(out.str(),
            "データ番号：50 / AD変換値：8388608\n"
            "データ番号：150 / AD変換値：8388610 / 8388611\n");
}

TEST(ProgressMeterTest, ATerminalGetsABarRedrawnInPlace) {
  ManualClock clock;
  std::ostringstream out;
  ProgressMeter meter(out, true, clock);
  meter.Update(500, 1000, 8388608, std::nullopt);
  clock.Advance(milliseconds(100));
  meter.Update(1000, 1000, 8388608, std::nullopt);
  meter.Finish();
  const std::string text = out.str();
  EXPECT_EQ(text.front(), '\r');
  EXPECT_NE(text.find("[" + std::string(20, '#') + std::string(20, '-') + "] 500/1000"),
            std::string::npos);
  EXPECT_NE(text.find("[" + std::string(40, '#') + "] 1000/1000"), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line, ended once
}

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
}  // namespace velqoris::cli
