// The averaged noise spectrum of a long record (Welch: Hann window, 50 %
// overlap, each segment's straight line removed), its white-noise level and
// its 1/f corner. Segment length and rules: analysis/README.md "Stability".
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Sample_grid.h"
#include "analysis/Spectrum.h"

namespace velqoris::analysis {

struct WelchSpectrum {
  int segmentLength = 0;
  std::int64_t segments = 0;
  double rateSps = 0.0;
  double binHz = 0.0;
  // One-sided density per bin 0 … L/2 in codes²/Hz; empty without a segment.
  std::vector<double> psdCodes;
  std::optional<double> nanovoltsPerCode;  // absent without a gain

  std::optional<double> whiteCodesRtHz;  // the flat part's level
  std::optional<double> whiteNvRtHz;
  // Where the 1/f noise's density meets the white level (the density is √2 ×
  // the white level there), with its 1σ uncertainty; absent when no 1/f noise
  // stands out (a line is not 1/f noise).
  std::optional<double> flickerCornerHz;
  std::optional<double> flickerCornerErrorHz;
  // Below this frequency a line's leakage covers every bin: no corner seen there.
  std::optional<double> cornerHiddenBelowHz;
  std::size_t lineBins = 0;  // bins left out of the fit as lines or their leakage

  // Bins below this one carry the window's and the line removal's leakage.
  static constexpr int kFirstUsableBin = 2;

  bool Empty() const { return psdCodes.empty(); }
  double FrequencyHz(std::size_t bin) const { return binHz * static_cast<double>(bin); }
  // Density in nV/√Hz, or in codes/√Hz without a gain.
  double Density(std::size_t bin) const;
};

// The lowest bin reaches 0.1 Hz with segments of at least 20 s when the record
// is long enough; a shorter longest stretch gets segments a 4.5th of it.
int WelchSegmentLength(std::int64_t longestStretch, double rateSps);

// The codes on their grid; segments lie inside its gap-free stretches.
WelchSpectrum ComputeWelchSpectrum(const std::int32_t* codes, const SampleGrid& grid,
                                   double rateSps, std::optional<double> nanovoltsPerCode);

// The averaged spectrum in the form of one record's spectrum (Hann, n = the
// segment length, powers averaged), for the spectrum page and its figures.
Spectrum AsSpectrum(const WelchSpectrum& welch, std::optional<int> gain);

}  // namespace velqoris::analysis
