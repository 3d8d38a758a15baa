// The figures of the analysis for the tool's output: per channel held, as
// Japanese text (the rows the window shows) or as one JSON object with the
// fixed keys scripts rely on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "session/Held_channels.h"
#include "session/Run_data.h"

namespace velqoris::cli {

std::string NoiseText(const RunData& data);
std::string NoiseJson(const RunData& data);
std::string SpectrumText(const RunData& data, analysis::SpectrumWindow window);
std::string SpectrumJson(const RunData& data, analysis::SpectrumWindow window);

// The object of one channel, with exactly the keys of the list.
std::string NoiseChannelJson(int channel, const analysis::NoiseFigures& figures);
std::string SpectrumChannelJson(int channel, const analysis::SpectrumAnalysis& analysis);

}  // namespace velqoris::cli
