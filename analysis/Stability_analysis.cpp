#include "analysis/Stability_analysis.h"

#include <algorithm>
#include <thread>

#include "analysis/Code_scale.h"
#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

namespace {

constexpr std::int32_t kTopCode = 16777215;

bool OverRange(std::int32_t code) { return code <= 0 || code >= kTopCode; }

// The samples over range, while they are no more than `limit`; one more
// than that says there are too many.
std::vector<std::int64_t> OverRangeSamples(const std::int32_t* codes, std::int64_t count,
                                           std::int64_t limit) {
  std::vector<std::int64_t> found;
  // Lowest and highest in separate lanes: a loop the compiler vectorises.
  std::int32_t lo = codes[0];
  std::int32_t hi = codes[0];
  for (std::int64_t i = 0; i < count; ++i) {
    lo = std::min(lo, codes[i]);
    hi = std::max(hi, codes[i]);
  }
  if (!OverRange(lo) && !OverRange(hi)) return found;
  for (std::int64_t i = 0; i < count && static_cast<std::int64_t>(found.size()) <= limit; ++i) {
    if (OverRange(codes[i])) found.push_back(i);
  }
  return found;
}

}  // namespace

double StabilityAnalysis::GapSeconds() const {
  double sum = 0.0;
  for (const LogGap& g : gaps) sum += g.seconds;
  return sum;
}

StabilityAnalysis AnalyzeStability(const std::int32_t* codes, std::int64_t count, double rateSps,
                                   std::optional<int> gain, const std::vector<LogGap>& gaps,
                                   int channel) {
  StabilityAnalysis a;
  a.channel = channel;
  a.count = codes == nullptr ? 0 : std::max<std::int64_t>(count, 0);
  a.gain = gain && *gain > 0 ? gain : std::nullopt;
  a.gaps = gaps;
  if (a.count == 0 || !(rateSps > 0.0)) return a;
  a.rateSps = rateSps;
  const auto limit = static_cast<std::int64_t>(kOverRangeShare * static_cast<double>(a.count));
  const std::vector<std::int64_t> over = OverRangeSamples(codes, a.count, limit);
  a.overRange = static_cast<std::int64_t>(over.size());
  if (a.overRange > limit) {
    a.overRange = static_cast<std::int64_t>(
        std::count_if(codes, codes + a.count, [](std::int32_t c) { return OverRange(c); }));
    a.overRangeRefused = true;
    return a;
  }
  std::optional<double> uvPerCode;
  std::optional<double> nvPerCode;
  if (a.gain) {
    uvPerCode = MicrovoltsPerCode(*a.gain);
    nvPerCode = *uvPerCode * 1000.0;
  }
  SampleGrid grid(a.count, gaps, rateSps, over);
  if (grid.MissingPositions() > grid.Samples()) {
    a.longestStretchOnly = true;
    grid = grid.LongestOnly();
  }
  a.durationSeconds = static_cast<double>(grid.Positions()) / rateSps;
  a.allan = ComputeAllanDeviation(codes, grid, rateSps, uvPerCode);
  a.drift = FitDrift(codes, grid, rateSps, uvPerCode);
  a.spectrum = ComputeWelchSpectrum(codes, grid, rateSps, nvPerCode);
  a.band = ComputeBandNoise(codes, grid, a.spectrum, rateSps, nvPerCode);
  return a;
}

StabilityAnalysis AnalyzeStability(const LogRecord& record, int channel) {
  const int ch = channel == 1 ? 1 : 0;
  const auto& codes = record.codes[ch];
  return AnalyzeStability(codes.data(), static_cast<std::int64_t>(codes.size()), record.rateSps,
                          record.gain, record.gaps, ch);
}

std::vector<StabilityAnalysis> AnalyzeStabilityChannels(const LogRecord& record,
                                                        std::optional<int> channel) {
  std::vector<int> wanted;
  for (int ch = 0; ch < 2; ++ch) {
    if (record.HasChannel(ch) && (!channel || *channel == ch)) wanted.push_back(ch);
  }
  std::vector<StabilityAnalysis> result(wanted.size());
  if (wanted.size() == 2) {
    std::thread second([&] { result[1] = AnalyzeStability(record, wanted[1]); });
    result[0] = AnalyzeStability(record, wanted[0]);
    second.join();
  } else if (wanted.size() == 1) {
    result[0] = AnalyzeStability(record, wanted[0]);
  }
  return result;
}

}  // namespace velqoris::analysis
