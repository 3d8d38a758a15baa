#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "session/Log_header.h"

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

}  // namespace
}  // namespace velqoris::testing
