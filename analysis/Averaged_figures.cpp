#include "analysis/Averaged_figures.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "analysis/Code_scale.h"
#include "analysis/Record_model.h"
#include "analysis/Sine_fit.h"

namespace velqoris::analysis {

namespace {

// A Hann-windowed line lies in the two bins either side of its own.
constexpr int kLineHalfWidth = 2;
// The noise beside a line: bins 4 … 12 away on both sides.
constexpr int kBesideFrom = 4;
constexpr int kBesideTo = 12;
// A line is detected when its excess over the noise stands five standard
// deviations of that excess above zero (Gaussian: once in 3.5 million).
constexpr double kDeviations = 5.0;
// The variance of five adjacent Hann bins' sum of white noise, in units of
// one bin's: 5 + 2 × (4 × 4/9 + 3 × 1/36), adjacent bins being correlated.
constexpr double kFiveBinVariance = 8.72;

double Median(std::vector<double> v) {
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

double PowerDbfs(double p) {
  return 10.0 * std::log10(2.0 * p / (kFullScaleAmplitudeCodes * kFullScaleAmplitudeCodes));
}

// The line at `bin` (fractional): its power above the noise beside it, or
// the bound it lies below.
void Level(const WelchSpectrum& w, double bin, SpectrumLine& l) {
  const int last = static_cast<int>(w.psdCodes.size()) - 1;
  const int centre = static_cast<int>(std::lround(bin));
  std::vector<double> beside;
  for (int d = kBesideFrom; d <= kBesideTo; ++d) {
    for (int k : {centre - d, centre + d}) {
      if (k >= WelchSpectrum::kFirstUsableBin && k <= last) {
        beside.push_back(w.psdCodes[static_cast<std::size_t>(k)] * w.binHz);
      }
    }
  }
  if (beside.empty()) return;
  const double noise = Median(beside);
  double sum = 0.0;
  int bins = 0;
  for (int k = centre - kLineHalfWidth; k <= centre + kLineHalfWidth; ++k) {
    if (k < 0 || k > last) continue;
    sum += w.psdCodes[static_cast<std::size_t>(k)] * w.binHz;
    ++bins;
  }
  const double excess = sum - bins * noise;
  const double threshold =
      kDeviations * noise * std::sqrt(kFiveBinVariance / static_cast<double>(w.segments));
  l.detected = excess > threshold && excess > 0.0;
  if (l.detected) {
    l.dbfs = PowerDbfs(excess);
  } else if (threshold > 0.0) {
    l.boundDbfs = PowerDbfs(threshold);
  }
}

}  // namespace

SpectrumFigures AveragedFigures(const WelchSpectrum& w) {
  SpectrumFigures f;
  if (w.Empty() || w.segments == 0 || !(w.rateSps > 0.0)) return f;
  f.noiseDensityNvRtHz = w.whiteNvRtHz;
  const int length = w.segmentLength;
  std::vector<std::pair<double, double>> listed;  // bin and Hz of each line with a level
  for (double base : {50.0, 60.0}) {
    for (int m = 1; m <= kMaxMainsOrder; ++m) {
      const double cycles = FoldCycles(m * base / w.rateSps);
      const double bin = cycles * length;
      if (bin < kResolutionBins) continue;  // inside DC: not a line of its own
      SpectrumLine l;
      l.order = m;
      l.frequencyHz = cycles * w.rateSps;
      l.bin = static_cast<int>(std::lround(bin));
      l.aliased = m * base > w.rateSps / 2.0;
      // Lines aliasing onto one another: the first one listed carries them.
      for (const auto& [otherBin, otherHz] : listed) {
        if (std::fabs(otherBin - bin) < 2 * kLineHalfWidth + 1) {
          l.coincidesWith = -1;
          l.coincidesWithMainsHz = otherHz;
        }
      }
      if (l.coincidesWith == 0) {
        Level(w, bin, l);
        listed.emplace_back(bin, m * base);
      }
      (base == 50.0 ? f.mains50 : f.mains60).push_back(l);
    }
  }
  return f;
}

}  // namespace velqoris::analysis
