#include "analysis/Stability_analysis.h"

#include "analysis/Code_scale.h"
#include "analysis/Sample_grid.h"

namespace velqoris::analysis {

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
  std::optional<double> uvPerCode;
  std::optional<double> nvPerCode;
  if (a.gain) {
    uvPerCode = MicrovoltsPerCode(*a.gain);
    nvPerCode = *uvPerCode * 1000.0;
  }
  SampleGrid grid(a.count, gaps, rateSps);
  if (grid.MissingPositions() > grid.Samples()) {
    const Stretch longest = grid.Longest();
    a.longestStretchOnly = true;
    codes += longest.sampleStart;
    grid = SampleGrid(longest.length, {}, rateSps);
  }
  a.durationSeconds = static_cast<double>(grid.Positions()) / rateSps;
  std::vector<std::int32_t> filled;
  const std::int32_t* values = codes;
  if (grid.HasGaps()) {
    filled = grid.Fill(codes);
    values = filled.data();
  }
  a.allan = ComputeAllanDeviation(values, grid.Positions(), rateSps, uvPerCode);
  a.drift = FitDrift(values, grid.Positions(), rateSps, uvPerCode);
  a.spectrum = ComputeWelchSpectrum(values, grid, rateSps, nvPerCode);
  a.band = ComputeBandNoise(values, grid, a.spectrum, rateSps, nvPerCode);
  return a;
}

StabilityAnalysis AnalyzeStability(const LogRecord& record, int channel) {
  const int ch = channel == 1 ? 1 : 0;
  const auto& codes = record.codes[ch];
  return AnalyzeStability(codes.data(), static_cast<std::int64_t>(codes.size()), record.rateSps,
                          record.gain, record.gaps, ch);
}

}  // namespace velqoris::analysis
