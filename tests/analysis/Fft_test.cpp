// The FFT against a direct DFT, for lengths on both of its paths.
#include "analysis/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using Cpx = std::complex<double>;

std::vector<Cpx> Dft(const std::vector<Cpx>& x) {
  const std::size_t n = x.size();
  std::vector<Cpx> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    Cpx sum = 0.0;
    for (std::size_t j = 0; j < n; ++j) {
      const double angle = -2.0 * std::numbers::pi * static_cast<double>((j * k) % n) / n;
      sum += x[j] * Cpx(std::cos(angle), std::sin(angle));
    }
    out[k] = sum;
  }
  return out;
}

TEST(Fft, MatchesTheDirectTransformForAnyLength) {
  Synthetic synth;
  // 1 and small lengths; powers of two; the run counts; primes and a large
  // prime factor (Bluestein); a stopped run's odd count.
  for (int n : {1, 2, 3, 7, 64, 100, 1000, 997, 1009, 2 * 1013, 1234}) {
    std::vector<Cpx> x(static_cast<std::size_t>(n));
    for (Cpx& v : x) v = Cpx(synth.Gaussian(), synth.Gaussian());
    const analysis::Fft fft(n);
    std::vector<Cpx> got(x.size());
    fft.Forward(x.data(), got.data());
    const auto want = Dft(x);
    double worst = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k) worst = std::max(worst, std::abs(got[k] - want[k]));
    EXPECT_LT(worst, 1e-9 * n) << "n = " << n << (fft.UsesBluestein() ? " (Bluestein)" : "");
  }
}

TEST(Fft, RealInputMatchesTheDirectTransformUpToHalfTheLength) {
  Synthetic synth;
  for (int n : {2, 4, 6, 64, 100, 1000, 2 * 1013, 4096}) {
    std::vector<double> x(static_cast<std::size_t>(n));
    std::vector<Cpx> complex(x.size());
    for (std::size_t j = 0; j < x.size(); ++j) complex[j] = x[j] = synth.Gaussian();
    const analysis::RealFft fft(n);
    std::vector<Cpx> got(x.size() / 2 + 1);
    fft.Forward(x.data(), got.data());
    const auto want = Dft(complex);
    double worst = 0.0;
    for (std::size_t k = 0; k < got.size(); ++k)
      worst = std::max(worst, std::abs(got[k] - want[k]));
    EXPECT_LT(worst, 1e-9 * n) << "n = " << n;
  }
}

TEST(Fft, LargePrimesGoThroughBluestein) {
  EXPECT_TRUE(analysis::Fft(10099).UsesBluestein());  // prime
  EXPECT_TRUE(analysis::Fft(9973).UsesBluestein());   // prime
  EXPECT_FALSE(analysis::Fft(10000).UsesBluestein());
  EXPECT_FALSE(analysis::Fft(5000).UsesBluestein());
  EXPECT_FALSE(analysis::Fft(1).UsesBluestein());
}

}  // namespace
}  // namespace velqoris::testing
