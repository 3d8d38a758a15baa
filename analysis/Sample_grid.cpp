#include "analysis/Sample_grid.h"

#include <algorithm>
#include <cmath>

namespace velqoris::analysis {

SampleGrid::SampleGrid(std::int64_t count, const std::vector<LogGap>& gaps, double rateSps,
                       const std::vector<std::int64_t>& excluded) {
  count = std::max<std::int64_t>(count, 0);
  // Walks the samples: a gap before sample b moves the grid on by its
  // periods, an excluded sample leaves its own position empty.
  std::int64_t sample = 0;
  std::int64_t grid = 0;
  Stretch current;
  const auto close = [&](std::int64_t end) {
    current.length = end - current.sampleStart;
    if (current.length > 0) stretches_.push_back(current);
    samples_ += current.length;
    grid = current.gridStart + current.length;
    sample = end;
  };
  std::size_t g = 0;
  std::size_t e = 0;
  while (true) {
    while (g < gaps.size() &&
           (gaps[g].before < sample || gaps[g].before <= 0 || gaps[g].before >= count)) {
      ++g;
    }
    while (e < excluded.size() && (excluded[e] < sample || excluded[e] >= count)) ++e;
    const std::int64_t nextGap = g < gaps.size() ? gaps[g].before : count;
    const std::int64_t nextExcluded = e < excluded.size() ? excluded[e] : count;
    if (nextGap >= count && nextExcluded >= count) break;
    if (nextExcluded < nextGap) {
      close(nextExcluded);
      current = Stretch{nextExcluded + 1, grid + 1, 0};
      grid += 1;
      sample = nextExcluded + 1;
      continue;
    }
    const double periods = rateSps > 0.0 && gaps[g].seconds > 0.0 ? gaps[g].seconds * rateSps : 0.0;
    // Beyond this the grid would outgrow any record; such a log is not one record.
    const auto missing = static_cast<std::int64_t>(std::llround(std::min(periods, 1e12)));
    ++g;
    if (missing < 1) continue;
    close(nextGap);
    current = Stretch{nextGap, grid + missing, 0};
    grid += missing;
  }
  close(count);
  positions_ = grid;
}

Stretch SampleGrid::Longest() const {
  if (stretches_.empty()) return {};
  return *std::max_element(stretches_.begin(), stretches_.end(),
                           [](const Stretch& a, const Stretch& b) { return a.length < b.length; });
}

SampleGrid SampleGrid::LongestOnly() const {
  SampleGrid g;
  Stretch s = Longest();
  s.gridStart = 0;
  if (s.length > 0) g.stretches_.push_back(s);
  g.positions_ = g.samples_ = s.length;
  return g;
}

}  // namespace velqoris::analysis
