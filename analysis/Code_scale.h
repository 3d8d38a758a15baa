// The program's code-to-microvolt conversion and the converter's full scale,
// for the analysis. Gains come from the settings' gain index, so an index
// outside its list gives no gain and nothing is divided by a bad value.
#pragma once

#include <cstdint>
#include <optional>

#include "records/Measure_settings.h"

namespace velqoris::analysis {

// Codes per 2.5 V at gain 1: the divisor of the program's conversion.
inline constexpr double kCodeSpan = 8388607.0;
inline constexpr double kReferenceMicrovolts = 2500000.0;
// A sine spanning the whole input range (±2.5 V / gain) has this amplitude in codes.
inline constexpr double kFullScaleAmplitudeCodes = kCodeSpan;
// The converter's resolution: 2^24 codes.
inline constexpr double kCodeRange = 16777216.0;

// Signed distance from mid-scale, exact in double for any int32 code.
constexpr double CodeOffset(std::int32_t code) {
  return static_cast<double>(code) - static_cast<double>(kMidScaleCode);
}

// Microvolts per code at a gain: (code − 8388608) × 2500000 / 8388607 / gain.
constexpr double MicrovoltsPerCode(int gain) { return kReferenceMicrovolts / kCodeSpan / gain; }

// The gain the data was taken at, when its index names one.
constexpr std::optional<int> GainOfSettings(const MeasureSettings& s) { return GainOf(s.GainSel); }

// The data rate in samples per second, when its index names one.
constexpr std::optional<double> RateOfSettings(const MeasureSettings& s) {
  const auto rate = DataRate(s.spsSel);
  if (!rate) return std::nullopt;
  return static_cast<double>(*rate);
}

}  // namespace velqoris::analysis
