// Synthetic records whose figures are known from theory: sines, harmonics
// and white Gaussian noise in codes, rounded as the converter rounds.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "records/Measure_settings.h"

namespace velqoris::testing {

// Settings of a run at a listed rate and gain (indices into the lists).
inline MeasureSettings SettingsAt(int spsSel, int gainSel) {
  MeasureSettings s;
  s.spsSel = spsSel;
  s.GainSel = gainSel;
  s.Gain = kGains[static_cast<std::size_t>(gainSel)];
  return s;
}

struct Tone {
  double bins;       // frequency in bins of the record (cycles per record)
  double amplitude;  // codes, peak
  double phase = 0.3;
};

class Synthetic {
 public:
  explicit Synthetic(std::uint64_t seed = 11) : rng_(seed) {}

  // Mid-scale plus tones plus Gaussian noise of sigma codes, rounded.
  std::vector<std::int32_t> Record(int n, const std::vector<Tone>& tones, double sigma) {
    std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      double v = 8388608.0;
      for (const Tone& t : tones) {
        v += t.amplitude * std::sin(2.0 * std::numbers::pi * t.bins * i / n + t.phase);
      }
      if (sigma > 0.0) v += sigma * Gaussian();
      codes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(v));
    }
    return codes;
  }

  double Gaussian() {
    // Box-Muller on the engine's raw bits: the same numbers with any library.
    const double u1 = (static_cast<double>(rng_() >> 11) + 1.0) * 0x1.0p-53;
    const double u2 = static_cast<double>(rng_() >> 11) * 0x1.0p-53;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  }

 private:
  std::mt19937_64 rng_;
};

inline double Dbfs(double amplitudeCodes) { return 20.0 * std::log10(amplitudeCodes / 8388607.0); }

}  // namespace velqoris::testing
