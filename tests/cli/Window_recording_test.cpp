// A recording from the window on the virtual board and virtual time: the
// file is the one `velqoris-cli log` writes for the same run; a stop ends it
// with every row read so far (the faults are tests/session/Run_end_test's); a
// window that stops looking keeps its memory bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "board/Clock.h"
#include "session/Recording.h"
#include "tests/cli/Cli_process.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

constexpr int k4800 = 12;
// Eight settings lines and the table's header come before the first row.
constexpr std::size_t kHead = 9;

class WindowRecordingTest : public ::testing::Test {
 protected:
  MeasureSettings Settings(int chSel) const {
    MeasureSettings s;
    s.spsSel = k4800;
    s.CHSel = chSel;
    return s;
  }
  // The recording's thread runs in virtual time as fast as it can; the test
  // only waits for it to end.
  void WaitFor(const std::function<bool()>& done) {
    while (!done() && !recording.Ended()) std::this_thread::yield();
  }

  TempDir dir;
  ManualClock clock;
  VirtualBoard device{clock};
  FakeEventHost host{clock, std::chrono::milliseconds(1)};
  Recording recording{device, clock, host};
};

// The board's test signal drifts with time, and the tool runs on real time:
// the codes differ, everything else of the two files is the same, field by field.
TEST_F(WindowRecordingTest, WritesTheFileTheCommandLineLogWrites) {
  const std::string path = dir.Path("window.csv");
  ASSERT_TRUE(recording.Start(path, Settings(2), 2000));
  recording.Join();
  EXPECT_EQ(recording.Snapshot().end, RunEnd::kComplete);
  EXPECT_FALSE(device.IsOpen());  // the device is free for the window again
  const std::string cliPath = dir.Path("cli.csv");
  const CliResult r = RunCli({"log", "--virtual", "--rate", "4800", "--channel", "2", "--count",
                              "2000", "--csv", cliPath});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto ours = Lines(ReadFile(path));
  const auto theirs = Lines(ReadFile(cliPath));
  ASSERT_EQ(ours.size(), kHead + 2000 + 1);  // and the end line
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_EQ(ours.back().rfind("# end: finished, 20", 0), 0u) << ours.back();
  EXPECT_EQ(theirs.back().rfind("# end: finished, 20", 0), 0u) << theirs.back();
  for (std::size_t i = 0; i < kHead; ++i) {
    if (ours[i].rfind("# start: ", 0) != 0) {
      EXPECT_EQ(ours[i], theirs[i]);
    }
  }
  // Each row: sample, time and, per channel, a code and its microvolts as the
  // tool prints them: the same text once the same code is put in.
  const auto fields = [](const std::string& line) {
    std::vector<std::string> f;
    std::size_t from = 0;
    for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1) {
      f.push_back(line.substr(from, comma - from));
    }
    f.push_back(line.substr(from));
    return f;
  };
  std::map<std::string, std::string> microvolts;             // code → text, from the tool's file
  for (std::size_t i = kHead; i + 1 < theirs.size(); ++i) {  // the rows, not the end line
    const auto f = fields(theirs[i]);
    microvolts[f[2]] = f[3];
    microvolts[f[4]] = f[5];
  }
  std::size_t compared = 0;
  for (std::size_t i = kHead; i + 1 < ours.size(); ++i) {
    const auto a = fields(ours[i]);
    const auto b = fields(theirs[i]);
    ASSERT_EQ(a.size(), 6u) << ours[i];
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[1], b[1]);
    for (const int c : {2, 4}) {
      const auto known = microvolts.find(a[static_cast<std::size_t>(c)]);
      if (known == microvolts.end()) continue;
      EXPECT_EQ(a[static_cast<std::size_t>(c) + 1], known->second) << ours[i];
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000u);
}

TEST_F(WindowRecordingTest, AStopEndsCleanlyWithEveryRowInTheFile) {
  const std::string path = dir.Path("stop.csv");
  ASSERT_TRUE(recording.Start(path, Settings(0), Recording::kUntilStopped));
  WaitFor([&] { return recording.Snapshot().written >= 12345; });
  recording.Stop();
  recording.Join();
  const Recording::Progress p = recording.Snapshot();
  EXPECT_EQ(p.end, RunEnd::kStopped);
  EXPECT_GE(p.written, 12345);
  const auto lines = Lines(ReadFile(path));
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(p.written) + kHead + 1);
  EXPECT_EQ(lines.back().rfind("# end: stopped, ", 0), 0u) << lines.back();
  EXPECT_EQ(p.stats[0].Count(), p.written);
  EXPECT_EQ(device.Commands().back(), "AX");
  EXPECT_FALSE(device.Running());
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(WindowRecordingTest, AWindowThatStopsLookingKeepsOnlyTheNewestBlocks) {
  ASSERT_TRUE(recording.Start(dir.Path("minute.csv"), Settings(2), 4800 * 60));
  recording.Join();
  std::size_t results = 0;
  for (const auto& b : recording.TakeBlocks()) results += b.codes[0].size();
  EXPECT_LE(results, Recording::kMaxWaitingResults);
  EXPECT_GT(results, Recording::kMaxWaitingResults / 2);
  EXPECT_EQ(recording.Snapshot().written, 4800 * 60);
}

TEST_F(WindowRecordingTest, AFileThatCannotBeCreatedStartsNothing) {
  EXPECT_FALSE(recording.Start(dir.Path("no/such/dir.csv"), Settings(0), 100));
  EXPECT_FALSE(device.IsOpen());
}

}  // namespace
}  // namespace velqoris::testing
