#include "analysis/Sample_grid.h"

#include <algorithm>
#include <cmath>

namespace velqoris::analysis {

SampleGrid::SampleGrid(std::int64_t count, const std::vector<LogGap>& gaps, double rateSps)
    : samples_(std::max<std::int64_t>(count, 0)) {
  Stretch current;
  std::int64_t grid = 0;
  for (const LogGap& g : gaps) {
    if (g.before <= current.sampleStart || g.before >= samples_) continue;
    const double periods = rateSps > 0.0 && g.seconds > 0.0 ? g.seconds * rateSps : 0.0;
    // Beyond this the grid would outgrow memory; such a log is not one record.
    const auto missing = static_cast<std::int64_t>(std::llround(std::min(periods, 1e12)));
    if (missing < 1) continue;
    current.length = g.before - current.sampleStart;
    stretches_.push_back(current);
    grid = current.gridStart + current.length + missing;
    current = Stretch{g.before, grid, 0};
  }
  current.length = samples_ - current.sampleStart;
  stretches_.push_back(current);
  positions_ = current.gridStart + current.length;
}

const Stretch& SampleGrid::Longest() const {
  return *std::max_element(stretches_.begin(), stretches_.end(),
                           [](const Stretch& a, const Stretch& b) { return a.length < b.length; });
}

std::vector<std::int32_t> SampleGrid::Fill(const std::int32_t* codes) const {
  std::vector<std::int32_t> grid(static_cast<std::size_t>(positions_), kMissing);
  for (const Stretch& s : stretches_) {
    std::copy(codes + s.sampleStart, codes + s.sampleStart + s.length, grid.begin() + s.gridStart);
  }
  return grid;
}

}  // namespace velqoris::analysis
