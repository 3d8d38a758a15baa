// A log file opened in the analysis window: read, and every page's analysis
// of every channel computed, in one call that may run off the UI thread. The
// histogram and noise figures cover the whole log; its spectrum is the
// averaged one; the codes are not kept once analysed. Plain C++.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Stability_analysis.h"
#include "records/Measure_settings.h"
#include "session/Log_reader.h"

namespace velqoris {

struct LogChannelAnalysis {
  std::int64_t count = 0;
  analysis::NoiseAnalysis noise;
  analysis::SpectrumAnalysis spectrum;
  analysis::StabilityAnalysis stability;
};

struct LogAnalysis {
  std::string path;
  LogReadStatus status = LogReadStatus::kOk;
  std::string message;  // the Japanese text of a failed read
  std::string cutNote;  // a last row without its line end that was left out ("" when none)
  MeasureSettings settings;
  double rateSps = 0.0;
  std::optional<int> gain;
  std::array<std::optional<LogChannelAnalysis>, 2> channels;
};

// board: the serial number of one board of an HDF5 log (empty: the first).
LogAnalysis AnalyzeLogFile(const std::string& path, const std::string& board = {});

}  // namespace velqoris
