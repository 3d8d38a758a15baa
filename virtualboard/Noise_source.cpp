#include "virtualboard/Noise_source.h"

#include <cmath>

namespace velqoris {

namespace {

std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

NoiseSource::NoiseSource(std::uint64_t seed) { Reseed(seed); }

void NoiseSource::Reseed(std::uint64_t seed) {
  for (auto& word : s_) word = SplitMix(seed);
  hasSpare_ = false;
}

// xoshiro256**: fast, and good enough for noise.
std::uint64_t NoiseSource::Next() {
  const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

double NoiseSource::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

// Marsaglia's polar method: two normals per accepted pair, no trigonometry.
double NoiseSource::Gaussian() {
  if (hasSpare_) {
    hasSpare_ = false;
    return spare_;
  }
  double u = 0.0;
  double v = 0.0;
  double s = 0.0;
  do {
    u = 2.0 * Uniform() - 1.0;
    v = 2.0 * Uniform() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  const double factor = std::sqrt(-2.0 * std::log(s) / s);
  spare_ = v * factor;
  hasSpare_ = true;
  return u * factor;
}

}  // namespace velqoris
