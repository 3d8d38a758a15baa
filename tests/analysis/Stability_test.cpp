// Stability figures of synthetic series whose values are known from theory:
// white noise, a random walk, a linear drift, shaped 1/f noise, sines in and
// out of the 0.1–10 Hz band; gaps and short records.
#include "analysis/Stability_analysis.h"

#include <gtest/gtest.h>

#include "analysis/Averaged_figures.h"
#include "analysis/Figure_rows.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/Fft.h"
#include "tests/analysis/Synthetic.h"
#include "tests/support/Corner_expectations.h"

namespace velqoris::testing {
namespace {

using analysis::AnalyzeStability;

std::vector<std::int32_t> Codes(const std::vector<double>& v) {
  std::vector<std::int32_t> c(v.size());
  for (std::size_t i = 0; i < v.size(); ++i)
    c[i] = static_cast<std::int32_t>(std::lround(8388608.0 + v[i]));
  return c;
}

std::vector<double> White(int n, double sigma, std::uint64_t seed = 3) {
  Synthetic s(seed);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) x = sigma * s.Gaussian();
  return v;
}

// Density W·(1 + fc/f), shaped in the frequency domain: the corner lies at fc exactly.
std::vector<double> Flicker(int n, double rate, double sigmaWhite, double cornerHz) {
  Synthetic s(5);
  std::vector<std::complex<double>> spectrum(static_cast<std::size_t>(n));
  for (int k = 1; k < n / 2; ++k) {
    const double f = rate * k / n;
    const double a = std::sqrt(1.0 + cornerHz / f);
    spectrum[static_cast<std::size_t>(k)] = {a * s.Gaussian(), a * s.Gaussian()};
    spectrum[static_cast<std::size_t>(n - k)] = std::conj(spectrum[static_cast<std::size_t>(k)]);
  }
  std::vector<std::complex<double>> out(static_cast<std::size_t>(n));
  analysis::Fft(n).Forward(spectrum.data(), out.data());
  std::vector<double> v(static_cast<std::size_t>(n));
  // Unit complex bins give a white series of variance 1/(2·…): scaled to sigmaWhite.
  const double scale = sigmaWhite / std::sqrt(2.0 * n);
  for (int i = 0; i < n; ++i)
    v[static_cast<std::size_t>(i)] = out[static_cast<std::size_t>(i)].real() * scale;
  return v;
}

// ---- Allan deviation against theory ---------------------------------------

enum class Series { kWhite, kRandomWalk, kDrift };
struct AllanCase {
  Series series;
  double size;       // σ of the noise or step, or drift per sample (codes)
  double tolerance;  // relative
};

class AllanTheory : public ::testing::TestWithParam<AllanCase> {};

TEST_P(AllanTheory, FollowsTheFormula) {
  const AllanCase c = GetParam();
  const int n = 1 << 16;
  std::vector<double> v;
  if (c.series == Series::kWhite) v = White(n, c.size);
  if (c.series == Series::kRandomWalk) {
    v = White(n, c.size);
    for (int i = 1; i < n; ++i)
      v[static_cast<std::size_t>(i)] += v[static_cast<std::size_t>(i - 1)];
  }
  if (c.series == Series::kDrift) {
    for (int i = 0; i < n; ++i) v.push_back(c.size * (i - n / 2));
  }
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, 100.0, 128, {}, 0);
  ASSERT_EQ(a.allan.points.size(), 15u);  // m = 1 … 2^14 = N/4
  for (const auto& p : a.allan.points) {
    const double m = static_cast<double>(p.m);
    double expected = 0.0;
    if (c.series == Series::kWhite)
      expected = std::sqrt(c.size * c.size + 1.0 / 12.0) / std::sqrt(m);
    if (c.series == Series::kRandomWalk) expected = c.size * std::sqrt((2 * m * m + 1) / (6 * m));
    if (c.series == Series::kDrift) expected = c.size * m / std::sqrt(2.0);
    if (c.series != Series::kDrift && p.m > n / 64) continue;  // too few independent terms
    EXPECT_NEAR(p.codes, expected, c.tolerance * expected) << "m = " << p.m;
    EXPECT_EQ(p.terms, n - 2 * p.m + 1);
    EXPECT_DOUBLE_EQ(p.tauSeconds, m / 100.0);
    EXPECT_NEAR(*p.nanovolts, p.codes * 2.5e9 / 8388607.0 / 128.0, 1e-9 * *p.nanovolts);
  }
}

