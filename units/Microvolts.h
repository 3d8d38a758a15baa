// Conversion codes and microvolts: the converter's constants and the one
// conversion every folder that shows, writes or scales µV goes through.
#pragma once

#include <cstdint>

#include "records/Measure_settings.h"

namespace velqoris {

// The 2.5 V reference, in µV.
inline constexpr double kReferenceMicrovolts = 2500000.0;
// Codes from mid-scale to the reference at gain 1: 2^23 − 1, not 2^23.
inline constexpr double kFullScaleCodes = 8388607.0;
// The converter's resolution: 2^24 codes.
inline constexpr double kCodeRange = 16777216.0;

// Signed distance from mid-scale, exact in double for any int32 code
// (INT32_MIN − 8388608 does not fit 32 bits).
constexpr double CodeOffset(std::int32_t code) {
  return static_cast<double>(code) - static_cast<double>(kMidScaleCode);
}

// Microvolts of one code as the graph, the statistics line and the files'
// µV columns show them: (code − 8388608) × 2500000 × (1 / 8388607) / gain,
// worked in double and kept as float32. A gain that was never derived (0, or
// garbage from a file) counts as 1 rather than dividing by zero.
constexpr float CodeToMicrovolts(std::int32_t code, std::int32_t gain) {
  const double divisor = gain >= 1 ? gain : 1;
  const double uv = CodeOffset(code) * kReferenceMicrovolts * (1.0 / kFullScaleCodes);
  return static_cast<float>(uv / divisor);
}

// Microvolts per code at a gain, for figures scaled from codes in double
// (noise, drift, spectra, means): 2500000 / 8388607 / gain.
constexpr double MicrovoltsPerCode(int gain) {
  return kReferenceMicrovolts / kFullScaleCodes / gain;
}

// A code, whole or not (a mean, a bin edge), in microvolts at a scale of
// MicrovoltsPerCode; CodeAt is its inverse.
constexpr double MicrovoltsAt(double code, double microvoltsPerCode) {
  return (code - static_cast<double>(kMidScaleCode)) * microvoltsPerCode;
}
constexpr double CodeAt(double microvolts, double microvoltsPerCode) {
  return microvolts / microvoltsPerCode + static_cast<double>(kMidScaleCode);
}

}  // namespace velqoris
