// The lines that open a log's CSV, so a log read months later says how it was
// taken. Each is "# key: value"; readers that skip '#' lines (pandas, numpy)
// see only the table. One table of keys serves the writer and the reader:
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
#include <string_view>
#include <vector>

#include "records/Log_record.h"
#include "records/Measure_settings.h"

namespace velqoris {

// The run the lines describe.
struct LogHeaderRun {
  const MeasureSettings& settings;
  const std::string& boardLine;
  std::chrono::system_clock::time_point start;
};

// One key: how the writer words its value and how a reader takes it back.
// `read` is false when the value is not one the writer gives; the rate goes
// into `rateSps`, the channels are the columns' to say.
struct LogHeaderKey {
  std::string_view key;
  std::string (*write)(const LogHeaderRun& run);
  bool (*read)(std::string_view value, LogRecord& record);
};

// Every key, in the order the lines are written.
const std::vector<LogHeaderKey>& LogHeaderKeys();

// Without the leading "# ".
std::vector<std::string> LogHeaderLines(const MeasureSettings& settings,
                                        const std::string& boardLine,
                                        std::chrono::system_clock::time_point start);

// One settings line without its '#': true when it is "key: value" with a key
// of the table and a value it reads, which then is in `record`.
bool ReadLogHeaderLine(std::string_view line, LogRecord& record);

// The calendar time here, thread-safe on every system.
std::tm LocalTime(std::chrono::system_clock::time_point at);

// Local time with its offset from UTC, to the second.
std::string Iso8601Local(std::chrono::system_clock::time_point at);

}  // namespace velqoris