INSTANTIATE_TEST_SUITE_P(Series, AllanTheory,
                         ::testing::Values(AllanCase{Series::kWhite, 40.0, 0.08},
                                           AllanCase{Series::kRandomWalk, 20.0, 0.2},
                                           AllanCase{Series::kDrift, 3.0, 1e-9}));

TEST(AllanDeviation, WhiteNoiseFallsAndDriftRisesWithAMinimumBetween) {
  const int n = 1 << 16;
  auto v = White(n, 40.0);
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] += 0.01 * i;
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, 100.0, 1, {}, 0);
  ASSERT_TRUE(a.allan.minimum);
  // σ/√m = 0.01·m/√2 at m = (40·√2/0.01)^(2/3) ≈ 320: the lowest point of the octave grid near it.
  const auto m = a.allan.points[*a.allan.minimum].m;
  EXPECT_TRUE(m == 256 || m == 512) << m;
}

// On a flicker floor the deviation is flat: the reported minimum must not
// be the low draw of the last τ, which rests on a handful of differences.
TEST(AllanDeviation, TheMinimumComesFromAveragingTimesWithEnoughDegreesOfFreedom) {
  const int n = 1 << 16;
  const auto codes = Codes(Flicker(n, 100.0, 20.0, 50.0));
  const auto a = AnalyzeStability(codes.data(), n, 100.0, 1, {}, 0);
  ASSERT_TRUE(a.allan.minimum);
  const auto& p = a.allan.points[*a.allan.minimum];
  EXPECT_GE(p.edf, analysis::kMinimumEdf);
  EXPECT_LT(*a.allan.minimum + 1, a.allan.points.size()) << "not the last τ";
  for (const auto& q : a.allan.points) {
    if (q.edf >= analysis::kMinimumEdf) {
      EXPECT_GE(q.codes, p.codes);
    }
  }
}

// Samples over range are the converter clipping: a few are left out (the
// figures of the rest stand), more than 1 % leave the channel without figures.
TEST(StabilityOverRange, AFewAreLeftOutMoreRefuseTheFigures) {
  const int n = 40000;
  auto clean = Codes(White(n, 30.0));
  const auto reference = AnalyzeStability(clean.data(), n, 100.0, 128, {}, 0);
  auto spoilt = clean;
  for (int i : {0, 777, 20001, n - 1}) spoilt[static_cast<std::size_t>(i)] = i % 2 ? 16777215 : -5;
  const auto a = AnalyzeStability(spoilt.data(), n, 100.0, 128, {}, 0);
  EXPECT_EQ(a.overRange, 4);
  EXPECT_FALSE(a.overRangeRefused);
  ASSERT_EQ(a.allan.points.size(), reference.allan.points.size());
  // τ0: one term in 10000 lost, the deviation as before (a clipped code would put it at 10⁶).
  EXPECT_NEAR(a.allan.points[0].codes, reference.allan.points[0].codes,
              0.01 * reference.allan.points[0].codes);
  EXPECT_NEAR(*a.spectrum.whiteCodesRtHz, *reference.spectrum.whiteCodesRtHz,
              0.02 * *reference.spectrum.whiteCodesRtHz);
  for (int i = 0; i < n; i += 90) spoilt[static_cast<std::size_t>(i)] = 0;
  const auto refused = AnalyzeStability(spoilt.data(), n, 100.0, 128, {}, 0);
  EXPECT_TRUE(refused.overRangeRefused);
  EXPECT_GT(refused.overRange, n / 100);
  EXPECT_TRUE(refused.allan.points.empty());
  EXPECT_FALSE(refused.drift);
}

