#include "analysis/Allan_deviation.h"

#include <cmath>

#include "analysis/Code_scale.h"
#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

namespace {

// A window's sum and how many results it holds.
struct Window {
  std::int64_t sum = 0;
  std::int64_t count = 0;
  void Add(std::int32_t v) {
    if (v == SampleGrid::kMissing) return;
    sum += v - kMidScaleCode;
    ++count;
  }
  void Remove(std::int32_t v) {
    if (v == SampleGrid::kMissing) return;
    sum -= v - kMidScaleCode;
    --count;
  }
  bool Usable(std::int64_t need) const { return count >= need; }
  double Mean() const { return static_cast<double>(sum) / static_cast<double>(count); }
};

// Sum of squared differences of adjacent m-averages, and their number.
// Whole windows (every term of a record without gaps) sum the differences
// of their integer sums and divide by m² once at the end.
std::pair<double, std::int64_t> SquaredDifferences(const std::int32_t* v, std::int64_t n,
                                                   std::int64_t m) {
  Window a;
  Window b;
  for (std::int64_t i = 0; i < m; ++i) a.Add(v[i]);
  for (std::int64_t i = m; i < 2 * m; ++i) b.Add(v[i]);
  // A window that misses up to 1 % of its periods still averages well.
  const std::int64_t need = m - m / 100;
  double whole = 0.0;
  double partial = 0.0;
  std::int64_t terms = 0;
  for (std::int64_t p = 0;; ++p) {
    if (a.count == m && b.count == m) {
      const auto d = static_cast<double>(b.sum - a.sum);
      whole += d * d;
      ++terms;
    } else if (a.Usable(need) && b.Usable(need)) {
      const double d = b.Mean() - a.Mean();
      partial += d * d;
      ++terms;
    }
    if (p + 2 * m >= n) break;
    a.Remove(v[p]);
    a.Add(v[p + m]);
    b.Remove(v[p + m]);
    b.Add(v[p + 2 * m]);
  }
  const auto mm = static_cast<double>(m);
  return {whole / (mm * mm) + partial, terms};
}

}  // namespace

AllanDeviation ComputeAllanDeviation(const std::int32_t* values, std::int64_t positions,
                                     double rateSps, std::optional<double> microvoltsPerCode) {
  AllanDeviation result;
  if (values == nullptr || positions < 4 || !(rateSps > 0.0)) return result;
  for (std::int64_t m = 1; m <= positions / 4; m *= 2) {
    const auto [sum, terms] = SquaredDifferences(values, positions, m);
    if (terms < kMinAllanTerms) continue;
    AllanPoint p;
    p.m = m;
    p.tauSeconds = static_cast<double>(m) / rateSps;
    p.codes = std::sqrt(sum / (2.0 * static_cast<double>(terms)));
    if (microvoltsPerCode) {
      p.microvolts = p.codes * *microvoltsPerCode;
      p.nanovolts = *p.microvolts * 1000.0;
    }
    p.terms = terms;
    // Overlapping terms are not independent: the bar counts the
    // non-overlapping differences among them.
    const std::int64_t independent = (terms - 1) / m + 1;
    p.errorFraction = 1.0 / std::sqrt(static_cast<double>(independent));
    result.points.push_back(p);
  }
  for (std::size_t i = 0; i < result.points.size(); ++i) {
    if (!result.minimum || result.points[i].codes < result.points[*result.minimum].codes) {
      result.minimum = i;
    }
  }
  return result;
}

}  // namespace velqoris::analysis
