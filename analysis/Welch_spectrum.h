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
  // Where the density rises to √2 × the white level; absent when it never does.
  std::optional<double> flickerCornerHz;

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

// values on the grid of `grid`; segments lie inside its gap-free stretches.
WelchSpectrum ComputeWelchSpectrum(const std::int32_t* values, const SampleGrid& grid,
                                   double rateSps, std::optional<double> nanovoltsPerCode);

// The averaged spectrum in the form of one record's spectrum (Hann, n = the
// segment length, powers averaged), for the spectrum page and its figures.
Spectrum AsSpectrum(const WelchSpectrum& welch, std::optional<int> gain);

}  // namespace velqoris::analysis
