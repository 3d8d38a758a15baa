// One channel of a long record in one call, as the window and the
// command-line tool ask for it: Allan deviation, drift, averaged spectrum with
// white level and 1/f corner, and 0.1–10 Hz noise. Gaps and samples over
// range: README "Stability".
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Allan_deviation.h"
#include "analysis/Band_noise.h"
#include "analysis/Drift_fit.h"
#include "analysis/Welch_spectrum.h"
#include "records/Log_record.h"

namespace velqoris::analysis {

// Samples over range (at 0 or 16777215, or outside) are left out of the
// figures, each as a missing position, while they are at most this share of
// the channel; beyond it the channel has no figures.
inline constexpr double kOverRangeShare = 0.01;

struct StabilityAnalysis {
  int channel = 0;
  std::int64_t count = 0;
  double rateSps = 0.0;  // 0: no rate, no figure
  double durationSeconds = 0.0;
  std::optional<int> gain;
  std::vector<LogGap> gaps;
  std::int64_t overRange = 0;     // samples over range
  bool overRangeRefused = false;  // more than kOverRangeShare: no figures
  // The gaps took more periods than the results: only the longest stretch is analysed.
  bool longestStretchOnly = false;
  AllanDeviation allan;
  std::optional<DriftFit> drift;
  WelchSpectrum spectrum;
  std::optional<BandNoise> band;

  double GapSeconds() const;
};

StabilityAnalysis AnalyzeStability(const std::int32_t* codes, std::int64_t count, double rateSps,
                                   std::optional<int> gain, const std::vector<LogGap>& gaps,
                                   int channel);
StabilityAnalysis AnalyzeStability(const LogRecord& record, int channel);

// Every channel the record holds (or only `channel`), CH0 first: the two
// channels side by side on two threads, each reading only its own codes.
std::vector<StabilityAnalysis> AnalyzeStabilityChannels(const LogRecord& record,
                                                        std::optional<int> channel = std::nullopt);

}  // namespace velqoris::analysis
