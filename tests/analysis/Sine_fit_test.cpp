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

// Noise-free tones near DC, near half the rate, on odd and short records:
// the fit lands on the tone itself from a third of a bin away.
TEST(SineFit, FindsNoiseFreeTonesAcrossTheBand) {
  struct Case {
    int n;
    double bins;
  };
  for (const Case c : {Case{10000, 1.7}, Case{10001, 4999.2}, Case{999, 123.456}, Case{64, 5.3}}) {
    SCOPED_TRACE(c.n);
    const auto y = Sine(c.n, c.bins, 1000.0, 1.1, -7.0, 0.0);
    const auto fit = analysis::FitSine(y.data(), c.n, (c.bins + 0.3) / c.n);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->cycles * c.n, c.bins, 1e-8);
    EXPECT_NEAR(std::hypot(fit->cosine, fit->sine), 1000.0, 1e-6);
    EXPECT_NEAR(fit->offset, -7.0, 1e-6);
  }
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

// A step on the record less some lines, their sums taken in closed form,
// against the same step on the difference formed sample by sample. The lines
// lie a bin away, far off, on half the rate, a hair from the fit's own
// frequency and from its image (the closed form's series near a whole turn).
TEST(SineFit, StepLessLinesMatchesTheStepOnTheDifference) {
  struct Case {
    int n;
    double bins;  // the fit's frequency
    std::vector<double> lessBins;
  };
  const std::vector<Case> cases{
      {10000, 2083.33, {2084.33, 17.0, 4999.0, 3500.25}},
      {10000, 1527.29, {1527.2901, 5000.0}},
      {1001, 499.9, {500.4, 499.9002}},
      {4096, 3.7, {2.5, 2048.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bins);
    auto y = Sine(c.n, c.bins + 0.02, 1.0e5, 0.3, 4.0, 2.0);
    analysis::LinesFit less;
    double phase = 0.4;
    for (double b : c.lessBins) {
      less.lines.push_back({b / c.n, 3.0e4 * std::cos(phase), 2.0e4 * std::sin(phase), 2});
      phase += 1.1;
    }
    std::vector<double> difference = y;
    analysis::SubtractLines(difference.data(), c.n, less);
    const auto start = analysis::FitSineAt(difference.data(), c.n, c.bins / c.n);
    ASSERT_TRUE(start);
    const auto closed = analysis::SineStep(y.data(), c.n, *start, less.lines);
    const auto formed = analysis::SineStep(difference.data(), c.n, *start, {});
    ASSERT_TRUE(closed && formed);
    EXPECT_NEAR(closed->cycles * c.n, formed->cycles * c.n, 1e-9);
    EXPECT_NEAR(closed->cosine, formed->cosine, 1e-6 * 1.0e5);
    EXPECT_NEAR(closed->sine, formed->sine, 1e-6 * 1.0e5);
    EXPECT_NEAR(closed->offset, formed->offset, 1e-6 * 1.0e5);
  }
}

}  // namespace
}  // namespace velqoris::testing
