// A long record laid on its time grid: one position per conversion period,
// gaps between chained start commands as missing positions, and samples left
// out (over range) as one missing position each. Every method that needs
// even spacing walks the grid's gap-free stretches; nothing is copied.
#pragma once

#include <cstdint>
#include <vector>

#include "records/Log_record.h"

namespace velqoris::analysis {

// A stretch of results without a gap: samples [sampleStart, sampleStart + length)
// lie on positions [gridStart, gridStart + length).
struct Stretch {
  std::int64_t sampleStart = 0;
  std::int64_t gridStart = 0;
  std::int64_t length = 0;
};

class SampleGrid {
 public:
  // A gap shorter than half a period is no gap; the periods it spans are
  // missing positions (rounded). Gaps outside 0 < before < count are ignored.
  // excluded: sample indices, ascending, whose positions stay empty.
  SampleGrid(std::int64_t count, const std::vector<LogGap>& gaps, double rateSps,
             const std::vector<std::int64_t>& excluded = {});

  const std::vector<Stretch>& Stretches() const { return stretches_; }
  std::int64_t Positions() const { return positions_; }
  std::int64_t Samples() const { return samples_; }
  std::int64_t MissingPositions() const { return positions_ - samples_; }
  bool HasGaps() const { return stretches_.size() > 1; }
  // The longest stretch (an empty one when there is none).
  Stretch Longest() const;
  // The longest stretch alone, as a grid of its own (positions from 0).
  SampleGrid LongestOnly() const;

 private:
  SampleGrid() = default;
  std::vector<Stretch> stretches_;
  std::int64_t positions_ = 0;
  std::int64_t samples_ = 0;
};

}  // namespace velqoris::analysis
