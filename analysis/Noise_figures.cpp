#include "analysis/Noise_figures.h"

#include <algorithm>
#include <cmath>

#include "analysis/Code_scale.h"
#include "analysis/Typical_noise.h"
#include "stats/Code_extremes.h"

namespace velqoris::analysis {

namespace {

Resolution BitsFor(double noiseCodes) {
  return Resolution{Resolution::Kind::kBits, std::log2(kCodeRange / noiseCodes)};
}

Resolution Judged(const NoiseFigures& f, double noiseCodes) {
  if (f.count < 2) return Resolution{Resolution::Kind::kTooFew, 0.0};
  if (f.overRange) return Resolution{Resolution::Kind::kOverRange, 0.0};
  // Above the converter's 24 bits the figure says nothing more: "24 以上".
  const Resolution r = BitsFor(noiseCodes);
  if (noiseCodes == 0.0 || r.bits > 24.0) return Resolution{Resolution::Kind::kNoNoise, 0.0};
  return r;
}

}  // namespace

NoiseFigures AnalyzeNoise(const std::int32_t* codes, int count, const MeasureSettings& settings) {
  NoiseFigures f;
  if (codes == nullptr || count <= 0) return f;
  f.count = count;

  // Sums about the first code keep the variance exact for codes far from 0.
  const double origin = static_cast<double>(codes[0]);
  const CodeExtremes extremes = FindExtremes(codes, 0, count - 1);
  const std::int32_t lo = extremes.min;
  const std::int32_t hi = extremes.max;
  double sum = 0.0;
  for (int i = 0; i < count; ++i) sum += static_cast<double>(codes[i]) - origin;
  const double meanFromOrigin = sum / count;
  double m2 = 0.0, m3 = 0.0, m4 = 0.0;
  for (int i = 0; i < count; ++i) {
    const double d = static_cast<double>(codes[i]) - origin - meanFromOrigin;
    const double d2 = d * d;
    m2 += d2;
    m3 += d2 * d;
    m4 += d2 * d2;
  }
  m2 /= count;
  m3 /= count;
  m4 /= count;

  f.minCode = lo;
  f.maxCode = hi;
  f.overRange = lo <= 0 || hi >= kMaxCode;
  f.meanCode = origin + meanFromOrigin;
  f.rmsCodes = std::sqrt(m2);
  f.ppCodes = static_cast<double>(hi) - static_cast<double>(lo);

  f.effective = Judged(f, *f.rmsCodes);
  f.noiseFree = Judged(f, *f.ppCodes);
  f.noiseFree6Sigma = Judged(f, kNoiseFreeSigmaFactor * *f.rmsCodes);

  if (count >= 2 && m2 > 0.0) {
    f.skewness = m3 / (m2 * std::sqrt(m2));
    f.excessKurtosis = m4 / (m2 * m2) - 3.0;
  }

  if (const auto gain = GainOfSettings(settings)) {
    const double perCode = MicrovoltsPerCode(*gain);
    f.meanMicrovolts = MicrovoltsAt(*f.meanCode, perCode);
    f.rmsMicrovolts = *f.rmsCodes * perCode;
    f.rmsNanovolts = *f.rmsMicrovolts * 1000.0;
    f.ppMicrovolts = *f.ppCodes * perCode;
  }
  f.typicalRmsNanovolts = TypicalRmsNanovolts(settings);
  if (f.typicalRmsNanovolts && f.rmsNanovolts && count >= 2 && *f.typicalRmsNanovolts > 0.0) {
    f.rmsVsTypical = *f.rmsNanovolts / *f.typicalRmsNanovolts;
  }
  return f;
}

}  // namespace velqoris::analysis
