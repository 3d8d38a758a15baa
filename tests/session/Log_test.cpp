// The log's parts on virtual time: long two-channel logs streamed whole and
// in order, a cut or stopped log, chained start commands (the ways a log
// goes wrong are Run_end_test's).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graph/Axis_scale.h"
#include "session/Csv_log.h"
#include "session/Csv_sink.h"
#include "session/Stats_sink.h"
#include "stats/Running_stats.h"
#include "tests/session/Long_run_fixture.h"
#include "tests/support/Temp_files.h"

namespace velqoris::testing {
namespace {

constexpr int k4800 = 12;

struct Row {
  long long sample = 0;
  double seconds = 0;
  long long code0 = 0;
  double uv0 = 0;
  long long code1 = 0;
  double uv1 = 0;
};

// Reads the rows of a log's CSV; the settings lines before the header and
// the notes ('#' lines) between rows and the end line are kept apart.
struct CsvFile {
  std::vector<std::string> settings;
  std::string header;
  std::vector<Row> rows;
  std::vector<std::string> notes;
  std::string end;
  bool endsWithNewline = false;
};

CsvFile ReadCsv(const std::string& path, bool twoChannels) {
  CsvFile f;
  const std::string text = ReadFile(path);
  f.endsWithNewline = !text.empty() && text.back() == '\n';
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, f.header) && f.header.rfind("# ", 0) == 0) f.settings.push_back(f.header);
  while (std::getline(in, line)) {
    if (line.rfind("# end: ", 0) == 0) {
      f.end = line;
      continue;
    }
    if (line.rfind("# ", 0) == 0) {
      f.notes.push_back(line);
      continue;
    }
    Row r;
    const int fields = twoChannels
                           ? std::sscanf(line.c_str(), "%lld,%lf,%lld,%lf,%lld,%lf", &r.sample,
                                         &r.seconds, &r.code0, &r.uv0, &r.code1, &r.uv1)
                           : std::sscanf(line.c_str(), "%lld,%lf,%lld,%lf", &r.sample, &r.seconds,
                                         &r.code0, &r.uv0);
    EXPECT_EQ(fields, twoChannels ? 6 : 4) << line;
    f.rows.push_back(r);
  }
  return f;
}

// The log as the tool runs it: the CSV file and the statistics as the run's sinks.
class LogRunTest : public LongRunTest {
 protected:
  RunEnd Log(const std::string& path, std::int64_t total, const std::function<bool()>& stop = {},
             const std::function<void()>& progress = {}) {
    csv = std::make_unique<CsvSink>(path, clock);
    return run.Run({settings, total, segmentLimit}, {csv.get(), &stats}, stop, progress);
  }
  std::int64_t Written() const { return run.ReadCount(); }

  TempDir dir;
  std::unique_ptr<CsvSink> csv;
  StatsSink stats;
  std::int32_t segmentLimit = Acquisition::kMaxStartCount;
};

TEST_F(LogRunTest, TwoHundredThousandPairsArriveWholeInOrderWithFlatMemory) {
  Connect(k4800, 2);
  const std::string path = dir.Path("log.csv");
  ASSERT_EQ(Log(path, 200000), RunEnd::kComplete);

  EXPECT_EQ(Written(), 200000);
  EXPECT_EQ(run.StartCommands(), 1);
  EXPECT_EQ(device.Commands().back(), "A230D40");
  EXPECT_EQ(device.SkippedConversions(), 0u);  // the log kept up with the board
  // What waits for the file is at most about a second's rows, however long the log.
  EXPECT_LT(csv->MaxPending(), 4800u * 60u);

  const CsvFile f = ReadCsv(path, true);
  EXPECT_EQ(f.header, "sample,time_s,ch0_code,ch0_uV,ch1_code,ch1_uV");
  ASSERT_EQ(f.rows.size(), 200000u);
  EXPECT_EQ(f.settings.size(), 8u);
  EXPECT_TRUE(f.notes.empty());
  EXPECT_EQ(f.end.rfind("# end: finished, ", 0), 0u) << f.end;
  RunningStats check0;
  double sum1 = 0;
  for (std::size_t i = 0; i < f.rows.size(); ++i) {
    const Row& r = f.rows[i];
    ASSERT_EQ(r.sample, static_cast<long long>(i) + 1);
    ASSERT_NEAR(r.seconds, static_cast<double>(i) / 4800.0, 1e-6);
    ASSERT_EQ(static_cast<float>(r.uv0),
              CodeToMicrovolts(static_cast<std::int32_t>(r.code0), settings.Gain));
    ASSERT_EQ(static_cast<float>(r.uv1),
              CodeToMicrovolts(static_cast<std::int32_t>(r.code1), settings.Gain));
    check0.Add(static_cast<std::int32_t>(r.code0));
    sum1 += static_cast<double>(r.code1);
  }
  // The statistics are those of every row of the file.
  EXPECT_EQ(stats.Stats(0).Count(), 200000);
  EXPECT_DOUBLE_EQ(stats.Stats(0).Mean(), check0.Mean());
  EXPECT_DOUBLE_EQ(stats.Stats(0).Deviation(), check0.Deviation());
  EXPECT_EQ(stats.Stats(0).Max(), check0.Max());
  EXPECT_NEAR(stats.Stats(1).Mean(), sum1 / 200000.0, 1e-6);
}

