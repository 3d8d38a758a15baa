#include "analysis/Drift_fit.h"

#include <cmath>

#include "analysis/Code_scale.h"
#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

std::optional<DriftFit> FitDrift(const std::int32_t* values, std::int64_t positions, double rateSps,
                                 std::optional<double> microvoltsPerCode) {
  if (values == nullptr || !(rateSps > 0.0)) return std::nullopt;
  // First pass: means (exact sums), so the second works on centred values.
  std::int64_t n = 0;
  std::int64_t codeSum = 0;
  double positionSum = 0.0;
  for (std::int64_t p = 0; p < positions; ++p) {
    if (values[p] == SampleGrid::kMissing) continue;
    ++n;
    codeSum += values[p] - kMidScaleCode;
    positionSum += static_cast<double>(p);
  }
  if (n < 3) return std::nullopt;
  const double meanCode = static_cast<double>(codeSum) / static_cast<double>(n);
  const double meanPosition = positionSum / static_cast<double>(n);
  double sxx = 0.0;
  double sxy = 0.0;
  double syy = 0.0;
  for (std::int64_t p = 0; p < positions; ++p) {
    if (values[p] == SampleGrid::kMissing) continue;
    const double x = static_cast<double>(p) - meanPosition;
    const double y = CodeOffset(values[p]) - meanCode;
    sxx += x * x;
    sxy += x * y;
    syy += y * y;
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
