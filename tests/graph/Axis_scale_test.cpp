#include "graph/Axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace velqoris {
namespace {

class AxisScaleTest : public ::testing::Test {
 protected:
  AxisScaleTest()
      : codes0(kSampleCapacity, 0),
        codes1(kSampleCapacity, 0),
        uv0(kSampleCapacity, 0.0f),
        uv1(kSampleCapacity, 0.0f),
        scale(ch0, ch1, settings) {
    ch0.Codes = codes0.data();
    ch0.Microvolts = uv0.data();
    ch1.Codes = codes1.data();
    ch1.Microvolts = uv1.data();
  }

  void Fill0(const std::vector<std::int32_t>& codes) {
    std::copy(codes.begin(), codes.end(), codes0.begin());
    ch0.Count = static_cast<int>(codes.size());
  }

  std::vector<std::int32_t> codes0, codes1;
  std::vector<float> uv0, uv1;
  SampleBuffer ch0, ch1;
  MeasureSettings settings;
  TAxisScale scale;
};

LabelTexts Texts(std::initializer_list<const char*> list) {
  LabelTexts texts;
  std::size_t i = 0;
  for (const char* t : list) texts.at(i++) = t;
  return texts;
}

TEST_F(AxisScaleTest, MicrovoltConversionUsesDivisorTwoToThe23MinusOne) {
  EXPECT_EQ(scale.CodeToMicrovolts(8388608), 0.0f);
  EXPECT_EQ(scale.CodeToMicrovolts(16777215), 2500000.0f);
  EXPECT_EQ(scale.CodeToMicrovolts(0), -2500000.25f);
  EXPECT_NEAR(scale.CodeToMicrovolts(8388609), 0.298023, 1e-6);
  settings.Gain = 128;
  EXPECT_FLOAT_EQ(scale.CodeToMicrovolts(16777215), 2500000.0f / 128);
}

TEST_F(AxisScaleTest, AnyThirtyTwoBitCodeConvertsWithoutWrappingRound) {
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
  const double perCode = 2500000.0 / 8388607.0;
  EXPECT_FLOAT_EQ(scale.CodeToMicrovolts(kLowest),
                  static_cast<float>((-2147483648.0 - 8388608.0) * perCode));
  EXPECT_FLOAT_EQ(scale.CodeToMicrovolts(kHighest),
                  static_cast<float>((2147483647.0 - 8388608.0) * perCode));
  settings.Gain = 128;
  EXPECT_LT(scale.CodeToMicrovolts(kLowest), -5.0e6f);

  // The code axis of such data stays inside the 32-bit range.
  Fill0({kLowest, kLowest});
  scale.ScaleAll();
  EXPECT_EQ(scale.CodeBottom, kLowest);
  EXPECT_EQ(scale.CodeLabels()[10], "-2147483648");
  EXPECT_EQ(scale.CodeLabels()[0], "-2147483638");
  EXPECT_LT(scale.MinUV, scale.MaxUV + 1.0f);
  EXPECT_LT(scale.MinMicrovoltsCh0(), 0.0f);
  // Extremes are the samples' own, also outside the converter's range.
  Fill0({-5, -7});
  EXPECT_EQ(scale.MaxCodeCh0(), -5);
  Fill0({16777300, 16777299});
  EXPECT_EQ(scale.MinCodeCh0(), 16777299);
}

TEST_F(AxisScaleTest, UnderivedGainDoesNotDivideByZero) {
  settings.Gain = 0;
  EXPECT_EQ(scale.CodeToMicrovolts(16777215), 2500000.0f);
  settings.Gain = -8;
  EXPECT_TRUE(std::isfinite(scale.CodeToMicrovolts(0)));
}

TEST_F(AxisScaleTest, WorkedExampleInCodes) {
  std::vector<std::int32_t> codes;
  for (int c = 8388600; c <= 8388620; ++c) codes.push_back(c);
  Fill0(codes);
  scale.ScaleAll();
  EXPECT_EQ(scale.MaxCode, 8388620);
  EXPECT_EQ(scale.MinCode, 8388600);
  EXPECT_EQ(scale.CodeSpan, 50);
  EXPECT_EQ(scale.CodeBottom, 8388584);
  EXPECT_EQ(scale.CodeLabels(),
            Texts({"8388634", "8388629", "8388624", "8388619", "8388614", "8388609", "8388604",
                   "8388599", "8388594", "8388589", "8388584"}));
}

TEST_F(AxisScaleTest, WorkedExampleInMicrovolts) {
  std::vector<std::int32_t> codes;
  for (int c = 8388620; c >= 8388600; --c) codes.push_back(c);
  Fill0(codes);
  scale.ScaleAll();
  EXPECT_NEAR(scale.MaxUV, 3.5763, 1e-4);
  EXPECT_NEAR(scale.MinUV, -2.3842, 1e-4);
  EXPECT_EQ(scale.UVSpan, 10.0f);
  EXPECT_EQ(scale.UVBottom, -4.0f);
  EXPECT_EQ(scale.VoltLabels(), Texts({"6.0uV", "5.0", "4.0", "3.0", "2.0", "1.0", "0.0", "-1.0",
                                       "-2.0", "-3.0", "-4.0uV"}));
}

TEST_F(AxisScaleTest, DefaultLabels) {
  EXPECT_EQ(TAxisScale::DefaultCodeLabels(),
            Texts({"8388608", "8388598", "8388588", "8388578", "8388568", "8388558", "8388548",
                   "8388538", "8388528", "8388518", "8388508"}));
  EXPECT_EQ(scale.DefaultVoltLabels(), Texts({"14.90", "11.92", "8.94", "5.96", "2.98", "0.00",
                                              "-2.98", "-5.96", "-8.94", "-11.92", "-14.90"}));
  settings.Gain = 128;
  EXPECT_EQ(scale.DefaultVoltLabels(), Texts({"0.12", "0.09", "0.07", "0.05", "0.02", "0.00",
                                              "-0.02", "-0.05", "-0.07", "-0.09", "-0.12"}));
}

TEST_F(AxisScaleTest, CodeSpanEveryRowBoundary) {
  const std::int32_t spans[] = {10,     20,      50,      100,     200,      500,     1000,
                                2000,   5000,    10000,   20000,   50000,    100000,  200000,
                                500000, 1000000, 2000000, 5000000, 10000000, 20000000};
  const std::int32_t base = 100;
  for (std::size_t row = 0; row + 1 < std::size(spans); ++row) {
    const std::int32_t limit = spans[row] / 10 * 8;
    EXPECT_EQ(scale.PickCodeSpan(base + limit, base), spans[row]) << "d = " << limit;
    EXPECT_EQ(scale.PickCodeSpan(base + limit + 1, base), spans[row + 1]) << "d = " << limit + 1;
  }
  EXPECT_EQ(scale.PickCodeSpan(0, 0), 10);
  EXPECT_EQ(scale.PickCodeSpan(0, kMaxCode), 10);  // sentinels of an empty search
  EXPECT_EQ(scale.PickCodeSpan(kMaxCode, 0), 20000000);
}

TEST_F(AxisScaleTest, MicrovoltSpanEveryRowBoundaryWithDoubleLimits) {
  const double limits[] = {0.16,  0.4,   0.8,    1.6,    4,      8,       16,     40,
                           80,    160,   400,    800,    1600,   4000,    8000,   16000,
                           40000, 80000, 160000, 400000, 800000, 1600000, 4000000};
  const float spans[] = {0.2f,  0.5f,   1,      2,      5,       10,      20,      50,
                         100,   200,    500,    1000,   2000,    5000,    10000,   20000,
                         50000, 100000, 200000, 500000, 1000000, 2000000, 5000000, 6000000};
  for (std::size_t row = 0; row < std::size(limits); ++row) {
    float within = static_cast<float>(limits[row]);
    if (within > limits[row]) within = std::nextafter(within, 0.0f);
    const float beyond = std::nextafter(within, std::numeric_limits<float>::infinity());
    EXPECT_EQ(scale.PickUVSpan(0.0f, within), spans[row]) << "d = " << within;
    EXPECT_EQ(scale.PickUVSpan(0.0f, beyond), spans[row + 1]) << "d = " << beyond;
  }
  // float32 0.4f, 0.8f and 1.6f lie just above their double limits; 0.16f just below.
  EXPECT_EQ(scale.PickUVSpan(0.0f, 0.16f), 0.2f);
  EXPECT_EQ(scale.PickUVSpan(0.0f, 0.4f), 1.0f);
  EXPECT_EQ(scale.PickUVSpan(0.0f, 0.8f), 2.0f);
  EXPECT_EQ(scale.PickUVSpan(0.0f, 1.6f), 5.0f);
  EXPECT_EQ(scale.PickUVSpan(-1.0f, 1.0f), 5.0f);
}

TEST_F(AxisScaleTest, CodeBottomsForHighAndLowData) {
  Fill0({9000000, 9000000});
  scale.ScaleAll();
  EXPECT_EQ(scale.CodeSpan, 10);
  EXPECT_EQ(scale.CodeBottom, 8999995);  // span 10: unrounded

  scale.MaxCode = 9000031;  // span 50 rounds to multiples of 2
  scale.MinCode = 9000000;
  EXPECT_EQ(scale.PickCodeBottom(50), 8999990);
  scale.MaxCode = 9000300;  // span 500 rounds to multiples of 25
  EXPECT_EQ(scale.PickCodeBottom(500), 8999900);
  scale.MaxCode = 9000310;
  EXPECT_EQ(scale.PickCodeBottom(500), 8999900);

  // Near code 0 the bottom goes negative and rounds towards zero.
  Fill0({1, 36});
  scale.ScaleAll();
  EXPECT_EQ(scale.CodeSpan, 50);
  EXPECT_EQ(scale.CodeBottom, -6);
  EXPECT_EQ(scale.CodeLabels()[10], "-6");
  EXPECT_EQ(scale.CodeLabels()[0], "44");
}

TEST_F(AxisScaleTest, MicrovoltBottomsRoundToNearestTenthHalvesAwayFromZero) {
  scale.MaxUV = 12.3f;
  scale.MinUV = 7.1f;
  EXPECT_EQ(scale.PickUVBottom(10.0f), 5.0f);
  scale.MaxUV = scale.MinUV = 9.5f;
  EXPECT_EQ(scale.PickUVBottom(10.0f), 5.0f);
  scale.MaxUV = scale.MinUV = 0.5f;
  EXPECT_EQ(scale.PickUVBottom(10.0f), -5.0f);
  scale.MaxUV = -2.0f;
  scale.MinUV = -2.6f;
  EXPECT_EQ(scale.PickUVBottom(1.0f), -2.8f);
}

TEST_F(AxisScaleTest, EqualSamplesNearZeroInput) {
  Fill0(std::vector<std::int32_t>(50, kMidScaleCode));
  scale.ScaleAll();
  EXPECT_EQ(scale.CodeSpan, 10);
  EXPECT_EQ(scale.CodeBottom, kMidScaleCode - 5);
  EXPECT_EQ(scale.UVSpan, 0.2f);
  EXPECT_EQ(scale.VoltLabels(), Texts({"0.10uV", "0.08", "0.06", "0.04", "0.02", "0.00", "-0.02",
                                       "-0.04", "-0.06", "-0.08", "-0.10uV"}));
}

TEST_F(AxisScaleTest, UnitFollowsTheLargerOfSpanAndBottom) {
  EXPECT_STREQ(TAxisScale::PickVoltUnit(200.9f, -100.0f).unit, "uV");
  EXPECT_STREQ(TAxisScale::PickVoltUnit(201.0f, 0.0f).unit, "mV");
  EXPECT_STREQ(TAxisScale::PickVoltUnit(1.0f, -250.0f).unit, "mV");
  EXPECT_STREQ(TAxisScale::PickVoltUnit(200000.0f, 0.0f).unit, "mV");
  EXPECT_STREQ(TAxisScale::PickVoltUnit(0.5f, 200001.0f).unit, "V");
  const VoltUnit mv = TAxisScale::PickVoltUnit(500.0f, -100.0f);
  EXPECT_FLOAT_EQ(mv.span, 0.5f);
  EXPECT_FLOAT_EQ(mv.bottom, -0.1f);

  scale.UVSpan = 500.0f;
  scale.UVBottom = -100.0f;
  EXPECT_EQ(scale.VoltLabels(), Texts({"0.40mV", "0.35", "0.30", "0.25", "0.20", "0.15", "0.10",
                                       "0.05", "0.00", "-0.05", "-0.10mV"}));
}

TEST_F(AxisScaleTest, SmallSpanOnLargeOffsetSwitchesUnit) {
  scale.UVSpan = 2.0f;
  scale.UVBottom = 1000.0f;
  LabelTexts mv = scale.VoltLabels();
  EXPECT_EQ(mv[0], "1.0020mV");
  EXPECT_EQ(mv[5], "1.0010");
  EXPECT_EQ(mv[10], "1.0000mV");

  scale.UVSpan = 1.0f;
  scale.UVBottom = 300000.0f;
  LabelTexts v = scale.VoltLabels();
  EXPECT_EQ(v[0], "0.30000V");
  EXPECT_EQ(v[10], "0.30000V");
}

TEST_F(AxisScaleTest, PatternByScaledSpanComparedAsDouble) {
  EXPECT_EQ(TAxisScale::FormatVoltLabel(0.001f, 0.5f), "0.5000");  // 0.001f > 0.001
  EXPECT_EQ(TAxisScale::FormatVoltLabel(0.0005f, 0.5f), "0.50000");
  EXPECT_EQ(TAxisScale::FormatVoltLabel(0.01f, 0.5f), "0.5000");  // 0.01f < 0.01
  EXPECT_EQ(TAxisScale::FormatVoltLabel(0.05f, 0.5f), "0.500");
  EXPECT_EQ(TAxisScale::FormatVoltLabel(1.0f, 0.5f), "0.50");
  EXPECT_EQ(TAxisScale::FormatVoltLabel(10.0f, 0.5f), "0.5");
  EXPECT_EQ(TAxisScale::FormatVoltLabel(20.0f, 2.5f), "3");
  EXPECT_EQ(TAxisScale::FormatVoltLabel(10.0f, -0.04f), "0.0");
}

TEST_F(AxisScaleTest, FullConverterRange) {
  Fill0({0, kMaxCode, kMidScaleCode});
  scale.ScaleAll();
  EXPECT_EQ(scale.CodeSpan, 20000000);
  EXPECT_EQ(scale.CodeBottom, -1000000);
  EXPECT_EQ(scale.UVSpan, 6000000.0f);
  EXPECT_EQ(scale.UVBottom, -3000000.0f);
  const LabelTexts labels = scale.VoltLabels();
  EXPECT_EQ(labels[0], "3.0V");
  EXPECT_EQ(labels[1], "2.4");
  EXPECT_EQ(labels[5], "0.0");
  EXPECT_EQ(labels[10], "-3.0V");
}

TEST_F(AxisScaleTest, BothChannelsMergeIntoTheAxis) {
  Fill0({8000000, 8000100});
  codes1[0] = 7999000;
  codes1[1] = 8000050;
  ch1.Count = 2;
  scale.FindRange();
  EXPECT_EQ(scale.MaxCode, 8000100);
  EXPECT_EQ(scale.MinCode, 7999000);
  EXPECT_EQ(scale.MaxCode0, 8000100);
  EXPECT_EQ(scale.MinCode1, 7999000);
}

TEST_F(AxisScaleTest, ChannelOneBlockSearchIgnoresEarlierExtremes) {
  std::vector<std::int32_t> wide(400, kMidScaleCode);
  wide[0] = 0;
  wide[1] = kMaxCode;
  Fill0(wide);
  scale.ScaleAll();
  ASSERT_EQ(scale.CodeSpan, 20000000);

  settings.CHSel = 1;
  for (int i = 0; i < 400; ++i) codes1[static_cast<std::size_t>(i)] = 5000 + i;
  codes1[199] = 1;            // just before the block
  codes1[300] = 16000000;     // just after it
  ch0.Count = ch1.Count = 0;  // counts stay 0 during a run
  scale.ScaleBlock(200, 299);
  EXPECT_EQ(scale.MaxCode, 5299);
  EXPECT_EQ(scale.MinCode, 5200);
  EXPECT_EQ(scale.CodeSpan, 200);
  EXPECT_EQ(scale.MaxCode0, kMaxCode);  // channel 0 not searched
  EXPECT_EQ(scale.MinCode0, 0);
}

TEST_F(AxisScaleTest, BlockIndicesStayInsideTheArrays) {
  settings.CHSel = 2;
  codes0[kSampleCapacity - 1] = 42;
  codes1[0] = 7;
  scale.FindRangeBlock(-5, kSampleCapacity + 100);
  EXPECT_EQ(scale.MinCode, 0);
  EXPECT_EQ(scale.MaxCode, 42);
}

TEST_F(AxisScaleTest, ChannelGettersScanTheWholeBuffer) {
  EXPECT_EQ(scale.MaxCodeCh0(), 0);
  EXPECT_EQ(scale.MinCodeCh0(), 0);
  EXPECT_EQ(scale.MinCode0, kMaxCode);  // left unchanged

  Fill0({8388600, 8388700, 8388500});
  settings.CHSel = 0;
  scale.FindRangeBlock(0, 0);  // leaves a block's extremes behind
  EXPECT_EQ(scale.MaxCode0, 8388600);
  EXPECT_EQ(scale.MaxCodeCh0(), 8388700);
  EXPECT_EQ(scale.MinCodeCh0(), 8388500);
  EXPECT_FLOAT_EQ(scale.MaxMicrovoltsCh0(), scale.CodeToMicrovolts(8388700));
  EXPECT_FLOAT_EQ(scale.MinMicrovoltsCh0(), scale.CodeToMicrovolts(8388500));
  EXPECT_FLOAT_EQ(scale.MaxUV0, scale.CodeToMicrovolts(8388700));

  codes1[0] = 100;
  codes1[1] = 200;
  ch1.Count = 2;
  EXPECT_EQ(scale.MaxCodeCh1(), 200);
  EXPECT_EQ(scale.MinCodeCh1(), 100);
  EXPECT_FLOAT_EQ(scale.MinMicrovoltsCh1(), scale.CodeToMicrovolts(100));
  EXPECT_FLOAT_EQ(scale.MaxMicrovoltsCh1(), scale.CodeToMicrovolts(200));
}

TEST_F(AxisScaleTest, CountBeyondTheArraysReadsOnlyTheArrays) {
  ch0.Count = kSampleCapacity + 5000;
  codes0[kSampleCapacity - 1] = 99;
  EXPECT_EQ(scale.MaxCodeCh0(), 99);
}

}  // namespace
}  // namespace velqoris
