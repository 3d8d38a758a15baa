// One channel's analysis in one call, as the window and the command-line tool
// ask for it: noise figures with the histogram, spectrum with its figures.
#pragma once

#include <cstdint>

#include "analysis/Histogram.h"
#include "analysis/Noise_figures.h"
#include "analysis/Spectrum.h"
#include "analysis/Spectrum_figures.h"
#include "records/Measure_settings.h"

namespace velqoris::analysis {

struct NoiseAnalysis {
  NoiseFigures figures;
  Histogram histogram;
};

struct SpectrumAnalysis {
  Spectrum spectrum;
  SpectrumFigures figures;
};

NoiseAnalysis AnalyzeChannelNoise(const std::int32_t* codes, int count,
                                  const MeasureSettings& settings);
SpectrumAnalysis AnalyzeChannelSpectrum(const std::int32_t* codes, int count,
                                        const MeasureSettings& settings,
                                        SpectrumWindow window = kDefaultWindow);

}  // namespace velqoris::analysis
