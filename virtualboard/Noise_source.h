// A seeded source of Gaussian numbers. Its own generator (not the standard
// library's distributions) so a seed gives the same run with any compiler.
#pragma once

#include <cstdint>

namespace velqoris {

class NoiseSource {
 public:
  explicit NoiseSource(std::uint64_t seed = 1);
  void Reseed(std::uint64_t seed);
  // Uniform in [0, 1).
  double Uniform();
  // Standard normal: mean 0, standard deviation 1.
  double Gaussian();

 private:
  std::uint64_t Next();
  std::uint64_t s_[4];
  double spare_ = 0.0;
  bool hasSpare_ = false;
};

}  // namespace velqoris
