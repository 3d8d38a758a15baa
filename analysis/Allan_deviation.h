// Overlapping Allan deviation of a record on its time grid, at averaging
// times τ = m·τ0 for m = 1, 2, 4, … while m ≤ N/4, each with its 1σ
// confidence interval: the noise type identified at that τ, the equivalent
// degrees of freedom of the overlapping estimator for that type, and the χ²
// interval. Method, gaps and error bars: analysis/README.md "Stability".
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

struct AllanPoint {
  std::int64_t m = 0;  // samples averaged
  double tauSeconds = 0.0;
  double codes = 0.0;
  std::optional<double> microvolts;  // absent without a gain
  std::optional<double> nanovolts;
  std::int64_t terms = 0;  // second differences summed
  // The power-law exponent α of the noise at this τ (density ∝ f^α):
  // 0 white, −1 flicker (1/f), −2 random walk; +1, +2 noise that rises with f.
  int alpha = 0;
  double edf = 0.0;  // equivalent degrees of freedom
  // The 1σ interval as fractions of the deviation: low < 1 < high.
  double lowFraction = 1.0;
  double highFraction = 1.0;
};

struct AllanDeviation {
  std::vector<AllanPoint> points;      // only points with at least kMinAllanTerms terms
  std::optional<std::size_t> minimum;  // the lowest point with at least kMinimumEdf
};

inline constexpr std::int64_t kMinAllanTerms = 4;
// The minimum is sought only where the deviation is known within about
// −14 % / +22 % (1σ): at least 10 equivalent degrees of freedom.
inline constexpr double kMinimumEdf = 10.0;

// The equivalent degrees of freedom of the overlapping Allan variance at m
// for N phase points (N − 1 results) and noise exponent α (simple formulas
// for power-law noise, as the frequency-stability handbooks give them).
double AllanEdf(double phasePoints, double m, int alpha);

// The codes on their grid (grid.Stretches() index into codes), each within
// 0 … 16777215 (AnalyzeStability leaves codes over range out of the grid).
// microvoltsPerCode absent: deviations in codes only.
AllanDeviation ComputeAllanDeviation(const std::int32_t* codes, const SampleGrid& grid,
                                     double rateSps, std::optional<double> microvoltsPerCode);

}  // namespace velqoris::analysis
