#include "analysis/Record_model.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "analysis/Fft.h"

namespace velqoris::analysis {

namespace {

using Cpx = std::complex<double>;

constexpr double kMinCycles = 1.5;
// The fundamental must hold 100 × (20 dB) the noise power of one bin.
constexpr double kToneFactor = 100.0;
// A second tone: its bin of the residual's spectrum above the noise of one
// bin by ln(n/2) + 9, so white noise raises one on about 1 record in 8000.
constexpr double kSecondToneMargin = 9.0;

std::size_t U(int k) { return static_cast<std::size_t>(k); }

// Transforms of the lengths last asked for on this thread, and the Hann
// window of the record's length.
struct Workspace {
  std::unique_ptr<Fft> plain;
  std::vector<double> hann;
  std::vector<Cpx> in, out;

  const Fft& Of(std::unique_ptr<Fft>& f, int length) {
    if (!f || f->Size() != length) f = std::make_unique<Fft>(length);
    in.resize(U(length));
    out.resize(U(length));
    return *f;
  }
};

Workspace& ThreadWorkspace() {
  thread_local Workspace w;
  return w;
}

// The largest tone's frequency (cycles per sample) to start the fit from:
// the largest bin (one cycle or more) of the record's spectrum (the caller's,
// or the Hann-windowed one), then the Hann-windowed record zero-padded to
// twice its length around that bin (its half bins evaluated directly), the
// peak placed by a parabola through the logarithms.
std::optional<double> StartCycles(const std::vector<double>& y, const std::vector<double>* power) {
  const int n = static_cast<int>(y.size());
  const int last = n / 2;
  if (last < 2) return std::nullopt;
  Workspace& w = ThreadWorkspace();
  if (w.hann.size() != y.size()) {
    w.hann.resize(y.size());
    for (int i = 0; i < n; ++i) w.hann[U(i)] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
  }
  std::vector<double> windowed(y.size());
  for (int i = 0; i < n; ++i) windowed[U(i)] = y[U(i)] * w.hann[U(i)];
  int top = 1;
  if (power && power->size() == U(last + 1)) {
    for (int k = 1; k <= last; ++k) {
      if ((*power)[U(k)] > (*power)[U(top)]) top = k;
    }
  } else {
    const Fft& fft = w.Of(w.plain, n);
    for (int i = 0; i < n; ++i) w.in[U(i)] = windowed[U(i)];
    fft.Forward(w.in.data(), w.out.data());
    for (int k = 1; k <= last; ++k) {
      if (std::norm(w.out[U(k)]) > std::norm(w.out[U(top)])) top = k;
    }
  }
  // Bins top − 1 … top + 1 in half-bin steps.
  std::vector<double> at;
  for (int j = -2; j <= 2; ++j) at.push_back((top + 0.5 * j) / n);
  const Projections p = Project(windowed.data(), n, at);
  double grid[5];
  for (std::size_t j = 0; j < 5; ++j) grid[j] = p.cosine[j] * p.cosine[j] + p.sine[j] * p.sine[j];
  int best = 2;
  for (int j = 1; j <= 3; ++j) {
    if (grid[j] > grid[best]) best = j;
  }
  if (!(grid[best] > 0.0)) return std::nullopt;
  double d = 0.0;
  if (grid[best - 1] > 0.0 && grid[best + 1] > 0.0) {
    const double la = std::log(grid[best - 1]), lb = std::log(grid[best]),
                 lc = std::log(grid[best + 1]);
    const double curve = la - 2.0 * lb + lc;
    if (curve < 0.0) d = std::clamp(0.5 * (la - lc) / curve, -0.5, 0.5);
  }
  // A tone near half the rate and its image meet on the last bin: start a
  // quarter bin inside, where the fit finds which side it lies.
  const double bins = std::min(top + 0.5 * (best - 2 + d), n / 2.0 - 0.25);
  return bins >= 1.0 ? std::optional<double>(bins / n) : std::nullopt;
}

// The residual's spectrum, unwindowed: per bin 1 … (n−1)/2 the power of the
// sine that fits the residual best at that bin's frequency (2|R_k|²/n²).
std::vector<double> ResidualLines(const std::vector<double>& r) {
  const int n = static_cast<int>(r.size());
  Workspace& w = ThreadWorkspace();
  const Fft& fft = w.Of(w.plain, n);
  for (int i = 0; i < n; ++i) w.in[U(i)] = r[U(i)];
  fft.Forward(w.in.data(), w.out.data());
  std::vector<double> lines(U((n - 1) / 2 + 1), 0.0);
  for (int k = 1; k < static_cast<int>(lines.size()); ++k) {
    lines[U(k)] = 2.0 * std::norm(w.out[U(k)]) / (static_cast<double>(n) * n);
  }
  return lines;
}

bool Near(double a, double b, int n) { return std::fabs(a - b) * n < kResolutionBins; }

// How far (cycles per sample) a tone may lie from a mains line and still be
// taken for pickup: half a bin, but no more than 1 % of the line (or a
// tenth of a bin).
double PickupTolerance(int n, double lineHz, double rate) {
  return std::min(0.5 / n, std::max(0.01 * lineHz / rate, 0.1 / n));
}

// Builds and fits the model for one choice of tones.
class Modeller {
 public:
  Modeller(const std::vector<double>& y, std::optional<double> rate)
      : y_(y), n_(static_cast<int>(y.size())) {
    if (!rate || !(*rate > 0.0)) return;
    for (double base : {50.0, 60.0}) {
      for (int m = 1; m <= kMaxMainsOrder; ++m) {
        const double x = OntoNyquist(FoldCycles(m * base / *rate), n_);
        if (x * n_ < kResolutionBins) continue;  // inside DC: not a line of its own
        MainsModel l;
        l.baseHz = base;
        l.order = m;
        l.cycles = x;
        candidates_.push_back(l);
      }
    }
    std::vector<double> at;
    for (const MainsModel& l : candidates_) at.push_back(l.cycles);
    mainsProjections_ = Project(y_.data(), n_, at);
  }

