#include "status/Status_text.h"
#include "graph/Number_pattern.h"

#include <gtest/gtest.h>

namespace velqoris {
namespace {

TEST(BoardTexts, JoinTheNameWithTheSuffixSpace) {
  EXPECT_EQ(BoardNotFoundText("VELQORIS Board"), "VELQORIS Board が見つかりませんでした");
  // The no-response suffix has no "が".
  EXPECT_EQ(BoardNoResponseText("VELQORIS Board"), "VELQORIS Board 応答しませんでした");
  EXPECT_EQ(BoardErrorText("VELQORIS Board"), "VELQORIS Board がエラーです");
  EXPECT_EQ(PairText("VELQORIS", "1.02"), "VELQORIS / 1.02");
  EXPECT_EQ(PairText("", ""), " / ");
}

TEST(SampleTexts, NumbersAreJoinedWithoutExtraSpaces) {
  EXPECT_EQ(SampleText(12, 8388608), "データ番号：12 / AD変換値：8388608");
  EXPECT_EQ(SampleText(0, -1), "データ番号：0 / AD変換値：-1");
  EXPECT_EQ(Sample2Text(5, 8388608, 8388607), "データ番号：5 / AD変換値：8388608 / 8388607");
}

TEST(CodeStatsLine, PiecesInOrder) {
  EXPECT_EQ(CodeStatsText(0, 8388700, 8388600, 1.234f),
            "CH0 : 最大値：8388700 / 最小値：8388600 / pp値：100 digit / 標準偏差：1.23 digit");
  EXPECT_EQ(CodeStatsText(1, 0, 0, 0.0f),
            "CH1 : 最大値：0 / 最小値：0 / pp値：0 digit / 標準偏差：0.00 digit");
}

TEST(CodeStatsLine, DecimalsChosenBeforeRounding) {
  EXPECT_NE(CodeStatsText(0, 1, 0, 9.996f).find("標準偏差：10.00 digit"), std::string::npos);
  EXPECT_NE(CodeStatsText(0, 1, 0, 10.0f).find("標準偏差：10.0 digit"), std::string::npos);
  EXPECT_NE(CodeStatsText(0, 1, 0, 0.7071068f).find("標準偏差：0.71 digit"), std::string::npos);
  EXPECT_NE(CodeStatsText(0, 1, 0, 1234.56f).find("標準偏差：1234.6 digit"), std::string::npos);
}

TEST(CodeStatsLine, PeakToPeakDoesNotOverflow) {
  EXPECT_NE(CodeStatsText(0, 2147483647, -2147483647 - 1, 1.0f).find("pp値：4294967295 digit"),
            std::string::npos);
}

TEST(VoltStatsLine, OneDecimalBelowOneHundred) {
  EXPECT_EQ(VoltStatsText(0, 123.456f, -45.67f, 99.5f),
            "CH0 : 最大値：123.5[uV] / 最小値：-45.7[uV] / pp値：169.1[uV] / 標準偏差：99.5[uV]");
}

TEST(VoltStatsLine, WholeNumbersFromOneHundredNegativeMinimumIncluded) {
  EXPECT_EQ(VoltStatsText(1, 1234.4f, -567.8f, 100.0f),
            "CH1 : 最大値：1234[uV] / 最小値：-568[uV] / pp値：1802[uV] / 標準偏差：100[uV]");
}

TEST(VoltStatsLine, TwoDecimalsBelowTen) {
  EXPECT_EQ(VoltStatsText(0, 3.5763f, -2.3842f, 1.5f),
            "CH0 : 最大値：3.58[uV] / 最小値：-2.38[uV] / pp値：5.96[uV] / 標準偏差：1.50[uV]");
}

TEST(VoltStatsLine, PeakToPeakFromTheTwoFloats) {
  // In float the difference would round to 16777216.
  EXPECT_NE(VoltStatsText(0, 16777216.0f, -0.5f, 1.0f).find("pp値：16777216.50[uV]"),
            std::string::npos);
}

TEST(StatusNumbers, RoundsAndNeverShowsMinusZero) {
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(-0.4, 0), "0");
  EXPECT_EQ(FormatFixed(-0.006, 2), "-0.01");
  EXPECT_EQ(FormatFixed(0.5, 1), "0.5");
  EXPECT_EQ(FormatFixed(0.96, 1), "1.0");
  EXPECT_EQ(FormatFixed(-12.345678, 3), "-12.346");
  EXPECT_EQ(FormatFixed(1e20, 0), "100000000000000000000");
}

TEST(StatusNumbers, ExactHalvesGoAwayFromZero) {
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.125, 2), "-0.13");
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(-0.5, 0), "-1");
  EXPECT_EQ(FormatFixed(9.5, 0), "10");
  EXPECT_EQ(FormatFixed(-99.96, 1), "-100.0");
  EXPECT_EQ(FormatFixed(0.15, 1), "0.1");  // just below 0.15 in binary: no tie
  EXPECT_EQ(FormatFixed(-99.75, 1), "-99.8");
  EXPECT_EQ(FormatFixed(999.875, 2), "999.88");
}

TEST(VoltStatsLine, NegativeValueRoundingToZeroShowsWithoutSign) {
  EXPECT_EQ(VoltStatsText(0, 0.001f, -0.001f, 0.001f),
            "CH0 : 最大値：0.00[uV] / 最小値：0.00[uV] / pp値：0.00[uV] / 標準偏差：0.00[uV]");
}

}  // namespace
}  // namespace velqoris