// ---- gaps and short records ------------------------------------------------

TEST(StabilityGaps, DriftOnTheTimeGridStaysExactAcrossGaps) {
  // Stretches of 1000, 500 and 300 results with 7 and 3 periods lost between.
  std::vector<double> v;
  const std::vector<std::pair<int, int>> stretches = {{0, 1000}, {1007, 500}, {1510, 300}};
  for (const auto& [start, length] : stretches)
    for (int i = 0; i < length; ++i) v.push_back(3.0 * (start + i));
  const auto codes = Codes(v);
  const std::vector<LogGap> gaps = {{1000, 7 / 50.0}, {1500, 3 / 50.0}};
  const auto a = AnalyzeStability(codes.data(), 1800, 50.0, 1, gaps, 1);
  EXPECT_DOUBLE_EQ(a.durationSeconds, 1810 / 50.0);
  ASSERT_TRUE(a.drift);
  EXPECT_NEAR(a.drift->codesPerHour, 3.0 * 50.0 * 3600.0, 1e-6);
  for (const auto& p : a.allan.points) {
    if (p.m >= 100) break;  // windows up to 1 % short: not exact any more
    std::int64_t terms = 0;
    for (const auto& s : stretches) terms += std::max<std::int64_t>(0, s.second - 2 * p.m + 1);
    EXPECT_EQ(p.terms, terms) << "m = " << p.m;
    EXPECT_NEAR(p.codes, 3.0 * static_cast<double>(p.m) / std::sqrt(2.0), 1e-9) << "m = " << p.m;
  }
}

TEST(StabilityGaps, GapsLongerThanTheRecordLeaveTheLongestStretch) {
  const auto codes = Codes(White(3000, 10.0));
  const auto a = AnalyzeStability(codes.data(), 3000, 10.0, 1, {{1000, 1e6}}, 0);
  EXPECT_TRUE(a.longestStretchOnly);
  EXPECT_DOUBLE_EQ(a.durationSeconds, 200.0);
}

struct ShortCase {
  int n;
  std::size_t points;
};
class ShortRecord : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortRecord, ReportsOnlyAveragingTimesWithFourTerms) {
  const auto codes = Codes(White(GetParam().n, 10.0));
  const auto a = AnalyzeStability(codes.data(), GetParam().n, 10.0, 1, {}, 0);
  EXPECT_EQ(a.allan.points.size(), GetParam().points);
  for (const auto& p : a.allan.points) EXPECT_GE(p.terms, 4);
  EXPECT_FALSE(a.band);  // 10 sps: below the 0.1–10 Hz band
}

// m ≤ N/4 and N − 2m + 1 ≥ 4: N = 4 gives m = 1 with 3 terms only.
INSTANTIATE_TEST_SUITE_P(Lengths, ShortRecord,
                         ::testing::Values(ShortCase{0, 0}, ShortCase{3, 0}, ShortCase{4, 0},
                                           ShortCase{5, 1}, ShortCase{8, 2}, ShortCase{16, 3}));

// ---- drift -----------------------------------------------------------------

TEST(DriftFit, SlopeAndStandardErrorOfALineInWhiteNoise) {
  const int n = 100000;
  const double sigma = 25.0;
  const double rate = 1000.0;
  auto v = White(n, sigma);
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] += 2e-3 * i;  // 7200 codes/hour
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, rate, 8, {}, 0);
  ASSERT_TRUE(a.drift);
  // Standard error σ / √Sxx, Sxx = (n³ − n)/12 in samples².
  const double se = sigma / std::sqrt((std::pow(n, 3.0) - n) / 12.0) * rate * 3600.0;
  EXPECT_NEAR(a.drift->stderrCodesPerHour, se, 0.05 * se);
  EXPECT_NEAR(a.drift->codesPerHour, 7200.0, 4.0 * se);
  EXPECT_NEAR(*a.drift->microvoltsPerHour, a.drift->codesPerHour * 2.5e6 / 8388607.0 / 8.0, 1e-9);
}

