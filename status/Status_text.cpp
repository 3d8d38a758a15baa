#include "status/Status_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velqoris {

namespace {

std::string Join(std::string_view a, std::string_view b) {
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a);
  s.append(b);
  return s;
}

int CodeDecimals(float sd) { return sd >= 10.0f ? 1 : 2; }

int VoltDecimals(float sd) {
  if (sd >= 100.0f) return 0;
  if (sd >= 10.0f) return 1;
  return 2;
}

std::string Printed(long double value, int decimals) {
  const int n = std::snprintf(nullptr, 0, "%.*Lf", decimals, value);
  if (n < 0) return {};
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), "%.*Lf", decimals, value);
  s.pop_back();
  return s;
}

// Adds one unit in the last digit of a printed magnitude ("-9.99" → "-10.00").
std::string RoundedUp(std::string s) {
  if (!s.empty() && s.back() == '.') s.pop_back();
  std::size_t i = s.size();
  while (i > 0) {
    --i;
    if (s[i] == '.') continue;
    if (s[i] == '-') break;
    if (s[i] != '9') {
      ++s[i];
      return s;
    }
    s[i] = '0';
  }
  const std::size_t first = (!s.empty() && s.front() == '-') ? 1 : 0;
  s.insert(first, 1, '1');
  return s;
}

}  // namespace

std::string FixedText(long double value, int decimals) {
  decimals = std::clamp(decimals, 0, 18);
  std::string s = Printed(value, decimals);
  // printf breaks exact ties to even; halves go away from zero here, as on
  // the graph's labels. A tie has at most decimals + 1 binary fraction digits,
  // so printing one more decimal shows it exactly.
  const long double scaled = std::ldexp(std::fabs(value), decimals + 1);
  if (std::isfinite(value) && scaled == std::floor(scaled)) {
    const std::string longer = Printed(value, decimals + 1);
    if (!longer.empty() && longer.back() == '5') s = RoundedUp(longer.substr(0, longer.size() - 1));
  }
  // A small negative that rounds to zero shows as plain zero.
  if (!s.empty() && s.front() == '-' && s.find_first_not_of("0.", 1) == std::string::npos) {
    s.erase(0, 1);
  }
  return s;
}

std::string PairText(std::string_view first, std::string_view second) {
  std::string s(first);
  s += " / ";
  s += second;
  return s;
}

std::string BoardNotFoundText(std::string_view boardName) {
  return Join(boardName, " が見つかりませんでした");
}

std::string BoardNoResponseText(std::string_view boardName) {
  return Join(boardName, " 応答しませんでした");
}

std::string BoardErrorText(std::string_view boardName) { return Join(boardName, " がエラーです"); }

std::string SampleText(std::int32_t n, std::int32_t code) {
  return "データ番号：" + std::to_string(n) + " / AD変換値：" + std::to_string(code);
}

std::string Sample2Text(std::int32_t n, std::int32_t code0, std::int32_t code1) {
  return SampleText(n, code0) + " / " + std::to_string(code1);
}

std::string CodeStatsText(std::int32_t channel, std::int32_t max, std::int32_t min, float sd) {
  // 64-bit: codes far outside the converter's range still give the true span.
  const std::int64_t pp = static_cast<std::int64_t>(max) - min;
  std::string s = "CH" + std::to_string(channel);
  s += " : 最大値：" + std::to_string(max);
  s += " / 最小値：" + std::to_string(min);
  s += " / pp値：" + std::to_string(pp);
  s += " digit";
  s += " / 標準偏差：" + FixedText(sd, CodeDecimals(sd));
  s += " digit";
  return s;
}

std::string VoltStatsText(std::int32_t channel, float max, float min, float sd) {
  const int decimals = VoltDecimals(sd);
  const long double pp = static_cast<long double>(max) - static_cast<long double>(min);
  std::string s = "CH" + std::to_string(channel);
  s += " : 最大値：" + FixedText(max, decimals);
  s += "[uV] / 最小値：" + FixedText(min, decimals);
  s += "[uV] / pp値：" + FixedText(pp, decimals);
  s += "[uV]";
  s += " / 標準偏差：" + FixedText(sd, decimals);
  s += "[uV]";
  return s;
}

}  // namespace velqoris
