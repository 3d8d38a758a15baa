// Log CSVs as the log command writes them (with and without settings lines,
// with gap notes) and broken ones, fed in chunks of every size.
#include "session/Log_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "datafile/Myfile.h"

namespace velqoris {
namespace {

// Rows at `rate` from code `first` up, in µV at `gain`; a gap note and a
// time jump of `gapSeconds` before row `gapAt` (0: none).
std::string Log(int rows, double rate, int gain, bool twoChannels, int gapAt = 0,
                double gapSeconds = 0.0) {
  std::string s = twoChannels ? "sample,time_s,ch0_code,ch0_uV,ch1_code,ch1_uV\n"
                              : "sample,time_s,ch1_code,ch1_uV\n";
  double t0 = 0.0;
  for (int i = 0; i < rows; ++i) {
    if (i == gapAt && gapAt > 0) {
      s += "# 開始コマンド 2 回目: 前の区間の最後の変換から 0.005000 s の空き\n";
      t0 = gapSeconds;
    }
    const int code = 8388608 + 5000 + i;
    const double uv = (code - 8388608) * 2500000.0 / 8388607.0 / gain;
    char row[160];
    std::snprintf(row, sizeof row, "%d,%.6f,%d,%.9g", i + 1, t0 + i / rate, code, uv);
    s += row;
    if (twoChannels) {
      std::snprintf(row, sizeof row, ",%d,%.9g", code - 10000, -uv);
      s += row;
    }
    s += "\n";
  }
  return s;
}

struct CsvCase {
  const char* name;
  std::string text;
  LogReadStatus status;
  std::int64_t line;  // for a failure
  double rate;
  std::optional<int> gain;
  std::size_t gaps;
  double gapSeconds;
  std::size_t ch1Count;
};

class LogCsv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(LogCsv, ReadsWhatTheFileSaysInChunksOfAnySize) {
  const CsvCase& c = GetParam();
  for (std::size_t chunk : {1u, 7u, 64u, 100000u}) {
    LogCsvParser parser;
    for (std::size_t i = 0; i < c.text.size(); i += chunk)
      parser.Feed(std::string_view(c.text).substr(i, chunk));
    const LogReadResult r = parser.Finish();
    ASSERT_EQ(r.status, c.status) << c.name << " chunk " << chunk;
    if (c.status != LogReadStatus::kOk) {
      EXPECT_EQ(r.line, c.line) << c.name;
      continue;
    }
    EXPECT_DOUBLE_EQ(r.record.rateSps, c.rate) << c.name;
    EXPECT_EQ(r.record.gain, c.gain) << c.name;
    ASSERT_EQ(r.record.gaps.size(), c.gaps) << c.name;
    if (c.gaps > 0) {
      EXPECT_NEAR(r.record.gaps[0].seconds, c.gapSeconds, 2e-6) << c.name;
    }
    ASSERT_EQ(r.record.codes[1].size(), c.ch1Count) << c.name;
    EXPECT_EQ(r.record.codes[1][0], 8388608 + 5000 - (r.record.HasChannel(0) ? 10000 : 0));
  }
}

const std::string kSettings =
    "# rate 4800 sps, gain 32, Sinc3, chop on, buffer off\n# board VELQORIS 1.00\n"
    "# start 2026-12-08T10:00:00+09:00\n";

INSTANTIATE_TEST_SUITE_P(
    Files, LogCsv,
    ::testing::Values(
        // Rate from time_s (snapped to the list), gain from code and µV.
        CsvCase{"plain", Log(3000, 4800.0, 128, false), LogReadStatus::kOk, 0, 4800.0, 128, 0, 0.0,
                3000},
        CsvCase{"two channels, CRLF-free", Log(500, 10.0, 1, true), LogReadStatus::kOk, 0, 10.0, 1,
                0, 0.0, 500},
        // The gap: time jumps from 99/50 s to 2 s + 100/50 s... less one period.
        CsvCase{"gap", Log(300, 50.0, 8, false, 100, 0.5), LogReadStatus::kOk, 0, 50.0, 8, 1,
                0.5 + 100 / 50.0 - 99 / 50.0 - 1 / 50.0, 300},
        CsvCase{"settings lines", kSettings + Log(50, 4800.0, 32, false), LogReadStatus::kOk, 0,
                4800.0, 32, 0, 0.0, 50},
        CsvCase{"not a log", "hello\n1,2,3\n", LogReadStatus::kNotALog, 1, 0, {}, 0, 0.0, 0},
        CsvCase{"bad row",
                Log(5, 10.0, 1, false) + "6,0.5,abc,1\n",
                LogReadStatus::kBadLine,
                7,
                0,
                {},
                0,
                0.0,
                0},
        CsvCase{"header only",
                "sample,time_s,ch0_code,ch0_uV\n",
                LogReadStatus::kNoData,
                0,
                0,
                {},
                0,
                0.0,
                0}));

TEST(LogCsv, SettingsLinesAreKept) {
  LogCsvParser parser;
  parser.Feed(kSettings + Log(50, 4800.0, 32, false));
  const LogRecord r = parser.Finish().record;
  EXPECT_EQ(r.sinc4, false);
  EXPECT_EQ(r.chop, true);
  EXPECT_EQ(r.buffer, false);
  EXPECT_EQ(r.boardName, "VELQORIS 1.00");
  EXPECT_EQ(r.startTime, "2026-12-08T10:00:00+09:00");
}

TEST(LogFile, ReadsADataFileAndRefusesWhatCannotBeOpened) {
  const std::string path = ::testing::TempDir() + "log_reader_test.DTA";
  std::vector<std::int32_t> codes = {8388600, 8388610, 8388620};
  std::vector<float> uv(3);
  SampleBuffer b{3, codes.data(), uv.data()};
  MeasureSettings s;
  s.spsSel = 12;
  s.GainSel = 5;
  std::remove(path.c_str());
  ASSERT_TRUE(TmyFile([](const std::string&) { return true; }).SaveData(path, &s, &b));
  const LogReadResult r = ReadLogFile(path);
  ASSERT_EQ(r.status, LogReadStatus::kOk);
  EXPECT_EQ(r.record.codes[0], codes);
  EXPECT_DOUBLE_EQ(r.record.rateSps, 4800.0);
  EXPECT_EQ(r.record.gain, 128);
  EXPECT_EQ(ReadLogFile(path + ".none").status, LogReadStatus::kCannotOpen);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace velqoris
