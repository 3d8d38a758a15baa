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
      std::snprintf(row, sizeof row, ",%d,%.9g", code - 10000,
                    uv - 10000 * 2500000.0 / 8388607.0 / gain);
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

// Rows within ±20 codes of mid-scale (a shorted input), in µV at `gain`.
std::string Quiet(int rows, double rate, double gain) {
  std::string s = "sample,time_s,ch0_code,ch0_uV\n";
  for (int i = 0; i < rows; ++i) {
    const int offset = i * 7 % 41 - 20;
    char row[120];
    std::snprintf(row, sizeof row, "%d,%.6f,%d,%.9g\n", i + 1, i / rate, 8388608 + offset,
                  static_cast<double>(static_cast<float>(offset * 2500000.0 / 8388607.0 / gain)));
    s += row;
  }
  return s;
}

LogReadResult ReadInChunks(const std::string& text, std::size_t chunk) {
  LogCsvParser parser;
  for (std::size_t i = 0; i < text.size(); i += chunk)
    parser.Feed(std::string_view(text).substr(i, chunk));
  return parser.Finish();
}

struct FaultCase {
  const char* name;
  std::string text;
  LogFault::Kind kind;
  std::int64_t line;
  const char* words;  // in the message
};

class LogFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LogFaults, AreRefusedSayingWhatContradictsWhat) {
  const FaultCase& c = GetParam();
  for (std::size_t chunk : {1u, 13u, 100000u}) {
    const LogReadResult r = ReadInChunks(c.text, chunk);
    ASSERT_EQ(r.status, LogReadStatus::kInconsistent) << c.name << " chunk " << chunk;
    EXPECT_EQ(r.fault.kind, c.kind) << c.name;
    EXPECT_EQ(r.line, c.line) << c.name;
    EXPECT_TRUE(r.record.codes[0].empty() && r.record.codes[1].empty()) << "nothing half read";
    const std::string message = LogReadMessage(r, "a.csv");
    EXPECT_NE(message.find(c.words), std::string::npos) << message;
  }
}

const std::string kRows = Log(20, 100.0, 8, false);

INSTANTIATE_TEST_SUITE_P(
    Rows, LogFaults,
    ::testing::Values(
        // Header on line 1, rows from line 2: row 21 is line 22.
        FaultCase{"backwards", kRows + "21,0.150000,8393628,1.0\n", LogFault::Kind::kTimeBackwards,
                  22, "22 行目で時刻 (time_s) が戻って"},
        FaultCase{"duplicated row", kRows + "20,0.190000,8393627,1.0\n",
                  LogFault::Kind::kTimeRepeated, 22, "22 行目の時刻 (time_s) が前の行と同じ"},
        FaultCase{"duplicated first row",
                  "sample,time_s,ch1_code\n1,0.000000,8388608\n1,0.000000,8388608\n",
                  LogFault::Kind::kTimeRepeated, 3, "3 行目"},
        // 50 stated, 100 real: every τ would be off by two.
        FaultCase{"rate", "# rate_sps: 50\n" + kRows, LogFault::Kind::kRateMismatch, 0,
                  "データレート 50 sps と時刻 (time_s) から求めたレート 100 sps"},
        FaultCase{"gain", "# gain: 3\n" + kRows, LogFault::Kind::kUnknownGain, 0,
                  "ゲイン 3 はボードにありません (1, 8, 16, 32, 64, 128"}));

struct GainCase {
  const char* name;
  std::string text;
  std::optional<int> gain;
};

class GainFromRows : public ::testing::TestWithParam<GainCase> {};

TEST_P(GainFromRows, ComesFromEveryRowsMicrovolts) {
  const LogReadResult r = ReadInChunks(GetParam().text, 4096);
  ASSERT_EQ(r.status, LogReadStatus::kOk) << GetParam().name;
  EXPECT_EQ(r.record.gain, GetParam().gain) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, GainFromRows,
    ::testing::Values(GainCase{"quiet at gain 128", Quiet(200, 4800.0, 128), 128},
                      GainCase{"quiet at gain 1", Quiet(200, 4800.0, 1), 1},
                      GainCase{"quiet at gain 64", Quiet(30, 10.0, 64), 64},
                      // 0.2 % away from every gain: no gain, the figures stay in codes.
                      GainCase{"no listed gain", Quiet(200, 4800.0, 128 * 1.002), std::nullopt},
                      GainCase{"all at mid-scale",
                               "sample,time_s,ch0_code,ch0_uV\n1,0,8388608,0\n2,0.1,8388608,0\n",
                               std::nullopt},
                      GainCase{"stated gain wins", "# gain: 16\n" + Quiet(50, 10.0, 8), 16}));

