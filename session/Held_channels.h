// The channels a run holds, one by one, as the analysis and its pictures and
// reports walk them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/Run_data.h"

namespace velqoris::cli {

// One channel of the data held.
struct HeldChannel {
  int channel = 0;
  const std::int32_t* codes = nullptr;
  int count = 0;
};

// CH0 first; only the channels the data holds.
std::vector<HeldChannel> HeldChannels(const RunData& data);

// "CH0 : 1000 点 / 10 sps / ゲイン 1 / Sinc4 / チョッピング off", the line above a channel's
// figures.
std::string ChannelHeading(const HeldChannel& channel, const MeasureSettings& settings);

}  // namespace velqoris::cli
