// The spectrum of one channel's run: mean removed, a window applied, one FFT
// of the whole record. Bins 0 … n/2 (one-sided). Scaling:
// analysis/README.md "Spectrum".
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/Spectrum_window.h"
#include "records/Measure_settings.h"

namespace velqoris::analysis {

// Lowest level a bin is given, instead of minus infinity.
inline constexpr double kFloorDbfs = -300.0;

struct Spectrum {
  int n = 0;  // samples in the record
  SpectrumWindow window = kDefaultWindow;
  std::optional<double> rateSps;  // absent when the rate index names no rate
  std::optional<double> binHz;    // rate / n
  std::optional<int> gain;        // absent when the gain index names no gain
  // A code at 0 or 16777215 (or outside 0 … 16777215): the input was over
  // range, and the spectrum shows the clipping, not the signal.
  bool overRange = false;

  // Per bin 0 … n/2: a tone's amplitude relative to full scale (coherent gain
  // corrected), so a full-scale sine on a bin reads 0 dBFS.
  std::vector<double> dbfs;
  // Per bin: noise power in codes², equivalent-noise-bandwidth corrected, so
  // summing a tone's bins gives its power and summing all bins the variance.
  std::vector<double> power;
  // Per bin: input-referred noise density in nV/√Hz; empty without rate or gain.
  std::vector<double> densityNvRtHz;
  // The codes less their mean, as transformed: the figures fit the tone to
  // them and read the noise from what is left (README "Spectrum").
  std::vector<double> record;

  int Bins() const { return static_cast<int>(dbfs.size()); }
  // Frequency of a bin in Hz; absent without a rate.
  std::optional<double> FrequencyHz(int bin) const;
  std::optional<double> NyquistHz() const;
};

Spectrum ComputeSpectrum(const std::int32_t* codes, int count, const MeasureSettings& settings,
                         SpectrumWindow window = kDefaultWindow);

}  // namespace velqoris::analysis
