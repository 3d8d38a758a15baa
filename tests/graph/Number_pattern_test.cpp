#include "graph/Number_pattern.h"

#include <gtest/gtest.h>

namespace velqoris {
namespace {

TEST(NumberPattern, DecimalsComeFromThePattern) {
  EXPECT_EQ(PatternDecimals("0"), 0);
  EXPECT_EQ(PatternDecimals("0.0"), 1);
  EXPECT_EQ(PatternDecimals("0.00000"), 5);
  EXPECT_EQ(FormatPattern(-4.0f, "0.0"), "-4.0");
  EXPECT_EQ(FormatPattern(14.9011612, "0.00"), "14.90");
  EXPECT_EQ(FormatPattern(3.0e-6, "0.00000"), "0.00000");
}

TEST(NumberPattern, RoundsToNearestWithHalvesAwayFromZero) {
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
  EXPECT_EQ(FormatFixed(0.5, 0), "1");
  EXPECT_EQ(FormatFixed(0.25, 1), "0.3");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(99.5, 0), "100");
  EXPECT_EQ(FormatFixed(9.96, 1), "10.0");
  // Not exactly halfway in binary: the nearer neighbour wins.
  EXPECT_EQ(FormatFixed(9.995, 2), "9.99");
  EXPECT_EQ(FormatFixed(2.4999999, 0), "2");
  EXPECT_EQ(FormatFixed(-0.000006, 5), "-0.00001");
}

TEST(NumberPattern, NegativeValueRoundingToZeroHasNoMinus) {
  EXPECT_EQ(FormatFixed(-0.04, 1), "0.0");
  EXPECT_EQ(FormatFixed(-0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(-0.4, 0), "0");
  EXPECT_EQ(FormatFixed(-0.000004, 5), "0.00000");
  EXPECT_EQ(FormatFixed(-0.05, 1), "-0.1");  // 0.05 is not a binary half: just above it
}

TEST(NumberPattern, AtLeastOneDigitBeforeThePointAndNoGrouping) {
  EXPECT_EQ(FormatFixed(0.75, 2), "0.75");
  EXPECT_EQ(FormatFixed(-0.75, 2), "-0.75");
  EXPECT_EQ(FormatFixed(8388608.0, 0), "8388608");
  EXPECT_EQ(FormatFixed(1234567.25, 1), "1234567.3");
  EXPECT_EQ(FormatFixed(1e20, 0), "100000000000000000000");
}

}  // namespace
}  // namespace velqoris
