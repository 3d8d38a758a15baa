// Drift and 1/f noise of the virtual board, measured by the stability
// analysis on a record taken from the signal model at the board's pace.
#include "virtualboard/Slow_noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "analysis/Stability_analysis.h"
#include "tests/support/Corner_expectations.h"
#include "virtualboard/Signal_model.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Slow_noise_options.h"

namespace velqoris {
namespace {

constexpr int kGain = 128;
constexpr double kRate = 1000.0;

analysis::StabilityAnalysis Record(SignalModel& model, int n, double rmsVolts) {
  std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    codes[static_cast<std::size_t>(i)] = model.Sample(0, i / kRate, kGain, rmsVolts);
  return analysis::AnalyzeStability(codes.data(), n, kRate, kGain, {}, 0);
}

TEST(SlowNoise, DriftIsTheSetSlope) {
  SignalModel model;
  ApplySlowNoiseOption(model, std::get<DriftOption>(ParseDriftOption("0,-2000")));
  const auto a = Record(model, 200000, 100e-9);
  ASSERT_TRUE(a.drift);
  EXPECT_NEAR(*a.drift->microvoltsPerHour, -2000.0, 4.0 * *a.drift->stderrMicrovoltsPerHour);
}

TEST(SlowNoise, FlickerMeetsTheWhiteNoiseAtTheCorner) {
  for (double corner : {1.0, 5.0}) {
    SignalModel model;
    ApplySlowNoiseOption(model, FlickerOption{0, corner});
    const double rms = 100e-9;
    const auto a = Record(model, 1 << 19, rms);
    const double whiteNv = rms * 1e9 * std::sqrt(2.0 / kRate);
    ASSERT_TRUE(a.spectrum.whiteNvRtHz);
    EXPECT_NEAR(*a.spectrum.whiteNvRtHz, whiteNv, 0.05 * whiteNv);
    ASSERT_TRUE(a.spectrum.flickerCornerHz) << corner;
    EXPECT_NEAR(*a.spectrum.flickerCornerHz, corner, 0.25 * corner);
  }
}

struct CornerCase {
  const char* name;
  bool sine;      // CH1's own slow sine (0.05 Hz, 1.5 mV)
  double corner;  // --flicker 1,corner (0: none)
};

class ChannelOneCorner : public ::testing::TestWithParam<CornerCase> {};

// CH1 as the board gives it: its slow sine is a line, not 1/f noise; a set
// corner comes out within two of its stated standard errors. (The sine's
// leakage hides the bins below a few hertz: the corner beside it lies above.)
TEST_P(ChannelOneCorner, TheSlowSineIsNoCornerAndTheSetCornerIsFound) {
  const CornerCase& c = GetParam();
  SignalModel model;
  if (!c.sine) ApplySignalOption(model, std::get<SineOption>(ParseSineOption("1,off")));
  if (c.corner > 0.0) ApplySlowNoiseOption(model, FlickerOption{1, c.corner});
  const int n = 1 << 19;
  std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    codes[static_cast<std::size_t>(i)] = model.Sample(1, i / kRate, kGain, 1e-6);
  const auto a = analysis::AnalyzeStability(codes.data(), n, kRate, kGain, {}, 1);
  testing::ExpectCorner(a.spectrum, c.corner, 0.25, c.name);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChannelOneCorner,
                         ::testing::Values(CornerCase{"slow sine alone", true, 0.0},
                                           CornerCase{"flicker alone", false, 5.0},
                                           CornerCase{"both", true, 10.0}));

TEST(SlowNoiseOptions, RefusesWhatIsNoChannelOrNoNumber) {
  EXPECT_EQ(std::get<DriftOption>(ParseDriftOption("CH1,50")).channel, 1);
  EXPECT_EQ(std::get<FlickerOption>(ParseFlickerOption("0,2.5")).cornerHz, 2.5);
  for (const char* bad : {"", "0", "2,5", "0,x", "0,5,1", "0,2000000"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseDriftOption(bad))) << bad;
  }
  for (const char* bad : {"0,0", "0,-1", "0,5000", "1,nan"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseFlickerOption(bad))) << bad;
  }
}

}  // namespace
}  // namespace velqoris
