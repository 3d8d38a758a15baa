// A long record laid on its time grid: one position per conversion period,
// gaps between chained start commands as missing positions. The analysis
// methods that need even spacing work on this grid.
#pragma once

#include <cstdint>
#include <limits>
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
  // A position without a result.
  static constexpr std::int32_t kMissing = std::numeric_limits<std::int32_t>::min();

  // A gap shorter than half a period is no gap; the periods it spans are
  // missing positions (rounded). Gaps outside 0 < before < count are ignored.
  SampleGrid(std::int64_t count, const std::vector<LogGap>& gaps, double rateSps);

  const std::vector<Stretch>& Stretches() const { return stretches_; }
  std::int64_t Positions() const { return positions_; }
  std::int64_t Samples() const { return samples_; }
  std::int64_t MissingPositions() const { return positions_ - samples_; }
  bool HasGaps() const { return stretches_.size() > 1; }
  const Stretch& Longest() const;

  // The codes on the grid, kMissing at every missing position.
  std::vector<std::int32_t> Fill(const std::int32_t* codes) const;

 private:
  std::vector<Stretch> stretches_;
  std::int64_t positions_ = 0;
  std::int64_t samples_ = 0;
};

}  // namespace velqoris::analysis
