#include "graph/Cursor_readout.h"

#include <algorithm>
#include <cmath>

#include "graph/Axis_scale.h"
#include "graph/Number_pattern.h"
#include "graph/Sample_axis.h"

namespace velqoris {

std::optional<CursorReading> ReadCursor(const SampleBuffer& ch0, const SampleBuffer& ch1,
                                        const MeasureSettings& settings, double position) {
  const int held = std::max(HeldSamples(ch0), HeldSamples(ch1));
  if (held == 0 || !(position > -0.5) || position >= held - 0.5) return std::nullopt;
  const auto index = static_cast<int>(std::lround(position));
  CursorReading r;
  r.sample = index + 1;
  r.rate = SamplesPerSecond(settings);
  r.seconds = index / r.rate;
  const SampleBuffer* buffers[2] = {&ch0, &ch1};
  for (int ch = 0; ch < 2; ++ch) {
    const SampleBuffer& b = *buffers[ch];
    if (index >= HeldSamples(b)) continue;
    r.held[ch] = true;
    r.code[ch] = b.Codes[index];
    r.microvolts[ch] = b.Microvolts != nullptr ? b.Microvolts[index] : 0.0f;
  }
  return r;
}

std::string CursorText(const CursorReading& reading, bool voltMode) {
  std::string text = "No." + std::to_string(reading.sample) + "  " +
                     SecondsText(reading.seconds, reading.rate) + "s";
  for (int ch = 0; ch < 2; ++ch) {
    if (!reading.held[ch]) continue;
    text += "  CH" + std::to_string(ch) + ": ";
    // Four decimals show a code step even at gain 128 (0.0023 µV).
    text +=
        voltMode ? FormatFixed(reading.microvolts[ch], 4) + "uV" : std::to_string(reading.code[ch]);
  }
  return text;
}

std::string CursorDeltaText(const CursorReading& a, const CursorReading& b, bool voltMode) {
  const std::int64_t samples = b.sample - a.sample;
  const double seconds = static_cast<double>(samples) / a.rate;
  std::string text = "Δ " + std::to_string(samples) + " 点  Δt " + SecondsText(seconds, a.rate) +
                     "s  1/Δt " +
                     (samples != 0 ? FormatFixed(1.0 / seconds, 4) + "Hz" : std::string("—"));
  for (int ch = 0; ch < 2; ++ch) {
    if (!a.held[ch] || !b.held[ch]) continue;
    text += "  ΔCH" + std::to_string(ch) + ": ";
    // The difference of the two values as the cursors show them.
    text += voltMode
                ? FormatFixed(static_cast<double>(b.microvolts[ch]) - a.microvolts[ch], 4) + "uV"
                : std::to_string(static_cast<std::int64_t>(b.code[ch]) - a.code[ch]);
  }
  return text;
}

}  // namespace velqoris