  // The tone on 50 Hz or 60 Hz itself (or where it aliases) is pickup.
  bool OnMainsLine(double cycles, std::optional<double> rate) const {
    for (const MainsModel& l : candidates_) {
      if (l.order == 1 && std::fabs(cycles - l.cycles) < PickupTolerance(n_, l.baseHz, *rate)) {
        return true;
      }
    }
    return false;
  }

  // The model with a fundamental near `tone` (its frequency refined with
  // the harmonics), or none, and a second tone near `second`, refined too.
  RecordModel Fit(std::optional<double> tone, std::optional<double> second, bool rechosen = false) {
    RecordModel m;
    m.n = n_;
    std::vector<int> orders;  // harmonics that take part
    if (tone) {
      for (int h = 2; h <= kMaxHarmonic; ++h) {
        HarmonicModel hm;
        hm.order = h;
        hm.cycles = Harmonic(h, *tone);
        if (hm.cycles * n_ < kResolutionBins) {
          hm.ontoDc = true;
        } else if (Near(hm.cycles, *tone, n_)) {
          hm.coincidesWith = 1;
        } else {
          for (int k : orders) {
            if (Near(hm.cycles, Harmonic(k, *tone), n_)) hm.coincidesWith = k;
          }
          if (hm.coincidesWith == 0) orders.push_back(h);
        }
        m.harmonics.push_back(hm);
      }
    }
    ChooseMains(m, tone, orders, second);

    // The mains lines are projected once; the tones' lines move with their
    // frequencies.
    std::vector<double> fixed;
    Projections fixedP;
    for (std::size_t j = 0; j < candidates_.size(); ++j) {
      if (!chosen_[j]) continue;
      fixed.push_back(candidates_[j].cycles);
      fixedP.cosine.push_back(mainsProjections_.cosine[j]);
      fixedP.sine.push_back(mainsProjections_.sine[j]);
    }
    fixedP.sum = mainsProjections_.sum;
    if (candidates_.empty()) {
      fixedP.sum = 0.0;
      for (double v : y_) fixedP.sum += v;
    }

    double nu = tone.value_or(0.0);
    std::optional<double> nu2 = tone ? second : std::nullopt;
    LinesFit fit = Solve(tone.has_value(), nu, orders, fixed, fixedP, nu2);
    if (tone) nu = Refine(nu, nu2, orders, fixed, fixedP, fit);
    // The mains lines beside the second tone were chosen where it started.
    if (nu2 && !rechosen && NearMains(*second) != NearMains(*nu2)) return Fit(nu, nu2, true);

    // Unpack: tone, harmonics, mains, second tone, in the order solved.
    std::size_t j = 0;
    if (tone) {
      m.fundamental = fit.lines[j++];
      for (HarmonicModel& hm : m.harmonics) {
        if (!hm.ontoDc && hm.coincidesWith == 0) {
          hm.cycles = Harmonic(hm.order, nu);
          hm.fit = fit.lines[j++];
        }
      }
    }
    std::vector<FittedLine> mainsLines, others;
    for (std::size_t c = 0; c < candidates_.size(); ++c) {
      if (!chosen_[c]) continue;
      m.mains[c].fit = fit.lines[j];
      mainsLines.push_back(fit.lines[j++]);
    }
    if (nu2) m.secondTone = fit.lines[j++];
    others.assign(fit.lines.begin() + (tone ? 1 : 0), fit.lines.end());
    m.parameters = fit.Parameters() + (tone ? 1 : 0) + (nu2 ? 1 : 0);
    m.mainsEnergy = LinesEnergy(n_, mainsLines);
    m.othersEnergy = LinesEnergy(n_, others);
    residual_ = y_;
    SubtractLines(residual_.data(), n_, fit);
    for (double v : residual_) m.residualSquares += v * v;
    return m;
  }

