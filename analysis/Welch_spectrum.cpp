#include "analysis/Welch_spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/Code_scale.h"
#include "analysis/Fft.h"
#include "analysis/Flicker_corner.h"
#include "analysis/Spectrum.h"

namespace velqoris::analysis {

namespace {

constexpr double kLowestHz = 0.1;
constexpr int kMinSegment = 16;

// A segment's least-squares line, from its codes in one pass (Σ (i − mid) = 0,
// so Σ (i − mid) y needs no mean first).
struct SegmentLine {
  double mean = 0.0;
  double slope = 0.0;
};

SegmentLine FitSegmentLine(const std::int32_t* v, int size) {
  const auto n = static_cast<double>(size);
  const double mid = (n - 1.0) / 2.0;
  // Σ y in double is exact (integers below 2^53); Σ (i − mid) y in two
  // lanes a pair, so no addition waits on the one before.
  double sum = 0.0;
  double sxy = 0.0;
  int i = 0;
#if defined(__SSE2__)
  const __m128d mids = _mm_set1_pd(static_cast<double>(kMidScaleCode));
  const __m128d middle = _mm_set1_pd(mid);
  __m128d sums = _mm_setzero_pd();
  __m128d products[2] = {_mm_setzero_pd(), _mm_setzero_pd()};
  __m128i index = _mm_setr_epi32(0, 1, 2, 3);
  for (; i + 4 <= size; i += 4) {
    const __m128i codes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i));
    const __m128d y0 = _mm_sub_pd(_mm_cvtepi32_pd(codes), mids);
    const __m128d y1 = _mm_sub_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(codes, codes)), mids);
    const __m128d t0 = _mm_sub_pd(_mm_cvtepi32_pd(index), middle);
    const __m128d t1 = _mm_sub_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(index, index)), middle);
    sums = _mm_add_pd(sums, _mm_add_pd(y0, y1));
    products[0] = _mm_add_pd(products[0], _mm_mul_pd(t0, y0));
    products[1] = _mm_add_pd(products[1], _mm_mul_pd(t1, y1));
    index = _mm_add_epi32(index, _mm_set1_epi32(4));
  }
  double lanes[2];
  _mm_storeu_pd(lanes, sums);
  sum = lanes[0] + lanes[1];
  _mm_storeu_pd(lanes, _mm_add_pd(products[0], products[1]));
  sxy = lanes[0] + lanes[1];
#endif
  for (; i < size; ++i) {
    sum += CodeOffset(v[i]);
    sxy += (static_cast<double>(i) - mid) * CodeOffset(v[i]);
  }
  const double sxx = n * (n * n - 1.0) / 12.0;
  return {sum / n, sxx > 0.0 ? sxy / sxx : 0.0};
}

}  // namespace

double WelchSpectrum::Density(std::size_t bin) const {
  const double d = std::sqrt(psdCodes[bin]);
  return nanovoltsPerCode ? d * *nanovoltsPerCode : d;
}

int WelchSegmentLength(std::int64_t longestStretch, double rateSps) {
  if (!(rateSps > 0.0) || longestStretch < kMinSegment) return 0;
  // Bin 2 at 0.1 Hz or below: a power of two at least 20 s long.
  std::int64_t wanted = 1;
  while (static_cast<double>(wanted) < 2.0 * rateSps / kLowestHz) wanted *= 2;
  const auto fits = static_cast<std::int64_t>(static_cast<double>(longestStretch) / 4.5);
  std::int64_t length = std::min(wanted, std::max<std::int64_t>(fits, kMinSegment));
  length -= length % 2;
  return static_cast<int>(std::min<std::int64_t>(length, 1 << 26));
}

