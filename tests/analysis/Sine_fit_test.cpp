// Time-domain sine fits on records whose tone is known exactly.
#include "analysis/Sine_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

std::vector<double> Sine(int n, double bins, double amplitude, double phase, double offset,
                         double sigma) {
  Synthetic synth(5);
  std::vector<double> y(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    y[static_cast<std::size_t>(i)] =
        offset + amplitude * std::sin(2.0 * std::numbers::pi * bins * i / n + phase) +
        sigma * synth.Gaussian();
  }
  return y;
}

TEST(SineFit, FindsAnOffBinToneFromHalfABinAwayAndLeavesOnlyTheNoise) {
  const int n = 10000;
  const double a = 4.0e6, sigma = 6.4;
  auto y = Sine(n, 2083.33, a, 0.7, 12.5, sigma);
  const auto fit = analysis::FitSine(y.data(), n, (2083.33 - 0.45) / n);
  ASSERT_TRUE(fit);
  EXPECT_NEAR(fit->cycles * n, 2083.33, 1e-6);
  EXPECT_NEAR(std::hypot(fit->cosine, fit->sine), a, 1.0);
  EXPECT_NEAR(fit->offset, 12.5, 0.5);
  analysis::SubtractLines(y.data(), n, {fit->offset, {{fit->cycles, fit->cosine, fit->sine, 2}}});
  double sum = 0.0;
  for (double v : y) sum += v * v;
  EXPECT_NEAR(std::sqrt(sum / n) / sigma, 1.0, 0.03) << "the residual is the noise";
}

TEST(SineFit, ThreeParameterFitAtAKnownFrequency) {
  const int n = 1000;
  auto y = Sine(n, 37.0, 100.0, 0.0, -3.0, 0.0);
  const auto fit = analysis::FitSineAt(y.data(), n, 37.0 / n);
  ASSERT_TRUE(fit);
  EXPECT_NEAR(std::hypot(fit->cosine, fit->sine), 100.0, 1e-9);
  EXPECT_NEAR(fit->offset, -3.0, 1e-9);
}

TEST(SineFit, NoToneOrTooFewSamplesGiveNoFit) {
  std::vector<double> zeros(100, 0.0);
  const auto flat = analysis::FitSine(zeros.data(), 100, 0.1);
  EXPECT_FALSE(flat) << "no tone: the frequency is undetermined";
  EXPECT_FALSE(analysis::FitSine(zeros.data(), 2, 0.1));
  EXPECT_FALSE(analysis::FitSineAt(nullptr, 100, 0.1));
}

}  // namespace
}  // namespace velqoris::testing
