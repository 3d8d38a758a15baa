// Drift of a long record: the least-squares straight line through the codes
// against their time on the grid, its slope per hour and the slope's
// standard error (residuals taken as independent: README "Stability").
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

struct DriftFit {
  double codesPerHour = 0.0;
  double stderrCodesPerHour = 0.0;
  std::optional<double> microvoltsPerHour;  // absent without a gain
  std::optional<double> stderrMicrovoltsPerHour;
};

// The codes on their grid; absent with fewer than 3 results.
std::optional<DriftFit> FitDrift(const std::int32_t* codes, const SampleGrid& grid, double rateSps,
                                 std::optional<double> microvoltsPerCode);

}  // namespace velqoris::analysis
