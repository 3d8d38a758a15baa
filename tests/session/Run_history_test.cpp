// The history folder: every run with results kept under its end time, the
// oldest removed beyond the limits, nothing kept for a run without results.
#include "session/Run_history.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "session/Run_data.h"
#include "tests/support/Temp_files.h"

namespace velqoris::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

void Fill(RunData& data, int count) {
  data.Settings.CHSel = 0;
  for (int i = 0; i < count; ++i) data.Ch0.Codes[i] = 8388608 + i;
  data.Ch0.Count = count;
  data.fCH0Data = true;
}

TEST(RunHistory, KeepsEachRunUnderItsTimeWithinItsLimits) {
  TempDir dir;
  const Clock::time_point t0 = Clock::from_time_t(1800000000);
  RunData data;
  RunHistory byRuns(dir.Path("runs"), 3);
  EXPECT_EQ(byRuns.Keep(data, t0), "") << "no results, nothing kept";
  EXPECT_FALSE(fs::exists(dir.Path("runs")));
  Fill(data, 10);
  std::string kept[5];
  // Runs 1 and 2 end in the same second: the second gets "_2" and sorts after it.
  for (int run = 0; run < 5; ++run)
    kept[run] = byRuns.Keep(data, t0 + std::chrono::seconds(run == 2 ? 1 : run));
  EXPECT_EQ(fs::path(kept[1]).filename(), RunHistory::NameFor(t0 + std::chrono::seconds(1)));
  EXPECT_NE(kept[2].find("_2.DTA"), std::string::npos);
  int left = 0;
  for (const auto& entry : fs::directory_iterator(dir.Path("runs"))) left += entry.exists();
  EXPECT_EQ(left, 3);  // the three newest, no temporary file beside them
  for (int run = 0; run < 5; ++run) EXPECT_EQ(fs::exists(kept[run]), run >= 2) << run;

  RunHistory byBytes(dir.Path("bytes"), 200, 1);  // one byte: only the newest stays
  const auto first = byBytes.Keep(data, t0);
  EXPECT_TRUE(fs::exists(byBytes.Keep(data, t0 + std::chrono::minutes(1))));
  EXPECT_FALSE(fs::exists(first));

  // A folder that cannot be made says why.
  RunHistory blocked(kept[4] + "/sub");
  EXPECT_EQ(blocked.Keep(data, t0), "");
  EXPECT_EQ(blocked.LastFault().kind, FileFault::Kind::NotWritten);
  EXPECT_NE(blocked.LastFault().error, 0);
}

}  // namespace
}  // namespace velqoris::testing
