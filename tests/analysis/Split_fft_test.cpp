// The split-array transform against the transform's definition summed
// directly in long double, and against a tone whose transform theory gives.
#include "analysis/Split_fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/Fft.h"
#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using Wide = std::complex<long double>;

// The definition: X[k] = Σ x[j] e^(−2πi jk/n), the turns e^(−2πi m/n) each
// computed once in long double.
class Direct {
 public:
  explicit Direct(std::size_t n) : turns_(n) {
    for (std::size_t m = 0; m < n; ++m) {
      const long double angle = -2.0L * std::numbers::pi_v<long double> * m / n;
      turns_[m] = Wide(std::cos(angle), std::sin(angle));
    }
  }
  Wide Bin(const std::vector<double>& re, const std::vector<double>& im, std::size_t k) const {
    const std::size_t n = turns_.size();
    Wide sum = 0.0L;
    for (std::size_t j = 0; j < n; ++j) sum += Wide(re[j], im[j]) * turns_[(j * k) % n];
    return sum;
  }

 private:
  std::vector<Wide> turns_;
};

// A transform's error grows about as log n; 1e-15 √n log2 n of a unit
// Gaussian input is far below what a wrong twiddle or index would leave.
double Bound(std::size_t n) {
  return 1e-15 * std::sqrt(static_cast<double>(n)) * std::log2(static_cast<double>(n)) * 4.0;
}

TEST(SplitFft, EveryPowerOfTwoMatchesTheDefinition) {
  if (!analysis::SplitFft::Usable(16)) GTEST_SKIP() << "no AVX2 and FMA here";
  Synthetic s(31);
  for (int n = 16; n <= 4096; n *= 2) {
    std::vector<double> re(static_cast<std::size_t>(n)), im(re.size());
    for (std::size_t j = 0; j < re.size(); ++j) {
      re[j] = s.Gaussian();
      im[j] = s.Gaussian();
    }
    const std::vector<double> keptRe = re, keptIm = im;
    std::vector<double> outRe(re.size()), outIm(re.size());
    analysis::SplitFft(n).Forward(re.data(), im.data(), outRe.data(), outIm.data());
    EXPECT_EQ(re, keptRe) << "n = " << n;
    EXPECT_EQ(im, keptIm) << "n = " << n;
    const Direct direct(re.size());
    double worst = 0.0;
    for (std::size_t k = 0; k < re.size(); ++k) {
      const Wide want = direct.Bin(re, im, k);
      worst = std::max(worst, static_cast<double>(std::abs(Wide(outRe[k], outIm[k]) - want)));
    }
    EXPECT_LT(worst, Bound(re.size())) << "n = " << n;
  }
}

TEST(SplitFft, TwoPowerOfTwoLengthsAreUsableOthersNot) {
  if (!analysis::SplitFft::Usable(16)) GTEST_SKIP() << "no AVX2 and FMA here";
  for (int n : {16, 32, 65536}) EXPECT_TRUE(analysis::SplitFft::Usable(n)) << n;
  for (int n : {0, 1, 2, 4, 8, 24, 1000, 65535}) EXPECT_FALSE(analysis::SplitFft::Usable(n)) << n;
}

// The real transform as the averaged spectrum runs it (131072 values): a
// cosine of amplitude A on bin k0 gives A·n/2 there and nothing elsewhere;
// random values agree with the definition on bins spread over the range,
// both real ends included.
TEST(SplitRealFft, TheSpectrumsLengthGivesTheTheoreticalTone) {
  const int n = 1 << 17;
  if (!analysis::SplitFft::Usable(n / 2)) GTEST_SKIP() << "no AVX2 and FMA here";
  const analysis::RealFft fft(n);
  std::vector<std::complex<double>> out(static_cast<std::size_t>(n / 2 + 1));
  const int k0 = 12345;
  const double amplitude = 3.0;
  std::vector<double> x(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) {
    x[static_cast<std::size_t>(j)] =
        amplitude *
        std::cos(2.0 * std::numbers::pi * static_cast<double>((std::int64_t{k0} * j) % n) / n);
  }
  fft.Forward(x.data(), out.data());
  for (std::size_t k = 0; k < out.size(); ++k) {
    const double want = k == static_cast<std::size_t>(k0) ? amplitude * n / 2.0 : 0.0;
    ASSERT_NEAR(out[k].real(), want, 1e-9) << "bin " << k;
    ASSERT_NEAR(out[k].imag(), 0.0, 1e-9) << "bin " << k;
  }
  Synthetic s(37);
  for (double& v : x) v = s.Gaussian();
  fft.Forward(x.data(), out.data());
  const std::vector<double> zeros(x.size(), 0.0);
  const Direct direct(x.size());
  for (std::size_t k :
       {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{4097}, std::size_t{32768},
        std::size_t{65533}, std::size_t{65535}, std::size_t{65536}}) {
    const Wide want = direct.Bin(x, zeros, k);
    EXPECT_LT(std::abs(Wide(out[k]) - want), Bound(x.size())) << "bin " << k;
  }
}

}  // namespace
}  // namespace velqoris::testing
