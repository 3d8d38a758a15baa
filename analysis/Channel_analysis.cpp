#include "analysis/Channel_analysis.h"

namespace velqoris::analysis {

NoiseAnalysis AnalyzeChannelNoise(const std::int32_t* codes, int count,
                                  const MeasureSettings& settings) {
  return NoiseAnalysis{AnalyzeNoise(codes, count, settings), MakeHistogram(codes, count)};
}

SpectrumAnalysis AnalyzeChannelSpectrum(const std::int32_t* codes, int count,
                                        const MeasureSettings& settings, SpectrumWindow window) {
  SpectrumAnalysis a;
  a.spectrum = ComputeSpectrum(codes, count, settings, window);
  a.figures = FiguresOf(a.spectrum);
  return a;
}

}  // namespace velqoris::analysis
