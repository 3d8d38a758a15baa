// Spectra of synthetic records whose figures are known from theory.
#include "analysis/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Spectrum_figures.h"
#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using analysis::SpectrumWindow;

constexpr SpectrumWindow kWindows[] = {SpectrumWindow::kRectangular, SpectrumWindow::kHann,
                                       SpectrumWindow::kBlackmanHarris};
constexpr double kFullScale = 8388607.0;
const MeasureSettings k4800Gain1 = SettingsAt(12, 0);

analysis::SpectrumAnalysis Analyze(const std::vector<std::int32_t>& codes,
                                   SpectrumWindow w = analysis::kDefaultWindow,
                                   const MeasureSettings& s = k4800Gain1) {
  return analysis::AnalyzeChannelSpectrum(codes.data(), static_cast<int>(codes.size()), s, w);
}

// SNR of a sine of amplitude a (codes) over noise sigma, rounding included.
double TheorySnr(double a, double sigma) {
  return 10.0 * std::log10(a * a / 2.0 / (sigma * sigma + 1.0 / 12.0));
}

TEST(Spectrum, FullScaleSineReadsZeroDbfsInEveryWindow) {
  Synthetic synth;
  const auto codes = synth.Record(10000, {{1001.0, kFullScale - 1.0}}, 0.0);
  for (SpectrumWindow w : kWindows) {
    const auto a = Analyze(codes, w);
    ASSERT_TRUE(a.figures.fundamental) << analysis::WindowName(w);
    EXPECT_NEAR(a.figures.fundamental->dbfs, 0.0, 0.1) << analysis::WindowName(w);
    EXPECT_NEAR(a.spectrum.dbfs[1001], 0.0, 0.1) << "the bin itself, coherent gain corrected";
    EXPECT_NEAR(*a.figures.fundamental->frequencyHz, 1001 * 0.48, 1e-6);
    EXPECT_DOUBLE_EQ(*a.spectrum.binHz, 0.48);
  }
}

TEST(Spectrum, SnrWithinHalfADbOfTheNoiseAt10000Samples) {
  Synthetic synth;
  const double a = 4.0e6, sigma = 1000.0;
  const auto codes = synth.Record(10000, {{1234.0, a}}, sigma);
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.snrDb) << analysis::WindowName(w);
    EXPECT_NEAR(*f.snrDb, TheorySnr(a, sigma), 0.5) << analysis::WindowName(w);
    // No distortion: SINAD is SNR, and ENOB follows from it.
    EXPECT_NEAR(*f.sinadDb, *f.snrDb, 0.1);
    EXPECT_NEAR(*f.enobBits, (*f.sinadDb - 1.76) / 6.02, 1e-12);
  }
}

TEST(Spectrum, WhiteNoiseDensityWithinFivePercent) {
  Synthetic synth;
  const double sigma = 200.0;
  const auto codes = synth.Record(10000, {}, sigma);
  // σ spread over 0 … 2400 Hz: σ × √(2 / 4800) codes/√Hz, at gain 1.
  const double nvPerCode = 2.5e9 / 8388607.0;
  const double expected =
      std::hypot(sigma, std::sqrt(1.0 / 12)) * std::sqrt(2.0 / 4800) * nvPerCode;
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.noiseDensityNvRtHz);
    EXPECT_NEAR(*f.noiseDensityNvRtHz / expected, 1.0, 0.05) << analysis::WindowName(w);
    EXPECT_FALSE(f.fundamental) << "a shorted input has no tone";
    EXPECT_FALSE(f.snrDb);
    EXPECT_FALSE(f.thdDb);
    EXPECT_FALSE(f.enobBits);
    EXPECT_TRUE(f.Mains50Dbfs()) << "mains levels remain";
  }
}

