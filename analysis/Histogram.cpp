#include "analysis/Histogram.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velqoris::analysis {

double Histogram::LowerEdge(int bin) const {
  return static_cast<double>(firstCode) + static_cast<double>(bin) * codesPerBin - 0.5;
}

double Histogram::UpperEdge(int bin) const { return LowerEdge(bin) + codesPerBin; }

int Histogram::MaxCount() const {
  return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

double Histogram::NormalCount(double code) const {
  if (!(sigma > 0.0)) return 0.0;
  const double z = (code - mean) / sigma;
  const double density = std::exp(-0.5 * z * z) / (sigma * std::sqrt(2.0 * std::numbers::pi));
  return total * static_cast<double>(codesPerBin) * density;
}

Histogram MakeHistogram(const std::int32_t* codes, int count) {
  Histogram h;
  if (codes == nullptr || count <= 0) return h;
  const auto [lo, hi] = std::minmax_element(codes, codes + count);
  const std::int64_t span = std::int64_t{*hi} - std::int64_t{*lo} + 1;
  h.firstCode = *lo;
  h.codesPerBin =
      span <= Histogram::kMaxBins ? 1 : (span + Histogram::kMaxBins - 1) / Histogram::kMaxBins;
  const std::int64_t bins = (span + h.codesPerBin - 1) / h.codesPerBin;
  h.counts.assign(static_cast<std::size_t>(bins), 0);

  const double origin = static_cast<double>(codes[0]);
  double sum = 0.0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t bin = (std::int64_t{codes[i]} - h.firstCode) / h.codesPerBin;
    ++h.counts[static_cast<std::size_t>(bin)];
    sum += static_cast<double>(codes[i]) - origin;
  }
  const double meanFromOrigin = sum / count;
  double m2 = 0.0;
  for (int i = 0; i < count; ++i) {
    const double d = static_cast<double>(codes[i]) - origin - meanFromOrigin;
    m2 += d * d;
  }
  h.total = count;
  h.mean = origin + meanFromOrigin;
  h.sigma = std::sqrt(m2 / count);
  return h;
}

}  // namespace velqoris::analysis
