// A long record of conversion codes, as read from a log CSV or a data file:
// codes per channel, the rate, the gain when known, and the gaps between
// chained start commands. Plain data; the readers fill it, the analysis reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/Measure_settings.h"

namespace velqoris {

// Results missing before a sample: the log's start commands leave a gap.
struct LogGap {
  std::int64_t before = 0;  // index of the first sample after the gap
  double seconds = 0.0;     // time without results, beyond one sample period
};

struct LogRecord {
  // Codes per channel; an empty vector for a channel the file does not hold.
  // int32 keeps a one-hour two-channel log at 4800 sps near 140 MB.
  std::vector<std::int32_t> codes[2];
  double rateSps = 0.0;      // 0 when it could not be found
  std::optional<int> gain;   // from the settings lines or from code and µV
  std::vector<LogGap> gaps;  // in sample order
  // Settings lines of the log, when it has them (empty or absent otherwise).
  std::optional<bool> sinc4;
  std::optional<bool> chop;
  std::optional<bool> buffer;
  std::string boardName;
  std::string startTime;

  bool HasChannel(int channel) const {
    return channel >= 0 && channel < 2 && !codes[channel].empty();
  }
  std::int64_t Count(int channel) const {
    return HasChannel(channel) ? static_cast<std::int64_t>(codes[channel].size()) : 0;
  }
};

// The settings a record's figures need, as the other analyses take them: the
// rate and gain indices (outside their lists when not listed or not known),
// the filter and chopping when the log says; the channel choice from the
// channels held.
inline MeasureSettings SettingsOf(const LogRecord& r) {
  MeasureSettings s;
  s.spsSel = -1;
  for (std::size_t i = 0; i < kDataRates.size(); ++i) {
    if (kDataRates[i] == r.rateSps) s.spsSel = static_cast<std::int32_t>(i);
  }
  s.GainSel = -1;
  s.Gain = 0;
  for (std::size_t i = 0; i < kGains.size(); ++i) {
    if (r.gain && kGains[i] == *r.gain) {
      s.GainSel = static_cast<std::int32_t>(i);
      s.Gain = kGains[i];
    }
  }
  s.CHSel = r.HasChannel(0) && r.HasChannel(1) ? 2 : (r.HasChannel(1) ? 1 : 0);
  s.fSinc4 = r.sinc4.value_or(true) ? 1 : 0;
  s.fCHOP_ON = r.chop.value_or(false) ? 1 : 0;
  s.fBUF_ON = r.buffer.value_or(false) ? 1 : 0;
  return s;
}

}  // namespace velqoris