TEST(Spectrum, HarmonicsGiveThdAndSfdr) {
  Synthetic synth;
  const double a = 4.0e6;
  // 2nd at −60 dBc, 3rd at −70 dBc; noise far below.
  const auto codes =
      synth.Record(10000, {{500.0, a}, {1000.0, a * 1e-3}, {1500.0, a * std::pow(10, -3.5)}}, 3.0);
  const auto f = Analyze(codes).figures;
  ASSERT_GE(f.harmonics.size(), 2u);
  EXPECT_EQ(f.harmonics[0].order, 2);
  EXPECT_NEAR(f.harmonics[0].dbfs - f.fundamental->dbfs, -60.0, 0.1);
  EXPECT_NEAR(f.harmonics[1].dbfs - f.fundamental->dbfs, -70.0, 0.1);
  EXPECT_NEAR(*f.harmonics[0].frequencyHz, 1000 * 0.48, 1e-6);
  EXPECT_NEAR(*f.thdDb, 10 * std::log10(1e-6 + 1e-7), 0.1);
  EXPECT_NEAR(*f.sfdrDb, 60.0, 0.1);
  EXPECT_NEAR(*f.sinadDb, -*f.thdDb, 0.2) << "distortion dominates";
}

TEST(Spectrum, HarmonicsAboveHalfTheRateFoldBack) {
  Synthetic synth;
  // 3500 of 10000 bins: the 2nd lies at 7000 → folds to 3000, the 3rd at 10500 → 500.
  const double a = 4.0e6;
  const auto codes = synth.Record(10000, {{3500.0, a}, {3000.0, a * 1e-3}, {500.0, a * 1e-3}}, 3.0);
  const auto f = Analyze(codes).figures;
  ASSERT_GE(f.harmonics.size(), 2u);
  EXPECT_EQ(f.harmonics[0].bin, 3000);
  EXPECT_EQ(f.harmonics[1].bin, 500);
  EXPECT_NEAR(f.harmonics[1].dbfs - f.fundamental->dbfs, -60.0, 0.1);
}

TEST(Spectrum, ToneBetweenTwoBins) {
  Synthetic synth;
  const double a = kFullScale / 2;
  const auto codes = synth.Record(10000, {{700.5, a}}, 10.0);
  for (SpectrumWindow w : {SpectrumWindow::kHann, SpectrumWindow::kBlackmanHarris}) {
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.fundamental);
    EXPECT_NEAR(f.fundamental->dbfs, Dbfs(a), 0.1) << analysis::WindowName(w);
    EXPECT_NEAR(*f.fundamental->frequencyHz / 0.48, 700.5, 0.05);
  }
}

TEST(Spectrum, ShortestRecordOf100Samples) {
  Synthetic synth;
  const double a = 1.0e6, sigma = 300.0;
  const auto codes = synth.Record(100, {{13.0, a}}, sigma);
  const auto s = Analyze(codes);
  EXPECT_EQ(s.spectrum.Bins(), 51);
  ASSERT_TRUE(s.figures.fundamental);
  EXPECT_NEAR(s.figures.fundamental->dbfs, Dbfs(a), 0.1);
  EXPECT_NEAR(*s.figures.fundamental->frequencyHz, 13 * 48.0, 0.05 * 48.0);
  ASSERT_TRUE(s.figures.snrDb);
  EXPECT_NEAR(*s.figures.snrDb, TheorySnr(a, sigma), 3.0) << "few noise bins, wide tolerance";
}

TEST(Spectrum, AwkwardLengthsGiveTheSameFigures) {
  Synthetic synth;
  for (int n : {9973, 10099, 1237}) {  // primes: no truncation, Bluestein
    const auto codes = synth.Record(n, {{n / 7.0, 2.0e6}}, 500.0);
    const auto f = Analyze(codes).figures;
    ASSERT_TRUE(f.fundamental) << n;
    EXPECT_NEAR(f.fundamental->dbfs, Dbfs(2.0e6), 0.1) << n;
    EXPECT_NEAR(*f.snrDb, TheorySnr(2.0e6, 500.0), 0.6) << n;
  }
}