  const std::vector<double>& Residual() const { return residual_; }

 private:
  // The h-th harmonic of a tone, folded, on half the rate when it lies there.
  double Harmonic(int h, double tone) const { return OntoNyquist(FoldCycles(h * tone), n_); }

  // The mains lines within a bin of a frequency.
  std::vector<bool> NearMains(double cycles) const {
    std::vector<bool> near;
    for (const MainsModel& l : candidates_) near.push_back(Near(l.cycles, cycles, n_));
    return near;
  }

  // Mains lines within a bin of the tone or a harmonic are left out; of lines
  // within a bin of each other, the one with the larger projection is fitted.
  void ChooseMains(RecordModel& m, std::optional<double> tone, const std::vector<int>& orders,
                   std::optional<double> second) {
    m.mains = candidates_;
    chosen_.assign(candidates_.size(), false);
    std::vector<std::size_t> order(candidates_.size());
    for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
    const auto power = [&](std::size_t j) {
      return std::hypot(mainsProjections_.cosine[j], mainsProjections_.sine[j]);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return power(a) > power(b); });
    for (std::size_t j : order) {
      MainsModel& l = m.mains[j];
      if (tone && Near(l.cycles, *tone, n_)) {
        l.coincidesWith = 1;
        continue;
      }
      for (int h : orders) {
        if (Near(l.cycles, Harmonic(h, *tone), n_)) l.coincidesWith = h;
      }
      if (l.coincidesWith != 0) continue;
      for (std::size_t k = 0; k < candidates_.size(); ++k) {
        if (chosen_[k] && Near(l.cycles, candidates_[k].cycles, n_)) {
          l.coincidesWithMainsHz = candidates_[k].Hz();
          break;
        }
      }
      if (second && Near(l.cycles, *second, n_)) continue;
      if (l.coincidesWithMainsHz == 0.0) chosen_[j] = true;
    }
  }

  // The joint fit: the tone and its harmonics, the mains lines, the second
  // tone, in that order.
  LinesFit Solve(bool tone, double nu, const std::vector<int>& orders,
                 const std::vector<double>& fixed, const Projections& fixedP,
                 std::optional<double> second, double* explained = nullptr) {
    std::vector<double> cycles;
    if (tone) {
      cycles.push_back(nu);
      for (int h : orders) cycles.push_back(Harmonic(h, nu));
    }
    if (second) cycles.push_back(*second);
    Projections p = Project(y_.data(), n_, cycles);
    p.sum = fixedP.sum;
    const auto moving = static_cast<std::ptrdiff_t>(cycles.size() - (second ? 1 : 0));
    cycles.insert(cycles.begin() + moving, fixed.begin(), fixed.end());
    p.cosine.insert(p.cosine.begin() + moving, fixedP.cosine.begin(), fixedP.cosine.end());
    p.sine.insert(p.sine.begin() + moving, fixedP.sine.begin(), fixedP.sine.end());
    LinesFit fit = SolveLines(n_, cycles, p);
    if (explained) {
      *explained = fit.offset * p.sum;
      for (std::size_t j = 0; j < cycles.size(); ++j) {
        *explained += fit.lines[j].cosine * p.cosine[j] + fit.lines[j].sine * p.sine[j];
      }
    }
    return fit;
  }

