#include "analysis/Spectrum.h"

#include <cmath>
#include <complex>
#include <memory>

#include "analysis/Code_scale.h"
#include "analysis/Fft.h"

namespace velqoris::analysis {

namespace {

// The plan, the window and the buffers of the last length on this thread: a
// window redrawing the same run reuses them, and callers on any thread are safe.
struct Workspace {
  int n = 0;
  SpectrumWindow window = kDefaultWindow;
  std::unique_ptr<Fft> fft;
  std::vector<double> coefficients;
  double s1 = 0.0;
  double s2 = 0.0;
  std::vector<std::complex<double>> in;
  std::vector<std::complex<double>> out;
};

Workspace& WorkspaceFor(int n, SpectrumWindow window) {
  thread_local Workspace w;
  if (!w.fft || w.n != n) {
    w.fft = std::make_unique<Fft>(n);
    w.in.assign(static_cast<std::size_t>(n), {});
    w.out.assign(static_cast<std::size_t>(n), {});
    w.coefficients.clear();
  }
  if (w.coefficients.empty() || w.window != window) {
    w.coefficients = WindowCoefficients(window, n);
    w.s1 = 0.0;
    w.s2 = 0.0;
    for (double c : w.coefficients) {
      w.s1 += c;
      w.s2 += c * c;
    }
  }
  w.n = n;
  w.window = window;
  return w;
}

// The windowed transform of n values, in the thread's workspace.
const std::vector<std::complex<double>>& Transform(const double* values, int n,
                                                   SpectrumWindow window) {
  Workspace& ws = WorkspaceFor(n, window);
  for (int i = 0; i < n; ++i) {
    ws.in[static_cast<std::size_t>(i)] = {values[i] * ws.coefficients[static_cast<std::size_t>(i)],
                                          0.0};
  }
  ws.fft->Forward(ws.in.data(), ws.out.data());
  return ws.out;
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
  for (int i = 0; i < n; ++i) {
    sum += static_cast<double>(codes[i]) - origin;
    if (codes[i] <= 0 || codes[i] >= kMaxCode) s.overRange = true;
  }
  const double mean = sum / n;

  s.record.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    s.record[static_cast<std::size_t>(i)] = static_cast<double>(codes[i]) - origin - mean;
  }
  const std::vector<std::complex<double>>& out = Transform(s.record.data(), n, window);
  const Workspace& ws = WorkspaceFor(n, window);
  const double s1 = ws.s1;
  const double s2 = ws.s2;

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
    const double mag = s2 > 0.0 ? std::sqrt(std::norm(out[static_cast<std::size_t>(k)])) : 0.0;
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