TEST_F(LogRunTest, AtAnyMomentTheFileHoldsWholeRowsUpToTheLastSecond) {
  Connect(k4800, 2);
  const std::string path = dir.Path("cut.csv");
  // (time, results written) after each block, to know what a second ago was.
  std::vector<std::pair<Clock::Duration, std::int64_t>> history;
  int looks = 0;
  const auto progress = [&] {
    history.emplace_back(clock.Now(), Written());
    if (Written() % 7000 != 0) return;
    // What a crash now would leave on disk.
    ++looks;
    const CsvFile f = ReadCsv(path, true);
    ASSERT_TRUE(f.endsWithNewline);
    for (std::size_t i = 0; i < f.rows.size(); ++i) {
      ASSERT_EQ(f.rows[i].sample, static_cast<long long>(i) + 1);
    }
    std::int64_t secondAgo = 0;
    for (const auto& [t, n] : history) {
      if (clock.Now() - t >= std::chrono::seconds(1)) secondAgo = n;
    }
    EXPECT_GE(static_cast<std::int64_t>(f.rows.size()), secondAgo);
  };
  ASSERT_EQ(Log(path, 30000, {}, progress), RunEnd::kComplete);
  EXPECT_GE(looks, 4);
}

TEST_F(LogRunTest, AStopSendsTheStopCommandAndKeepsEveryRow) {
  Connect(k4800, 1);
  const std::string path = dir.Path("stop.csv");
  EXPECT_EQ(Log(path, 48000, [&] { return Written() >= 12345; }), RunEnd::kStopped);
  EXPECT_EQ(device.Commands().back(), "AX");
  EXPECT_FALSE(device.Running());
  EXPECT_FALSE(device.IsOpen());
  const CsvFile f = ReadCsv(path, false);
  EXPECT_EQ(f.header, "sample,time_s,ch1_code,ch1_uV");
  ASSERT_EQ(f.rows.size(), static_cast<std::size_t>(Written()));
  EXPECT_EQ(f.end.rfind("# end: stopped, ", 0), 0u) << f.end;
  EXPECT_GE(Written(), 12345);
  EXPECT_EQ(stats.Stats(1).Count(), Written());
  EXPECT_EQ(stats.Stats(0).Count(), 0);
  // CH1 carries 2 mV and the first seconds of a slow 1.5 mV sine, rising.
  const double meanUv = (stats.Stats(1).Mean() - 8388608) * 2500000.0 / 8388607.0;
  EXPECT_GT(meanUv, 2000.0);
  EXPECT_LT(meanUv, 3500.0);
}

TEST_F(LogRunTest, ALongLogChainsStartCommandsAndNotesTheGaps) {
  Connect(k4800, 0);
  const std::string path = dir.Path("chain.csv");
  segmentLimit = 1000;
  ASSERT_EQ(Log(path, 2500), RunEnd::kComplete);

  std::vector<std::string> starts;
  for (const std::string& c : device.Commands()) {
    if (c.rfind("A", 0) == 0) starts.push_back(c);
  }
  EXPECT_EQ(starts, (std::vector<std::string>{"A0003E8", "A0003E8", "A0001F4"}));
  // Settings go out once: later links only start.
  int filterWords = 0;
  for (const std::string& c : device.Commands()) filterWords += c.rfind("SF", 0) == 0 ? 1 : 0;
  EXPECT_EQ(filterWords, 1);

  ASSERT_EQ(run.Gaps().size(), 2u);
  const CsvFile f = ReadCsv(path, false);
  ASSERT_EQ(f.rows.size(), 2500u);
  ASSERT_EQ(f.notes.size(), 2u);
  for (std::size_t i = 0; i < f.rows.size(); ++i) ASSERT_EQ(f.rows[i].sample, (long long)i + 1);
  for (int k = 0; k < 2; ++k) {
    const double gap = run.Gaps()[static_cast<std::size_t>(k)];
    // A reply latency and a poll or two: milliseconds, never negative.
    EXPECT_GE(gap, 0.0);
    EXPECT_LT(gap, 0.02);
    // The time column jumps by the gap between the links.
    const std::size_t last = static_cast<std::size_t>(999 + 1000 * k);
    EXPECT_NEAR(f.rows[last + 1].seconds - f.rows[last].seconds, 1.0 / 4800 + gap, 2e-6);
    EXPECT_NE(f.notes[static_cast<std::size_t>(k)].find(std::to_string(k + 2) + " 回目"),
              std::string::npos);
  }
}

TEST_F(LogRunTest, PastOneStartCommandTheLogGoesOnWithASecond) {
  Connect(k4800, 0);
#ifdef _WIN32
  ASSERT_EQ(Log("NUL", 1048575 + 4800), RunEnd::kComplete);
#else
  ASSERT_EQ(Log("/dev/null", 1048575 + 4800), RunEnd::kComplete);
#endif
  EXPECT_EQ(run.StartCommands(), 2);
  EXPECT_EQ(stats.Stats(0).Count(), 1048575 + 4800);
  std::vector<std::string> starts;
  for (const std::string& c : device.Commands()) {
    if (c.rfind("A", 0) == 0) starts.push_back(c);
  }
  EXPECT_EQ(starts, (std::vector<std::string>{"A0FFFFF", "A0012C0"}));
  ASSERT_EQ(run.Gaps().size(), 1u);
  EXPECT_LT(run.Gaps()[0], 0.02);
}

TEST(CsvLogTest, AFileThatCannotBeWrittenIsReported) {
  CsvLog csv;
  EXPECT_FALSE(csv.Open("/nonexistent-dir/x.csv", true, false, Clock::Duration{0}));
#ifndef _WIN32  // Windows has no device that is always full
  CsvLog full;
  EXPECT_FALSE(full.Open("/dev/full", true, false, Clock::Duration{0}));
  EXPECT_TRUE(full.Failed());
#endif
}

}  // namespace
}  // namespace velqoris::testing