TEST(Spectrum, MainsPickupLevels) {
  Synthetic synth;
  // 9600 samples at 4800 sps: 0.5 Hz bins, 50 Hz on bin 100.
  const double mains = 2000.0;
  const auto codes = synth.Record(9600, {{100.0, mains}, {300.0, mains / 10}}, 20.0);
  const auto f = Analyze(codes).figures;
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(mains), 0.1);
  ASSERT_GE(f.mains50.size(), 3u);
  EXPECT_EQ(f.mains50[2].order, 3);
  EXPECT_NEAR(f.mains50[2].dbfs, Dbfs(mains / 10), 0.1);
  EXPECT_LT(*f.Mains60Dbfs(), Dbfs(mains) - 40.0) << "no 60 Hz line";
  EXPECT_EQ(static_cast<int>(f.mains50.size()), 47) << "50 … 2350 Hz below 2400 Hz";
  // The pickup is the largest tone, but it is no fundamental: a shorted input.
  EXPECT_TRUE(f.largestIsPickup);
  EXPECT_FALSE(f.fundamental);
  EXPECT_TRUE(f.harmonics.empty());
  EXPECT_FALSE(f.snrDb);
  EXPECT_FALSE(f.thdDb);
  EXPECT_FALSE(f.enobBits);
  EXPECT_FALSE(f.sfdrDb);
  EXPECT_EQ(f.mains50[0].coincidesWith, 0);
  EXPECT_EQ(f.mains50[2].coincidesWith, 0);
  // The density is the floor between the lines, not the lines' power.
  const double floor =
      std::hypot(20.0, std::sqrt(1.0 / 12)) * std::sqrt(2.0 / 4800) * 2.5e9 / kFullScale;
  EXPECT_NEAR(*f.noiseDensityNvRtHz / floor, 1.0, 0.05);
}

// 100.3 Hz at 4800 sps over 10000 samples (0.48 Hz bins): the tone's peak is
// bin 209, the 100 Hz line's centre bin 208. Its 2nd and 3rd harmonics lie
// on the 200 Hz and 300 Hz lines' centre bins in the same way.
TEST(Spectrum, MainsLineOnTheToneOrAHarmonicHasNoLevel) {
  Synthetic synth;
  const double tone = kFullScale / 2;       // -6.02 dBFS
  const double pickup = kFullScale / 1000;  // -60 dBFS of real 50 Hz pickup
  const double bin = 4800.0 / 10000;
  // 2nd and 3rd harmonics at −80 dBc, well above the noise.
  const auto codes = synth.Record(10000,
                                  {{100.3 / bin, tone},
                                   {200.6 / bin, tone * 1e-4},
                                   {300.9 / bin, tone * 1e-4},
                                   {50.0 / bin, pickup, 1.1}},
                                  20.0);
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(codes, w).figures;
    const char* name = analysis::WindowName(w);
    ASSERT_TRUE(f.fundamental) << name;
    EXPECT_NEAR(*f.fundamental->frequencyHz, 100.3, 0.05) << name;
    ASSERT_GE(f.mains50.size(), 4u);
    ASSERT_GE(f.mains60.size(), 5u);
    EXPECT_EQ(f.mains50[1].coincidesWith, 1) << name << ": 100 Hz on the fundamental";
    if (w != SpectrumWindow::kRectangular) {  // the rectangle's leakage hides the harmonics
      EXPECT_EQ(f.mains50[3].coincidesWith, 2) << name << ": 200 Hz on the 2nd harmonic";
      EXPECT_EQ(f.mains60[4].coincidesWith, 3) << name << ": 300 Hz on the 3rd harmonic";
    }
    EXPECT_EQ(f.mains50[0].coincidesWith, 0) << name;
    for (const auto* lines : {&f.mains50, &f.mains60}) {
      for (const auto& l : *lines) {
        EXPECT_LT(l.dbfs, -50.0) << name << ": no line reads the tone, " << l.order;
      }
    }
    // The tone is not pickup: 60 Hz and 50 Hz keep their own levels, except
    // where the rectangle's leakage of the tone buries them.
    if (w != SpectrumWindow::kRectangular) {
      EXPECT_TRUE(f.Mains60Dbfs()) << name;
      ASSERT_TRUE(f.Mains50Dbfs()) << name;
      EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(pickup), 0.2) << name;
    } else {
      EXPECT_TRUE(f.mains60[0].inLeakage);
      EXPECT_FALSE(f.Mains60Dbfs());
    }
  }
  // A 50.3 Hz tone makes the 50 Hz line itself absent.
  const auto near50 = synth.Record(10000, {{50.3 / bin, tone}, {60.0 / bin, pickup}}, 20.0);
  const auto f = Analyze(near50).figures;
  ASSERT_FALSE(f.mains50.empty());
  EXPECT_EQ(f.mains50[0].coincidesWith, 1);
  EXPECT_FALSE(f.Mains50Dbfs());
  ASSERT_TRUE(f.Mains60Dbfs());
  EXPECT_NEAR(*f.Mains60Dbfs(), Dbfs(pickup), 0.2);
}

