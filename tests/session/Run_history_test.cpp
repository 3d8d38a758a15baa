// The history folder: every run with results kept under its end time, the
// oldest removed beyond the limits, nothing kept for a run without results.
#include "session/Run_history.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "session/History_record.h"
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
  for (const auto& entry : fs::directory_iterator(dir.Path("runs")))
    left += entry.path().filename() != HistoryRecord::kFileName;
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

// The .DTA files in the folder, by name.
std::vector<std::string> Runs(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".DTA") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Rotation by the folder's record: names never used twice, the run written
// longest ago goes first whatever the clock says, and a file the program did
// not write stays.
TEST(RunHistory, RotatesByWhatItWroteNotByNameOrClock) {
  TempDir dir;
  const Clock::time_point t0 = Clock::from_time_t(1800000000);
  RunData data;
  Fill(data, 10);

  // Twelve runs in one second, ten kept: the two first go, and the names of
  // the runs that went are not given again.
  RunHistory sameSecond(dir.Path("same"), 10);
  std::vector<std::string> kept;
  for (int run = 0; run < 12; ++run) kept.push_back(sameSecond.Keep(data, t0));
  for (int run = 0; run < 12; ++run) EXPECT_EQ(fs::exists(kept[run]), run >= 2) << run;
  EXPECT_EQ(Runs(dir.Path("same")).size(), 10u);
  const std::string next = sameSecond.Keep(data, t0);
  EXPECT_EQ(fs::path(next).filename(), fs::path(kept[11]).filename().string().replace(20, 2, "13"));
  EXPECT_FALSE(fs::exists(kept[2]));  // the oldest written went, not "…_10" or "…_2" by name

  // A clock stepped back an hour: the run it names early is still the newest.
  RunHistory stepped(dir.Path("clock"), 2);
  const auto a = stepped.Keep(data, t0);
  const auto b = stepped.Keep(data, t0 + std::chrono::seconds(1));
  const auto c = stepped.Keep(data, t0 - std::chrono::hours(1));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_TRUE(fs::exists(c));

  // A user's own .DTA files (one named as the program names its runs, put
  // there after the record began) are never removed.
  RunHistory mixed(dir.Path("mixed"), 1);
  mixed.Keep(data, t0);
  for (const char* own : {"my-run.DTA", "2020-01-01_00-00-00.DTA"}) {
    std::ofstream(dir.Path("mixed/") + own) << "mine";
  }
  for (int run = 1; run <= 3; ++run) mixed.Keep(data, t0 + std::chrono::seconds(run));
  EXPECT_EQ(
      Runs(dir.Path("mixed")),
      (std::vector<std::string>{"2020-01-01_00-00-00.DTA",
                                RunHistory::NameFor(t0 + std::chrono::seconds(3)), "my-run.DTA"}));
  EXPECT_EQ(ReadFile(dir.Path("mixed/my-run.DTA")), "mine");
}

// A folder an earlier version filled (no record): its runs are adopted by
// the time they were written; other files are not.
TEST(RunHistory, AFolderWithoutARecordAdoptsOnlyRunNames) {
  TempDir dir;
  fs::create_directories(dir.Path("old"));
  const auto now = fs::file_time_type::clock::now();
  const struct {
    const char* name;
    int minutesAgo;
  } files[] = {{"2030-01-01_00-00-00.DTA", 30},
               {"2020-01-01_00-00-00_2.DTA", 20},
               {"notes.DTA", 90},
               {"2025-13-01.DTA", 90}};
  for (const auto& f : files) {
    const std::string path = dir.Path("old/") + f.name;
    std::ofstream(path) << "x";
    fs::last_write_time(path, now - std::chrono::minutes(f.minutesAgo));
  }
  RunData data;
  Fill(data, 10);
  RunHistory history(dir.Path("old"), 2);
  const std::string kept = history.Keep(data, Clock::from_time_t(1800000000));
  EXPECT_EQ(Runs(dir.Path("old")),
            (std::vector<std::string>{"2020-01-01_00-00-00_2.DTA", "2025-13-01.DTA",
                                      fs::path(kept).filename().string(), "notes.DTA"}));
  EXPECT_TRUE(HistoryRecord::RunName("2020-01-01_00-00-00_12.DTA", ".DTA"));
  EXPECT_FALSE(HistoryRecord::RunName("2020-01-01_00-00-00_.DTA", ".DTA"));
  EXPECT_FALSE(HistoryRecord::RunName("2020-01-01 00-00-00.DTA", ".DTA"));
}

}  // namespace
}  // namespace velqoris::testing
