// The one-pass statistics against values worked out by hand, and the
// extremes search over a range.
#include "stats/Running_stats.h"

#include <gtest/gtest.h>

#include <vector>

#include "stats/Code_extremes.h"

namespace velqoris {
namespace {

TEST(RunningStatsTest, StaysExactFarFromZeroWhereSummingSquaresCancels) {
  RunningStats st;
  for (int i = 0; i < 1000000; ++i) st.Add(16777214 + (i % 2));
  EXPECT_EQ(st.Count(), 1000000);
  EXPECT_DOUBLE_EQ(st.Mean(), 16777214.5);
  EXPECT_NEAR(st.Deviation(), 0.5, 1e-9);
  EXPECT_EQ(st.Max(), 16777215);
  EXPECT_EQ(st.Min(), 16777214);
}

TEST(RunningStatsTest, FewResultsAndNegativeCodes) {
  RunningStats st;
  EXPECT_EQ(st.Count(), 0);
  EXPECT_EQ(st.Deviation(), 0.0);
  st.Add(-5);
  EXPECT_EQ(st.Max(), -5);
  EXPECT_EQ(st.Min(), -5);
  EXPECT_EQ(st.Deviation(), 0.0);
  st.Add(3);  // population form: sqrt(((−5+1)² + (3+1)²) / 2) = 4
  EXPECT_DOUBLE_EQ(st.Mean(), -1.0);
  EXPECT_DOUBLE_EQ(st.Deviation(), 4.0);
}

TEST(CodeExtremesTest, SearchStartsFromTheFirstSampleOfTheRange) {
  const std::vector<std::int32_t> codes = {7, -3, -9, 12, 5};
  const CodeExtremes all = FindExtremes(codes.data(), 0, 4);
  EXPECT_EQ(all.max, 12);
  EXPECT_EQ(all.min, -9);
  // All negative: no maximum of 0 from a starting value.
  const CodeExtremes negative = FindExtremes(codes.data(), 1, 2);
  EXPECT_EQ(negative.max, -3);
  EXPECT_EQ(negative.min, -9);
  // Nothing to search: the empty search's values.
  const CodeExtremes none = FindExtremes(codes.data(), 3, 2);
  EXPECT_EQ(none.max, 0);
  EXPECT_EQ(none.min, kMaxCode);
}

}  // namespace
}  // namespace velqoris