  // The tones' frequencies, fitted with the rest of the model: each tone's
  // 4-parameter fit on the record less every other fitted line, then the
  // joint fit again at the new frequencies, until both settle.
  double Refine(double nu, std::optional<double>& second, const std::vector<int>& orders,
                const std::vector<double>& fixed, const Projections& fixedP, LinesFit& fit) {
    const auto settled = [&](double moved) { return std::fabs(moved) * n_ < 1e-8; };
    // One tone, then the other, each followed by the joint fit: tones a few
    // bins apart pull on each other, and stepping both at once would make
    // them swing.
    for (int round = 0; round < (second ? 12 : 6); ++round) {
      const auto one = Alone(fit, 0);
      if (!one) break;
      const double moved = FoldCycles(one->cycles) - nu;
      if (!settled(moved)) {
        nu += moved;
        fit = Solve(true, nu, orders, fixed, fixedP, second);
      }
      double moved2 = 0.0;
      if (second) {
        if (const auto two = Alone(fit, fit.lines.size() - 1)) {
          moved2 = FoldCycles(two->cycles) - *second;
        }
        if (!settled(moved2)) {
          *second += moved2;
          fit = Solve(true, nu, orders, fixed, fixedP, second);
        }
      }
      if (settled(moved) && settled(moved2)) return nu;
    }
    // Not settled: a harmonic or a line about a bin from the tone couples
    // them strongly. The frequency where the whole model explains most of the
    // record: parabolas through three trial frequencies ever closer together.
    for (double step : {1e-2, 1e-3, 1e-4}) {
      const double h = step / n_;
      const double lo = Explained(nu - h, orders, fixed, fixedP, second);
      const double mid = Explained(nu, orders, fixed, fixedP, second);
      const double hi = Explained(nu + h, orders, fixed, fixedP, second);
      const double curve = lo - 2.0 * mid + hi;
      if (!(curve < 0.0)) break;
      nu += std::clamp(0.5 * h * (lo - hi) / curve, -2.0 * h, 2.0 * h);
    }
    fit = Solve(true, nu, orders, fixed, fixedP, second);
    return nu;
  }

  // A step of line k's 4-parameter fit on the record less the fit's other
  // lines, from its amplitudes in the fit (the joint fit's residual is
  // orthogonal to its columns: they are that fit's at this frequency). The
  // joint fit follows each step, so one step a round is enough.
  std::optional<SineFit> Alone(const LinesFit& fit, std::size_t k) const {
    const FittedLine& own = fit.lines[k];
    std::vector<FittedLine> less = fit.lines;
    less.erase(less.begin() + static_cast<std::ptrdiff_t>(k));
    const auto step = SineStep(y_.data(), n_, {own.cycles, own.cosine, own.sine, fit.offset}, less);
    if (!step || std::fabs(FoldCycles(step->cycles) - own.cycles) * n_ > 1.5) return std::nullopt;
    return step;
  }

  // The record's energy the model explains with the fundamental at nu.
  double Explained(double nu, const std::vector<int>& orders, const std::vector<double>& fixed,
                   const Projections& fixedP, std::optional<double> second) {
    double e = 0.0;
    Solve(true, nu, orders, fixed, fixedP, second, &e);
    return e;
  }

