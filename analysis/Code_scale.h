// The settings as the analysis reads them, and the full scale of a sine.
// Gains come from the settings' gain index, so an index outside its list
// gives no gain and nothing is divided by a bad value.
#pragma once

#include <cstdint>
#include <optional>

#include "records/Measure_settings.h"
#include "units/Microvolts.h"

namespace velqoris::analysis {

// A sine spanning the whole input range (±2.5 V / gain) has this amplitude in codes.
inline constexpr double kFullScaleAmplitudeCodes = kFullScaleCodes;

// The gain the data was taken at, when its index names one.
constexpr std::optional<int> GainOfSettings(const MeasureSettings& s) { return GainOf(s.GainSel); }

// The data rate in samples per second, when its index names one.
constexpr std::optional<double> RateOfSettings(const MeasureSettings& s) {
  const auto rate = DataRate(s.spsSel);
  if (!rate) return std::nullopt;
  return static_cast<double>(*rate);
}

}  // namespace velqoris::analysis
