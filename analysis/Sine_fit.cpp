#include "analysis/Sine_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace velqoris::analysis {

namespace {

constexpr int kIterations = 6;
// The phasor is stepped by multiplication and set afresh this often, so its
// rounding never grows beyond a few hundred steps' worth.
constexpr int kReanchor = 256;

// f(i, t, cos, sin) for every sample, t centred on the record.
template <class F>
void ForEachPhase(int n, double cycles, F&& f) {
  const double w = 2.0 * std::numbers::pi * cycles;
  const double t0 = -(n - 1) / 2.0;
  const double stepC = std::cos(w), stepS = std::sin(w);
  for (int from = 0; from < n; from += kReanchor) {
    double c = std::cos(w * (t0 + from));
    double s = std::sin(w * (t0 + from));
    const int to = std::min(n, from + kReanchor);
    for (int i = from; i < to; ++i) {
      f(i, t0 + i, c, s);
      // Real arithmetic: std::complex's product checks for NaN on every step.
      const double nc = c * stepC - s * stepS;
      s = s * stepC + c * stepS;
      c = nc;
    }
  }
}

// Solves the symmetric m × m system a x = b (partial pivoting); false when singular.
template <int M>
bool Solve(std::array<std::array<double, M>, M> a, std::array<double, M>& b) {
  for (int c = 0; c < M; ++c) {
    int p = c;
    for (int r = c + 1; r < M; ++r) {
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    }
    if (!(std::fabs(a[p][c]) > 0.0)) return false;
    std::swap(a[p], a[c]);
    std::swap(b[p], b[c]);
    for (int r = c + 1; r < M; ++r) {
      const double k = a[r][c] / a[c][c];
      for (int j = c; j < M; ++j) a[r][j] -= k * a[c][j];
      b[r] -= k * b[c];
    }
  }
  for (int c = M - 1; c >= 0; --c) {
    for (int j = c + 1; j < M; ++j) b[c] -= a[c][j] * b[j];
    b[c] /= a[c][c];
  }
  for (double v : b) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace

std::optional<SineFit> FitSineAt(const double* y, int n, double cycles) {
  if (y == nullptr || n < 3) return std::nullopt;
  // Scalar sums: the compiler keeps them in registers.
  double cc = 0, cs = 0, c1 = 0, ss = 0, s1 = 0, yc = 0, ys = 0, y1 = 0;
  ForEachPhase(n, cycles, [&](int i, double, double c, double s) {
    cc += c * c;
    cs += c * s;
    c1 += c;
    ss += s * s;
    s1 += s;
    yc += y[i] * c;
    ys += y[i] * s;
    y1 += y[i];
  });
  std::array<double, 3> b{yc, ys, y1};
  if (!Solve<3>({{{cc, cs, c1}, {cs, ss, s1}, {c1, s1, static_cast<double>(n)}}}, b)) {
    return std::nullopt;
  }
  return SineFit{cycles, b[0], b[1], b[2]};
}

std::optional<SineFit> FitSine(const double* y, int n, double startCycles) {
  std::optional<SineFit> fit = FitSineAt(y, n, startCycles);
  if (!fit || n < 5) return std::nullopt;
  const double w2pi = 2.0 * std::numbers::pi;
  for (int it = 0; it < kIterations; ++it) {
    // Linearised in the frequency: the 4th column d is d/dcycles of the sine.
    const double ca = fit->cosine * w2pi, sa = fit->sine * w2pi;
    double cc = 0, cs = 0, c1 = 0, cd = 0, ss = 0, s1 = 0, sd = 0, d1 = 0, dd = 0;
    double yc = 0, ys = 0, y1 = 0, yd = 0;
    ForEachPhase(n, fit->cycles, [&](int i, double t, double c, double s) {
      const double d = t * (sa * c - ca * s);
      cc += c * c;
      cs += c * s;
      c1 += c;
      cd += c * d;
      ss += s * s;
      s1 += s;
      sd += s * d;
      d1 += d;
      dd += d * d;
      yc += y[i] * c;
      ys += y[i] * s;
      y1 += y[i];
      yd += y[i] * d;
    });
    // Solved for the amplitudes, the offset and the frequency's change.
    std::array<double, 4> b{yc, ys, y1, yd};
    if (!Solve<4>({{{cc, cs, c1, cd},
                    {cs, ss, s1, sd},
                    {c1, s1, static_cast<double>(n), d1},
                    {cd, sd, d1, dd}}},
                  b)) {
      return std::nullopt;
    }
    fit->cosine = b[0];
    fit->sine = b[1];
    fit->offset = b[2];
    fit->cycles += b[3];
    if (std::fabs(fit->cycles - startCycles) * n > 1.5) return std::nullopt;
    // Settled: the step left in the amplitudes is far below a code.
    if (std::fabs(b[3]) * n < 1e-9) return fit;  // bins
  }
  // The amplitudes at the last frequency.
  return FitSineAt(y, n, fit->cycles);
}

void SubtractSine(double* y, int n, const SineFit& fit) {
  ForEachPhase(n, fit.cycles, [&](int i, double, double c, double s) {
    y[i] -= fit.cosine * c + fit.sine * s + fit.offset;
  });
}

}  // namespace velqoris::analysis
