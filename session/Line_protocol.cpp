#include "session/Line_protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "records/Measure_settings.h"
#include "units/Microvolts.h"

namespace velqoris {

namespace {

std::string Escape(std::string_view s, std::string_view special) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\n' || c == '\r') c = ' ';
    if (special.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  // A trailing backslash would escape the separator after it.
  if (!out.empty() && out.back() == '\\') out += ' ';
  return out;
}

void Field(std::string& line, bool& first, const char* key, double value) {
  if (!std::isfinite(value)) return;  // the protocol has no NaN or infinity
  char text[48];
  std::snprintf(text, sizeof text, "%s%s=%.10g", first ? "" : ",", key, value);
  line += text;
  first = false;
}

void IntegerField(std::string& line, bool& first, const char* key, std::int64_t value) {
  line += first ? "" : ",";
  line += key;
  line += '=';
  line += std::to_string(value);
  line += 'i';
  first = false;
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace

std::string EscapeMeasurement(std::string_view s) { return Escape(s, ", "); }
std::string EscapeTag(std::string_view s) { return Escape(s, ",= "); }

std::string SummaryLine(const LineTags& tags, int channel, const RunningStats& stats,
                        std::int64_t unixNs) {
  // Tags in the order of their keys, as the database sorts them.
  std::string line = EscapeMeasurement(kLineMeasurement);
  line += ",channel=ch" + std::to_string(channel);
  line += ",gain=" + std::to_string(tags.gain);
  line += ",rate_sps=" + Number(tags.rateSps);
  if (!tags.serial.empty()) line += ",serial=" + EscapeTag(tags.serial);
  line += ' ';
  const double uv = MicrovoltsPerCode(tags.gain);
  bool first = true;
  IntegerField(line, first, "count", stats.Count());
  IntegerField(line, first, "max_code", stats.Max());
  Field(line, first, "max_uV", (stats.Max() - kMidScaleCode) * uv);
  Field(line, first, "mean_code", stats.Mean());
  Field(line, first, "mean_uV", (stats.Mean() - kMidScaleCode) * uv);
  IntegerField(line, first, "min_code", stats.Min());
  Field(line, first, "min_uV", (stats.Min() - kMidScaleCode) * uv);
  Field(line, first, "sd_code", stats.Deviation());
  Field(line, first, "sd_uV", stats.Deviation() * uv);
  line += ' ';
  line += std::to_string(unixNs);
  line += '\n';
  return line;
}

SecondSummaries::SecondSummaries(LineTags tags, bool ch0, bool ch1, std::int64_t startUnixNs,
                                 Emit emit)
    : tags_(std::move(tags)),
      channel_{ch0, ch1},
      startNs_(startUnixNs),
      emit_(std::move(emit)),
      perSecond_(std::max<std::int64_t>(1, std::llround(tags_.rateSps))) {}

void SecondSummaries::Take(const std::int32_t* codes0, const std::int32_t* codes1, int count) {
  const std::int32_t* codes[2] = {codes0, codes1};
  for (int i = 0; i < count; ++i) {
    if (taken_ == secondFirst_) secondGap_ = gapSeconds_;
    for (int ch = 0; ch < 2; ++ch) {
      if (channel_[ch] && codes[ch] != nullptr) stats_[ch].Add(codes[ch][i]);
    }
    if (++taken_ - secondFirst_ == perSecond_) EmitSecond();
  }
}

void SecondSummaries::Gap(double seconds) { gapSeconds_ += std::max(0.0, seconds); }

void SecondSummaries::Finish() {
  if (taken_ > secondFirst_) EmitSecond();
}

void SecondSummaries::EmitSecond() {
  // The stamp of the second's first result: its place at the nominal rate plus the gaps before.
  const double rate = tags_.rateSps > 0.0 ? tags_.rateSps : 1.0;
  const double seconds = static_cast<double>(secondFirst_) / rate + secondGap_;
  const std::int64_t ns = startNs_ + std::llround(seconds * 1e9);
  std::string lines;
  for (int ch = 0; ch < 2; ++ch) {
    if (!channel_[ch] || stats_[ch].Count() == 0) continue;
    lines += SummaryLine(tags_, ch, stats_[ch], ns);
    stats_[ch] = RunningStats();
  }
  secondFirst_ = taken_;
  if (!lines.empty() && emit_) emit_(lines);
}

}  // namespace velqoris
