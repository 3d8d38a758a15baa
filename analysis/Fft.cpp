#include "analysis/Fft.h"

#include "analysis/Split_fft.h"

#include <kissfft/kissfft.hh>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>

namespace velqoris::analysis {

namespace {

using Cpx = std::complex<double>;

// Rough operation counts: the mixed-radix transform does about n × p work per
// radix-p stage; Bluestein does three transforms of a 5-smooth m ≥ 2n − 1.
double DirectCost(std::int64_t n) {
  double cost = 0.0;
  std::int64_t rest = n;
  for (std::int64_t p : {4, 2}) {
    while (rest % p == 0) {
      cost += static_cast<double>(n) * p;
      rest /= p;
    }
  }
  for (std::int64_t p = 3; p * p <= rest; p += 2) {
    while (rest % p == 0) {
      cost += static_cast<double>(n) * p;
      rest /= p;
    }
  }
  if (rest > 1) cost += static_cast<double>(n) * rest;
  return cost;
}

bool FiveSmooth(std::int64_t m) {
  for (std::int64_t p : {2, 3, 5}) {
    while (m % p == 0) m /= p;
  }
  return m == 1;
}

// The shortest length with only the factors 2, 3 and 5 that holds the linear
// convolution: KissFFT has fast butterflies for exactly those.
std::int64_t BluesteinLength(std::int64_t n) {
  std::int64_t m = std::max<std::int64_t>(2 * n - 1, 1);
  while (!FiveSmooth(m)) ++m;
  return m;
}

double BluesteinCost(std::int64_t n) {
  const std::int64_t m = BluesteinLength(n);
  return 3.0 * DirectCost(m) + 4.0 * static_cast<double>(m);
}

}  // namespace

struct Fft::Plan {
  std::optional<kissfft<double>> direct;
  // Bluestein: chirp[j] = e^(−iπ j²/n), kernel = transform of the conjugate chirp, wrapped.
  std::optional<kissfft<double>> forward;
  std::optional<kissfft<double>> inverse;
  std::vector<Cpx> chirp;
  std::vector<Cpx> kernel;
  // Scratch of the convolution, kept so a transform allocates nothing.
  std::vector<Cpx> padded;
  std::vector<Cpx> product;
};

Fft::Fft(int n) : n_(std::max(n, 1)), plan_(std::make_unique<Plan>()) {
  const std::int64_t len = n_;
  if (DirectCost(len) <= BluesteinCost(len)) {
    plan_->direct.emplace(static_cast<std::size_t>(len), false);
    return;
  }
  const std::int64_t m = BluesteinLength(len);
  plan_->forward.emplace(static_cast<std::size_t>(m), false);
  plan_->inverse.emplace(static_cast<std::size_t>(m), true);
  plan_->chirp.resize(static_cast<std::size_t>(len));
  for (std::int64_t j = 0; j < len; ++j) {
    // j² mod 2n keeps the angle small and exact.
    const std::int64_t q = (j * j) % (2 * len);
    const double angle = std::numbers::pi * static_cast<double>(q) / static_cast<double>(len);
    plan_->chirp[static_cast<std::size_t>(j)] = Cpx(std::cos(angle), -std::sin(angle));
  }
  std::vector<Cpx> b(static_cast<std::size_t>(m), Cpx(0.0, 0.0));
  b[0] = std::conj(plan_->chirp[0]);
  for (std::int64_t j = 1; j < len; ++j) {
    const Cpx c = std::conj(plan_->chirp[static_cast<std::size_t>(j)]);
    b[static_cast<std::size_t>(j)] = c;
    b[static_cast<std::size_t>(m - j)] = c;
  }
  plan_->kernel.resize(static_cast<std::size_t>(m));
  plan_->forward->transform(b.data(), plan_->kernel.data());
  const double scale = 1.0 / static_cast<double>(m);
  for (Cpx& k : plan_->kernel) k *= scale;
  plan_->padded.resize(static_cast<std::size_t>(m));
  plan_->product.resize(static_cast<std::size_t>(m));
}

Fft::~Fft() = default;

bool Fft::UsesBluestein() const { return !plan_->direct.has_value(); }

void Fft::Forward(const Cpx* in, Cpx* out) const {
  if (plan_->direct) {
    plan_->direct->transform(in, out);
    return;
  }
  const std::size_t n = static_cast<std::size_t>(n_);
  const std::size_t m = plan_->kernel.size();
  std::vector<Cpx>& a = plan_->padded;
  std::vector<Cpx>& spectrum = plan_->product;
  for (std::size_t j = 0; j < n; ++j) a[j] = in[j] * plan_->chirp[j];
  std::fill(a.begin() + static_cast<std::ptrdiff_t>(n), a.end(), Cpx(0.0, 0.0));
  plan_->forward->transform(a.data(), spectrum.data());
  for (std::size_t k = 0; k < m; ++k) spectrum[k] *= plan_->kernel[k];
  plan_->inverse->transform(spectrum.data(), a.data());
  for (std::size_t k = 0; k < n; ++k) out[k] = a[k] * plan_->chirp[k];
}

struct RealFft::Plan {
  explicit Plan(int n) {
    if (SplitFft::Usable(n / 2)) {
      split.emplace(n);
    } else {
      kiss.emplace(static_cast<std::size_t>(n / 2), false);
    }
  }
  std::optional<kissfft<double>> kiss;
  std::optional<SplitRealFft> split;
};

RealFft::RealFft(int n) : n_(std::max(2, n - n % 2)), plan_(std::make_unique<Plan>(n_)) {}

RealFft::~RealFft() = default;

void RealFft::Forward(const double* in, Cpx* out) const {
  if (plan_->split) {
    plan_->split->Forward(in, out);
    return;
  }
  plan_->kiss->transform_real(in, out);
  // Bin 0 comes back holding both real ends: the sum and the alternating sum.
  const std::size_t half = static_cast<std::size_t>(n_ / 2);
  out[half] = Cpx(out[0].imag(), 0.0);
  out[0] = Cpx(out[0].real(), 0.0);
}

}  // namespace velqoris::analysis