TEST(Spectrum, MainsAboveHalfTheRateAreNotListed) {
  Synthetic synth;
  const auto codes = synth.Record(1000, {}, 5.0);
  const auto f = Analyze(codes, analysis::kDefaultWindow, SettingsAt(5, 0)).figures;  // 100 sps
  EXPECT_TRUE(f.mains50.empty());
  EXPECT_FALSE(f.Mains50Dbfs());
  EXPECT_FALSE(f.Mains60Dbfs());
}

TEST(Spectrum, DensityInputReferredAtTheGain) {
  Synthetic synth;
  const auto codes = synth.Record(4000, {}, 100.0);
  const auto g1 = Analyze(codes, analysis::kDefaultWindow, SettingsAt(12, 0)).figures;
  const auto g128 = Analyze(codes, analysis::kDefaultWindow, SettingsAt(12, 5)).figures;
  EXPECT_NEAR(*g1.noiseDensityNvRtHz / *g128.noiseDensityNvRtHz, 128.0, 1e-9);
}

TEST(Spectrum, EdgeCasesGiveAbsentFiguresNotCrashes) {
  const std::int32_t one = 8388608;
  for (SpectrumWindow w : kWindows) {
    auto a = analysis::AnalyzeChannelSpectrum(&one, 1, k4800Gain1, w);
    EXPECT_EQ(a.spectrum.Bins(), 1);
    EXPECT_FALSE(a.figures.fundamental);
    a = analysis::AnalyzeChannelSpectrum(nullptr, 0, k4800Gain1, w);
    EXPECT_EQ(a.spectrum.Bins(), 0);
  }
  const std::vector<std::int32_t> flat(500, 123);
  const auto f = Analyze(flat).figures;
  EXPECT_FALSE(f.fundamental);
  EXPECT_FALSE(f.snrDb);
  EXPECT_NEAR(*f.noiseDensityNvRtHz, 0.0, 1e-9);
  // No rate: no frequency axis, no density, no mains; dBFS still there.
  MeasureSettings bad = k4800Gain1;
  bad.spsSel = 40;
  Synthetic synth;
  const auto codes = synth.Record(1000, {{100.0, 1e6}}, 10.0);
  const auto a = Analyze(codes, analysis::kDefaultWindow, bad);
  EXPECT_FALSE(a.spectrum.binHz);
  EXPECT_TRUE(a.spectrum.densityNvRtHz.empty());
  EXPECT_TRUE(a.figures.fundamental);
  EXPECT_FALSE(a.figures.fundamental->frequencyHz);
  EXPECT_TRUE(a.figures.mains50.empty());
}

// A tone between bins leaks a skirt far past its main lobe; counted as noise
// it would swamp the floor. Its bins run out to where the skirt meets the noise.
TEST(SpectrumTone, OffBinToneLeavesTheNoiseFloorAlone) {
  Synthetic synth;
  const double a = kFullScale / 2;
  const double nvPerCode = 2.5e9 / kFullScale;
  for (double sigma : {100.0, 500.0}) {
    const auto codes = synth.Record(10000, {{523.3, a}}, sigma);
    const double density =
        std::hypot(sigma, std::sqrt(1.0 / 12)) * std::sqrt(2.0 / 4800) * nvPerCode;
    for (SpectrumWindow w : {SpectrumWindow::kHann, SpectrumWindow::kBlackmanHarris}) {
      const auto f = Analyze(codes, w).figures;
      const char* name = analysis::WindowName(w);
      ASSERT_TRUE(f.snrDb) << name;
      EXPECT_NEAR(f.fundamental->dbfs, Dbfs(a), 0.1) << name;
      EXPECT_NEAR(*f.snrDb, TheorySnr(a, sigma), 0.5) << name << " sigma " << sigma;
      EXPECT_NEAR(*f.noiseDensityNvRtHz / density, 1.0, 0.05) << name << " sigma " << sigma;
      EXPECT_NEAR(*f.enobBits, (TheorySnr(a, sigma) - 1.76) / 6.02, 0.1) << name;
    }
  }
  // Quantisation only: Hann's skirt falls below the 24-bit floor (an
  // undithered sine's quantisation is not quite white, hence 2.5 dB).
  const auto quiet = synth.Record(10000, {{523.3, a}}, 0.0);
  const auto f = Analyze(quiet, SpectrumWindow::kHann).figures;
  ASSERT_TRUE(f.snrDb);
  EXPECT_NEAR(*f.snrDb, TheorySnr(a, 0.0), 2.5);
  EXPECT_LT(*f.noiseDensityNvRtHz, 2.0);
}

