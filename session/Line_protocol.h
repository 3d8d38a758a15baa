// Summaries for a time-series database in its line protocol: one line per
// channel per second of results, tagged with the board's serial number,
// channel, gain and rate, with mean, deviation, minimum and maximum in codes
// and microvolts and the count as fields, stamped in nanoseconds since 1970.
// Escaping follows the protocol's published rules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "stats/Running_stats.h"

namespace velqoris {

inline constexpr const char* kLineMeasurement = "velqoris";

// Backslashes before the characters the protocol gives a meaning:
// measurement names escape ',' and ' '; tag keys, tag values and field keys
// also '='. Line breaks cannot be escaped and become spaces.
std::string EscapeMeasurement(std::string_view s);
std::string EscapeTag(std::string_view s);

struct LineTags {
  std::string serial;
  int gain = 1;
  double rateSps = 0.0;
};

// One channel's second as one line (with its newline).
std::string SummaryLine(const LineTags& tags, int channel, const RunningStats& stats,
                        std::int64_t unixNs);

// Cuts a board's results into seconds by sample count (so gaps between start
// commands shift the stamps, not the cut) and hands each second's lines on.
class SecondSummaries {
 public:
  using Emit = std::function<void(const std::string& lines)>;
  SecondSummaries(LineTags tags, bool ch0, bool ch1, std::int64_t startUnixNs, Emit emit);

  void Take(const std::int32_t* codes0, const std::int32_t* codes1, int count);
  // Time without results before the next ones.
  void Gap(double seconds);
  // A part second at the end goes out too.
  void Finish();

 private:
  void EmitSecond();

  LineTags tags_;
  bool channel_[2];
  std::int64_t startNs_;
  Emit emit_;
  std::int64_t perSecond_;
  std::int64_t taken_ = 0;  // results so far
  std::int64_t secondFirst_ = 0;
  double gapSeconds_ = 0.0;  // lost before the current second's first result
  double secondGap_ = 0.0;
  RunningStats stats_[2];
};

}  // namespace velqoris
