// A forward complex FFT of any length, on the double-precision C++ template
// of KissFFT. Lengths whose prime factors make the mixed-radix transform slow
// (a large prime) go through Bluestein's algorithm on a length with only the
// factors 2, 3 and 5.
#pragma once

#include <complex>
#include <memory>
#include <vector>

namespace velqoris::analysis {

class Fft {
 public:
  explicit Fft(int n);  // n ≥ 1
  ~Fft();
  Fft(const Fft&) = delete;
  Fft& operator=(const Fft&) = delete;

  int Size() const { return n_; }
  bool UsesBluestein() const;
  // out[k] = Σ in[j] e^(−2πi jk/n); in and out hold n values and may not overlap.
  // Uses scratch held by the object: one object serves one thread at a time.
  void Forward(const std::complex<double>* in, std::complex<double>* out) const;

 private:
  struct Plan;
  int n_;
  std::unique_ptr<Plan> plan_;
};

// A forward transform of n real values (n even) through one complex transform
// of n/2 (KissFFT's real-input form): half the work of a complex transform of n.
class RealFft {
 public:
  explicit RealFft(int n);  // n even, ≥ 2
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  int Size() const { return n_; }
  // out[k] = Σ in[j] e^(−2πi jk/n) for k = 0 … n/2: out holds n/2 + 1 values.
  void Forward(const double* in, std::complex<double>* out) const;

 private:
  struct Plan;
  int n_;
  std::unique_ptr<Plan> plan_;
};

}  // namespace velqoris::analysis
