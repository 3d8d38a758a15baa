// Drift and 1/f noise of the virtual board, measured by the stability
// analysis on a record taken from the signal model at the board's pace.
#include "virtualboard/Slow_noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "analysis/Stability_analysis.h"
#include "virtualboard/Signal_model.h"
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
