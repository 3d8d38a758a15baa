// The lines that open a log's CSV, so a log read months later says how it was
// taken. Each is "# key: value"; readers that skip '#' lines (pandas, numpy)
// see only the table. Keys, in this order:
//   rate_sps  data rate in samples per second (e.g. 4800)
//   gain      amplifier gain (1, 8, 16, 32, 64, 128)
//   filter    sinc3 or sinc4
//   chop      on or off
//   buffer    on or off
//   channels  ch0, ch1 or ch0,ch1
//   board     the board's name line as the status bar shows it ("VELQORIS / 1.00")
//   start     start time, ISO 8601 with the UTC offset (2026-12-08T13:05:00+09:00)
#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "records/Measure_settings.h"

namespace velqoris {

// Without the leading "# ".
std::vector<std::string> LogHeaderLines(const MeasureSettings& settings,
                                        const std::string& boardLine,
                                        std::chrono::system_clock::time_point start);

// The calendar time here, thread-safe on every system.
std::tm LocalTime(std::chrono::system_clock::time_point at);

// Local time with its offset from UTC, to the second.
std::string Iso8601Local(std::chrono::system_clock::time_point at);

}  // namespace velqoris
