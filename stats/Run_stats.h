// Mean and population standard deviation of one channel's run, in codes and
// in microvolts. Plain C++: the window calls these when a result is complete.
#pragma once

#include <cstdint>

#include "records/Measure_settings.h"

namespace velqoris {

// Mean truncated toward zero; deviation around that integer mean. A buffer
// without usable samples (Count 0, or outside 1 … kSampleCapacity, or no
// array) leaves both outputs as they were.
void CalcCodeStats(const SampleBuffer& buffer, std::int32_t& mean, float& sd);

// Mean of the microvolt values, stored as float; deviation around that stored
// mean. Same rule for a buffer without usable samples.
void CalcVoltStats(const SampleBuffer& buffer, float& mean, float& sd);

}  // namespace velqoris
