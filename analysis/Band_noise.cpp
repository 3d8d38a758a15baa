#include "analysis/Band_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

namespace {

// One stretch through the filter: after the settling time, the peak-to-peak
// of each whole window in turn.
class StretchPeaks {
 public:
  StretchPeaks(double rateSps, const std::int32_t* v, std::int64_t settle, std::int64_t window)
      : filter_(rateSps), v_(v), origin_(CodeOffset(v[0])), settle_(settle), window_(window) {}

  void Step(std::int64_t i) {
    // Starting from the first result as level, the filter starts settled on it.
    const double y = filter_.Step(CodeOffset(v_[i]) - origin_);
    if (i < settle_) return;
    if (inWindow_ == 0) lo_ = hi_ = y;
    lo_ = std::min(lo_, y);
    hi_ = std::max(hi_, y);
    if (++inWindow_ == window_) {
      peaks_.push_back(hi_ - lo_);
      inWindow_ = 0;
    }
  }
  const std::vector<double>& Peaks() const { return peaks_; }

 private:
  BandFilter filter_;
  const std::int32_t* v_;
  double origin_;
  std::int64_t settle_;
  std::int64_t window_;
  std::int64_t inWindow_ = 0;  // results of the current window so far
  double lo_ = 0.0;
  double hi_ = 0.0;
  std::vector<double> peaks_;
};

}  // namespace

std::optional<BandNoise> ComputeBandNoise(const std::int32_t* codes, const SampleGrid& grid,
                                          const WelchSpectrum& spectrum, double rateSps,
                                          std::optional<double> nanovoltsPerCode) {
  if (codes == nullptr || !BandFilter::Possible(rateSps)) return std::nullopt;
  BandNoise b;
  b.rmsCodes = BandRmsCodes(spectrum);
  const auto settle = static_cast<std::int64_t>(std::ceil(kSettlingSeconds * rateSps));
  const auto window = static_cast<std::int64_t>(std::llround(kPeakToPeakSeconds * rateSps));
  std::vector<Stretch> used;
  for (const Stretch& s : grid.Stretches()) {
    if (s.length >= settle + window) used.push_back(s);
  }
  // Two stretches side by side: each filter waits on its own last step, and
  // the other's fills that wait.
  std::vector<StretchPeaks> runs;
  runs.reserve(used.size());
  for (const Stretch& s : used) runs.emplace_back(rateSps, codes + s.sampleStart, settle, window);
  for (std::size_t k = 0; k < used.size(); k += 2) {
    StretchPeaks& first = runs[k];
    if (k + 1 == used.size()) {
      for (std::int64_t i = 0; i < used[k].length; ++i) first.Step(i);
      break;
    }
    StretchPeaks& second = runs[k + 1];
    const std::int64_t both = std::min(used[k].length, used[k + 1].length);
    for (std::int64_t i = 0; i < both; ++i) {
      first.Step(i);
      second.Step(i);
    }
    for (std::int64_t i = both; i < used[k].length; ++i) first.Step(i);
    for (std::int64_t i = both; i < used[k + 1].length; ++i) second.Step(i);
  }
  double ppSum = 0.0;
  double ppMax = 0.0;
  for (const StretchPeaks& r : runs) {
    for (double pp : r.Peaks()) {
      ppSum += pp;
      ppMax = std::max(ppMax, pp);
      ++b.ppStretches;
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
