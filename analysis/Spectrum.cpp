#include "analysis/Spectrum.h"

#include <cmath>
#include <complex>
#include <memory>

#include "analysis/Code_scale.h"
#include "analysis/Fft.h"

namespace velqoris::analysis {

namespace {

// A plan costs about as much as a transform; a window redrawing the same run
// keeps reusing it. One per thread, so callers on any thread are safe.
const Fft& PlanFor(int n) {
  thread_local std::unique_ptr<Fft> plan;
  if (!plan || plan->Size() != n) plan = std::make_unique<Fft>(n);
  return *plan;
}

}  // namespace

std::optional<double> Spectrum::FrequencyHz(int bin) const {
  if (!binHz) return std::nullopt;
  return *binHz * bin;
}

std::optional<double> Spectrum::NyquistHz() const {
  if (!rateSps) return std::nullopt;
  return *rateSps / 2.0;
}

Spectrum ComputeSpectrum(const std::int32_t* codes, int count, const MeasureSettings& settings,
                         SpectrumWindow window) {
  Spectrum s;
  s.window = window;
  s.rateSps = RateOfSettings(settings);
  s.gain = GainOfSettings(settings);
  if (codes == nullptr || count <= 0) return s;
  const int n = count;
  s.n = n;
  if (s.rateSps) s.binHz = *s.rateSps / n;

  double sum = 0.0;
  const double origin = static_cast<double>(codes[0]);
  for (int i = 0; i < n; ++i) sum += static_cast<double>(codes[i]) - origin;
  const double mean = sum / n;

  const std::vector<double> w = WindowCoefficients(window, n);
  double s1 = 0.0, s2 = 0.0;
  std::vector<std::complex<double>> in(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double wi = w[static_cast<std::size_t>(i)];
    s1 += wi;
    s2 += wi * wi;
    in[static_cast<std::size_t>(i)] = {(static_cast<double>(codes[i]) - origin - mean) * wi, 0.0};
  }
  std::vector<std::complex<double>> out(static_cast<std::size_t>(n));
  PlanFor(n).Forward(in.data(), out.data());

  const int bins = n / 2 + 1;
  s.dbfs.resize(static_cast<std::size_t>(bins));
  s.power.resize(static_cast<std::size_t>(bins));
  const bool density = s.binHz && s.gain;
  if (density) s.densityNvRtHz.resize(static_cast<std::size_t>(bins));
  const double nvPerCode = s.gain ? MicrovoltsPerCode(*s.gain) * 1000.0 : 0.0;
  for (int k = 0; k < bins; ++k) {
    const bool edge = k == 0 || 2 * k == n;
    const double c = edge ? 1.0 : 2.0;
    // A one-sample Hann window is all zero: nothing is seen, nothing divided.
    const double mag = s2 > 0.0 ? std::abs(out[static_cast<std::size_t>(k)]) : 0.0;
    const double amplitude = mag > 0.0 ? c * mag / s1 : 0.0;
    const double p = mag > 0.0 ? c * mag * mag / (n * s2) : 0.0;
    s.dbfs[static_cast<std::size_t>(k)] =
        amplitude > 0.0
            ? std::max(kFloorDbfs, 20.0 * std::log10(amplitude / kFullScaleAmplitudeCodes))
            : kFloorDbfs;
    s.power[static_cast<std::size_t>(k)] = p;
    if (density) s.densityNvRtHz[static_cast<std::size_t>(k)] = std::sqrt(p / *s.binHz) * nvPerCode;
  }
  return s;
}

}  // namespace velqoris::analysis
