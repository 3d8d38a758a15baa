// Drift of a long record: the least-squares straight line through the codes
// against their time on the grid, its slope per hour and the slope's
// standard error (residuals taken as independent: README "Stability").
#pragma once

#include <cstdint>
#include <optional>

namespace velqoris::analysis {

struct DriftFit {
  double codesPerHour = 0.0;
  double stderrCodesPerHour = 0.0;
  std::optional<double> microvoltsPerHour;  // absent without a gain
  std::optional<double> stderrMicrovoltsPerHour;
};

// values on the grid (SampleGrid::kMissing skipped); absent with fewer than 3 results.
std::optional<DriftFit> FitDrift(const std::int32_t* values, std::int64_t positions, double rateSps,
                                 std::optional<double> microvoltsPerCode);

}  // namespace velqoris::analysis
