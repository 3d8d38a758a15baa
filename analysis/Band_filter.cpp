#include "analysis/Band_filter.h"

#include <cmath>
#include <numbers>

namespace velqoris::analysis {

namespace {

// One section of the bilinear transform, pre-warped at f0 (quality q).
// 1 − cos w0 is written as 2 sin²(w0 / 2): at 0.1 Hz and 4800 sps the cosine
// alone would lose half the digits.
struct Section {
  double b0, b1, b2, a1, a2;
};

Section LowPass(double f0, double rate, double q) {
  const double w0 = 2.0 * std::numbers::pi * f0 / rate;
  const double oneMinusCos = 2.0 * std::pow(std::sin(w0 / 2.0), 2);
  const double alpha = std::sin(w0) / (2.0 * q);
  const double a0 = 1.0 + alpha;
  return {oneMinusCos / 2.0 / a0, oneMinusCos / a0, oneMinusCos / 2.0 / a0,
          -2.0 * (1.0 - oneMinusCos) / a0, (1.0 - alpha) / a0};
}

Section HighPass(double f0, double rate, double q) {
  const double w0 = 2.0 * std::numbers::pi * f0 / rate;
  const double onePlusCos = 2.0 - 2.0 * std::pow(std::sin(w0 / 2.0), 2);
  const double alpha = std::sin(w0) / (2.0 * q);
  const double a0 = 1.0 + alpha;
  return {onePlusCos / 2.0 / a0, -onePlusCos / a0, onePlusCos / 2.0 / a0,
          -2.0 * (onePlusCos - 1.0) / a0, (1.0 - alpha) / a0};
}

}  // namespace

BandFilter::BandFilter(double rateSps) {
  // Butterworth: 4th order as two sections of Q 1/(2 cos π/8) and 1/(2 cos 3π/8).
  const Section sections[3] = {
      HighPass(kLowHz, rateSps, std::numbers::sqrt2 / 2.0),
      LowPass(kHighHz, rateSps, 1.0 / (2.0 * std::cos(std::numbers::pi / 8.0))),
      LowPass(kHighHz, rateSps, 1.0 / (2.0 * std::cos(3.0 * std::numbers::pi / 8.0)))};
  for (std::size_t i = 0; i < stages_.size(); ++i) {
    const Section& s = sections[i];
    stages_[i] = Biquad{s.b0, s.b1, s.b2, s.a1, s.a2};
  }
}

void BandFilter::Reset() {
  for (Biquad& b : stages_) b.s1 = b.s2 = 0.0;
}

}  // namespace velqoris::analysis
