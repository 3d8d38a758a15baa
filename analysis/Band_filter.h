// The 0.1–10 Hz band of the data sheets' low-frequency noise: a 2nd-order
// Butterworth high-pass at 0.1 Hz and a 4th-order Butterworth low-pass at
// 10 Hz, bilinear transform with the corners pre-warped, run forward in time
// as a bench filter before an oscilloscope would.
#pragma once

#include <array>

namespace velqoris::analysis {

class BandFilter {
 public:
  static constexpr double kLowHz = 0.1;
  static constexpr double kHighHz = 10.0;

  // The band needs the low-pass corner below the Nyquist frequency.
  static bool Possible(double rateSps) { return rateSps > 2.0 * kHighHz * 1.25; }

  explicit BandFilter(double rateSps);
  void Reset();
  double Step(double x) {
    for (Biquad& b : stages_) x = b.Step(x);
    return x;
  }

 private:
  struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double s1 = 0.0, s2 = 0.0;
    // Transposed direct form II.
    double Step(double x) {
      const double y = b0 * x + s1;
      s1 = b1 * x - a1 * y + s2;
      s2 = b2 * x - a2 * y;
      return y;
    }
  };
  std::array<Biquad, 3> stages_;
};

}  // namespace velqoris::analysis
