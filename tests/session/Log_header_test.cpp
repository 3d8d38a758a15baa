#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "session/Log_header.h"
#include "session/Log_reader.h"

namespace velqoris::testing {
namespace {

#ifndef _WIN32
struct ZoneCase {
  const char* tz;
  const char* expected;
};

class LogStartTimeTest : public ::testing::TestWithParam<ZoneCase> {};

// 2026-12-08 04:05:00 UTC, written in the zone the log was taken in.
TEST_P(LogStartTimeTest, LocalTimeWithItsOffset) {
  const char* saved = std::getenv("TZ");
  const std::string keep = saved != nullptr ? saved : "";
  ::setenv("TZ", GetParam().tz, 1);
  ::tzset();
  const auto at = std::chrono::system_clock::from_time_t(1796702700);
  EXPECT_EQ(Iso8601Local(at), GetParam().expected);
  if (saved != nullptr) {
    ::setenv("TZ", keep.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

INSTANTIATE_TEST_SUITE_P(Zones, LogStartTimeTest,
                         ::testing::Values(ZoneCase{"UTC0", "2026-12-08T04:05:00+00:00"},
                                           ZoneCase{"JST-9", "2026-12-08T13:05:00+09:00"},
                                           ZoneCase{"NST3:30", "2026-12-08T00:35:00-03:30"},
                                           ZoneCase{"XST10", "2026-12-07T18:05:00-10:00"}));
#endif

// The form every reader of the log relies on, on any system: no zone name.
TEST(LogStartTime, IsIso8601WithANumericOffset) {
  const std::string s = Iso8601Local(std::chrono::system_clock::now());
  ASSERT_EQ(s.size(), 25u) << s;
  EXPECT_EQ(s[10], 'T');
  EXPECT_TRUE(s[19] == '+' || s[19] == '-') << s;
  EXPECT_EQ(s[22], ':') << s;
}

// What the writer puts in front of a log, the reader gets back, key by key.
struct HeaderCase {
  int spsSel, gainSel, chSel, sinc4, chop, buffer;
  std::vector<std::string> lines;  // as written, without "# "
};

class LogHeaderRoundTrip : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(LogHeaderRoundTrip, WrittenLinesAreReadBack) {
  const HeaderCase& c = GetParam();
  MeasureSettings s;
  s.spsSel = c.spsSel;
  s.GainSel = c.gainSel;
  s.Gain = kGains[static_cast<std::size_t>(c.gainSel)];
  s.CHSel = c.chSel;
  s.fSinc4 = static_cast<std::uint8_t>(c.sinc4);
  s.fCHOP_ON = static_cast<std::uint8_t>(c.chop);
  s.fBUF_ON = static_cast<std::uint8_t>(c.buffer);
  const auto at = std::chrono::system_clock::from_time_t(1796702700);
  const std::vector<std::string> lines = LogHeaderLines(s, "VELQORIS / 1.00", at);
  ASSERT_EQ(lines.size(), c.lines.size() + 1);
  for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(lines[i], c.lines[i]);
  EXPECT_EQ(lines.back(), "start: " + Iso8601Local(at));

  std::string csv;
  for (const std::string& line : lines) csv += "# " + line + "\n";
  // The rows keep to the stated rate, which the reader checks against time_s.
  const double period = 1.0 / kDataRates[static_cast<std::size_t>(c.spsSel)];
  csv += "sample,time_s,ch0_code,ch0_uV\n1,0.000000,8388608,0\n2," + std::to_string(period) +
         ",8388609,0.3\n";
  LogCsvParser parser;
  parser.Feed(csv);
  const LogReadResult r = parser.Finish();
  ASSERT_EQ(r.status, LogReadStatus::kOk);
  EXPECT_DOUBLE_EQ(r.record.rateSps, kDataRates[static_cast<std::size_t>(c.spsSel)]);
  EXPECT_EQ(r.record.gain, kGains[static_cast<std::size_t>(c.gainSel)]);
  EXPECT_EQ(r.record.sinc4, c.sinc4 != 0);
  EXPECT_EQ(r.record.chop, c.chop != 0);
  EXPECT_EQ(r.record.buffer, c.buffer != 0);
  EXPECT_EQ(r.record.boardName, "VELQORIS / 1.00");
  EXPECT_EQ(r.record.startTime, Iso8601Local(at));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LogHeaderRoundTrip,
    ::testing::Values(HeaderCase{12,
                                 5,
                                 2,
                                 1,
                                 0,
                                 0,
                                 {"rate_sps: 4800", "gain: 128", "filter: sinc4", "chop: off",
                                  "buffer: off", "channels: ch0,ch1", "board: VELQORIS / 1.00"}},
                      HeaderCase{0,
                                 0,
                                 0,
                                 0,
                                 1,
                                 1,
                                 {"rate_sps: 5", "gain: 1", "filter: sinc3", "chop: on",
                                  "buffer: on", "channels: ch0", "board: VELQORIS / 1.00"}},
                      HeaderCase{9,
                                 3,
                                 1,
                                 1,
                                 1,
                                 0,
                                 {"rate_sps: 960", "gain: 32", "filter: sinc4", "chop: on",
                                  "buffer: off", "channels: ch1", "board: VELQORIS / 1.00"}}));

// A key with a value the writer never gives is not taken as that key; the
// line is still read by its words, as lines of other programs are.
TEST(LogHeaderLine, OnlyValuesTheWriterGivesAreTakenByTheirKey) {
  struct Line {
    const char* text;
    bool keyed;
  };
  for (const Line& l :
       {Line{"rate_sps: 4800", true}, Line{" gain :  8 ", true}, Line{"filter: SINC3", true},
        Line{"rate_sps: ?", false}, Line{"rate_sps: 0", false}, Line{"gain: 0", false},
        Line{"chop: maybe", false}, Line{"channels: ch2", false}, Line{"board:", false},
        Line{"speed: 4800", false}, Line{"rate 4800 sps", false}}) {
    LogRecord r;
    EXPECT_EQ(ReadLogHeaderLine(l.text, r), l.keyed) << l.text;
  }
}

}  // namespace
}  // namespace velqoris::testing
