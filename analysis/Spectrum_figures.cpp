#include "analysis/Spectrum_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "analysis/Code_scale.h"
#include "analysis/Sine_fit.h"

namespace velqoris::analysis {

namespace {

enum class Owner : std::uint8_t { kFree, kDc, kFundamental, kHarmonic };

constexpr int kMinNoiseBins = 4;
constexpr int kMaxHarmonic = 6;
constexpr double kFullScalePower = kFullScaleAmplitudeCodes * kFullScaleAmplitudeCodes;
// A tone's leakage skirt is claimed while its bins stay this far above the floor.
constexpr double kSkirtFactor = 4.0;
// A harmonic is claimed when a bin of its main lobe stands 10 dB above the floor:
// one hidden in the noise is noise (and leaves short records their noise bins).
constexpr double kHarmonicFactor = 10.0;

std::size_t U(int k) { return static_cast<std::size_t>(k); }

// dB of a ratio; absent when it is not a finite positive number (a record without noise).
std::optional<double> Db(double ratio) {
  if (!(ratio > 0.0) || !std::isfinite(ratio)) return std::nullopt;
  return 10.0 * std::log10(ratio);
}

// A sine of power p (codes²) has amplitude sqrt(2p).
double PowerDbfs(double p) {
  return p > 0.0 ? std::max(kFloorDbfs, 10.0 * std::log10(2.0 * p / kFullScalePower)) : kFloorDbfs;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// The window's amplitude response ν bins off a tone, relative to on the bin
// (cosine-sum window, long-record form): sin(πν)/π · (c0/ν + Σ c_m ν/(ν² − m²)) / c0.
double Response(SpectrumWindow window, double nu) {
  static constexpr double kRect[] = {1.0};
  static constexpr double kHannC[] = {0.5, -0.5};
  static constexpr double kBh[] = {0.35875, -0.48829, 0.14128, -0.01168};
  const double* c = kBh;
  int terms = 4;
  if (window == SpectrumWindow::kRectangular) {
    c = kRect;
    terms = 1;
  } else if (window == SpectrumWindow::kHann) {
    c = kHannC;
    terms = 2;
  }
  nu = std::fabs(nu);
  if (std::fabs(nu - std::round(nu)) < 1e-7) nu += 1e-7;  // the limit at whole bins
  double sum = c[0] / nu;
  for (int m = 1; m < terms; ++m) sum += c[m] * nu / (nu * nu - m * m);
  return std::fabs(std::sin(std::numbers::pi * nu) / std::numbers::pi * sum / c[0]);
}

// The share of a tone's power that falls on a bin ν bins off it (and ν'
// off its image at minus its frequency), at most: the responses added in
// phase, squared, over the window's equivalent noise bandwidth (in bins).
double Leakage(SpectrumWindow window, double nu, double nuImage) {
  const double enbw = window == SpectrumWindow::kRectangular ? 1.0
                      : window == SpectrumWindow::kHann      ? 1.5
                                                             : 2.00443;
  const double r = Response(window, nu) + Response(window, nuImage);
  return r * r / enbw;
}

struct Bins {
  const Spectrum& s;
  std::vector<Owner> owner;
  int firstAboveDc;
  double floor = 0.0;  // mean noise bin power, estimated without the tone
  std::vector<int> toneOrder = std::vector<int>(owner.size(), 0);

  double At(int k) const { return s.power[U(k)]; }
  bool Free(int k) const { return owner[U(k)] == Owner::kFree; }

  // The range centre ± half, grown on each side block by block (blocks of
  // `lobe` bins, since the skirt's side lobes are not one bin wide and have
  // nulls between them) while a block's largest bin stays kSkirtFactor above
  // the floor and the blocks keep falling (never above twice the lowest
  // block so far): the window's leakage skirt, down to where it meets the noise.
  std::pair<int, int> Span(int centre, int half, int lobe) const {
    int lo = std::max(firstAboveDc, centre - half);
    int hi = std::min(s.Bins() - 1, centre + half);
    if (lo > hi) return {lo, hi};
    double top = 0.0;
    for (int k = lo; k <= hi; ++k) top = std::max(top, At(k));
    const auto grow = [&](int edge, int dir) {
      double lowest = top;
      for (;;) {
        double block = 0.0;
        int last = edge;
        for (int j = 1; j <= lobe; ++j) {
          const int k = edge + dir * j;
          if (k < firstAboveDc || k >= s.Bins() || !Free(k)) break;
          block = std::max(block, At(k));
          last = k;
        }
        if (last == edge || block <= kSkirtFactor * floor || block > 2.0 * lowest) break;
        lowest = std::min(lowest, block);
        edge = last;
      }
      return edge;
    };
    return {grow(lo, -1), grow(hi, +1)};
  }

  // Power of the free bins of the span, marking them as the tone of that order.
  double Claim(std::pair<int, int> span, int order) {
    double p = 0.0;
    for (int k = span.first; k <= span.second; ++k) {
      if (!Free(k)) continue;
      owner[U(k)] = order == 1 ? Owner::kFundamental : Owner::kHarmonic;
      toneOrder[U(k)] = order;
      p += At(k);
    }
    return p;
  }
};

// Where a peak on bin k really lies, in bins: the offset δ ∈ [−½, ½] whose
// window response gives the measured slope (|X(k+1)| − |X(k−1)|) / |X(k)|.
double PeakOffset(const Spectrum& s, int k) {
  if (k <= 0 || k + 1 >= s.Bins()) return 0.0;
  const double a0 = std::sqrt(s.power[U(k)]);
  if (!(a0 > 0.0)) return 0.0;
  const double target = (std::sqrt(s.power[U(k + 1)]) - std::sqrt(s.power[U(k - 1)])) / a0;
  const auto slope = [&](double d) {
    return (Response(s.window, 1.0 - d) - Response(s.window, 1.0 + d)) / Response(s.window, d);
  };
  double lo = -0.5, hi = 0.5;
  for (int i = 0; i < 40; ++i) {
    const double mid = 0.5 * (lo + hi);
    (slope(mid) < target ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

// Per-bin power of the record less the fitted fundamental at `cycles` (per
// sample) and the claimed harmonics: the window's far skirt of a strong tone
// (Blackman-Harris falls only 6 dB/octave there) is gone from it. Empty
// without the record or when the fit does not settle.
std::vector<double> ResidualPower(const Spectrum& s, double cycles,
                                  const std::vector<SpectrumLine>& harmonics) {
  if (s.record.size() != U(s.n)) return {};
  std::vector<double> residual = s.record;
  const auto fit = FitSine(residual.data(), s.n, cycles);
  if (!fit) return {};
  SubtractSine(residual.data(), s.n, *fit);
  for (const SpectrumLine& h : harmonics) {
    if (const auto hf = FitSineAt(residual.data(), s.n, h.order * fit->cycles)) {
      SubtractSine(residual.data(), s.n, *hf);
    }
  }
  return WindowedPower(residual.data(), s.n, s.window);
}

// How far (Hz) a tone may lie from m × base and still be taken for pickup:
// half a bin, but no more than the grid's 1 % (or a tenth of a bin).
double PickupTolerance(double binHz, double lineHz) {
  return std::min(0.5 * binHz, std::max(0.01 * lineHz, 0.1 * binHz));
}

// Only a tone on 50 Hz or 60 Hz itself is taken for pickup: a test sine on
// a multiple (100 Hz, 1 kHz) beside real pickup is still a test sine.
bool OnMainsLine(double hz, double binHz) {
  for (double base : {50.0, 60.0}) {
    if (std::fabs(hz - base) < PickupTolerance(binHz, base)) return true;
  }
  return false;
}

struct Tone {
  int order;
  double centre;  // bins
  double power;   // codes²
};

std::vector<SpectrumLine> MainsLines(const Bins& b, double baseHz, int half, int apart,
                                     const std::vector<Tone>& tones) {
  std::vector<SpectrumLine> lines;
  const Spectrum& s = b.s;
  if (!s.binHz || !s.rateSps || !(*s.binHz > 0.0)) return lines;
  for (int m = 1; m * baseHz < *s.rateSps / 2.0; ++m) {
    const double f = m * baseHz;
    const double x = f / *s.binHz;
    const int centre = static_cast<int>(std::lround(x));
    if (centre < b.firstAboveDc || centre >= s.Bins()) continue;
    SpectrumLine line{m, f, centre, kFloorDbfs};
    // A tone within the line's lobes cannot be told from it: the line has no
    // level, unless the tone (a harmonic) lies on the line itself.
    for (const Tone& t : tones) {
      const double d = std::fabs(x - t.centre);
      if (d * *s.binHz < PickupTolerance(*s.binHz, f)) break;
      if (d < apart) {
        line.coincidesWith = t.order;
        break;
      }
    }
    if (line.coincidesWith == 0) {
      // The tones' leakage onto the line's bins (the rectangle's sinc skirt
      // reaches far) is not the line's: when it can be half of their power,
      // the line cannot be told from that tone; otherwise it is taken off.
      double p = 0.0;
      double leak = 0.0;
      int from = 0;
      double fromLeak = 0.0;
      for (int k = std::max(b.firstAboveDc, centre - half);
           k <= std::min(s.Bins() - 1, centre + half); ++k) {
        p += b.At(k);
        for (const Tone& t : tones) {
          const double l = t.power * Leakage(s.window, k - t.centre, k + t.centre);
          leak += l;
          if (l > fromLeak) {
            fromLeak = l;
            from = t.order;
          }
        }
      }
      if (leak >= 0.5 * p && leak > 0.0) {
        line.coincidesWith = from;
        line.inLeakage = true;
      } else {
        line.dbfs = PowerDbfs(p - leak);
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// Lines of either family closer than `apart` bins cannot be told apart: the
// one with less power on its centre bin has no level of its own.
void SeparateLines(const Bins& b, std::vector<SpectrumLine>& l50, std::vector<SpectrumLine>& l60,
                   int apart) {
  if (!b.s.binHz) return;
  std::vector<SpectrumLine*> all;
  for (auto* v : {&l50, &l60}) {
    for (auto& l : *v) all.push_back(&l);
  }
  std::vector<double> by(all.size(), 0.0);  // the louder line it lies under
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = 0; j < all.size(); ++j) {
      const double fi = *all[i]->frequencyHz, fj = *all[j]->frequencyHz;
      if (i == j || fi == fj || std::fabs(fi - fj) / *b.s.binHz >= apart) continue;
      const double pi = b.At(all[i]->bin), pj = b.At(all[j]->bin);
      if ((pi < pj || (pi == pj && pi > 0.0)) && by[i] == 0.0) by[i] = fj;
    }
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (by[i] == 0.0 || all[i]->coincidesWith != 0) continue;
    all[i]->coincidesWith = -1;
    all[i]->coincidesWithMainsHz = by[i];
    all[i]->dbfs = kFloorDbfs;
  }
}

}  // namespace

std::optional<double> SpectrumLine::Dbfs() const {
  if (coincidesWith != 0 || !(dbfs > kFloorDbfs)) return std::nullopt;
  return dbfs;
}

std::optional<double> SpectrumFigures::Mains50Dbfs() const {
  if (mains50.empty() || mains50.front().order != 1) return std::nullopt;
  return mains50.front().Dbfs();
}

std::optional<double> SpectrumFigures::Mains60Dbfs() const {
  if (mains60.empty() || mains60.front().order != 1) return std::nullopt;
  return mains60.front().Dbfs();
}

SpectrumFigures FiguresOf(const Spectrum& s) {
  SpectrumFigures f;
  f.overRange = s.overRange;
  const int bins = s.Bins();
  const int lobe = MainLobeHalfWidth(s.window);
  const int half = lobe + 1;
  const int apart = half + lobe;  // a line's bins reach no other's main lobe
  Bins b{s, std::vector<Owner>(U(bins), Owner::kFree), lobe + 1};
  if (bins <= b.firstAboveDc) return f;
  for (int k = 0; k < b.firstAboveDc; ++k) b.owner[U(k)] = Owner::kDc;
  const int nyquist = s.n % 2 == 0 ? s.n / 2 : -1;

  // The largest bin, and the floor from the bins outside it and its lobe.
  const auto first = s.power.begin() + b.firstAboveDc;
  const int peak = static_cast<int>(std::max_element(first, s.power.end()) - s.power.begin());
  {
    std::vector<double> rest;
    rest.reserve(U(bins));
    for (int k = b.firstAboveDc; k < bins; ++k) {
      if (std::abs(k - peak) > half) rest.push_back(b.At(k));
    }
    if (rest.empty()) rest.assign(first, s.power.end());
    b.floor = Median(std::move(rest)) / std::log(2.0);
  }
  const double peakCentre = peak + PeakOffset(s, peak);
  const double threshold = b.floor * std::pow(10.0, kToneThresholdDb / 10.0);
  const bool standsOut = b.At(peak) > 0.0 && b.At(peak) >= threshold;
  f.largestIsPickup = standsOut && s.binHz && OnMainsLine(peakCentre * *s.binHz, *s.binHz);
  const bool tone = standsOut && !f.largestIsPickup && !s.overRange;

  double p1 = 0.0;
  std::vector<Tone> tones;
  if (tone) {
    const double summed = b.Claim(b.Span(peak, half, lobe), 1);
    // The rectangle's sinc leakage never meets the floor: its level is the
    // peak bin's, corrected for where the tone lies between bins.
    const double level =
        s.window == SpectrumWindow::kRectangular
            ? s.dbfs[U(peak)] - 20.0 * std::log10(Response(s.window, peakCentre - peak))
            : PowerDbfs(summed);
    p1 = s.window == SpectrumWindow::kRectangular
             ? kFullScalePower * std::pow(10.0, level / 10.0) / 2.0
             : summed;
    tones.push_back({1, peakCentre, p1});
    SpectrumLine line{1, std::nullopt, peak, level};
    if (s.binHz) line.frequencyHz = peakCentre * *s.binHz;
    f.fundamental = line;

    for (int h = 2; h <= kMaxHarmonic; ++h) {
      double x = std::fmod(h * peakCentre, static_cast<double>(s.n));
      if (x > s.n / 2.0) x = s.n - x;
      const int centre = static_cast<int>(std::lround(x));
      if (centre < b.firstAboveDc || centre >= bins || !b.Free(centre)) continue;
      double top = 0.0;
      for (int k = std::max(b.firstAboveDc, centre - lobe); k <= std::min(bins - 1, centre + lobe);
           ++k) {
        if (b.Free(k)) top = std::max(top, b.At(k));
      }
      if (top < kHarmonicFactor * b.floor) continue;
      const double ph = b.Claim(b.Span(centre, half, lobe), h);
      SpectrumLine hl{h, std::nullopt, centre, PowerDbfs(ph)};
      tones.push_back({h, x, ph});
      if (s.binHz) hl.frequencyHz = x * *s.binHz;
      f.harmonics.push_back(hl);
    }
  }

  // The noise figures read the bins of the record less its tones; levels
  // come from the spectrum itself.
  std::vector<double> residual;
  if (tone) residual = ResidualPower(s, peakCentre / s.n, f.harmonics);
  const std::vector<double>& noise = residual.empty() ? s.power : residual;

  // Mains lines (with their skirts) stay noise for SNR, as any spur does, but
  // are kept out of the density, which describes the floor between them.
  std::vector<bool> mainsBin(U(bins), false);
  if (s.binHz && s.rateSps && *s.binHz > 0.0) {
    for (double base : {50.0, 60.0}) {
      for (int m = 1; m * base < *s.rateSps / 2.0; ++m) {
        const int centre = static_cast<int>(std::lround(m * base / *s.binHz));
        if (centre >= bins) break;
        const auto span = b.Span(centre, half, lobe);
        for (int k = span.first; k <= span.second; ++k) mainsBin[U(k)] = true;
      }
    }
  }
  double floorSum = 0.0;
  int floorBins = 0;
  double noiseSum = 0.0;
  int noiseBins = 0;
  double harmonicSum = 0.0;
  int harmonicBins = 0;
  for (int k = b.firstAboveDc; k < bins; ++k) {
    const Owner o = b.owner[U(k)];
    if (o == Owner::kHarmonic) {
      harmonicSum += b.At(k);
      ++harmonicBins;
    }
    if (o == Owner::kFree && k != nyquist) {
      noiseSum += noise[U(k)];
      ++noiseBins;
      if (!mainsBin[U(k)]) {
        floorSum += noise[U(k)];
        ++floorBins;
      }
    }
  }
  const double meanNoise = noiseBins > 0 ? noiseSum / noiseBins : 0.0;
  if (floorBins == 0) {  // a short record whose bins are all near mains lines
    floorSum = noiseSum;
    floorBins = noiseBins;
  }
  if (floorBins > 0 && s.binHz && s.gain && *s.binHz > 0.0) {
    f.noiseDensityNvRtHz =
        std::sqrt(floorSum / floorBins / *s.binHz) * MicrovoltsPerCode(*s.gain) * 1000.0;
  }

  if (tone && noiseBins >= kMinNoiseBins) {
    const double band = s.n / 2.0;
    f.snrDb = Db(p1 / (meanNoise * band));
    if (!f.harmonics.empty()) f.thdDb = Db(harmonicSum / p1);
    f.sinadDb = Db(p1 / (meanNoise * std::max(0.0, band - harmonicBins) + harmonicSum));
    if (f.sinadDb) f.enobBits = (*f.sinadDb - 1.76) / 6.02;
    // The largest spur, measured as the fundamental is: a harmonic's power
    // sum, or the power of the free bins around the largest free bin less
    // the noise expected in them (never less than that bin), both without
    // the fundamental's far skirt.
    double spur = 0.0;
    for (const SpectrumLine& h : f.harmonics) {
      spur = std::max(spur, kFullScalePower * std::pow(10.0, h.dbfs / 10.0) / 2.0);
    }
    int top = -1;
    for (int k = b.firstAboveDc; k < bins; ++k) {
      if (b.Free(k) && (top < 0 || noise[U(k)] > noise[U(top)])) top = k;
    }
    if (top >= 0) {
      double p = 0.0;
      int count = 0;
      for (int k = std::max(b.firstAboveDc, top - half); k <= std::min(bins - 1, top + half); ++k) {
        if (!b.Free(k)) continue;
        p += noise[U(k)];
        ++count;
      }
      spur = std::max(spur, std::max(noise[U(top)], p - count * meanNoise));
    }
    if (spur > 0.0) f.sfdrDb = f.fundamental->dbfs - PowerDbfs(spur);
  }

  f.mains50 = MainsLines(b, 50.0, half, apart, tones);
  f.mains60 = MainsLines(b, 60.0, half, apart, tones);
  SeparateLines(b, f.mains50, f.mains60, apart);
  return f;
}

}  // namespace velqoris::analysis
