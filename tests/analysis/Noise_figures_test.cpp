// Noise figures against hand-computed cases and every edge case a run or a
// file can bring.
#include "analysis/Noise_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using analysis::AnalyzeNoise;
using analysis::Resolution;

constexpr double kUvPerCodeGain1 = 2500000.0 / 8388607.0;

TEST(NoiseFigures, HandComputedRecord) {
  // Mid-scale +{-2, 0, 0, 2}: mean 0, variance (4 + 0 + 0 + 4) / 4 = 2, pp 4.
  const std::vector<std::int32_t> codes = {8388606, 8388608, 8388608, 8388610};
  const auto f = AnalyzeNoise(codes.data(), 4, SettingsAt(1, 1));  // gain 8
  EXPECT_EQ(f.count, 4);
  EXPECT_DOUBLE_EQ(*f.meanCode, 8388608.0);
  EXPECT_DOUBLE_EQ(*f.meanMicrovolts, 0.0);
  EXPECT_DOUBLE_EQ(*f.rmsCodes, std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(*f.ppCodes, 4.0);
  EXPECT_NEAR(*f.rmsMicrovolts, std::sqrt(2.0) * kUvPerCodeGain1 / 8, 1e-12);
  EXPECT_NEAR(*f.rmsNanovolts, *f.rmsMicrovolts * 1000, 1e-9);
  EXPECT_NEAR(*f.ppMicrovolts, 4 * kUvPerCodeGain1 / 8, 1e-12);
  EXPECT_NEAR(*f.effective.Bits(), 24.0 - 0.5, 1e-12);  // log2(2^24 / √2)
  EXPECT_NEAR(*f.noiseFree.Bits(), 22.0, 1e-12);        // log2(2^24 / 4)
  EXPECT_NEAR(*f.noiseFree6Sigma.Bits(), 24.0 - std::log2(6.6 * std::sqrt(2.0)), 1e-12);
  EXPECT_NEAR(*f.skewness, 0.0, 1e-12);
  // Fourth moment (16 + 16) / 4 = 8, over variance² 4 gives 2, minus 3.
  EXPECT_NEAR(*f.excessKurtosis, -1.0, 1e-12);
  EXPECT_FALSE(f.overRange);
}

TEST(NoiseFigures, MeanInMicrovoltsFollowsTheProgramsConversion) {
  const std::vector<std::int32_t> codes = {8388608 + 1000, 8388608 + 1002};
  const auto f = AnalyzeNoise(codes.data(), 2, SettingsAt(1, 0));
  EXPECT_NEAR(*f.meanMicrovolts, 1001 * kUvPerCodeGain1, 1e-9);
}

TEST(NoiseFigures, GaussianNoiseGivesItsDeviationAndANormalShape) {
  Synthetic synth;
  const auto codes = synth.Record(10000, {}, 50.0);
  const auto f = AnalyzeNoise(codes.data(), 10000, SettingsAt(5, 5));
  EXPECT_NEAR(*f.rmsCodes, std::hypot(50.0, std::sqrt(1.0 / 12)), 1.5);
  EXPECT_NEAR(*f.effective.Bits(), std::log2(16777216.0 / 50.0), 0.05);
  EXPECT_NEAR(*f.skewness, 0.0, 0.08);
  EXPECT_NEAR(*f.excessKurtosis, 0.0, 0.15);
  // A sine is far from normal: its excess kurtosis is -1.5.
  const auto sine = synth.Record(10000, {{37.0, 1000.0}}, 0.0);
  EXPECT_NEAR(*AnalyzeNoise(sine.data(), 10000, SettingsAt(5, 5)).excessKurtosis, -1.5, 0.01);
}

TEST(NoiseFigures, NoNoiseIsAtLeast24BitsNotInfinity) {
  const std::vector<std::int32_t> codes(1000, 8388700);
  const auto f = AnalyzeNoise(codes.data(), 1000, SettingsAt(1, 0));
  EXPECT_EQ(*f.rmsCodes, 0.0);
  EXPECT_EQ(f.effective.kind, Resolution::Kind::kNoNoise);
  EXPECT_EQ(f.noiseFree.kind, Resolution::Kind::kNoNoise);
  EXPECT_EQ(f.noiseFree6Sigma.kind, Resolution::Kind::kNoNoise);
  EXPECT_FALSE(f.effective.Bits());
  EXPECT_FALSE(f.skewness);
  EXPECT_FALSE(f.excessKurtosis);
}

TEST(NoiseFigures, AFigureAbove24BitsReadsAtLeast24) {
  // Two samples one code apart: rms 0.5 code would be 25 bits.
  const std::vector<std::int32_t> codes{8388700, 8388701};
  const auto f = AnalyzeNoise(codes.data(), 2, SettingsAt(1, 0));
  EXPECT_EQ(f.effective.kind, Resolution::Kind::kNoNoise);
  EXPECT_FALSE(f.effective.Bits());
  ASSERT_TRUE(f.noiseFree.Bits()) << "one code peak-to-peak is exactly 24 bits";
  EXPECT_DOUBLE_EQ(*f.noiseFree.Bits(), 24.0);
  // 6.6 × 0.5 codes: log2(2^24 / 3.3) = 22.28 bits, a number.
  EXPECT_NEAR(*f.noiseFree6Sigma.Bits(), 24.0 - std::log2(3.3), 1e-9);
}

TEST(NoiseFigures, OneSampleHasAMeanButNoResolution) {
  const std::int32_t code = 8388609;
  const auto f = AnalyzeNoise(&code, 1, SettingsAt(1, 0));
  EXPECT_EQ(f.count, 1);
  EXPECT_DOUBLE_EQ(*f.meanCode, 8388609.0);
  EXPECT_EQ(*f.rmsCodes, 0.0);
  EXPECT_EQ(f.effective.kind, Resolution::Kind::kTooFew);
  EXPECT_FALSE(f.skewness);
  EXPECT_FALSE(f.rmsVsTypical);
}

TEST(NoiseFigures, NoSamplesGiveNothing) {
  const auto f = AnalyzeNoise(nullptr, 0, SettingsAt(1, 0));
  EXPECT_EQ(f.count, 0);
  EXPECT_FALSE(f.meanCode);
  EXPECT_FALSE(f.rmsCodes);
  EXPECT_EQ(f.effective.kind, Resolution::Kind::kAbsent);
  const std::int32_t code = 1;
  EXPECT_EQ(AnalyzeNoise(&code, -5, SettingsAt(1, 0)).count, 0);
}

TEST(NoiseFigures, ClampedCodesMeanOverRangeInsteadOfAResolution) {
  for (std::int32_t clamp : {0, 16777215}) {
    std::vector<std::int32_t> codes = {8388600, 8388610, 8388605, clamp};
    const auto f = AnalyzeNoise(codes.data(), 4, SettingsAt(1, 0));
    EXPECT_TRUE(f.overRange) << clamp;
    EXPECT_EQ(f.effective.kind, Resolution::Kind::kOverRange);
    EXPECT_EQ(f.noiseFree.kind, Resolution::Kind::kOverRange);
    EXPECT_EQ(f.noiseFree6Sigma.kind, Resolution::Kind::kOverRange);
    EXPECT_TRUE(f.rmsCodes) << "the deviation itself is still shown";
  }
  const std::vector<std::int32_t> inside = {1, 16777214};
  EXPECT_FALSE(AnalyzeNoise(inside.data(), 2, SettingsAt(1, 0)).overRange);
}

TEST(NoiseFigures, ExtremeInt32CodesFromAFileStayFinite) {
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  const std::vector<std::int32_t> codes = {lo, hi, lo, hi};
  const auto f = AnalyzeNoise(codes.data(), 4, SettingsAt(1, 0));
  EXPECT_TRUE(f.overRange);
  EXPECT_DOUBLE_EQ(*f.ppCodes, 4294967295.0);
  EXPECT_DOUBLE_EQ(*f.rmsCodes, 4294967295.0 / 2);
  EXPECT_TRUE(std::isfinite(*f.meanMicrovolts));
}

TEST(NoiseFigures, SettingsOutsideTheirListsDropOnlyWhatNeedsThem) {
  const std::vector<std::int32_t> codes = {8388606, 8388610};
  MeasureSettings bad = SettingsAt(1, 0);
  bad.GainSel = 6;
  bad.Gain = 0;
  auto f = AnalyzeNoise(codes.data(), 2, bad);
  EXPECT_TRUE(f.rmsCodes);
  EXPECT_FALSE(f.rmsMicrovolts);
  EXPECT_FALSE(f.meanMicrovolts);
  EXPECT_FALSE(f.typicalRmsNanovolts);
  EXPECT_FALSE(f.rmsVsTypical);
  bad = SettingsAt(1, 0);
  bad.spsSel = -1;
  f = AnalyzeNoise(codes.data(), 2, bad);
  EXPECT_TRUE(f.rmsMicrovolts);
  EXPECT_FALSE(f.typicalRmsNanovolts);
}

TEST(NoiseFigures, MeasuredOverTypicalSaysHowMuchNoisierABoardIs) {
  // 100 sps, gain 128: the typical noise is 19.8 nV; three times that in codes.
  const MeasureSettings s = SettingsAt(5, 5);
  Synthetic synth;
  const double typicalCodes = 19.8e-3 / (2500000.0 / 8388607.0 / 128);
  const auto codes = synth.Record(10000, {}, 3 * typicalCodes);
  const auto f = AnalyzeNoise(codes.data(), 10000, s);
  EXPECT_NEAR(*f.typicalRmsNanovolts, 19.8, 0.1);
  EXPECT_NEAR(*f.rmsVsTypical, 3.0, 0.1);
}

}  // namespace
}  // namespace velqoris::testing
