// The figures of the analysis for the tool's output: per channel held, as
// Japanese text (the rows the window shows) or as one JSON object with the
// fixed keys scripts rely on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "session/Held_channels.h"
#include "session/Log_analysis.h"
#include "session/Run_data.h"

namespace velqoris::cli {

std::string NoiseText(const RunData& data);
std::string NoiseJson(const RunData& data);
// The same for channels held elsewhere (a long log), under one set of settings.
std::string NoiseText(const std::vector<HeldChannel>& channels, const MeasureSettings& settings);
std::string NoiseJson(const std::vector<HeldChannel>& channels, const MeasureSettings& settings);
std::string SpectrumText(const RunData& data, analysis::SpectrumWindow window);
std::string SpectrumJson(const RunData& data, analysis::SpectrumWindow window);
// A long log's averaged spectra (the analysis window's spectrum page of a log).
std::string LogSpectrumText(const LogAnalysis& log);
std::string LogSpectrumJson(const LogAnalysis& log);

}  // namespace velqoris::cli
