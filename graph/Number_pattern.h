// Formats a number the way the program's number patterns ("0", "0.0" …
// "0.00000") show it: a fixed number of decimals, rounded to the nearest with
// halves away from zero, at least one digit before the point, no grouping.
// A negative value that rounds to zero shows without a minus sign.
#pragma once

#include <string>
#include <string_view>

namespace velqoris {

// decimals is clamped to 0 … 9.
std::string FormatFixed(double value, int decimals);

// The number of decimals of a pattern: the zeros after its point ("0.00" → 2).
int PatternDecimals(std::string_view pattern);

inline std::string FormatPattern(double value, std::string_view pattern) {
  return FormatFixed(value, PatternDecimals(pattern));
}

}  // namespace velqoris
