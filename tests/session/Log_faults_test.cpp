// A log driven into faults as a careful tester would: a disk that fills up
// part-way through a row, the ways a log ends and the line that says so, and
// the readers on a log whose writer stopped mid-row or on no file at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "message/Message_text.h"
#include "session/Csv_sink.h"
#include "session/Log_reader.h"
#include "tests/session/Long_run_fixture.h"
#include "tests/support/Fault_tools.h"
#include "tests/support/Temp_files.h"

namespace velqoris::testing {
namespace {

constexpr int k4800 = 12;

using LogFaultTest = LongRunTest;

// Rows that are whole, numbered from 1 without a hole, and how many.
std::int64_t WholeRows(const std::string& text) {
  std::int64_t rows = 0;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#' || line.starts_with("sample")) continue;
    long long sample = 0;
    long long code0 = 0;
    long long code1 = 0;
    double t = 0, uv0 = 0, uv1 = 0;
    EXPECT_EQ(std::sscanf(line.c_str(), "%lld,%lf,%lld,%lf,%lld,%lf", &sample, &t, &code0, &uv0,
                          &code1, &uv1),
              6)
        << line;
    EXPECT_EQ(sample, ++rows);
  }
  return rows;
}

// A disk that fills at several points of a two-channel log: the file ends on
// a whole row, the rows counted and their statistics are those in the file,
// and the reason is the system's.
TEST_F(LogFaultTest, AFullDiskEndsTheLogOnAWholeRowWithTheRowsInTheFile) {
  for (const int leaveKb : {0, 3, 37, 150}) {
    SCOPED_TRACE(leaveKb);
    SmallDisk disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    disk.FillLeaving(static_cast<std::uint64_t>(leaveKb) * 1024 + 700);
    Connect(k4800, 2);
    const std::string path = disk.Path("log.csv");
    CsvSink csv(path, clock);
    EXPECT_EQ(run.Run({settings, 48000}, {&csv}), RunEnd::kSinkFailed);
    EXPECT_EQ(run.Result().failure, OutputNotWrittenMessage("CSV", path, ENOSPC));
    run.Release();
    const std::string text = ReadFile(path);
    if (text.empty()) continue;  // not even the header fitted
    EXPECT_EQ(text.back(), '\n');
    const std::int64_t rows = WholeRows(text);
    EXPECT_EQ(csv.RowsInFile(), rows);
    EXPECT_EQ(csv.Stats(0).Count(), rows);
    EXPECT_EQ(csv.Stats(1).Count(), rows);
    EXPECT_LE(rows, run.ReadCount());
    EXPECT_LT(rows, 48000);
    // The end line is there when the cut-back row left room for it.
    if (text.find("# end:") != std::string::npos) {
      EXPECT_NE(text.find("# end: disk full, "), std::string::npos);
    }
    const LogReadResult read = ReadLogFile(path);
    if (rows > 0) {
      EXPECT_EQ(read.status, LogReadStatus::kOk);
      EXPECT_EQ(read.record.Count(0), rows);
      EXPECT_EQ(read.cutLine, 0);
    }
  }
}

TEST_F(LogFaultTest, TheLastLineSaysHowTheLogEnded) {
  TempDir dir;
  const struct {
    const char* name;
    RunEnd end;
    const char* line;
  } cases[] = {
      {"finished", RunEnd::kComplete, "# end: finished, "},
      {"stopped", RunEnd::kStopped, "# end: stopped, "},
      {"pulled cable", RunEnd::kPulledCable, "# end: board gone, "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Connect(k4800, 0);
    const std::string path = dir.Path(std::string(c.name) + ".csv");
    CsvSink csv(path, clock);
    const RunEnd end = run.Run(
        {settings, 9600}, {&csv},
        [&] { return c.end == RunEnd::kStopped && run.ReadCount() >= 4800; },
        [&] {
          if (c.end == RunEnd::kPulledCable && run.ReadCount() >= 4800) device.Unplug();
        });
    ASSERT_EQ(end, c.end);
    EXPECT_FALSE(csv.Failed());
    const std::vector<std::string> lines = Lines(ReadFile(path));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with(c.line)) << lines.back();
    EXPECT_EQ(csv.RowsInFile(), run.ReadCount());
    // Readers that skip '#' lines see the rows alone: no gap, nothing cut.
    const LogReadResult read = ReadLogFile(path);
    ASSERT_EQ(read.status, LogReadStatus::kOk);
    EXPECT_EQ(read.record.Count(0), run.ReadCount());
    EXPECT_TRUE(read.record.gaps.empty());
    EXPECT_EQ(read.cutLine, 0);
    if (c.end == RunEnd::kPulledCable) {
      device.Plug();
    } else {
      run.Release();
    }
  }
}

// The readers of logs on what a stopped writer or a mistaken name gives them.
TEST(LogReaderFaults, ACutLastRowIsLeftOutAndSaidAndSpecialFilesAreRefused) {
  TempDir dir;
  const std::string head = "sample,time_s,ch0_code,ch0_uV\n1,0.000000,8388608,0\n";
  const struct {
    const char* name;
    std::string text;
    LogReadStatus status;
    std::int64_t rows;
    std::int64_t cutLine;
    std::int64_t line;
  } cases[] = {
      // "838" of "8388609": it parses, and would pass for a code far off.
      {"cut in the code", head + "2,0.000208,838", LogReadStatus::kOk, 1, 3, 0},
      {"cut after a field", head + "2,0.000208,", LogReadStatus::kOk, 1, 3, 0},
      {"whole", head + "2,0.000208,8388609,0.3\n", LogReadStatus::kOk, 2, 0, 0},
      {"an end line without its LF", head + "# end: stopped", LogReadStatus::kOk, 1, 0, 0},
      {"a missing field mid-row", head + "2,0.000208\n3,0.000416,8388609,0.3\n",
       LogReadStatus::kBadLine, 0, 0, 3},
      {"a long line", head + std::string(6 << 20, '1') + "\n", LogReadStatus::kBadLine, 0, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Path("log.csv");
    { std::ofstream(path, std::ios::binary) << c.text; }
    const LogReadResult r = ReadLogFile(path);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.record.Count(0), c.rows);
    EXPECT_EQ(r.cutLine, c.cutLine);
    EXPECT_EQ(r.line, c.line);
    EXPECT_EQ(CutRowNote(r).empty(), c.cutLine == 0);
  }
#ifndef _WIN32
  const std::string fifo = dir.Path("fifo.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    LogReadResult r;
    ASSERT_TRUE(EndsWithin(std::chrono::seconds(60), [&] { r = ReadLogFile(path); })) << path;
    EXPECT_EQ(r.status, LogReadStatus::kCannotOpen);
    EXPECT_EQ(LogReadMessage(r, path), "通常のファイルではありません: " + path);
  }
  const LogReadResult folder = ReadLogFile(dir.Path(""));
  EXPECT_EQ(LogReadMessage(folder, "/d"), "ファイルではなくフォルダです: /d");
#endif
}

}  // namespace
}  // namespace velqoris::testing
