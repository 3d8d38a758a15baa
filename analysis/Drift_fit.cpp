#include "analysis/Drift_fit.h"

#include <cmath>

#include "analysis/Code_scale.h"

namespace velqoris::analysis {

std::optional<DriftFit> FitDrift(const std::int32_t* codes, const SampleGrid& grid, double rateSps,
                                 std::optional<double> microvoltsPerCode) {
  if (codes == nullptr || !(rateSps > 0.0)) return std::nullopt;
  // First pass: means (exact sums), so the second works on centred values.
  std::int64_t n = 0;
  std::int64_t codeSum = 0;
  double positionSum = 0.0;
  for (const Stretch& s : grid.Stretches()) {
    const std::int32_t* v = codes + s.sampleStart;
    for (std::int64_t i = 0; i < s.length; ++i) codeSum += v[i] - kMidScaleCode;
    n += s.length;
    // Σ of the positions gridStart … gridStart + length − 1.
    positionSum += static_cast<double>(s.length) *
                   (static_cast<double>(s.gridStart) + static_cast<double>(s.length - 1) / 2.0);
  }
  if (n < 3) return std::nullopt;
  const double meanCode = static_cast<double>(codeSum) / static_cast<double>(n);
  const double meanPosition = positionSum / static_cast<double>(n);
  double sxx = 0.0;
  double sxy = 0.0;
  double syy = 0.0;
  for (const Stretch& s : grid.Stretches()) {
    const std::int32_t* v = codes + s.sampleStart;
    const double x0 = static_cast<double>(s.gridStart) - meanPosition;
    for (std::int64_t i = 0; i < s.length; ++i) {
      const double x = x0 + static_cast<double>(i);
      const double y = CodeOffset(v[i]) - meanCode;
      sxx += x * x;
      sxy += x * y;
      syy += y * y;
    }
  }
  const double slopePerPosition = sxy / sxx;
  const double residual = std::max(0.0, syy - slopePerPosition * sxy);
  const double stderrPerPosition = std::sqrt(residual / static_cast<double>(n - 2) / sxx);
  const double perHour = rateSps * 3600.0;
  DriftFit fit;
  fit.codesPerHour = slopePerPosition * perHour;
  fit.stderrCodesPerHour = stderrPerPosition * perHour;
  if (microvoltsPerCode) {
    fit.microvoltsPerHour = fit.codesPerHour * *microvoltsPerCode;
    fit.stderrMicrovoltsPerHour = fit.stderrCodesPerHour * *microvoltsPerCode;
  }
  return fit;
}

}  // namespace velqoris::analysis