// Rows in the log's own form are scanned in place; rows in any other form
// go the general way. Fed whole (in place) or a byte at a time (the general
// way), a file reads the same.
TEST(LogCsv, RowsReadTheSameScannedInPlaceOrSplit) {
  const std::string header = "sample,time_s,ch0_code,ch0_uV,ch1_code,ch1_uV\n";
  const std::vector<std::string> rows = {
      "1,0.000000,8388708,29.8023228,8388508,-29.8023228\n",
      "2,0.010000,8388709,2.98e1,8388507,-3.0e1\r\n",    // exponents, CRLF
      "3, 0.020000 ,8388710 ,30.4,8388506,-30.4\n",      // spaces
      "4,0.030000,-5,-2500002.98,16777300,2500027.4\n",  // outside the code range
      "# 開始コマンド 2 回目\n",                         // a gap note
      "5,0.540000,8388711,30.69,8388505,-30.69\n",
      "6,0.550000,8388712,30.99,8388504\n"};  // µV of CH1 missing
  std::string good = header;
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) good += rows[i];
  const LogReadResult whole = ReadInChunks(good, good.size());
  const LogReadResult bytes = ReadInChunks(good, 1);
  ASSERT_EQ(whole.status, LogReadStatus::kOk);
  ASSERT_EQ(bytes.status, LogReadStatus::kOk);
  const std::vector<std::int32_t> ch0 = {8388708, 8388709, 8388710, -5, 8388711};
  EXPECT_EQ(whole.record.codes[0], ch0);
  EXPECT_EQ(bytes.record.codes[0], ch0);
  EXPECT_EQ(whole.record.codes[1], bytes.record.codes[1]);
  ASSERT_EQ(whole.record.gaps.size(), 1u);
  EXPECT_EQ(whole.record.gaps[0].before, 4);
  EXPECT_EQ(whole.record.gain, bytes.record.gain);
  const std::string bad = good + rows.back();
  for (std::size_t chunk : {bad.size(), std::size_t{1}}) {
    const LogReadResult r = ReadInChunks(bad, chunk);
    EXPECT_EQ(r.status, LogReadStatus::kOk) << "a missing µV field only leaves the fit";
  }
}

TEST(LogCsv, AByteOrderMarkIsNoObstacle) {
  for (const std::string& text : {"\xEF\xBB\xBF" + kSettings + Log(50, 4800.0, 32, false),
                                  "\xEF\xBB\xBF" + Log(50, 4800.0, 32, false)}) {
    for (std::size_t chunk : {1u, 2u, 100000u}) {
      const LogReadResult r = ReadInChunks(text, chunk);
      ASSERT_EQ(r.status, LogReadStatus::kOk) << chunk;
      EXPECT_EQ(r.record.gain, 32);
      EXPECT_EQ(r.record.codes[1].size(), 50u);
    }
  }
}

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

// A long log is read by two threads, each half of the file; what they read
// must be what one thread reads: gaps (a '#' note or a jump in time_s) near
// the seam, a fault in the second half with its line, a last line without
// its newline.
TEST(LogFile, TwoThreadsReadWhatOneReads) {
  const std::string path = ::testing::TempDir() + "log_reader_halves.csv";
  std::vector<std::string> texts;
  for (int gapAt = 395; gapAt <= 405; ++gapAt)
    texts.push_back(Log(800, 100.0, 8, true, gapAt, 2.0));
  std::string backwards = Log(800, 100.0, 8, false);
  backwards.insert(backwards.rfind("700,"), "699,5.000000,8393607,1\n");
  texts.push_back(backwards);
  std::string unfinished = Quiet(900, 100.0, 64);
  unfinished.pop_back();
  texts.push_back(unfinished);
  for (const std::string& text : texts) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    const LogReadResult one = ReadLogFile(path, {}, ~std::uint64_t{0});
    const LogReadResult two = ReadLogFile(path, {}, 1);
    ASSERT_EQ(two.status, one.status);
    EXPECT_EQ(two.line, one.line);
    EXPECT_EQ(two.fault.line, one.fault.line);
    EXPECT_EQ(two.cutLine, one.cutLine);
    EXPECT_EQ(two.record.codes[0], one.record.codes[0]);
    EXPECT_EQ(two.record.codes[1], one.record.codes[1]);
    EXPECT_EQ(two.record.gain, one.record.gain);
    EXPECT_EQ(two.record.rateSps, one.record.rateSps);
    ASSERT_EQ(two.record.gaps.size(), one.record.gaps.size());
    for (std::size_t g = 0; g < one.record.gaps.size(); ++g) {
      EXPECT_EQ(two.record.gaps[g].before, one.record.gaps[g].before);
      EXPECT_DOUBLE_EQ(two.record.gaps[g].seconds, one.record.gaps[g].seconds);
    }
  }
  // The unfinished last row is a cut row: left out, and said, by both readings.
  const LogReadResult cut = ReadLogFile(path, {}, 1);
  EXPECT_EQ(cut.record.codes[0].size(), 899u);
  EXPECT_EQ(cut.cutLine, ReadLogFile(path, {}, ~std::uint64_t{0}).cutLine);
  EXPECT_GT(cut.cutLine, 0);
  std::remove(path.c_str());
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
