// 0.1–10 Hz noise as data sheets state it: the RMS from the averaged spectrum
// integrated over 0.1–10 Hz, and the peak-to-peak of the record band-limited
// to 0.1–10 Hz (BandFilter) over 10-second stretches, the largest and the mean.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/Sample_grid.h"
#include "analysis/Welch_spectrum.h"

namespace velqoris::analysis {

struct BandNoise {
  std::optional<double> rmsCodes;  // absent when the spectrum does not reach 0.1 Hz
  std::optional<double> rmsNanovolts;
  std::optional<double> ppMaxCodes;  // absent without one whole 10-s stretch
  std::optional<double> ppMeanCodes;
  std::optional<double> ppMaxNanovolts;
  std::optional<double> ppMeanNanovolts;
  std::int64_t ppStretches = 0;
};

inline constexpr double kPeakToPeakSeconds = 10.0;
// The filter's settling at the start of each gap-free stretch, left out.
inline constexpr double kSettlingSeconds = 10.0;

// The RMS over 0.1–10 Hz of an averaged spectrum, in codes.
std::optional<double> BandRmsCodes(const WelchSpectrum& spectrum);

// Absent when the rate is too low for the band.
// The codes on their grid: the filter runs through each gap-free stretch.
std::optional<BandNoise> ComputeBandNoise(const std::int32_t* codes, const SampleGrid& grid,
                                          const WelchSpectrum& spectrum, double rateSps,
                                          std::optional<double> nanovoltsPerCode);

}  // namespace velqoris::analysis
