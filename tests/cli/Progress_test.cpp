// The run's progress output, on a manual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "board/Clock.h"
#include "cli/Progress_meter.h"

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

}  // namespace
}  // namespace velqoris::cli
