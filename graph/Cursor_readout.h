// What the cursor line over the main graph reads: the sample nearest the
// pointer, its time from the data rate, and each held channel's value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "records/Measure_settings.h"

namespace velqoris {

struct CursorReading {
  std::int64_t sample = 0;  // one-based, as the X labels count
  double seconds = 0;
  double rate = 1;
  bool held[2] = {false, false};
  std::int32_t code[2] = {0, 0};
  float microvolts[2] = {0, 0};
};

// The sample nearest a (zero-based) sample position; nothing outside the held samples.
std::optional<CursorReading> ReadCursor(const SampleBuffer& ch0, const SampleBuffer& ch1,
                                        const MeasureSettings& settings, double position);

// The label's text: sample number, seconds, and each channel in codes or µV.
std::string CursorText(const CursorReading& reading, bool voltMode);

// From cursor A to cursor B: Δ samples, Δt, 1/Δt (Hz) and each channel both
// cursors read, B − A in codes or µV.
std::string CursorDeltaText(const CursorReading& a, const CursorReading& b, bool voltMode);

}  // namespace velqoris
