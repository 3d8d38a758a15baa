// The overlapping Allan deviation of records with gaps and left-out
// samples against the definition computed directly: every pair of adjacent
// windows of m positions, each mean over the window's present results, a
// window usable while it misses at most 1 % of its positions. The reference
// works on its own position array with prefix sums; it shares nothing with
// the estimator's stepped sums.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/Allan_deviation.h"
#include "analysis/Sample_grid.h"
#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

constexpr double kRate = 100.0;

struct Hole {
  std::int64_t at;      // the first missing position
  std::int64_t length;  // positions
  bool leftOut;         // a left-out result (over range) rather than a gap
};

struct Layout {
  const char* name;
  std::int64_t positions;
  std::vector<Hole> holes;
};

// A record laid on positions: the value at each (NaN where missing), and
// the codes, gaps and left-out samples the estimator takes.
struct Record {
  std::vector<double> atPosition;
  std::vector<std::int32_t> codes;
  std::vector<LogGap> gaps;
  std::vector<std::int64_t> leftOut;
};

Record Make(const Layout& layout, std::uint64_t seed) {
  Synthetic s(seed);
  Record r;
  r.atPosition.assign(static_cast<std::size_t>(layout.positions), 0.0);
  double walk = 0.0;
  for (double& v : r.atPosition) {
    walk += 3.0 * s.Gaussian();
    v = std::round(walk + 40.0 * s.Gaussian());
  }
  std::size_t h = 0;
  for (std::int64_t q = 0; q < layout.positions;) {
    if (h < layout.holes.size() && layout.holes[h].at == q) {
      const Hole& hole = layout.holes[h++];
      for (std::int64_t k = 0; k < hole.length; ++k) {
        if (hole.leftOut) {
          r.leftOut.push_back(static_cast<std::int64_t>(r.codes.size()));
          r.codes.push_back(16777215);
        } else if (k == 0) {
          r.gaps.push_back({static_cast<std::int64_t>(r.codes.size()), hole.length / kRate});
        }
        r.atPosition[static_cast<std::size_t>(q + k)] = std::nan("");
      }
      q += hole.length;
      continue;
    }
    r.codes.push_back(
        static_cast<std::int32_t>(8388608.0 + r.atPosition[static_cast<std::size_t>(q)]));
    ++q;
  }
  return r;
}

struct Reference {
  double deviation = 0.0;
  std::int64_t terms = 0;
};

Reference Direct(const std::vector<double>& v, std::int64_t m) {
  const std::size_t n = v.size();
  std::vector<double> sum(n + 1, 0.0);
  std::vector<std::int64_t> count(n + 1, 0);
  for (std::size_t q = 0; q < n; ++q) {
    const bool present = !std::isnan(v[q]);
    sum[q + 1] = sum[q] + (present ? v[q] : 0.0);
    count[q + 1] = count[q] + (present ? 1 : 0);
  }
  const std::int64_t need = m - m / 100;
  double squares = 0.0;
  Reference r;
  for (std::size_t p = 0; p + 2 * static_cast<std::size_t>(m) <= n; ++p) {
    const std::size_t mid = p + static_cast<std::size_t>(m);
    const std::size_t end = mid + static_cast<std::size_t>(m);
    const std::int64_t ca = count[mid] - count[p];
    const std::int64_t cb = count[end] - count[mid];
    if (ca < need || cb < need || ca == 0 || cb == 0) continue;
    const double d = (sum[end] - sum[mid]) / static_cast<double>(cb) -
                     (sum[mid] - sum[p]) / static_cast<double>(ca);
    squares += d * d;
    ++r.terms;
  }
  r.deviation = std::sqrt(squares / (2.0 * static_cast<double>(r.terms)));
  return r;
}

class AllanReference : public ::testing::TestWithParam<Layout> {};

TEST_P(AllanReference, EveryAveragingTimeAgreesWithTheDefinition) {
  const Layout& layout = GetParam();
  const Record r = Make(layout, 11);
  const analysis::SampleGrid grid(static_cast<std::int64_t>(r.codes.size()), r.gaps, kRate,
                                  r.leftOut);
  ASSERT_EQ(grid.Positions(), layout.positions);
  const auto allan = analysis::ComputeAllanDeviation(r.codes.data(), grid, kRate, std::nullopt);
  ASSERT_FALSE(allan.points.empty());
  for (const auto& p : allan.points) {
    const Reference want = Direct(r.atPosition, p.m);
    EXPECT_EQ(p.terms, want.terms) << "m = " << p.m;
    EXPECT_NEAR(p.codes, want.deviation, 1e-12 * want.deviation) << "m = " << p.m;
  }
  // Down to m = 1 and up to a quarter of the positions.
  EXPECT_EQ(allan.points.front().m, 1);
  EXPECT_GT(allan.points.back().m * 8, layout.positions);
}

// Gaps of 13 and 25 positions leave windows from m = 2048 on (1 % of it is
// 20) averaging over what is there; shorter windows across them are skipped.
INSTANTIATE_TEST_SUITE_P(
    Layouts, AllanReference,
    ::testing::Values(Layout{"none", 20011, {}},
                      Layout{
                          "gaps", 20011, {{1000, 13, false}, {9001, 1, false}, {15000, 25, false}}},
                      Layout{"left_out", 20011, {{0, 1, true}, {17, 2, true}, {20010, 1, true}}},
                      Layout{"both", 20011, {{5, 3, true}, {7000, 19, false}, {12001, 20, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The noise type at each τ of a record longer than the million averages the
// type is found from, gaps and all: white codes are white frequency noise
// (α = 0) at every τ, their running sum random-walk noise (α = −2).
TEST(AllanNoiseType, FoundAtEveryAveragingTimeOfALongRecordWithGaps) {
  const std::int64_t n = (std::int64_t{1} << 21) + 777;
  Synthetic s(23);
  std::vector<std::int32_t> white(static_cast<std::size_t>(n));
  std::vector<std::int32_t> walk(static_cast<std::size_t>(n));
  double level = 0.0;
  for (std::size_t i = 0; i < white.size(); ++i) {
    const double g = s.Gaussian();
    level += 5.0 * g;
    white[i] = static_cast<std::int32_t>(std::lround(8388608.0 + 100.0 * g));
    walk[i] = static_cast<std::int32_t>(std::lround(8388608.0 + level));
  }
  const std::vector<LogGap> gaps = {{300000, 0.05}, {1500001, 2.0}};
  const analysis::SampleGrid grid(n, gaps, kRate);
  for (const auto& [codes, alpha] : {std::pair{&white, 0}, std::pair{&walk, -2}}) {
    const auto a = analysis::ComputeAllanDeviation(codes->data(), grid, kRate, std::nullopt);
    ASSERT_GE(a.points.size(), 18u);
    for (const auto& p : a.points) EXPECT_EQ(p.alpha, alpha) << "m = " << p.m;
  }
}

}  // namespace
}  // namespace velqoris::testing
