// Durations on the command line ("90s", "45m", "12h", "1h30m", "2.5m"; a
// bare number is seconds) and the time-left text of the progress line.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace velqoris::cli {

// Nothing for an empty, malformed, zero or longer than kMaxDurationHours text.
std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text);
inline constexpr int kMaxDurationHours = 10000;

// "残り 2:03" below an hour, "残り 1:02:03" from one hour up; whole seconds, rounded up.
std::string TimeLeftText(std::chrono::nanoseconds left);

}  // namespace velqoris::cli
