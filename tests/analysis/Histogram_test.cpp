// Histogram bins at the switch from one bin per code to grouped bins, and the
// normal curve over them.
#include "analysis/Histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using analysis::Histogram;
using analysis::MakeHistogram;

std::vector<std::int32_t> Ramp(std::int32_t first, int span) {
  std::vector<std::int32_t> codes(static_cast<std::size_t>(span));
  std::iota(codes.begin(), codes.end(), first);
  return codes;
}

TEST(Histogram, OneBinPerCodeUpToTheLimit) {
  const auto codes = Ramp(8388500, 200);
  const Histogram h = MakeHistogram(codes.data(), 200);
  EXPECT_TRUE(h.PerCode());
  EXPECT_EQ(h.Bins(), 200);
  EXPECT_EQ(h.firstCode, 8388500);
  for (int c : h.counts) EXPECT_EQ(c, 1);
  EXPECT_DOUBLE_EQ(h.LowerEdge(0), 8388499.5);
  EXPECT_DOUBLE_EQ(h.UpperEdge(199), 8388699.5);
}

TEST(Histogram, GroupedBinsOneCodePastTheLimitHoldEqualCodeCounts) {
  const auto codes = Ramp(1000, 201);
  const Histogram h = MakeHistogram(codes.data(), 201);
  EXPECT_FALSE(h.PerCode());
  EXPECT_EQ(h.codesPerBin, 2);
  EXPECT_EQ(h.Bins(), 101);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(h.counts[static_cast<std::size_t>(i)], 2);
  EXPECT_EQ(h.counts.back(), 1);
  EXPECT_EQ(std::accumulate(h.counts.begin(), h.counts.end(), 0), 201);
}

TEST(Histogram, WideSpansStayWithinTheLimit) {
  for (int span : {399, 400, 401, 12345, 1000000}) {
    const std::vector<std::int32_t> codes = {5000, 5000 + span - 1};
    const Histogram h = MakeHistogram(codes.data(), 2);
    EXPECT_LE(h.Bins(), Histogram::kMaxBins) << span;
    EXPECT_GE(h.codesPerBin * h.Bins(), span);
    EXPECT_EQ(h.counts.front(), 1);
    EXPECT_EQ(h.counts.back(), 1);
  }
  const std::vector<std::int32_t> extreme = {std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()};
  const Histogram h = MakeHistogram(extreme.data(), 2);
  EXPECT_LE(h.Bins(), Histogram::kMaxBins);
  EXPECT_EQ(h.counts.front() + h.counts.back(), 2);
}

TEST(Histogram, NormalCurveHasTheDataMeanDeviationAndArea) {
  Synthetic synth;
  const auto codes = synth.Record(10000, {}, 20.0);
  const Histogram h = MakeHistogram(codes.data(), 10000);
  EXPECT_TRUE(h.PerCode());
  EXPECT_NEAR(h.mean, 8388608.0, 1.0);
  EXPECT_NEAR(h.sigma, 20.0, 0.5);
  double area = 0.0;
  for (int i = 0; i < h.Bins(); ++i) area += h.NormalCount(h.Centre(i));
  EXPECT_NEAR(area, 10000.0, 30.0);
  // The tallest bar sits near the curve's peak: 10000 / (√(2π) × 20) ≈ 199.
  EXPECT_NEAR(h.NormalCount(h.mean), 10000 / (std::sqrt(2 * 3.14159265358979) * h.sigma), 1e-9);
  EXPECT_NEAR(h.MaxCount(), 199.0, 40.0);
}

TEST(Histogram, EdgeCases) {
  EXPECT_EQ(MakeHistogram(nullptr, 0).Bins(), 0);
  const std::vector<std::int32_t> flat(50, 42);
  const Histogram h = MakeHistogram(flat.data(), 50);
  EXPECT_EQ(h.Bins(), 1);
  EXPECT_EQ(h.counts[0], 50);
  EXPECT_EQ(h.NormalCount(42.0), 0.0) << "no curve without a deviation";
}

}  // namespace
}  // namespace velqoris::testing
