#include "graph/Number_pattern.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velqoris {

namespace {

std::string Printf(double value, int decimals) {
  const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, value);
  return text;
}

// Adds one unit in the last place of a string of digits and an optional point.
void IncrementDigits(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it == '.') continue;
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

// |value| rounded to decimals places, halves away from zero. printf rounds an
// exact half to even, so halves are found and rounded here: a value lies
// exactly halfway only if it has at most decimals + 1 binary fraction digits,
// and then printing one more decimal is exact.
std::string RoundMagnitude(double magnitude, int decimals) {
  const double scaled = std::ldexp(magnitude, decimals + 1);
  if (std::isfinite(scaled) && scaled == std::floor(scaled)) {
    std::string longer = Printf(magnitude, decimals + 1);
    const bool half = longer.back() == '5';
    longer.pop_back();
    if (decimals == 0) longer.pop_back();  // the point
    if (half) IncrementDigits(longer);
    return longer;
  }
  return Printf(magnitude, decimals);
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, 9);
  if (!std::isfinite(value)) return Printf(value, decimals);
  std::string text = RoundMagnitude(std::fabs(value), decimals);
  const bool allZero = text.find_first_not_of("0.") == std::string::npos;
  if (std::signbit(value) && !allZero) text.insert(text.begin(), '-');
  return text;
}

int PatternDecimals(std::string_view pattern) {
  const auto point = pattern.find('.');
  if (point == std::string_view::npos) return 0;
  return static_cast<int>(pattern.size() - point - 1);
}

}  // namespace velqoris
