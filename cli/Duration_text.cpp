#include "cli/Duration_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velqoris::cli {

std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text) {
  double total = 0.0;  // seconds
  std::size_t i = 0;
  if (text.empty()) return std::nullopt;
  while (i < text.size()) {
    const std::size_t start = i;
    bool point = false;
    while (i < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[i])) != 0 || (text[i] == '.' && !point))) {
      point = point || text[i] == '.';
      ++i;
    }
    const std::string number(text.substr(start, i - start));
    if (number.empty() || number == ".") return std::nullopt;
    double unit = 1.0;
    if (i < text.size()) {
      switch (text[i]) {
        case 'h':
          unit = 3600.0;
          break;
        case 'm':
          unit = 60.0;
          break;
        case 's':
          unit = 1.0;
          break;
        default:
          return std::nullopt;
      }
      ++i;
    } else if (start != 0) {
      return std::nullopt;  // "1h30": a number without its unit after a first part
    }
    // strtod, not stod: a number too large or too small for a double must be a
    // usage error, not an exception.
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    total += value * unit;
    if (total > kMaxDurationHours * 3600.0) return std::nullopt;
  }
  const auto ms = static_cast<long long>(std::llround(total * 1000.0));
  if (ms <= 0) return std::nullopt;
  return std::chrono::milliseconds(ms);
}

std::string TimeLeftText(std::chrono::nanoseconds left) {
  using namespace std::chrono;
  if (left < nanoseconds::zero()) left = nanoseconds::zero();
  const long long s = duration_cast<seconds>(left + seconds(1) - nanoseconds(1)).count();
  char text[48];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "残り %lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "残り %lld:%02lld", s / 60, s % 60);
  }
  return text;
}

}  // namespace velqoris::cli
