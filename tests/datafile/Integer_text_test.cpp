#include "datafile/Integer_text.h"

#include <gtest/gtest.h>

namespace velqoris {
namespace {

TEST(ParseInt32, AcceptsLeadingSpacesAnOptionalSignAndDigitsToTheEnd) {
  EXPECT_EQ(ParseInt32("0"), 0);
  EXPECT_EQ(ParseInt32("8388608"), 8388608);
  EXPECT_EQ(ParseInt32("   -12"), -12);
  EXPECT_EQ(ParseInt32("+7"), 7);
  EXPECT_EQ(ParseInt32("-0"), 0);
  EXPECT_EQ(ParseInt32("000123"), 123);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInt32("00000000000000000000000000042"), 42);
}

TEST(ParseInt32, RefusesEverythingElse) {
  for (const char* bad :
       {"", " ", "-", "+", "+-1", "--1", "1 ", "1\t", "\t1", "- 1", "1-", "12a", "0x1F", "1e3",
        "1.0", "2147483648", "-2147483649", "99999999999999999999", "1,2"}) {
    EXPECT_FALSE(ParseInt32(bad)) << '"' << bad << '"';
  }
  EXPECT_FALSE(ParseInt32(std::string_view("1\0", 2)));
}

}  // namespace
}  // namespace velqoris
