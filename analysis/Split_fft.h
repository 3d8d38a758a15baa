// A forward complex transform of a power-of-two length on split arrays (the
// real parts and the imaginary parts apart), for processors with AVX2 and
// FMA: radix-4 passes in Stockham's order (each pass reads one pair of
// arrays and writes the other, so the result comes out in natural order
// without a bit-reversal pass), and one radix-2 pass last when the length is
// an odd power of two. Four values a step. A long log's averaged spectrum is
// hundreds of these of 65536 points; where it cannot run, Fft/RealFft use
// KissFFT.
#pragma once

#include <complex>
#include <optional>
#include <vector>

namespace velqoris::analysis {

class SplitFft {
 public:
  // A power of two of at least 16, on a processor with AVX2 and FMA.
  static bool Usable(int n);

  explicit SplitFft(int n);  // Usable(n)
  int Size() const { return n_; }
  // out[k] = Σ in[j] e^(−2πi jk/n). The input is left as it was; out may
  // not overlap it. Uses scratch held by the object: one thread at a time.
  void Forward(const double* inRe, const double* inIm, double* outRe, double* outIm) const;

 private:
  struct Pass {
    int n;  // the length of each of the pass's sub-transforms
    int s;  // how many of them (the stride)
    // e^(−2πi kp/n) for k = 1, 2, 3 and p < n/4: re and im of each, apart.
    std::vector<double> twiddles;
  };
  int n_;
  std::vector<Pass> passes_;
  bool radix2Last_ = false;
  mutable std::vector<double> scratch_;  // two pairs of arrays
};

// A real transform of n values (n/2 Usable) through SplitFft of the n/2
// values z[j] = x[2j] + i x[2j+1]: X[k] = E[k] + e^(−2πik/n) O[k], with E and
// O the transforms of the even and the odd values,
// E[k] = (Z[k] + Z*[n/2 − k]) / 2 and O[k] = (Z[k] − Z*[n/2 − k]) / 2i.
class SplitRealFft {
 public:
  explicit SplitRealFft(int n);  // SplitFft::Usable(n / 2)
  // out[k] = Σ in[j] e^(−2πi jk/n) for k = 0 … n/2. One thread at a time.
  void Forward(const double* in, std::complex<double>* out) const;

 private:
  SplitFft half_;
  std::vector<double> turns_;         // e^(−2πik/n) for k < n/2: re, then im
  mutable std::vector<double> work_;  // z's real and imaginary parts, then Z's
};

}  // namespace velqoris::analysis
