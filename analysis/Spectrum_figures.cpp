#include "analysis/Spectrum_figures.h"

#include <algorithm>
#include <cmath>

#include "analysis/Code_scale.h"
#include "analysis/Record_model.h"

namespace velqoris::analysis {

namespace {

constexpr double kFullScalePower = kFullScaleAmplitudeCodes * kFullScaleAmplitudeCodes;
// A harmonic or mains line is detected when its fitted power is 10 × (10 dB)
// the noise power of one bin: white noise does that on one line in 22000.
constexpr double kLineFactor = 10.0;

// dB of a ratio; absent when it is not a finite positive number.
std::optional<double> Db(double ratio) {
  if (!(ratio > 0.0) || !std::isfinite(ratio)) return std::nullopt;
  return 10.0 * std::log10(ratio);
}

// A sine of power p (codes²) has amplitude sqrt(2p).
double PowerDbfs(double p) {
  return p > 0.0 ? std::max(kFloorDbfs, 10.0 * std::log10(2.0 * p / kFullScalePower)) : kFloorDbfs;
}

struct Lines {
  const Spectrum& s;
  const RecordModel& m;
  double threshold;  // the power a line needs to be detected

  SpectrumLine At(int order, double cycles) const {
    SpectrumLine l;
    l.order = order;
    if (s.rateSps) l.frequencyHz = cycles * *s.rateSps;
    l.bin = static_cast<int>(std::lround(cycles * s.n));
    return l;
  }
  // A fitted line's level, or (not standing out) the bound it lies below.
  void Level(SpectrumLine& l, const FittedLine& fit) const {
    l.dbfs = PowerDbfs(fit.Power());
    l.detected = m.NoiseVariance() && fit.Power() > threshold;
    if (!l.detected && threshold > 0.0) l.boundDbfs = PowerDbfs(threshold);
  }
};

void Mains(const Lines& lines, SpectrumFigures& f) {
  for (const MainsModel& mm : lines.m.mains) {
    SpectrumLine l = lines.At(mm.order, mm.cycles);
    l.aliased = lines.s.rateSps && mm.Hz() > *lines.s.rateSps / 2.0;
    l.coincidesWith = mm.coincidesWithMainsHz > 0.0 ? -1 : mm.coincidesWith;
    l.coincidesWithMainsHz = mm.coincidesWithMainsHz;
    if (mm.fit) lines.Level(l, *mm.fit);
    (mm.baseHz == 50.0 ? f.mains50 : f.mains60).push_back(l);
  }
}

void ToneFigures(const Lines& lines, SpectrumFigures& f) {
  const RecordModel& m = lines.m;
  const FittedLine& one = *m.fundamental;
  SpectrumLine fundamental = lines.At(1, one.cycles);
  fundamental.dbfs = PowerDbfs(one.Power());
  fundamental.detected = true;
  f.fundamental = fundamental;
  const double p1 = one.Power();

  double detectedSum = 0.0, boundSum = 0.0, spur = m.residualPeakPower;
  for (const HarmonicModel& hm : m.harmonics) {
    SpectrumLine h = lines.At(hm.order, hm.cycles);
    h.ontoDc = hm.ontoDc;
    h.coincidesWith = hm.coincidesWith;
    if (hm.fit) {
      lines.Level(h, *hm.fit);
      spur = std::max(spur, hm.fit->Power());
      if (h.detected) {
        detectedSum += hm.fit->Power();
      } else {
        boundSum += lines.threshold;
      }
    }
    f.harmonics.push_back(h);
  }
  for (const MainsModel& mm : m.mains) {
    if (mm.fit) spur = std::max(spur, mm.fit->Power());
  }
  if (m.secondTone) {
    SpectrumLine t = lines.At(1, m.secondTone->cycles);
    t.dbfs = PowerDbfs(m.secondTone->Power());
    t.detected = true;
    f.secondTone = t;
    spur = std::max(spur, m.secondTone->Power());
  }

  const auto noise = m.NoiseVariance();
  if (!noise) return;
  int mainsColumns = 0;
  for (const MainsModel& mm : m.mains) {
    if (mm.fit) mainsColumns += mm.fit->columns;
  }
  // SNR: the mains lines put back into the noise; SINAD: everything but the
  // fundamental and the offset. Each divided by its degrees of freedom.
  const double withMains =
      (m.residualSquares + m.mainsEnergy) / (m.n - m.parameters + mainsColumns);
  const double allButTone = (m.residualSquares + m.othersEnergy) / (m.n - 2 - one.columns);
  f.snrDb = Db(p1 / withMains);
  f.snrWithoutMainsDb = Db(p1 / *noise);
  f.sinadDb = Db(p1 / allButTone);
  if (detectedSum > 0.0) {
    f.thdDb = Db(detectedSum / p1);
  } else if (boundSum > 0.0) {
    f.thdBoundDb = Db(boundSum / p1);
  }
  if (f.sinadDb) {
    f.enobBits = (*f.sinadDb - 1.76) / 6.02;
    f.enobFsBits = (*f.sinadDb - fundamental.dbfs - 1.76) / 6.02;
  }
  if (spur > 0.0) f.sfdrDb = Db(p1 / spur);
}

std::optional<double> FirstLevel(const std::vector<SpectrumLine>& lines) {
  if (lines.empty() || lines.front().order != 1) return std::nullopt;
  return lines.front().Dbfs();
}

std::optional<double> FirstBound(const std::vector<SpectrumLine>& lines) {
  if (lines.empty() || lines.front().order != 1 || lines.front().coincidesWith != 0) {
    return std::nullopt;
  }
  return lines.front().boundDbfs;
}

}  // namespace

std::optional<double> SpectrumLine::Dbfs() const {
  if (!detected || coincidesWith != 0 || !(dbfs > kFloorDbfs)) return std::nullopt;
  return dbfs;
}

std::optional<double> SpectrumFigures::Mains50Dbfs() const { return FirstLevel(mains50); }
std::optional<double> SpectrumFigures::Mains60Dbfs() const { return FirstLevel(mains60); }
std::optional<double> SpectrumFigures::Mains50BoundDbfs() const { return FirstBound(mains50); }
std::optional<double> SpectrumFigures::Mains60BoundDbfs() const { return FirstBound(mains60); }

SpectrumFigures FiguresOf(const Spectrum& s) {
  SpectrumFigures f;
  f.overRange = s.overRange;
  if (s.n <= 0 || s.record.size() != static_cast<std::size_t>(s.n)) return f;
  const RecordModel m = ModelRecord(s.record, s.rateSps, &s.power);
  const Lines lines{s, m, kLineFactor * m.NoisePerLine()};
  Mains(lines, f);
  if (const auto noise = m.NoiseVariance(); noise && s.rateSps && s.gain) {
    // The residual's mean density over 0 … half the rate.
    f.noiseDensityNvRtHz =
        std::sqrt(*noise / (*s.rateSps / 2.0)) * MicrovoltsPerCode(*s.gain) * 1000.0;
  }
  f.largestIsPickup = m.tone == ToneState::kPickup;
  f.toneTooSlow = m.tone == ToneState::kTooSlow;
  if (m.tone == ToneState::kFound && !s.overRange) ToneFigures(lines, f);
  return f;
}

}  // namespace velqoris::analysis
