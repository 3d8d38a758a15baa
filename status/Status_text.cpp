#include "status/Status_text.h"

#include "graph/Number_pattern.h"

namespace velqoris {

namespace {

std::string Join(std::string_view a, std::string_view b) {
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a);
  s.append(b);
  return s;
}

}  // namespace

int CodeStatsDecimals(float sd) { return sd >= 10.0f ? 1 : 2; }

int VoltStatsDecimals(float sd) {
  if (sd >= 100.0f) return 0;
  if (sd >= 10.0f) return 1;
  return 2;
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

std::string CodeStatsText(std::int32_t channel, std::int32_t max, std::int32_t min, float sd,
                          int decimals) {
  // 64-bit: codes far outside the converter's range still give the true span.
  const std::int64_t pp = static_cast<std::int64_t>(max) - min;
  std::string s = "CH" + std::to_string(channel);
  s += " : 最大値：" + std::to_string(max);
  s += " / 最小値：" + std::to_string(min);
  s += " / pp値：" + std::to_string(pp);
  s += " digit";
  s += " / 標準偏差：" + FormatFixed(sd, decimals >= 0 ? decimals : CodeStatsDecimals(sd));
  s += " digit";
  return s;
}

std::string VoltStatsText(std::int32_t channel, float max, float min, float sd, int asked) {
  const int decimals = asked >= 0 ? asked : VoltStatsDecimals(sd);
  // Two floats differ exactly in double for any microvolt range the board gives.
  const double pp = static_cast<double>(max) - static_cast<double>(min);
  std::string s = "CH" + std::to_string(channel);
  s += " : 最大値：" + FormatFixed(max, decimals);
  s += "[uV] / 最小値：" + FormatFixed(min, decimals);
  s += "[uV] / pp値：" + FormatFixed(pp, decimals);
  s += "[uV]";
  s += " / 標準偏差：" + FormatFixed(sd, decimals);
  s += "[uV]";
  return s;
}

}  // namespace velqoris
