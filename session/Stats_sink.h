// Running statistics of each channel of a run and its newest codes, for the
// log's and the recording's figures: nothing of the results is kept.
#pragma once

#include <cstdint>

#include "session/Sink.h"
#include "stats/Running_stats.h"

namespace velqoris {

class StatsSink final : public Sink {
 public:
  bool Begin(const RunInfo&) override {
    *this = StatsSink();
    return true;
  }
  bool Take(const Block& block) override {
    for (int ch = 0; ch < 2; ++ch) {
      if (!block.Has(ch)) continue;
      for (const std::int32_t code : block.codes[ch]) stats_[ch].Add(code);
      latest_[ch] = block.codes[ch].back();
    }
    return true;
  }

  const RunningStats& Stats(int channel) const { return stats_[channel == 1 ? 1 : 0]; }
  std::int32_t LatestCode(int channel) const { return latest_[channel == 1 ? 1 : 0]; }

 private:
  RunningStats stats_[2];
  std::int32_t latest_[2] = {0, 0};
};

}  // namespace velqoris
