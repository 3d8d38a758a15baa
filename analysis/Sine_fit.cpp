#include "analysis/Sine_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <type_traits>
#include <utility>

namespace velqoris::analysis {

namespace {

constexpr int kIterations = 6;
// The phasor is stepped by multiplication and set afresh this often, so its
// rounding never grows beyond a thousand steps' worth (10⁻¹³).
constexpr int kReanchor = 1024;

// f(i, t, cos, sin) for every sample, t centred on the record. Even and odd
// samples have a phasor each, so two recurrences run side by side.
template <class F>
void ForEachPhase(int n, double cycles, F&& f) {
  const double w = 2.0 * std::numbers::pi * cycles;
  const double t0 = -(n - 1) / 2.0;
  const double stepC = std::cos(2.0 * w), stepS = std::sin(2.0 * w);
  for (int from = 0; from < n; from += kReanchor) {
    double c[2], s[2];
    for (int p = 0; p < 2; ++p) {
      c[p] = std::cos(w * (t0 + from + p));
      s[p] = std::sin(w * (t0 + from + p));
    }
    const int to = std::min(n, from + kReanchor);
    for (int i = from; i < to; i += 2) {
      f(i, t0 + i, c[0], s[0]);
      if (i + 1 < to) f(i + 1, t0 + i + 1, c[1], s[1]);
      // Real arithmetic: std::complex's product checks for NaN on every step.
      for (int p = 0; p < 2; ++p) {
        const double nc = c[p] * stepC - s[p] * stepS;
        s[p] = s[p] * stepC + c[p] * stepS;
        c[p] = nc;
      }
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

int LinesFit::Parameters() const {
  int p = 1;
  for (const FittedLine& l : lines) p += l.columns;
  return p;
}

double FoldCycles(double cycles) {
  double x = std::fmod(std::fabs(cycles), 1.0);
  return x > 0.5 ? 1.0 - x : x;
}

double OntoNyquist(double cycles, int n) {
  return std::fabs(cycles - 0.5) * n < kNyquistBins ? 0.5 : cycles;
}

namespace {

// Lines are swept four at a time, each on two interleaved phasors (even and
// odd samples): eight independent recurrences side by side keep the
// processor busy where one would wait on the last. The last one or two
// lines go in a block of their own width (no sweep of empty lanes). The
// phasors are set afresh every kReanchor samples.
constexpr int kBlock = 4;

template <int K>
struct Block {
  double c[2][K], s[2][K], stepC[K], stepS[K], w[K];

  Block(const std::vector<double>& cycles, std::size_t first) {
    for (int j = 0; j < K; ++j) {
      const std::size_t k = first + static_cast<std::size_t>(j);
      w[j] = k < cycles.size() ? 2.0 * std::numbers::pi * cycles[k] : 0.0;
      stepC[j] = std::cos(2.0 * w[j]);
      stepS[j] = std::sin(2.0 * w[j]);
    }
  }
  void Anchor(double t) {
    for (int p = 0; p < 2; ++p) {
      for (int j = 0; j < K; ++j) {
        c[p][j] = std::cos(w[j] * (t + p));
        s[p][j] = std::sin(w[j] * (t + p));
      }
    }
  }
  // Both phasors two samples on.
  void Step() {
    for (int p = 0; p < 2; ++p) {
      for (int j = 0; j < K; ++j) {
        const double nc = c[p][j] * stepC[j] - s[p][j] * stepS[j];
        s[p][j] = s[p][j] * stepC[j] + c[p][j] * stepS[j];
        c[p][j] = nc;
      }
    }
  }
};

// The width of the block that starts at line `first` of m.
int BlockWidth(std::size_t first, std::size_t m) {
  const std::size_t left = m - first;
  return left >= 3 ? kBlock : static_cast<int>(left);
}

// f(width, first) for each block of m lines, the width a compile-time constant.
template <class F>
void ForEachBlock(std::size_t m, F&& f) {
  for (std::size_t first = 0; first < m; first += kBlock) {
    switch (BlockWidth(first, m)) {
      case 1:
        f(std::integral_constant<int, 1>{}, first);
        break;
      case 2:
        f(std::integral_constant<int, 2>{}, first);
        break;
      default:
        f(std::integral_constant<int, kBlock>{}, first);
        break;
    }
  }
}

// x less its nearest whole turn, and the sign that turn gives a sum over the
// centred times: (−1)^(turns × (n − 1)), t being a half integer for even n.
struct Reduced {
  double d = 0.0;
  double sign = 1.0;
};

Reduced Reduce(int n, double x) {
  const double turns = std::round(x / (2.0 * std::numbers::pi));
  const bool odd = (static_cast<long long>(std::fabs(turns)) * (n - 1)) % 2 != 0;
  return {x - 2.0 * std::numbers::pi * turns, odd ? -1.0 : 1.0};
}

// Σ t² and Σ t⁴ over the centred times.
double TimesSquared(int n) { return n * (static_cast<double>(n) * n - 1.0) / 12.0; }
double TimesFourth(int n) {
  const double nn = static_cast<double>(n) * n;
  return n * (nn - 1.0) * (3.0 * nn - 7.0) / 240.0;
}

// Σ cos(x t) over the record's centred times: sin(n x / 2) / sin(x / 2),
// taken from x's distance to the nearest whole turn so it stays exact there.
double Dirichlet(int n, double x) {
  const Reduced r = Reduce(n, x);
  if (std::fabs(r.d) < 1e-12) return r.sign * n;
  return r.sign * std::sin(n * r.d / 2.0) / std::sin(r.d / 2.0);
}

// Σ t sin(x t) and Σ t² cos(x t): −D' and −D'' of the sum above. Within a
// hundredth of a radian of a whole turn (n d / 2) their series, where the
// closed forms would lose digits.
double TimedSine(int n, double x) {
  const Reduced r = Reduce(n, x);
  const double d = r.d, u = n * d / 2.0;
  if (std::fabs(u) < 1e-2) return r.sign * (d * TimesSquared(n) - d * d * d * TimesFourth(n) / 6.0);
  const double h = std::sin(d / 2.0);
  return -r.sign * (0.5 * n * std::cos(u) * h - 0.5 * std::sin(u) * std::cos(d / 2.0)) / (h * h);
}

double SquaredTimedCosine(int n, double x) {
  const Reduced r = Reduce(n, x);
  const double d = r.d, u = n * d / 2.0;
  if (std::fabs(u) < 1e-2) return r.sign * (TimesSquared(n) - d * d * TimesFourth(n) / 2.0);
  const double h = std::sin(d / 2.0), g = std::cos(d / 2.0);
  const double top = 0.5 * n * std::cos(u) * h - 0.5 * std::sin(u) * g;
  return r.sign *
         ((static_cast<double>(n) * n - 1.0) / 4.0 * std::sin(u) / h + top * g / (h * h * h));
}

// The sums of lines A cos(b t) + B sin(b t) with cos(a t), sin(a t), 1,
// t cos(a t) and t sin(a t). Products odd in t sum to zero.
struct LessSums {
  double cosine = 0.0, sine = 0.0, sum = 0.0, timedCosine = 0.0, timedSine = 0.0;
};

LessSums SumsOfLines(int n, double cycles, const std::vector<FittedLine>& lines) {
  const double turn = 2.0 * std::numbers::pi;
  const double a = turn * cycles;
  LessSums s;
  for (const FittedLine& l : lines) {
    const double b = turn * l.cycles;
    const double dMinus = Dirichlet(n, a - b), dPlus = Dirichlet(n, a + b);
    const double tMinus = TimedSine(n, a - b), tPlus = TimedSine(n, a + b);
    s.cosine += 0.5 * l.cosine * (dMinus + dPlus);
    s.sine += 0.5 * l.sine * (dMinus - dPlus);
    s.sum += l.cosine * Dirichlet(n, b);
    s.timedCosine += 0.5 * l.sine * (tPlus - tMinus);  // t sin(b t) cos(a t)
    s.timedSine += 0.5 * l.cosine * (tPlus + tMinus);  // t cos(b t) sin(a t)
  }
  return s;
}

// Solves a x = b (m × m, symmetric, positive semi-definite) by elimination,
// leaving out (x = 0) each column whose pivot keeps less than a thousandth
// of `scale` (a whole sine's Σ cos² = n/2): what it adds beyond the earlier
// columns is too little to carry an amplitude of its own (a cosine on half
// the rate, a line on another).
void SolveSemidefinite(std::vector<double>& a, std::vector<double>& b, int m, double scale,
                       std::vector<char>& used) {
  const auto at = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(r * m + c)]; };
  used.assign(static_cast<std::size_t>(m), 0);
  for (int c = 0; c < m; ++c) {
    const double p = at(c, c);
    if (!(p > 1e-3 * scale)) continue;
    used[static_cast<std::size_t>(c)] = 1;
    for (int r = c + 1; r < m; ++r) {
      const double k = at(r, c) / p;
      if (k == 0.0) continue;
      for (int j = c; j < m; ++j) at(r, j) -= k * at(c, j);
      b[static_cast<std::size_t>(r)] -= k * b[static_cast<std::size_t>(c)];
    }
  }
  for (int c = m - 1; c >= 0; --c) {
    auto& x = b[static_cast<std::size_t>(c)];
    if (!used[static_cast<std::size_t>(c)]) {
      x = 0.0;
      continue;
    }
    for (int j = c + 1; j < m; ++j) x -= at(c, j) * b[static_cast<std::size_t>(j)];
    x /= at(c, c);
    if (!std::isfinite(x)) x = 0.0;
  }
}

}  // namespace

namespace {

// The projections of lines [first, first + K) onto y.
template <int K>
void ProjectBlock(const double* y, int n, const std::vector<double>& cycles, std::size_t first,
                  Projections& p) {
  const double t0 = -(n - 1) / 2.0;
  Block<K> b(cycles, first);
  double pc[K] = {}, ps[K] = {};
  for (int from = 0; from < n; from += kReanchor) {
    b.Anchor(t0 + from);
    const int to = std::min(n, from + kReanchor);
    for (int i = from; i < to; i += 2) {
      for (int q = 0; q < 2 && i + q < to; ++q) {
        const double v = y[i + q];
        for (int j = 0; j < K; ++j) {
          pc[j] += v * b.c[q][j];
          ps[j] += v * b.s[q][j];
        }
      }
      b.Step();
    }
  }
  for (std::size_t j = 0; j < K && first + j < cycles.size(); ++j) {
    p.cosine[first + j] = pc[j];
    p.sine[first + j] = ps[j];
  }
}

}  // namespace

Projections Project(const double* y, int n, const std::vector<double>& cycles) {
  Projections p;
  const std::size_t m = cycles.size();
  p.cosine.assign(m, 0.0);
  p.sine.assign(m, 0.0);
  if (y == nullptr || n <= 0) return p;
  for (int i = 0; i < n; ++i) p.sum += y[i];
  ForEachBlock(m, [&](auto width, std::size_t first) {
    ProjectBlock<decltype(width)::value>(y, n, cycles, first, p);
  });
  return p;
}

LinesFit SolveLines(int n, const std::vector<double>& cycles, const Projections& p) {
  const int m = static_cast<int>(cycles.size());
  LinesFit fit;
  fit.lines.resize(cycles.size());
  const double turn = 2.0 * std::numbers::pi;
  // Cosines with the offset (column 0), sines on their own: centred time
  // makes every sine orthogonal to every cosine and to the offset.
  const int mc = m + 1;
  std::vector<double> gc(static_cast<std::size_t>(mc * mc)), bc(static_cast<std::size_t>(mc));
  std::vector<double> gs(static_cast<std::size_t>(m * m)), bs(static_cast<std::size_t>(m));
  gc[0] = n;
  bc[0] = p.sum;
  for (int j = 0; j < m; ++j) {
    const double wj = turn * cycles[static_cast<std::size_t>(j)];
    gc[static_cast<std::size_t>(j + 1)] = gc[static_cast<std::size_t>((j + 1) * mc)] =
        Dirichlet(n, wj);
    bc[static_cast<std::size_t>(j + 1)] = p.cosine[static_cast<std::size_t>(j)];
    bs[static_cast<std::size_t>(j)] = p.sine[static_cast<std::size_t>(j)];
    for (int k = 0; k < m; ++k) {
      const double wk = turn * cycles[static_cast<std::size_t>(k)];
      const double minus = Dirichlet(n, wj - wk), plus = Dirichlet(n, wj + wk);
      gc[static_cast<std::size_t>((j + 1) * mc + k + 1)] = 0.5 * (minus + plus);
      gs[static_cast<std::size_t>(j * m + k)] = 0.5 * (minus - plus);
    }
  }
  std::vector<char> usedC, usedS;
  SolveSemidefinite(gc, bc, mc, n / 2.0, usedC);
  SolveSemidefinite(gs, bs, m, n / 2.0, usedS);
  fit.offset = bc[0];
  for (int j = 0; j < m; ++j) {
    FittedLine& l = fit.lines[static_cast<std::size_t>(j)];
    l.cycles = cycles[static_cast<std::size_t>(j)];
    l.cosine = bc[static_cast<std::size_t>(j + 1)];
    l.sine = bs[static_cast<std::size_t>(j)];
    l.columns = usedC[static_cast<std::size_t>(j + 1)] + usedS[static_cast<std::size_t>(j)];
  }
  return fit;
}

double LinesEnergy(int n, const std::vector<FittedLine>& lines) {
  const double turn = 2.0 * std::numbers::pi;
  double e = 0.0;
  for (const FittedLine& a : lines) {
    for (const FittedLine& b : lines) {
      const double minus = Dirichlet(n, turn * (a.cycles - b.cycles));
      const double plus = Dirichlet(n, turn * (a.cycles + b.cycles));
      e += 0.5 * (a.cosine * b.cosine * (minus + plus) + a.sine * b.sine * (minus - plus));
    }
  }
  return std::max(0.0, e);
}

namespace {

// y less lines [first, first + K) of the fit.
template <int K>
void SubtractBlock(double* y, int n, const LinesFit& fit, const std::vector<double>& cycles,
                   std::size_t first) {
  const double t0 = -(n - 1) / 2.0;
  Block<K> b(cycles, first);
  double a[K] = {}, s[K] = {};
  for (std::size_t j = 0; j < K && first + j < cycles.size(); ++j) {
    a[j] = fit.lines[first + j].cosine;
    s[j] = fit.lines[first + j].sine;
  }
  for (int from = 0; from < n; from += kReanchor) {
    b.Anchor(t0 + from);
    const int to = std::min(n, from + kReanchor);
    for (int i = from; i < to; i += 2) {
      for (int q = 0; q < 2 && i + q < to; ++q) {
        double v = 0.0;
        for (int j = 0; j < K; ++j) v += a[j] * b.c[q][j] + s[j] * b.s[q][j];
        y[i + q] -= v;
      }
      b.Step();
    }
  }
}

}  // namespace

void SubtractLines(double* y, int n, const LinesFit& fit) {
  std::vector<double> cycles;
  for (const FittedLine& l : fit.lines) cycles.push_back(l.cycles);
  for (int i = 0; i < n; ++i) y[i] -= fit.offset;
  ForEachBlock(cycles.size(), [&](auto width, std::size_t first) {
    SubtractBlock<decltype(width)::value>(y, n, fit, cycles, first);
  });
}

std::optional<SineFit> FitSineAt(const double* y, int n, double cycles) {
  if (y == nullptr || n < 3) return std::nullopt;
  const std::vector<double> at{cycles};
  const LinesFit fit = SolveLines(n, at, Project(y, n, at));
  return SineFit{cycles, fit.lines.front().cosine, fit.lines.front().sine, fit.offset};
}

std::optional<SineFit> FitSine(const double* y, int n, double startCycles) {
  std::optional<SineFit> fit = FitSineAt(y, n, startCycles);
  if (!fit || n < 5) return std::nullopt;
  for (int it = 0; it < kIterations; ++it) {
    const double from = fit->cycles;
    fit = SineStep(y, n, *fit, {});
    if (!fit || std::fabs(fit->cycles - startCycles) * n > 1.5) return std::nullopt;
    // Settled: the step left in the amplitudes is far below a code.
    if (std::fabs(fit->cycles - from) * n < 1e-9) return fit;  // bins
  }
  // The amplitudes at the last frequency.
  return FitSineAt(y, n, fit->cycles);
}

std::optional<SineFit> SineStep(const double* y, int n, const SineFit& from,
                                const std::vector<FittedLine>& less) {
  if (y == nullptr || n < 5) return std::nullopt;
  // Linearised in the frequency: the 4th column d = t (sa cos − ca sin) is
  // d/dcycles of the sine. The columns' own sums have closed forms (sums odd
  // in t vanish); only y's are swept.
  const double w2pi = 2.0 * std::numbers::pi;
  const double ca = from.cosine * w2pi, sa = from.sine * w2pi;
  const double a = w2pi * from.cycles;
  const double dn = static_cast<double>(n), d2 = Dirichlet(n, 2.0 * a);
  const double t1 = TimedSine(n, a), t2 = TimedSine(n, 2.0 * a);
  const double u2 = SquaredTimedCosine(n, 2.0 * a), s2 = TimesSquared(n);
  const double cc = 0.5 * (dn + d2), ss = 0.5 * (dn - d2), c1 = Dirichlet(n, a);
  const double cd = -0.5 * ca * t2, sd = 0.5 * sa * t2, d1 = -ca * t1;
  const double dd = 0.5 * (sa * sa * (s2 + u2) + ca * ca * (s2 - u2));
  double yc = 0, ys = 0, y1 = 0, ytc = 0, yts = 0;
  ForEachPhase(n, from.cycles, [&](int i, double t, double c, double s) {
    yc += y[i] * c;
    ys += y[i] * s;
    y1 += y[i];
    ytc += y[i] * t * c;
    yts += y[i] * t * s;
  });
  double yd = sa * ytc - ca * yts;
  if (!less.empty()) {
    const LessSums l = SumsOfLines(n, from.cycles, less);
    yc -= l.cosine;
    ys -= l.sine;
    y1 -= l.sum;
    yd -= sa * l.timedCosine - ca * l.timedSine;
  }
  // Solved for the amplitudes, the offset and the frequency's change.
  std::array<double, 4> b{yc, ys, y1, yd};
  if (!Solve<4>({{{cc, 0.0, c1, cd}, {0.0, ss, 0.0, sd}, {c1, 0.0, dn, d1}, {cd, sd, d1, dd}}},
                b)) {
    return std::nullopt;
  }
  return SineFit{from.cycles + b[3], b[0], b[1], b[2]};
}

}  // namespace velqoris::analysis
