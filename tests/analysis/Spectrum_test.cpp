// Spectrum figures of synthetic records, against theory for the record as
// realised: the tones' powers from their amplitudes, the noise from what was
// actually added (rounding included). Every window must give them.
// Tolerances (also in analysis/README.md): N ≥ 1000: level ±0.05 dB, SNR and
// SINAD ±0.5 dB, THD and SFDR ±0.2 dB, density ±3 %; N < 1000: level ±0.2 dB,
// SNR and SINAD ±1.5 dB, THD and SFDR ±0.5 dB, density ±12 %.
#include "analysis/Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
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

double Db(double ratio) { return 10.0 * std::log10(ratio); }
double Amplitude(double dbfs) { return kFullScale * std::pow(10.0, dbfs / 20.0); }

struct Case {
  const char* name;
  int n;
  double bins;                            // the fundamental, cycles per record
  double dbfs;                            // its level
  double sigma;                           // added noise, codes
  std::vector<double> harmonicsDbc = {};  // 2nd, 3rd … (0: none)
  double mainsCodes = 0.0;                // 50 Hz pickup amplitude
  double secondBins = 0.0;                // a second tone, 20 dB below the first
};

const Case kCases[] = {
    {"n100_two_cycles_coherent", 100, 2.0, -6.0, 20.0},
    {"n100_mid_band", 100, 13.0, -0.5, 300.0},
    {"n257_off_bin_with_harmonics", 257, 61.37, -20.0, 5.0, {-50.0, -60.0}},
    {"n1000_near_half_the_rate", 1000, 499.4, -0.5, 10.0},
    {"n1000_two_and_a_third_cycles", 1000, 2.37, -40.0, 3.0},
    {"n1000_coherent_with_pickup", 1000, 100.0, -3.0, 2.0, {}, 8000.0},
    {"n10000_rect_fault_harmonics", 10000, 523.3, -6.0, 3.0, {-60.0, -70.0, -80.0}},
    {"n10000_minus_100_dbfs", 10000, 1234.5, -100.0, 1.0},
    {"n10000_harmonic_folds_near_tone", 10000, 3330.2, -6.0, 5.0, {-60.0}},
    {"n1000_harmonic_folds_a_bin_from_tone", 1000, 332.99, -6.0, 3.0, {-60.0}},
    {"n10000_two_tones_3_bins_apart", 10000, 700.2, -6.0, 10.0, {}, 0.0, 703.2},
    {"n9973_prime_with_pickup", 9973, 9973 / 7.0, -10.0, 50.0, {}, 2000.0},
};

class SpectrumFigures : public ::testing::TestWithParam<Case> {};

