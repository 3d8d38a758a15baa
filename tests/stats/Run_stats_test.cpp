#include "stats/Run_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace velqoris {
namespace {

struct Channel {
  std::vector<std::int32_t> codes = std::vector<std::int32_t>(kSampleCapacity, 0);
  std::vector<float> volts = std::vector<float>(kSampleCapacity, 0.0f);
  SampleBuffer buffer{0, codes.data(), volts.data()};

  void SetCodes(const std::vector<std::int32_t>& values) {
    std::copy(values.begin(), values.end(), codes.begin());
    buffer.Count = static_cast<std::int32_t>(values.size());
  }
  void SetVolts(const std::vector<float>& values) {
    std::copy(values.begin(), values.end(), volts.begin());
    buffer.Count = static_cast<std::int32_t>(values.size());
  }
};

TEST(CodeStats, MeanIsTruncatedAndDeviationUsesIt) {
  Channel ch;
  ch.SetCodes({0, 1});
  std::int32_t mean = -1;
  float sd = -1.0f;
  CalcCodeStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, 0);
  // Around the truncated mean 0, not 0.5 (which would give 0.5).
  EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt(0.5)));
}

TEST(CodeStats, TruncatesTowardZeroForNegativeMeans) {
  Channel ch;
  ch.SetCodes({-1, -2});
  std::int32_t mean = 0;
  float sd = 0.0f;
  CalcCodeStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, -1);
  EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt(0.5)));
}

TEST(CodeStats, PopulationFormDividesByCount) {
  Channel ch;
  ch.SetCodes({2, 4, 4, 4, 5, 5, 7, 9});  // mean 5, population sd 2
  std::int32_t mean = 0;
  float sd = 0.0f;
  CalcCodeStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, 5);
  EXPECT_FLOAT_EQ(sd, 2.0f);
}

TEST(CodeStats, FullBufferOfExtremeCodesDoesNotOverflow) {
  Channel ch;
  std::vector<std::int32_t> values(kSampleCapacity);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = (i % 2 == 0) ? 0 : kMaxCode;
  ch.SetCodes(values);
  std::int32_t mean = 0;
  float sd = 0.0f;
  CalcCodeStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, 8388607);  // 8388607.5 truncated
  const double a = 8388607.0, b = 8388608.0;
  EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt((a * a + b * b) / 2.0)));
}

TEST(CodeStats, SumsEveryCodeExactly) {
  // Sums that a float accumulator would get wrong.
  Channel ch;
  std::vector<std::int32_t> values(10000, kMaxCode);
  values.back() = kMaxCode - 10000;
  ch.SetCodes(values);
  std::int32_t mean = 0;
  float sd = 0.0f;
  CalcCodeStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, kMaxCode - 1);
  // 9999 differences of 1 and one of -9999.
  EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt((9999.0 + 9999.0 * 9999.0) / 10000.0)));
}

TEST(CodeStats, BufferWithoutSamplesKeepsPreviousValues) {
  Channel ch;
  for (std::int32_t count : {0, -5, kSampleCapacity + 1}) {
    ch.buffer.Count = count;
    std::int32_t mean = 123;
    float sd = 4.5f;
    CalcCodeStats(ch.buffer, mean, sd);
    EXPECT_EQ(mean, 123) << count;
    EXPECT_EQ(sd, 4.5f) << count;
  }
  SampleBuffer noArrays{5, nullptr, nullptr};
  std::int32_t mean = 7;
  float sd = 8.0f;
  CalcCodeStats(noArrays, mean, sd);
  EXPECT_EQ(mean, 7);
  EXPECT_EQ(sd, 8.0f);
}

TEST(VoltStats, DeviationAroundTheStoredFloatMean) {
  Channel ch;
  ch.SetVolts({-1.5f, 0.5f, 2.5f, 4.5f});
  float mean = 0.0f;
  float sd = 0.0f;
  CalcVoltStats(ch.buffer, mean, sd);
  EXPECT_FLOAT_EQ(mean, 1.5f);
  EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt(5.0)));
}

TEST(VoltStats, UsesTheFloat32MeanNotTheExactOne) {
  // The exact mean 0.1 is not a float; the deviation is taken from float(0.1).
  Channel ch;
  ch.SetVolts({0.0f, 0.2f});
  float mean = 0.0f;
  float sd = 0.0f;
  CalcVoltStats(ch.buffer, mean, sd);
  const double sum = 0.0 + static_cast<double>(0.2f);
  const float stored = static_cast<float>(sum / 2.0);
  EXPECT_EQ(mean, stored);
  const double d0 = 0.0 - stored, d1 = static_cast<double>(0.2f) - stored;
  EXPECT_EQ(sd, static_cast<float>(std::sqrt((d0 * d0 + d1 * d1) / 2.0)));
}

TEST(VoltStats, BufferWithoutSamplesKeepsPreviousValues) {
  Channel ch;
  ch.buffer.Count = 0;
  float mean = 1.25f;
  float sd = 2.5f;
  CalcVoltStats(ch.buffer, mean, sd);
  EXPECT_EQ(mean, 1.25f);
  EXPECT_EQ(sd, 2.5f);
}

}  // namespace
}  // namespace velqoris