// Beside a strong tone off its bin, Blackman-Harris's far skirt (6 dB/octave)
// lies above a 24-bit converter's own noise; the noise is read with the
// fitted tone taken out of the record, so every window gives the floor.
TEST(SpectrumTone, StrongToneBesideAConverterFloorGivesTheFloor) {
  Synthetic synth;
  const double a = kFullScale / 2, sigma = 6.4;
  const auto codes = synth.Record(10000, {{2083.33, a}}, sigma);
  const double density =
      std::hypot(sigma, std::sqrt(1.0 / 12)) * std::sqrt(2.0 / 4800) * 2.5e9 / kFullScale;
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(codes, w).figures;
    const char* name = analysis::WindowName(w);
    ASSERT_TRUE(f.snrDb) << name;
    EXPECT_NEAR(f.fundamental->dbfs, Dbfs(a), 0.1) << name << ": the level is the spectrum's";
    EXPECT_NEAR(*f.snrDb, TheorySnr(a, sigma), 0.5) << name;
    EXPECT_NEAR(*f.sinadDb, *f.snrDb, 0.1) << name;
    EXPECT_NEAR(*f.noiseDensityNvRtHz / density, 1.0, 0.05) << name;
    EXPECT_GT(*f.sfdrDb, 110.0) << name << ": the skirt is no spur";
  }
  // Quantisation only (not quite white for an undithered sine): no window's
  // skirt hides it any more.
  const auto quiet = synth.Record(10000, {{2083.33, a}}, 0.0);
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(quiet, w).figures;
    ASSERT_TRUE(f.snrDb);
    EXPECT_NEAR(*f.snrDb, TheorySnr(a, 0.0), 2.5) << analysis::WindowName(w);
  }
}

TEST(SpectrumTone, RectangleAtHalfABinReadsTheLevelAndFrequency) {
  Synthetic synth;
  const auto codes = synth.Record(10000, {{1000.5, kFullScale - 1.0}}, 0.0);
  const auto f = Analyze(codes, SpectrumWindow::kRectangular).figures;
  ASSERT_TRUE(f.fundamental);
  EXPECT_NEAR(f.fundamental->dbfs, 0.0, 0.1);
  EXPECT_NEAR(*f.fundamental->frequencyHz, 1000.5 * 0.48, 0.01);
  // 101 samples: 47.5 Hz bins, the tone 7.3 bins up.
  for (SpectrumWindow w : kWindows) {
    const auto shortRecord = synth.Record(101, {{7.3, kFullScale / 2}}, 3.0);
    const auto g = Analyze(shortRecord, w).figures;
    ASSERT_TRUE(g.fundamental) << analysis::WindowName(w);
    EXPECT_NEAR(*g.fundamental->frequencyHz, 7.3 * 4800.0 / 101, 0.1 * 4800.0 / 101)
        << analysis::WindowName(w);
  }
}

TEST(SpectrumTone, SfdrMeasuresTheSpurAsTheFundamental) {
  Synthetic synth;
  const double a = kFullScale / 2;
  // A spur at −70 dBc, half a bin off like the tone: no scalloping advantage.
  const auto codes = synth.Record(10000, {{523.5, a}, {1777.5, a * std::pow(10, -3.5)}}, 2.0);
  for (SpectrumWindow w : {SpectrumWindow::kHann, SpectrumWindow::kBlackmanHarris}) {
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.sfdrDb);
    EXPECT_NEAR(*f.sfdrDb, 70.0, 0.3) << analysis::WindowName(w);
  }
}

TEST(SpectrumTone, HundredSamplesStillGiveSnrThdAndEnob) {
  Synthetic synth;
  const double a = 1.0e6;
  const auto codes = synth.Record(100, {{13.0, a}, {26.0, a * 0.01}}, 30.0);
  const auto f = Analyze(codes).figures;
  ASSERT_TRUE(f.snrDb);
  ASSERT_TRUE(f.thdDb);
  ASSERT_TRUE(f.enobBits);
  EXPECT_NEAR(*f.thdDb, -40.0, 0.5);
}