TEST_P(SpectrumFigures, MatchTheoryForTheRecordInEveryWindow) {
  const Case& c = GetParam();
  const double rate = 4800.0;
  const double a = Amplitude(c.dbfs);
  std::vector<Tone> tones = {{c.bins, a, 0.3}};
  double harmonicPower = 0.0, spur = 0.0;
  for (std::size_t k = 0; k < c.harmonicsDbc.size(); ++k) {
    const double ah = a * std::pow(10.0, c.harmonicsDbc[k] / 20.0);
    tones.push_back({(k + 2) * c.bins, ah, 1.1 * k});
    harmonicPower += ah * ah / 2;
    spur = std::max(spur, ah * ah / 2);
  }
  const double mainsPower = c.mainsCodes * c.mainsCodes / 2;
  if (c.mainsCodes > 0.0) tones.push_back({50.0 * c.n / rate, c.mainsCodes, 0.7});
  const double secondPower = c.secondBins > 0.0 ? a * a / 200 : 0.0;
  if (c.secondBins > 0.0) tones.push_back({c.secondBins, a / 10, 2.0});
  spur = std::max({spur, mainsPower, secondPower});

  Synthetic synth(3);
  const auto codes = synth.Record(c.n, tones, c.sigma);
  // The noise as realised: the codes less the exact tones, rounding included.
  double sum = 0.0, squares = 0.0;
  for (int i = 0; i < c.n; ++i) {
    double exact = 8388608.0;
    for (const Tone& t : tones) {
      exact += t.amplitude * std::sin(2.0 * std::numbers::pi * t.bins * i / c.n + t.phase);
    }
    const double e = codes[static_cast<std::size_t>(i)] - exact;
    sum += e;
    squares += e * e;
  }
  const double noise = squares / c.n - (sum / c.n) * (sum / c.n);
  const double p1 = a * a / 2;
  const double sinad = Db(p1 / (noise + harmonicPower + mainsPower + secondPower));
  const double density = std::sqrt(noise / (rate / 2)) * 2.5e9 / kFullScale;

  const bool longRecord = c.n >= 1000;
  const double levelTol = longRecord ? 0.05 : 0.2, snrTol = longRecord ? 0.5 : 1.5;
  const double thdTol = longRecord ? 0.2 : 0.5, densityTol = longRecord ? 0.03 : 0.12;
  for (SpectrumWindow w : kWindows) {
    SCOPED_TRACE(analysis::WindowName(w));
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.fundamental);
    EXPECT_NEAR(*f.fundamental->frequencyHz, c.bins * rate / c.n, 0.01 * rate / c.n);
    EXPECT_NEAR(f.fundamental->dbfs, c.dbfs, levelTol);
    ASSERT_TRUE(f.snrDb && f.sinadDb && f.enobBits && f.snrWithoutMainsDb && f.enobFsBits);
    EXPECT_NEAR(*f.snrDb, Db(p1 / (noise + mainsPower)), snrTol);
    EXPECT_NEAR(*f.snrWithoutMainsDb, Db(p1 / noise), snrTol);
    EXPECT_NEAR(*f.sinadDb, sinad, snrTol);
    EXPECT_NEAR(*f.enobBits, (sinad - 1.76) / 6.02, snrTol / 6.02);
    EXPECT_NEAR(*f.enobFsBits, (sinad - c.dbfs - 1.76) / 6.02, snrTol / 6.02);
    EXPECT_NEAR(*f.noiseDensityNvRtHz / density, 1.0, densityTol);
    if (harmonicPower > 0.0) {
      ASSERT_TRUE(f.thdDb);
      EXPECT_NEAR(*f.thdDb, Db(harmonicPower / p1), thdTol);
      for (std::size_t k = 0; k < c.harmonicsDbc.size(); ++k) {
        ASSERT_TRUE(f.harmonics[k].Dbfs()) << "harmonic " << k + 2;
        EXPECT_NEAR(*f.harmonics[k].Dbfs(), c.dbfs + c.harmonicsDbc[k], thdTol);
      }
    } else {
      EXPECT_FALSE(f.thdDb);
      EXPECT_TRUE(f.thdBoundDb) << "no harmonic: only the bound below which THD lies";
    }
    if (spur > 100.0 * noise) {  // a spur far above the noise peaks
      ASSERT_TRUE(f.sfdrDb);
      EXPECT_NEAR(*f.sfdrDb, Db(p1 / spur), thdTol);
    }
    EXPECT_EQ(f.secondTone.has_value(), secondPower > 0.0);
    if (f.secondTone && secondPower > 0.0) {
      EXPECT_NEAR(f.secondTone->dbfs, c.dbfs - 20.0, levelTol);
    }
    if (mainsPower > 0.0) {
      ASSERT_TRUE(f.Mains50Dbfs());
      EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(c.mainsCodes), thdTol);
    } else {
      for (const auto* lines : {&f.mains50, &f.mains60}) {
        for (const auto& l : *lines) EXPECT_FALSE(l.Dbfs()) << "no pickup, no level " << l.order;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Records, SpectrumFigures, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Records without a tone that qualifies: figures absent, each with its reason.
TEST(SpectrumFiguresAbsent, NoiseOnlyGivesDensityAndBoundsButNoLevels) {
  for (std::uint64_t seed : {1, 2, 3, 4, 5, 6, 7, 8}) {
    Synthetic synth(seed);
    const double sigma = 20.0;
    const auto codes = synth.Record(seed % 2 ? 10000 : 1000, {}, sigma);
    const auto f = Analyze(codes).figures;
    EXPECT_FALSE(f.fundamental) << seed;
    EXPECT_FALSE(f.snrDb);
    EXPECT_FALSE(f.Mains50Dbfs()) << seed << ": white noise has no pickup";
    EXPECT_FALSE(f.Mains60Dbfs()) << seed;
    ASSERT_TRUE(f.Mains50BoundDbfs());
    EXPECT_LT(*f.Mains50BoundDbfs(), -100.0);
    const double density =
        std::hypot(sigma, std::sqrt(1.0 / 12)) * std::sqrt(2.0 / 4800) * 2.5e9 / kFullScale;
    EXPECT_NEAR(*f.noiseDensityNvRtHz / density, 1.0, 0.05) << seed;
  }
}

TEST(SpectrumFiguresAbsent, PickupAliasedTo10HzAt60SpsIsMainsNotAFundamental) {
  Synthetic synth;
  const double pickup = 5000.0;
  const auto codes = synth.Record(1000, {{50.0 * 1000 / 60.0, pickup, 0.4}}, 20.0);
  const auto f = Analyze(codes, analysis::kDefaultWindow, SettingsAt(4, 0)).figures;
  EXPECT_FALSE(f.fundamental);
  EXPECT_TRUE(f.largestIsPickup);
  ASSERT_FALSE(f.mains50.empty());
  EXPECT_TRUE(f.mains50[0].aliased);
  EXPECT_NEAR(*f.mains50[0].frequencyHz, 10.0, 1e-9);
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(pickup), 0.05);
  EXPECT_TRUE(f.mains60.empty()) << "60 Hz aliases onto DC at 60 sps";
}

TEST(SpectrumFiguresAbsent, ToneBelowOneAndAHalfCyclesHasNoToneFigures) {
  Synthetic synth;
  const auto codes = synth.Record(1000, {{1.2, 1.0e6}}, 10.0);
  const auto f = Analyze(codes).figures;
  EXPECT_TRUE(f.toneTooSlow);
  EXPECT_FALSE(f.fundamental);
  EXPECT_FALSE(f.snrDb);
  EXPECT_FALSE(f.sfdrDb);
}

// A tone on a quarter of the rate: its 3rd harmonic folds onto it, its 4th
// onto DC. They are left out and said so; the 2nd sits on half the rate.
TEST(SpectrumFiguresAbsent, HarmonicsFoldingOntoTheToneOrDcAreLeftOut) {
  Synthetic synth;
  const double a = kFullScale / 2;
  // On half the rate only the phase π/2 is seen at all: (−1)^i.
  const auto codes = synth.Record(1000, {{250.0, a}, {500.0, a / 1000, std::numbers::pi / 2}}, 2.0);
  const auto f = Analyze(codes).figures;
  ASSERT_TRUE(f.fundamental);
  ASSERT_EQ(f.harmonics.size(), 5u);
  EXPECT_EQ(f.harmonics[1].coincidesWith, 1);
  EXPECT_TRUE(f.harmonics[2].ontoDc);
  EXPECT_FALSE(f.harmonics[1].Dbfs());
  ASSERT_TRUE(f.harmonics[0].Dbfs()) << "the 2nd, on half the rate";
  // Its power is the amplitude seen squared (over all phases, on average the
  // harmonic's own A²/2): 3 dB above Dbfs(a / 1000) at this phase.
  EXPECT_NEAR(*f.harmonics[0].Dbfs(), Dbfs(a / 1000) + Db(2.0), 0.05);
}

TEST(SpectrumMains, LinesOnTheToneCannotBeToldApartOthersKeepTheirLevels) {
  Synthetic synth;
  const double bin = 0.48, pickup = kFullScale / 1000;
  // 100.3 Hz lies within a bin (0.48 Hz) of the 100 Hz line; 50 Hz is clear.
  const auto codes =
      synth.Record(10000, {{100.3 / bin, kFullScale / 2}, {50.0 / bin, pickup}}, 20.0);
  const auto f = Analyze(codes).figures;
  ASSERT_TRUE(f.fundamental);
  ASSERT_GE(f.mains50.size(), 2u);
  EXPECT_EQ(f.mains50[1].coincidesWith, 1);
  EXPECT_FALSE(f.mains50[1].Dbfs());
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), Dbfs(pickup), 0.05);
  // A test sine on 1 kHz beside pickup is a tone, not pickup.
  const auto beside = synth.Record(9600, {{2000.0, kFullScale / 2}, {100.0, 2000.0}}, 20.0);
  const auto b = Analyze(beside).figures;
  ASSERT_TRUE(b.fundamental);
  EXPECT_FALSE(b.largestIsPickup);
  EXPECT_NEAR(*b.Mains50Dbfs(), Dbfs(2000.0), 0.05);
}

