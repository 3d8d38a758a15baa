// The conversion against codes worked out by hand: µV = (code − 2^23) ×
// 2.5e6 / (2^23 − 1) / gain, so mid-scale is 0, the top code +2.5 V / gain
// exactly and code 0 one step beyond −2.5 V / gain.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "units/Microvolts.h"

namespace velqoris {
namespace {

struct ExactCode {
  std::int32_t code;
  double microvoltsAtGainOne;  // from the formula with exact fractions
};

// 2500000 / 8388607 = 0.298023259...; 2500000 × 8388608 / 8388607 = 2500000.298023259...
constexpr double kStep = 0.29802325940409413;
const ExactCode kCodes[] = {
    {8388608, 0.0},
    {16777215, 2500000.0},
    {0, -2500000.2980232593},
    {8388609, kStep},
    {8388607, -kStep},
    {8388608 + 1000, 1000 * kStep},
    {8388608 - 4194304, -1250000.1490116296},
};

TEST(Microvolts, ExactCodesAtEveryGain) {
  for (const int gain : {1, 8, 16, 32, 64, 128}) {
    for (const ExactCode& c : kCodes) {
      const double expected = c.microvoltsAtGainOne / gain;
      // float32 as the graph and the files keep it: within half a float step.
      EXPECT_FLOAT_EQ(CodeToMicrovolts(c.code, gain), static_cast<float>(expected))
          << c.code << " gain " << gain;
      EXPECT_NEAR(MicrovoltsAt(c.code, MicrovoltsPerCode(gain)), expected,
                  1e-12 * (1.0 + std::abs(expected)))
          << c.code << " gain " << gain;
    }
  }
  EXPECT_EQ(CodeToMicrovolts(8388608, 128), 0.0f);
  EXPECT_EQ(CodeToMicrovolts(16777215, 1), 2500000.0f);
}

TEST(Microvolts, AGainNeverDerivedCountsAsOneAndFarCodesStayFinite) {
  for (const std::int32_t gain : {0, -8}) {
    EXPECT_EQ(CodeToMicrovolts(16777215, gain), 2500000.0f);
  }
  // INT32_MIN − 2^23 does not fit 32 bits; the conversion works in double.
  EXPECT_FLOAT_EQ(CodeToMicrovolts(std::numeric_limits<std::int32_t>::min(), 1),
                  static_cast<float>((-2147483648.0 - 8388608.0) * 2500000.0 / 8388607.0));
}

TEST(Microvolts, CodeAtIsTheInverse) {
  for (const int gain : {1, 8, 16, 32, 64, 128}) {
    const double perCode = MicrovoltsPerCode(gain);
    for (const double code : {0.0, 8388608.0, 8388608.5, 12345678.25, 16777215.0}) {
      EXPECT_NEAR(CodeAt(MicrovoltsAt(code, perCode), perCode), code, 1e-7) << gain;
    }
    EXPECT_DOUBLE_EQ(CodeAt(2500000.0 / gain, perCode), 16777215.0);
  }
}

}  // namespace
}  // namespace velqoris
