// Overlapping Allan deviation of a record on its time grid, at averaging
// times τ = m·τ0 for m = 1, 2, 4, … while m ≤ N/4. Method, gaps and error
// bars: analysis/README.md "Stability".
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velqoris::analysis {

struct AllanPoint {
  std::int64_t m = 0;  // samples averaged
  double tauSeconds = 0.0;
  double codes = 0.0;
  std::optional<double> microvolts;  // absent without a gain
  std::optional<double> nanovolts;
  std::int64_t terms = 0;      // second differences summed
  double errorFraction = 0.0;  // 1-σ error bar as a fraction of the deviation
};

struct AllanDeviation {
  std::vector<AllanPoint> points;      // only points with at least kMinTerms terms
  std::optional<std::size_t> minimum;  // index of the lowest point
};

inline constexpr std::int64_t kMinAllanTerms = 4;

// values: codes on the grid, SampleGrid::kMissing where no result lies.
// microvoltsPerCode absent: deviations in codes only.
AllanDeviation ComputeAllanDeviation(const std::int32_t* values, std::int64_t positions,
                                     double rateSps, std::optional<double> microvoltsPerCode);

}  // namespace velqoris::analysis
