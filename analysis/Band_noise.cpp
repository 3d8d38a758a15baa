#include "analysis/Band_noise.h"

#include <algorithm>
#include <cmath>

#include "analysis/Band_filter.h"
#include "analysis/Code_scale.h"

namespace velqoris::analysis {

std::optional<double> BandRmsCodes(const WelchSpectrum& w) {
  if (w.Empty() || !BandFilter::Possible(w.rateSps)) return std::nullopt;
  // The first usable bin must lie at 0.1 Hz or below.
  if (w.FrequencyHz(WelchSpectrum::kFirstUsableBin) > BandFilter::kLowHz * (1.0 + 1e-9)) {
    return std::nullopt;
  }
  double power = 0.0;
  for (std::size_t k = WelchSpectrum::kFirstUsableBin; k < w.psdCodes.size(); ++k) {
    const double hz = w.FrequencyHz(k);
    if (hz < BandFilter::kLowHz * (1.0 - 1e-9)) continue;
    if (hz > BandFilter::kHighHz * (1.0 + 1e-9)) break;
    power += w.psdCodes[k] * w.binHz;
  }
  return std::sqrt(power);
}

std::optional<BandNoise> ComputeBandNoise(const std::int32_t* codes, const SampleGrid& grid,
                                          const WelchSpectrum& spectrum, double rateSps,
                                          std::optional<double> nanovoltsPerCode) {
  if (codes == nullptr || !BandFilter::Possible(rateSps)) return std::nullopt;
  BandNoise b;
  b.rmsCodes = BandRmsCodes(spectrum);
  const auto settle = static_cast<std::int64_t>(std::ceil(kSettlingSeconds * rateSps));
  const auto window = static_cast<std::int64_t>(std::llround(kPeakToPeakSeconds * rateSps));
  BandFilter filter(rateSps);
  double ppSum = 0.0;
  double ppMax = 0.0;
  for (const Stretch& s : grid.Stretches()) {
    if (s.length < settle + window) continue;
    filter.Reset();
    const std::int32_t* v = codes + s.sampleStart;
    // Starting from the first result as level, the filter starts settled on it.
    const double origin = CodeOffset(v[0]);
    double lo = 0.0;
    double hi = 0.0;
    for (std::int64_t i = 0; i < s.length; ++i) {
      const double y = filter.Step(CodeOffset(v[i]) - origin);
      if (i < settle) continue;
      const std::int64_t inWindow = (i - settle) % window;
      if (inWindow == 0) lo = hi = y;
      lo = std::min(lo, y);
      hi = std::max(hi, y);
      if (inWindow == window - 1) {
        ppSum += hi - lo;
        ppMax = std::max(ppMax, hi - lo);
        ++b.ppStretches;
      }
    }
  }
  if (b.ppStretches > 0) {
    b.ppMaxCodes = ppMax;
    b.ppMeanCodes = ppSum / static_cast<double>(b.ppStretches);
  }
  if (nanovoltsPerCode) {
    const auto nv = [&](const std::optional<double>& c) -> std::optional<double> {
      if (!c) return std::nullopt;
      return *c * *nanovoltsPerCode;
    };
    b.rmsNanovolts = nv(b.rmsCodes);
    b.ppMaxNanovolts = nv(b.ppMaxCodes);
    b.ppMeanNanovolts = nv(b.ppMeanCodes);
  }
  return b;
}

}  // namespace velqoris::analysis
