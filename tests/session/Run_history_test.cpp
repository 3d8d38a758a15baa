// The history folder: every run with results kept under its end time, the
// oldest removed beyond the limits, nothing kept for a run without results.
#include "session/Run_history.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "datafile/Myfile.h"
#include "session/Run_data.h"
#include "session/Run_file.h"
#include "session/User_data_folder.h"
#include "tests/support/Temp_files.h"

namespace velqoris::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

// A stopped two-channel run of `count` results.
void Fill(RunData& data, int count, int seed) {
  data.Settings.CHSel = 2;
  data.Settings.spsSel = 3;
  for (int i = 0; i < count; ++i) {
    data.Ch0.Codes[i] = 8388608 + seed + i;
    data.Ch1.Codes[i] = 8388608 - seed - i;
  }
  data.Ch0.Count = data.Ch1.Count = count;
  data.fCH0Data = data.fCH1Data = true;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RunHistory, KeepsEachRunUnderItsTimeAndDropsTheOldest) {
  TempDir dir;
  const std::string folder = dir.Path("history");
  RunHistory history(folder, 3);
  const Clock::time_point t0 = Clock::from_time_t(1800000000);
  std::vector<std::string> kept;
  for (int run = 0; run < 5; ++run) {
    RunData data;
    Fill(data, 10 + run, run);
    // Runs 1 and 2 end in the same second: the second gets "_2".
    const auto at = t0 + std::chrono::seconds(run == 2 ? 1 : run);
    kept.push_back(history.Keep(data, at));
    ASSERT_FALSE(kept.back().empty());
    EXPECT_EQ(fs::path(kept.back()).parent_path(), fs::path(folder));
  }
  EXPECT_EQ(fs::path(kept[1]).filename(), RunHistory::NameFor(t0 + std::chrono::seconds(1)));
  EXPECT_EQ(fs::path(kept[2]).filename().string().find("_2.DTA") != std::string::npos, true);
  // Three left, the newest; no temporary file beside them.
  const auto names = Names(folder);
  ASSERT_EQ(names.size(), 3u);
  for (int run : {2, 3, 4}) EXPECT_TRUE(fs::exists(kept[run])) << run;
  // What is kept is the run itself.
  RunData back;
  TmyFile file(nullptr);
  ASSERT_TRUE(LoadRun(file, kept[4], back));
  EXPECT_EQ(back.Ch1.Count, 14);
  EXPECT_EQ(back.Ch1.Codes[13], 8388608 - 4 - 13);
}

TEST(RunHistory, ByteLimitAndRunsWithoutResults) {
  TempDir dir;
  RunHistory history(dir.Path("h"), 200, 1);  // one byte: only the newest stays
  RunData data;
  EXPECT_EQ(history.Keep(data, Clock::now()), "") << "no results, nothing kept";
  EXPECT_FALSE(fs::exists(dir.Path("h")));
  Fill(data, 20, 0);
  const auto first = history.Keep(data, Clock::from_time_t(1800000000));
  const auto second = history.Keep(data, Clock::from_time_t(1800000060));
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  // A folder that cannot be made says why.
  RunHistory blocked(dir.Path("h/" + fs::path(second).filename().string() + "/sub"));
  EXPECT_EQ(blocked.Keep(data, Clock::now()), "");
  EXPECT_EQ(blocked.LastFault().kind, FileFault::Kind::NotWritten);
  EXPECT_NE(blocked.LastFault().error, 0);
}

TEST(RunHistory, FolderFollowsTheEnvironment) {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string saved = xdg != nullptr ? xdg : "";
  ::setenv("XDG_DATA_HOME", "/tmp/x-data", 1);
  EXPECT_EQ(RunHistory::DefaultFolder(), "/tmp/x-data/velqoris/history");
  ::setenv("XDG_DATA_HOME", "relative", 1);  // ignored, as the base directory rules say
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  if (!home.empty()) {
    EXPECT_EQ(UserDataFolder(), home + "/.local/share/velqoris");
  }
  if (xdg != nullptr) {
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
}

}  // namespace
}  // namespace velqoris::testing