// ---- averaged spectrum, corner and 0.1–10 Hz noise -------------------------

struct WelchCase {
  double rate;
  int n;
  int segment;  // expected length
};
class WelchWhite : public ::testing::TestWithParam<WelchCase> {};

TEST_P(WelchWhite, DensityOfWhiteNoiseWithinFivePercentAndNoCorner) {
  const WelchCase c = GetParam();
  const double sigma = 30.0;
  const auto codes = Codes(White(c.n, sigma));
  const auto a = AnalyzeStability(codes.data(), c.n, c.rate, 128, {}, 0);
  EXPECT_EQ(a.spectrum.segmentLength, c.segment);
  const double density = std::sqrt((sigma * sigma + 1.0 / 12.0) * 2.0 / c.rate);
  ASSERT_TRUE(a.spectrum.whiteCodesRtHz);
  EXPECT_NEAR(*a.spectrum.whiteCodesRtHz, density, 0.05 * density);
  EXPECT_NEAR(*a.spectrum.whiteNvRtHz, density * 2.5e9 / 8388607.0 / 128.0,
              0.05 * 2.5e9 / 8388607.0 / 128.0 * density);
  EXPECT_FALSE(a.spectrum.flickerCornerHz);
  if (c.rate >= 100.0 && a.band && a.band->rmsCodes) {
    const double rms = density * std::sqrt(9.9);
    EXPECT_NEAR(*a.band->rmsCodes, rms, 0.05 * rms);
  }
}

// 20 s segments as a power of two when the log is long enough, else a 4.5th of it.
INSTANTIATE_TEST_SUITE_P(Rates, WelchWhite,
                         ::testing::Values(WelchCase{100.0, 20000, 2048},
                                           WelchCase{1000.0, 1 << 18, 32768},
                                           WelchCase{4800.0, 10000, 2222}));

TEST(WelchSpectrum, FindsAKnownFlickerCorner) {
  for (double corner : {2.0, 8.0}) {
    const int n = 1 << 20;
    const auto codes = Codes(Flicker(n, 1000.0, 20.0, corner));
    const auto a = AnalyzeStability(codes.data(), n, 1000.0, 1, {}, 0);
    ASSERT_TRUE(a.spectrum.flickerCornerHz) << corner;
    EXPECT_NEAR(*a.spectrum.flickerCornerHz, corner, 0.12 * corner);
    const double white = 20.0 * std::sqrt(2.0 / 1000.0);
    EXPECT_NEAR(*a.spectrum.whiteCodesRtHz, white, 0.05 * white);
  }
}

struct CornerCase {
  const char* name;
  double corner;      // 1/f corner of the noise (0: white only)
  double sineCodes;   // a slow sine at 0.05 Hz (0: none)
  double mainsCodes;  // 50 Hz pickup (0: none)
};

class FlickerCorner : public ::testing::TestWithParam<CornerCase> {};