  const std::vector<double>& y_;
  int n_;
  std::vector<MainsModel> candidates_;
  Projections mainsProjections_;
  std::vector<bool> chosen_;
  std::vector<double> residual_;
};

// The largest line of the residual away from the fitted lines, when it
// stands out as a tone: its frequency (cycles per sample).
std::optional<double> SecondTone(const std::vector<double>& r, const RecordModel& m,
                                 const std::vector<double>& lines) {
  const int n = m.n;
  std::vector<double> taken;
  if (m.fundamental) taken.push_back(m.fundamental->cycles);
  for (const auto& h : m.harmonics) {
    if (h.fit) taken.push_back(h.cycles);
  }
  for (const auto& l : m.mains) {
    if (l.fit) taken.push_back(l.cycles);
  }
  int top = 0;
  for (int k = 1; k < static_cast<int>(lines.size()); ++k) {
    const bool free = std::none_of(taken.begin(), taken.end(), [&](double x) {
      return std::fabs(k - x * n) < kResolutionBins + 0.5;
    });
    if (free && (top == 0 || lines[U(k)] > lines[U(top)])) top = k;
  }
  if (top == 0 || !(lines[U(top)] > (std::log(n / 2.0) + kSecondToneMargin) * m.NoisePerLine())) {
    return std::nullopt;
  }
  // Between bins: the unwindowed transform's neighbours give the offset.
  const double a = std::sqrt(lines[U(top)]);
  double d = 0.0;
  if (top + 1 < static_cast<int>(lines.size()) && lines[U(top + 1)] >= lines[U(top - 1)]) {
    d = std::sqrt(lines[U(top + 1)]) / (a + std::sqrt(lines[U(top + 1)]));
  } else if (top > 1) {
    d = -std::sqrt(lines[U(top - 1)]) / (a + std::sqrt(lines[U(top - 1)]));
  }
  const auto fit = FitSine(r.data(), n, (top + d) / n);
  if (!fit || FoldCycles(fit->cycles) * n < kMinCycles) return std::nullopt;
  const double x = FoldCycles(fit->cycles);
  for (double t : taken) {
    if (Near(x, t, n)) return std::nullopt;
  }
  return x;
}

}  // namespace

std::optional<double> RecordModel::NoiseVariance() const {
  if (n - parameters < 4) return std::nullopt;
  return residualSquares / (n - parameters);
}

double RecordModel::NoisePerLine() const {
  return n > 0 ? 2.0 * NoiseVariance().value_or(0.0) / n : 0.0;
}

RecordModel ModelRecord(const std::vector<double>& y, std::optional<double> rate,
                        const std::vector<double>* power) {
  const int n = static_cast<int>(y.size());
  if (n < 8) {
    RecordModel none;
    none.n = n;
    return none;
  }
  Modeller modeller(y, rate);
  std::optional<double> tone;
  if (const auto start = StartCycles(y, power)) {
    // Where Gauss-Newton does not settle (a tone and its image near half the
    // rate), it tries again from a third of a bin either side; failing that,
    // the model's own refinement starts from the spectrum's estimate.
    tone = FoldCycles(*start);
    for (double shift : {0.0, -0.3, 0.3}) {
      if (const auto fit = FitSine(y.data(), n, *start + shift / n)) {
        tone = FoldCycles(fit->cycles);
        break;
      }
    }
  }
  const bool pickup = tone && rate && modeller.OnMainsLine(*tone, rate);
  if (!tone || pickup) {
    RecordModel m = modeller.Fit(std::nullopt, std::nullopt);
    if (pickup) m.tone = ToneState::kPickup;
    return m;
  }
  RecordModel m = modeller.Fit(tone, std::nullopt);
  const auto stands = [](const RecordModel& r) {
    return r.fundamental && r.NoiseVariance() &&
           r.fundamental->Power() >= kToneFactor * r.NoisePerLine();
  };
  if (!stands(m)) return modeller.Fit(std::nullopt, std::nullopt);
  if (m.fundamental->cycles * n < kMinCycles) {
    m.tone = ToneState::kTooSlow;
    return m;
  }
  m.tone = ToneState::kFound;
  std::vector<double> lines = ResidualLines(modeller.Residual());
  if (auto second = SecondTone(modeller.Residual(), m, lines)) {
    // Its frequency found beside the first tone's leftovers, then fitted
    // with the first tone's on the record less everything else.
    RecordModel two = modeller.Fit(m.fundamental->cycles, second);
    // The stronger of the two is the fundamental.
    if (two.secondTone && two.secondTone->Power() > two.fundamental->Power()) {
      two = modeller.Fit(two.secondTone->cycles, two.fundamental->cycles);
    }
    if (stands(two)) {
      m = std::move(two);
      m.tone = ToneState::kFound;
      lines = ResidualLines(modeller.Residual());
    }
  }
  m.residualPeakPower = *std::max_element(lines.begin(), lines.end());
  return m;
}

}  // namespace velqoris::analysis