WelchSpectrum ComputeWelchSpectrum(const std::int32_t* codes, const SampleGrid& grid,
                                   double rateSps, std::optional<double> nanovoltsPerCode) {
  WelchSpectrum w;
  w.rateSps = rateSps;
  w.nanovoltsPerCode = nanovoltsPerCode;
  const int length = WelchSegmentLength(grid.Longest().length, rateSps);
  if (codes == nullptr || length == 0) return w;
  w.segmentLength = length;
  w.binHz = rateSps / length;
  const std::size_t bins = static_cast<std::size_t>(length / 2 + 1);
  std::vector<double> sum(bins, 0.0);
  // Every segment's start on the grid, inside gap-free stretches.
  std::vector<const std::int32_t*> starts;
  const std::int64_t hop = length / 2;
  for (const Stretch& s : grid.Stretches()) {
    for (std::int64_t start = 0; start + length <= s.length; start += hop) {
      starts.push_back(codes + s.sampleStart + start);
    }
  }
  w.segments = static_cast<std::int64_t>(starts.size());
  if (starts.empty()) return w;
  const std::vector<double> hann = WindowCoefficients(SpectrumWindow::kHann, length);
  double s2 = 0.0;
  for (double c : hann) s2 += c * c;
  const auto n = static_cast<std::size_t>(length);
  std::vector<double> in(n);
  double* const window = in.data();
  std::vector<std::complex<double>> out(bins);
  const RealFft fft(length);
  const double mid = (static_cast<double>(n) - 1.0) / 2.0;
  const double scale = 1.0 / (length * s2);
  // Each segment less its line, windowed, straight from its codes.
  for (const std::int32_t* v : starts) {
    const SegmentLine line = FitSegmentLine(v, length);
    for (int i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) - mid;
      window[i] =
          (CodeOffset(v[i]) - line.mean - line.slope * t) * hann[static_cast<std::size_t>(i)];
    }
    fft.Forward(in.data(), out.data());
    sum[0] += std::norm(out[0]) * scale;
    for (std::size_t k = 1; k + 1 < bins; ++k) sum[k] += 2.0 * std::norm(out[k]) * scale;
    sum[bins - 1] += std::norm(out[bins - 1]) * scale;
  }
  w.psdCodes.resize(bins);
  for (std::size_t k = 0; k < bins; ++k) {
    w.psdCodes[k] = sum[k] / static_cast<double>(w.segments) / w.binHz;
  }
  const auto fit =
      FitFlickerCorner(w.psdCodes, w.binHz, w.segments, WelchSpectrum::kFirstUsableBin);
  if (!fit) return w;
  w.whiteCodesRtHz = std::sqrt(fit->whitePsd);
  if (nanovoltsPerCode) w.whiteNvRtHz = *w.whiteCodesRtHz * *nanovoltsPerCode;
  w.flickerCornerHz = fit->cornerHz;
  w.flickerCornerErrorHz = fit->cornerErrorHz;
  w.cornerHiddenBelowHz = fit->hiddenBelowHz;
  w.lineBins = fit->lineBins;
  return w;
}

Spectrum AsSpectrum(const WelchSpectrum& w, std::optional<int> gain) {
  Spectrum s;
  s.window = SpectrumWindow::kHann;
  if (w.Empty()) return s;
  s.n = w.segmentLength;
  s.rateSps = w.rateSps;
  s.binHz = w.binHz;
  s.gain = gain;
  const std::size_t bins = w.psdCodes.size();
  s.power.resize(bins);
  s.dbfs.resize(bins);
  if (w.nanovoltsPerCode) s.densityNvRtHz.resize(bins);
  for (std::size_t k = 0; k < bins; ++k) {
    const double p = w.psdCodes[k] * w.binHz;
    s.power[k] = p;
    // Hann: S1 = n/2, S2 = 3n/8, so a bin's amplitude is √(1.5 c P), c = 2 inside.
    const double c = k == 0 || k + 1 == bins ? 1.0 : 2.0;
    const double amplitude = std::sqrt(1.5 * c * p);
    s.dbfs[k] = amplitude > 0.0
                    ? std::max(kFloorDbfs, 20.0 * std::log10(amplitude / kFullScaleAmplitudeCodes))
                    : kFloorDbfs;
    if (w.nanovoltsPerCode) s.densityNvRtHz[k] = w.Density(k);
  }
  return s;
}

}  // namespace velqoris::analysis