// A line is not 1/f noise: a slow sine alone gives no corner; a real corner
// comes out within two of its stated standard errors beside a line.
TEST_P(FlickerCorner, LinesAreLeftOutAndTheCornerKeepsItsUncertainty) {
  const CornerCase& c = GetParam();
  const int n = 1 << 20;
  const double rate = 1000.0;
  auto v = c.corner > 0.0 ? Flicker(n, rate, 20.0, c.corner) : White(n, 20.0);
  for (int i = 0; i < n; ++i) {
    const double t = i / rate;
    v[static_cast<std::size_t>(i)] += c.sineCodes * std::sin(2 * std::numbers::pi * 0.05 * t) +
                                      c.mainsCodes * std::sin(2 * std::numbers::pi * 50.0 * t);
  }
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, rate, 1, {}, 0);
  const double white = 20.0 * std::sqrt(2.0 / rate);
  ASSERT_TRUE(a.spectrum.whiteCodesRtHz) << c.name;
  EXPECT_NEAR(*a.spectrum.whiteCodesRtHz, white, 0.05 * white) << c.name;
  ExpectCorner(a.spectrum, c.corner, 0.2, c.name);
  if (c.corner == 0.0) {
    EXPECT_EQ(a.spectrum.cornerHiddenBelowHz.has_value(), c.sineCodes > 0.0) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FlickerCorner,
                         ::testing::Values(CornerCase{"slow sine alone", 0.0, 1e5, 0.0},
                                           CornerCase{"mains alone", 0.0, 0.0, 500.0},
                                           CornerCase{"flicker", 2.0, 0.0, 0.0},
                                           CornerCase{"flicker and mains", 2.0, 0.0, 500.0},
                                           CornerCase{"flicker and slow sine", 20.0, 1e5, 0.0}));

struct BandCase {
  double hz;
  double amplitude;
  double low;  // expected p-p range (codes)
  double high;
};
class BandPeakToPeak : public ::testing::TestWithParam<BandCase> {};

// Butterworth gains: 1 in the band; (f/0.1 Hz)² below it, (10 Hz/f)⁴ above.
TEST_P(BandPeakToPeak, PassesTheBandAndStopsTheRest) {
  const BandCase c = GetParam();
  const double rate = 1000.0;
  const int n = 60000;
  std::vector<double> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    v[static_cast<std::size_t>(i)] =
        c.amplitude * std::sin(2.0 * std::numbers::pi * c.hz * i / rate);
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, rate, 1, {}, 0);
  ASSERT_TRUE(a.band && a.band->ppMaxCodes);
  EXPECT_EQ(a.band->ppStretches, 5);  // 60 s less 10 s settling
  EXPECT_GE(*a.band->ppMaxCodes, c.low);
  EXPECT_LE(*a.band->ppMaxCodes, c.high);
}

INSTANTIATE_TEST_SUITE_P(Tones, BandPeakToPeak,
                         ::testing::Values(BandCase{1.0, 1000.0, 1990.0, 2010.0},
                                           BandCase{0.01, 100000.0, 0.0, 2020.0},
                                           BandCase{100.0, 100000.0, 0.0, 21.0}));

// A minute at 4800 sps: 64000-point segments, 0.075 Hz bins. 50 Hz lies
// between bins and has its level; 60 Hz, absent, has the bound it lies below.
TEST(AveragedFigures, MainsLinesOfALogHaveTheirLevelOrBound) {
  const int n = 288000;
  const double rate = 4800.0, pickup = 30.0;
  auto v = White(n, 20.0);
  for (int i = 0; i < n; ++i)
    v[static_cast<std::size_t>(i)] +=
        pickup * std::sin(2 * std::numbers::pi * 50.0 * i / rate + 1.0);
  const auto codes = Codes(v);
  const auto a = AnalyzeStability(codes.data(), n, rate, 1, {}, 0);
  ASSERT_EQ(a.spectrum.segmentLength, 64000);
  const auto f = analysis::AveragedFigures(a.spectrum);
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), 20 * std::log10(pickup / 8388607.0), 0.3);
  EXPECT_FALSE(f.Mains60Dbfs());
  ASSERT_TRUE(f.Mains60BoundDbfs());
  EXPECT_LT(*f.Mains60BoundDbfs(), *f.Mains50Dbfs() - 10.0);
  // The 100 Hz line (50 × 2) is absent too.
  EXPECT_FALSE(f.mains50[1].Dbfs());
  for (const auto& row : analysis::SpectrumFigureRows(analysis::AsSpectrum(a.spectrum, 1), f)) {
    EXPECT_EQ(row.value.find("直流"), std::string::npos) << row.label;
  }
}

}  // namespace
}  // namespace velqoris::testing
