#include "analysis/Spectrum_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/Code_scale.h"

namespace velqoris::analysis {

namespace {

enum class Owner : std::uint8_t { kFree, kDc, kFundamental, kHarmonic };

constexpr int kMinNoiseBins = 4;
constexpr int kMaxHarmonic = 6;
constexpr double kFullScalePower = kFullScaleAmplitudeCodes * kFullScaleAmplitudeCodes;

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

struct Bins {
  const Spectrum& s;
  std::vector<Owner> owner;
  int firstAboveDc;
  // Per bin, the order of the tone owning it (1 fundamental, h harmonic, 0 none),
  // and per order the tone's centre in bins.
  std::vector<int> toneOrder = std::vector<int>(owner.size(), 0);
  std::vector<double> toneCentre = std::vector<double>(kMaxHarmonic + 1, 0.0);

  // Power of the free bins centre ± half, marking them as the tone of that order.
  double Claim(int centre, int half, int order) {
    double p = 0.0;
    const int lo = std::max(firstAboveDc, centre - half);
    const int hi = std::min(s.Bins() - 1, centre + half);
    for (int k = lo; k <= hi; ++k) {
      if (owner[static_cast<std::size_t>(k)] != Owner::kFree) continue;
      owner[static_cast<std::size_t>(k)] = order == 1 ? Owner::kFundamental : Owner::kHarmonic;
      toneOrder[static_cast<std::size_t>(k)] = order;
      p += s.power[static_cast<std::size_t>(k)];
    }
    return p;
  }
  // Power of a line's bins. Bins of the tone or a harmonic count only when
  // the line's centre lies among them (then the two cannot be told apart).
  double LinePower(int centre, int half) const {
    const bool onTone = owner[static_cast<std::size_t>(centre)] != Owner::kFree;
    double p = 0.0;
    const int lo = std::max(firstAboveDc, centre - half);
    const int hi = std::min(s.Bins() - 1, centre + half);
    for (int k = lo; k <= hi; ++k) {
      if (onTone || owner[static_cast<std::size_t>(k)] == Owner::kFree) {
        p += s.power[static_cast<std::size_t>(k)];
      }
    }
    return p;
  }
};

std::vector<SpectrumLine> MainsLines(const Bins& b, double baseHz, int half) {
  std::vector<SpectrumLine> lines;
  const Spectrum& s = b.s;
  if (!s.binHz || !s.rateSps || !(*s.binHz > 0.0)) return lines;
  for (int m = 1; m * baseHz < *s.rateSps / 2.0; ++m) {
    const double f = m * baseHz;
    const int centre = static_cast<int>(std::lround(f / *s.binHz));
    if (centre < b.firstAboveDc || centre >= s.Bins()) continue;
    SpectrumLine line{m, f, centre, kFloorDbfs};
    // A tone on the line's own bin is taken for the pickup itself; one off it
    // but within its lobe would be read as pickup it is not.
    const int tone = b.toneOrder[static_cast<std::size_t>(centre)];
    if (tone != 0 &&
        std::fabs(f / *s.binHz - b.toneCentre[static_cast<std::size_t>(tone)]) >= 0.5) {
      line.coincidesWith = tone;
    } else {
      line.dbfs = PowerDbfs(b.LinePower(centre, half));
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::optional<double> SpectrumFigures::Mains50Dbfs() const {
  if (mains50.empty() || mains50.front().order != 1 || mains50.front().coincidesWith != 0)
    return std::nullopt;
  return mains50.front().dbfs;
}

std::optional<double> SpectrumFigures::Mains60Dbfs() const {
  if (mains60.empty() || mains60.front().order != 1 || mains60.front().coincidesWith != 0)
    return std::nullopt;
  return mains60.front().dbfs;
}

SpectrumFigures FiguresOf(const Spectrum& s) {
  SpectrumFigures f;
  const int bins = s.Bins();
  const int lobe = MainLobeHalfWidth(s.window);
  const int half = lobe + 1;
  Bins b{s, std::vector<Owner>(static_cast<std::size_t>(bins), Owner::kFree), lobe + 1};
  if (bins <= b.firstAboveDc) return f;
  for (int k = 0; k < b.firstAboveDc; ++k) b.owner[static_cast<std::size_t>(k)] = Owner::kDc;
  const int nyquist = s.n % 2 == 0 ? s.n / 2 : -1;
  const auto at = [&](int k) { return s.power[static_cast<std::size_t>(k)]; };

  // The largest tone, when it stands clear of the noise floor.
  const auto first = s.power.begin() + b.firstAboveDc;
  const int peak = static_cast<int>(std::max_element(first, s.power.end()) - s.power.begin());
  const double floor = Median(std::vector<double>(first, s.power.end())) / std::log(2.0);
  const bool tone = at(peak) > 0.0 && at(peak) >= floor * std::pow(10.0, kToneThresholdDb / 10.0);

  double p1 = 0.0;
  double centreBin = 0.0;
  if (tone) {
    double moment = 0.0;
    const int lo = std::max(b.firstAboveDc, peak - half);
    const int hi = std::min(bins - 1, peak + half);
    for (int k = lo; k <= hi; ++k) moment += k * at(k);
    p1 = b.Claim(peak, half, 1);
    centreBin = moment / p1;
    b.toneCentre[1] = centreBin;
    SpectrumLine line{1, std::nullopt, peak, PowerDbfs(p1)};
    if (s.binHz) line.frequencyHz = centreBin * *s.binHz;
    f.fundamental = line;

    for (int h = 2; h <= kMaxHarmonic; ++h) {
      double x = std::fmod(h * centreBin, static_cast<double>(s.n));
      if (x > s.n / 2.0) x = s.n - x;
      const int centre = static_cast<int>(std::lround(x));
      if (centre < 0 || centre >= bins) continue;
      if (b.owner[static_cast<std::size_t>(centre)] != Owner::kFree) continue;
      SpectrumLine hl{h, std::nullopt, centre, PowerDbfs(b.Claim(centre, half, h))};
      b.toneCentre[static_cast<std::size_t>(h)] = x;
      if (s.binHz) hl.frequencyHz = x * *s.binHz;
      f.harmonics.push_back(hl);
    }
  }

  // Mains lines stay noise for SNR, as any spur does, but are kept out of
  // the density, which describes the floor between them.
  std::vector<bool> mainsBin(static_cast<std::size_t>(bins), false);
  if (s.binHz && s.rateSps && *s.binHz > 0.0) {
    for (double base : {50.0, 60.0}) {
      for (int m = 1; m * base < *s.rateSps / 2.0; ++m) {
        const int centre = static_cast<int>(std::lround(m * base / *s.binHz));
        for (int k = std::max(0, centre - half); k <= std::min(bins - 1, centre + half); ++k) {
          mainsBin[static_cast<std::size_t>(k)] = true;
        }
      }
    }
  }
  double floorSum = 0.0;
  int floorBins = 0;
  double noiseSum = 0.0;
  int noiseBins = 0;
  double harmonicSum = 0.0;
  int harmonicBins = 0;
  double spur = kFloorDbfs;
  for (int k = b.firstAboveDc; k < bins; ++k) {
    const Owner o = b.owner[static_cast<std::size_t>(k)];
    if (o != Owner::kFundamental) spur = std::max(spur, s.dbfs[static_cast<std::size_t>(k)]);
    if (o == Owner::kHarmonic) {
      harmonicSum += at(k);
      ++harmonicBins;
    }
    if (o == Owner::kFree && k != nyquist) {
      noiseSum += at(k);
      ++noiseBins;
      if (!mainsBin[static_cast<std::size_t>(k)]) {
        floorSum += at(k);
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
    if (spur > kFloorDbfs) f.sfdrDb = f.fundamental->dbfs - spur;
  }

  f.mains50 = MainsLines(b, 50.0, half);
  f.mains60 = MainsLines(b, 60.0, half);
  return f;
}

}  // namespace velqoris::analysis