// 1000 samples at 4800 sps: 4.8 Hz bins, 50 and 60 Hz two bins apart.
TEST(SpectrumMains, LinesTooCloseToTellApartDoNotShareALevel) {
  Synthetic synth;
  const double bin = 4.8;
  const double pickup = kFullScale / 1000;
  const auto codes = synth.Record(1000, {{50.0 / bin, pickup}}, 20.0);
  const auto f = Analyze(codes).figures;
  EXPECT_TRUE(f.largestIsPickup);
  EXPECT_FALSE(f.fundamental);
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(pickup), 0.5);
  EXPECT_FALSE(f.Mains60Dbfs()) << "60 Hz holds only the 50 Hz line's lobe";
  EXPECT_EQ(f.mains60[0].coincidesWith, -1);
  EXPECT_EQ(f.mains60[0].coincidesWithMainsHz, 50.0);

  // A 48.25 Hz test sine is a tone, not 50 Hz pickup at its level.
  const auto sine = synth.Record(1000, {{48.25 / bin, kFullScale / 2}}, 20.0);
  const auto g = Analyze(sine).figures;
  ASSERT_TRUE(g.fundamental);
  EXPECT_NEAR(*g.fundamental->frequencyHz, 48.25, 0.1);
  EXPECT_FALSE(g.Mains50Dbfs());
  EXPECT_FALSE(g.Mains60Dbfs());
}

TEST(SpectrumMains, OnlyAToneOnFiftyOrSixtyHertzItselfIsPickup) {
  Synthetic synth;
  // A 1 kHz test sine (20 × 50 Hz) is a tone, alone ...
  const auto alone = synth.Record(9600, {{2000.0, kFullScale / 2}}, 20.0);
  EXPECT_TRUE(Analyze(alone).figures.fundamental);
  // ... and beside real 50 Hz pickup, which keeps its own level.
  const auto beside = synth.Record(9600, {{2000.0, kFullScale / 2}, {100.0, 2000.0}}, 20.0);
  const auto b = Analyze(beside).figures;
  ASSERT_TRUE(b.fundamental);
  EXPECT_NEAR(*b.fundamental->frequencyHz, 1000.0, 0.01);
  EXPECT_FALSE(b.largestIsPickup);
  ASSERT_TRUE(b.Mains50Dbfs());
  EXPECT_NEAR(*b.Mains50Dbfs(), Dbfs(2000.0), 0.1);
  // The largest line on 50 Hz itself is pickup: no tone figures.
  const auto pickup = synth.Record(9600, {{100.0, 5000.0}}, 20.0);
  const auto f = Analyze(pickup).figures;
  EXPECT_TRUE(f.largestIsPickup);
  EXPECT_FALSE(f.fundamental);
  EXPECT_FALSE(f.snrDb);
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(5000.0), 0.1);
}

TEST(SpectrumRange, OverRangeGivesNoToneFiguresAndNoPlaceholderLevels) {
  Synthetic synth;
  auto codes = synth.Record(2000, {{100.0, kFullScale / 2}}, 20.0);
  codes[7] = 0;
  auto f = Analyze(codes).figures;
  EXPECT_TRUE(f.overRange);
  EXPECT_FALSE(f.fundamental);
  EXPECT_FALSE(f.snrDb);
  EXPECT_FALSE(f.sfdrDb);
  codes[7] = 40000000;  // outside the code range altogether
  f = Analyze(codes).figures;
  EXPECT_TRUE(f.overRange);
  EXPECT_FALSE(f.fundamental);

  // Nothing at all: the lines have no power and no level, never −300.
  const std::vector<std::int32_t> flat(2000, 8388608);
  f = Analyze(flat).figures;
  EXPECT_FALSE(f.overRange);
  ASSERT_FALSE(f.mains50.empty());
  EXPECT_FALSE(f.Mains50Dbfs());
  EXPECT_FALSE(f.Mains60Dbfs());
  EXPECT_FALSE(f.mains50[1].Dbfs());
}

}  // namespace
}  // namespace velqoris::testing
