// The Allan deviation's 1σ error bars, tried by Monte Carlo: for white,
// flicker (1/f) and random-walk noise, 200 records each (fixed seeds), the
// share of intervals that hold the true deviation must be 68 ± 5 %. The true
// deviation comes from theory for white noise and the random walk, and for
// flicker noise from the mean variance of 400 other records (the estimator is
// unbiased), never from the code under test's intervals.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "analysis/Allan_deviation.h"
#include "analysis/Fft.h"
#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

constexpr int kLength = 4096;
constexpr double kRate = 100.0;
constexpr int kRuns = 200;

enum class Noise { kWhite, kFlicker, kRandomWalk };

// One record of the noise, in codes around mid-scale (large enough that
// rounding to whole codes does not matter).
std::vector<std::int32_t> Record(Noise noise, std::uint64_t seed) {
  Synthetic s(seed);
  std::vector<double> v(kLength);
  if (noise == Noise::kFlicker) {
    // Density ∝ 1/f, shaped in the frequency domain.
    std::vector<std::complex<double>> spectrum(kLength), out(kLength);
    for (int k = 1; k < kLength / 2; ++k) {
      const double a = 1.0 / std::sqrt(static_cast<double>(k));
      spectrum[static_cast<std::size_t>(k)] = {a * s.Gaussian(), a * s.Gaussian()};
      spectrum[static_cast<std::size_t>(kLength - k)] =
          std::conj(spectrum[static_cast<std::size_t>(k)]);
    }
    analysis::Fft(kLength).Forward(spectrum.data(), out.data());
    for (int i = 0; i < kLength; ++i)
      v[static_cast<std::size_t>(i)] = 300.0 * out[static_cast<std::size_t>(i)].real();
  } else {
    double walk = 0.0;
    for (double& x : v) {
      walk += 100.0 * s.Gaussian();
      x = noise == Noise::kWhite ? 1000.0 * s.Gaussian() : walk;
    }
  }
  std::vector<std::int32_t> codes(kLength);
  for (int i = 0; i < kLength; ++i)
    codes[static_cast<std::size_t>(i)] =
        static_cast<std::int32_t>(std::lround(8388608.0 + v[static_cast<std::size_t>(i)]));
  return codes;
}

analysis::AllanDeviation Allan(const std::vector<std::int32_t>& codes) {
  const analysis::SampleGrid grid(kLength, {}, kRate);
  return analysis::ComputeAllanDeviation(codes.data(), grid, kRate, std::nullopt);
}

// The true deviation at m: theory (rounding's 1/12 code² included), or the
// mean variance of other records.
std::vector<double> TrueDeviation(Noise noise, const std::vector<std::int64_t>& ms) {
  std::vector<double> truth;
  if (noise == Noise::kFlicker) {
    std::vector<double> sum(ms.size(), 0.0);
    const int others = 400;
    for (int r = 0; r < others; ++r) {
      const auto a = Allan(Record(noise, 100000 + r));
      for (std::size_t i = 0; i < ms.size(); ++i) sum[i] += a.points[i].codes * a.points[i].codes;
    }
    for (double s : sum) truth.push_back(std::sqrt(s / others));
    return truth;
  }
  for (std::int64_t m64 : ms) {
    const auto m = static_cast<double>(m64);
    const double rounding = 1.0 / 12.0 / m;
    truth.push_back(noise == Noise::kWhite ? std::sqrt(1e6 / m + rounding)
                                           : std::sqrt(1e4 * (2 * m * m + 1) / (6 * m) + rounding));
  }
  return truth;
}

class AllanErrorBars : public ::testing::TestWithParam<Noise> {};

TEST_P(AllanErrorBars, HoldTheTrueDeviationTwoTimesInThree) {
  const Noise noise = GetParam();
  std::vector<std::int64_t> ms;
  for (const auto& p : Allan(Record(noise, 1)).points) ms.push_back(p.m);
  const std::vector<double> truth = TrueDeviation(noise, ms);
  int inside = 0, total = 0;
  for (int r = 0; r < kRuns; ++r) {
    const auto a = Allan(Record(noise, 1000 + r));
    ASSERT_EQ(a.points.size(), ms.size());
    for (std::size_t i = 0; i < ms.size(); ++i) {
      const auto& p = a.points[i];
      ASSERT_LT(p.lowFraction, 1.0);
      ASSERT_GT(p.highFraction, 1.0);
      inside += p.codes * p.lowFraction <= truth[i] && truth[i] <= p.codes * p.highFraction;
      ++total;
    }
  }
  const double share = static_cast<double>(inside) / total;
  RecordProperty("coverage", std::to_string(share));
  EXPECT_NEAR(share, 0.6827, 0.05) << inside << " of " << total;
}

INSTANTIATE_TEST_SUITE_P(Noises, AllanErrorBars,
                         ::testing::Values(Noise::kWhite, Noise::kFlicker, Noise::kRandomWalk));

}  // namespace
}  // namespace velqoris::testing