TEST(Spectrum, FullScaleSineReadsZeroDbfsOnItsBinInEveryWindow) {
  Synthetic synth;
  const auto codes = synth.Record(10000, {{1001.0, kFullScale - 1.0}}, 0.0);
  for (SpectrumWindow w : kWindows) {
    const auto a = Analyze(codes, w);
    EXPECT_NEAR(a.spectrum.dbfs[1001], 0.0, 0.01) << "coherent gain corrected";
    EXPECT_DOUBLE_EQ(*a.spectrum.binHz, 0.48);
  }
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
  EXPECT_FALSE(f.Mains50Dbfs()) << "no power: no level, never the −300 floor";
  // No rate: no frequency axis, no density, no mains; the tone is still there.
  MeasureSettings bad = k4800Gain1;
  bad.spsSel = 40;
  Synthetic synth;
  const auto codes = synth.Record(1000, {{100.0, 1e6}}, 10.0);
  const auto a = Analyze(codes, analysis::kDefaultWindow, bad);
  EXPECT_TRUE(a.spectrum.densityNvRtHz.empty());
  ASSERT_TRUE(a.figures.fundamental);
  EXPECT_FALSE(a.figures.fundamental->frequencyHz);
  EXPECT_TRUE(a.figures.mains50.empty());
}

