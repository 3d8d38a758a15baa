// The statistics line of one channel, from the held data and that channel's
// extremes. The window shows it in the status bar; the command-line tool
// prints it. Extremes come from the graph or from its axis scaling, which
// both answer MaxCodeCh0() … MinMicrovoltsCh1().
#pragma once

#include <cstdint>
#include <string>

#include "session/Run_data.h"

namespace velqoris {

struct ChannelStats {
  std::int32_t channel = 0;
  std::int32_t maxCode = 0;
  std::int32_t minCode = 0;
  float codeSD = 0;
  float maxMicrovolts = 0;
  float minMicrovolts = 0;
  float voltSD = 0;
};

template <typename Extremes>
ChannelStats StatsOf(const RunData& data, Extremes& extremes, int channel) {
  ChannelStats s;
  s.channel = channel == 0 ? 0 : 1;
  if (s.channel == 0) {
    s.maxCode = extremes.MaxCodeCh0();
    s.minCode = extremes.MinCodeCh0();
    s.maxMicrovolts = extremes.MaxMicrovoltsCh0();
    s.minMicrovolts = extremes.MinMicrovoltsCh0();
    s.codeSD = data.CodeSDCH0;
    s.voltSD = data.VoltSDCH0;
  } else {
    s.maxCode = extremes.MaxCodeCh1();
    s.minCode = extremes.MinCodeCh1();
    s.maxMicrovolts = extremes.MaxMicrovoltsCh1();
    s.minMicrovolts = extremes.MinMicrovoltsCh1();
    s.codeSD = data.CodeSDCH1;
    s.voltSD = data.VoltSDCH1;
  }
  return s;
}

// The very text of the status bar's statistics panel.
std::string StatsLine(const ChannelStats& stats, bool voltMode);

}  // namespace velqoris
