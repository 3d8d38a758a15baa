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

}  // namespace velqoris