TEST(Spectrum, OverRangeGivesNoToneFigures) {
  Synthetic synth;
  auto codes = synth.Record(2000, {{100.0, kFullScale / 2}}, 20.0);
  for (std::int32_t bad : {0, 40000000}) {
    codes[7] = bad;
    const auto f = Analyze(codes).figures;
    EXPECT_TRUE(f.overRange);
    EXPECT_FALSE(f.fundamental);
    EXPECT_FALSE(f.snrDb);
    EXPECT_FALSE(f.sfdrDb);
    EXPECT_TRUE(f.noiseDensityNvRtHz) << "the density remains";
  }
}

// ---- lines on half the rate and on DC ----------------------------------------

// The realised noise's largest line, as a sine's power: 2|R_k|²/n² inside the
// band, |R_k|²/n² (amplitude squared) on half the rate.
double LargestNoiseLine(const std::vector<std::int32_t>& codes, const std::vector<Tone>& tones) {
  const int n = static_cast<int>(codes.size());
  std::vector<double> r(codes.size());
  for (int i = 0; i < n; ++i) {
    double v = 8388608.0;
    for (const Tone& t : tones)
      v += t.amplitude * std::sin(2 * std::numbers::pi * t.bins * i / n + t.phase);
    r[static_cast<std::size_t>(i)] = codes[static_cast<std::size_t>(i)] - v;
  }
  double largest = 0.0;
  for (int k = 1; 2 * k <= n; ++k) {
    double re = 0.0, im = 0.0;
    for (int i = 0; i < n; ++i) {
      re += r[static_cast<std::size_t>(i)] * std::cos(2 * std::numbers::pi * k * i / n);
      im += r[static_cast<std::size_t>(i)] * std::sin(2 * std::numbers::pi * k * i / n);
    }
    largest = std::max(largest, (2 * k == n ? 1.0 : 2.0) * (re * re + im * im) / n / n);
  }
  return largest;
}

