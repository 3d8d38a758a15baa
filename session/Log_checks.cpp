#include "session/Log_checks.h"

#include <cmath>
#include <cstdio>

#include "analysis/Code_scale.h"
#include "records/Measure_settings.h"

// CodeOffset and MicrovoltsPerCode, the program's code conversion.
using namespace velqoris::analysis;

namespace velqoris {

namespace {

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::string GainList() {
  std::string s;
  for (int g : kGains) s += (s.empty() ? "" : ", ") + std::to_string(g);
  return s;
}

}  // namespace

bool LogChecks::TimeFollows(std::optional<double> previous, double seconds, std::int64_t line) {
  if (!previous || seconds > *previous) return true;
  fault_ = {seconds < *previous ? LogFault::Kind::kTimeBackwards : LogFault::Kind::kTimeRepeated,
            line, 0.0, *previous, seconds};
  return false;
}

void LogChecks::CodeAndMicrovolts(std::int32_t code, double microvolts) {
  const double offset = CodeOffset(code);
  offsetSquares_ += offset * offset;
  offsetTimesMicrovolts_ += offset * microvolts;
}

void LogChecks::Join(const LogChecks& later, std::int64_t lines) {
  offsetSquares_ += later.offsetSquares_;
  offsetTimesMicrovolts_ += later.offsetTimesMicrovolts_;
  if (!Failed() && later.Failed()) {
    fault_ = later.fault_;
    if (fault_.line > 0) fault_.line += lines;
  }
}

bool LogChecks::RateAgrees(double stated, std::optional<double> fromTime) {
  if (!fromTime || std::fabs(*fromTime - stated) <= kRateTolerance * stated) return true;
  fault_ = {LogFault::Kind::kRateMismatch, 0, stated, *fromTime, 0.0};
  return false;
}

bool LogChecks::GainListed(int stated) {
  for (int g : kGains) {
    if (g == stated) return true;
  }
  fault_ = {LogFault::Kind::kUnknownGain, 0, static_cast<double>(stated), 0.0, 0.0};
  return false;
}

std::optional<int> LogChecks::GainFromRows() const {
  if (!(offsetSquares_ > 0.0) || offsetTimesMicrovolts_ == 0.0) return std::nullopt;
  // µV per code = MicrovoltsPerCode(1) / gain.
  const double gain = MicrovoltsPerCode(1) * offsetSquares_ / offsetTimesMicrovolts_;
  for (int g : kGains) {
    if (std::fabs(gain - g) <= kGainTolerance * g) return g;
  }
  return std::nullopt;
}

std::string LogFaultText(const LogFault& f) {
  using Kind = LogFault::Kind;
  switch (f.kind) {
    case Kind::kNone:
      return {};
    case Kind::kTimeBackwards:
      return "ログの " + std::to_string(f.line) + " 行目で時刻 (time_s) が戻っています (" +
             Number(f.found) + " s の次が " + Number(f.seconds) + " s)";
    case Kind::kTimeRepeated:
      return "ログの " + std::to_string(f.line) + " 行目の時刻 (time_s) が前の行と同じです (" +
             Number(f.seconds) + " s、行の重複)";
    case Kind::kRateMismatch:
      return "ログの設定行のデータレート " + Number(f.stated) +
             " sps と時刻 (time_s) から求めたレート " + Number(f.found) +
             " sps が 0.5 % を超えて違います";
    case Kind::kUnknownGain:
      return "ログの設定行のゲイン " + Number(f.stated) + " はボードにありません (" + GainList() +
             " のどれか)";
  }
  return {};
}

}  // namespace velqoris
