// A long record of conversion codes, as read from a log CSV or a data file:
// codes per channel, the rate, the gain when known, and the gaps between
// chained start commands. Plain data; the readers fill it, the analysis reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

}  // namespace velqoris