struct EdgeCase {
  const char* name;
  int n;
  double toneBins;
  double toneCodes;
  double sigma;
  int nyquistOrder;     // the harmonic that lands on half the rate
  double nyquistCodes;  // its amplitude as it shows, ±a alternating (0: none)
  int dcOrder;          // a harmonic that lands on DC (0: none)
};

class LinesOnTheEdges : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(LinesOnTheEdges, HalfTheRateIsOneColumnAndDcIsTheOffset) {
  const EdgeCase& c = GetParam();
  std::vector<Tone> tones = {{c.toneBins, c.toneCodes, 0.3}};
  // sin(π i + π/2) = (−1)^i: the whole amplitude in the one column there is.
  if (c.nyquistCodes > 0.0) tones.push_back({c.n / 2.0, c.nyquistCodes, std::numbers::pi / 2});
  Synthetic synth(23);
  const auto codes = synth.Record(c.n, tones, c.sigma);
  const double noise = LargestNoiseLine(codes, tones);
  for (SpectrumWindow w : kWindows) {
    const auto f = Analyze(codes, w).figures;
    ASSERT_TRUE(f.fundamental) << c.name;
    const auto& h = f.harmonics[static_cast<std::size_t>(c.nyquistOrder - 2)];
    EXPECT_NEAR(*h.frequencyHz, 2400.0, 1e-9) << c.name;
    if (c.nyquistCodes > 0.0) {
      const double power = c.nyquistCodes * c.nyquistCodes;  // amplitude², not half of it
      ASSERT_TRUE(h.Dbfs()) << c.name;
      EXPECT_NEAR(*h.Dbfs(), Db(2 * power / kFullScale / kFullScale), 0.5) << c.name;
      ASSERT_TRUE(f.thdDb) << c.name;
      EXPECT_NEAR(*f.thdDb, Db(power / (c.toneCodes * c.toneCodes / 2)), 0.5) << c.name;
    } else {
      EXPECT_FALSE(h.Dbfs()) << c.name << ": nothing stands above the noise there";
      EXPECT_LE(h.dbfs, Db(2 * noise / kFullScale / kFullScale) + 1.5) << c.name;
      EXPECT_FALSE(f.thdDb) << c.name;
      EXPECT_TRUE(f.thdBoundDb) << c.name;
    }
    if (c.dcOrder > 0) {
      EXPECT_TRUE(f.harmonics[static_cast<std::size_t>(c.dcOrder - 2)].ontoDc) << c.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinesOnTheEdges,
    ::testing::Values(
        // A coherent tone whose 5th harmonic lands on half the rate, weak and strong.
        EdgeCase{"n100_weak_tone_clean", 100, 10.0, 100.0, 5.0, 5, 0.0, 0},
        EdgeCase{"n100_strong_tone_clean", 100, 10.0, 1e6, 5.0, 5, 0.0, 0},
        EdgeCase{"n100_fifth_harmonic_present", 100, 10.0, 1e5, 1.0, 5, 40.0, 0},
        // 1200 Hz at 4800 sps: the 2nd on half the rate, the 4th on DC.
        EdgeCase{"n1000_1200hz_clean", 1000, 250.0, 1e6, 3.0, 2, 0.0, 4},
        EdgeCase{"n1000_1200hz_second_present", 1000, 250.0, 1e6, 3.0, 2, 100.0, 4},
        // An odd length: half the rate is no bin, the other column carries it.
        EdgeCase{"n999_second_present", 999, 249.75, 1e6, 3.0, 2, 100.0, 0}));

}  // namespace
}  // namespace velqoris::testing
