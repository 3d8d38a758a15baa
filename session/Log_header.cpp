#include "session/Log_header.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>

namespace velqoris {

std::tm LocalTime(std::chrono::system_clock::time_point at) {
  const std::time_t t = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return local;
}

namespace {

// Seconds of a calendar time read as if it were UTC (days from the civil date).
std::int64_t CalendarSeconds(const std::tm& t) {
  const std::int64_t month = t.tm_mon + 1;
  const std::int64_t year = t.tm_year + 1900 - (month <= 2 ? 1 : 0);
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + t.tm_mday - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = era * 146097 + dayOfEra - 719468;
  return days * 86400 + t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

}  // namespace

// The offset is worked out here: strftime's %z names the zone on Windows.
std::string Iso8601Local(std::chrono::system_clock::time_point at) {
  const std::tm local = LocalTime(at);
  const std::time_t t = std::chrono::system_clock::to_time_t(at);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &t);
#else
  gmtime_r(&t, &utc);
#endif
  const std::int64_t offset = CalendarSeconds(local) - CalendarSeconds(utc);
  const std::int64_t minutes = (offset < 0 ? -offset : offset) / 60;
  char text[48];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+',
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return std::string(text) + zone;
}

namespace {

constexpr std::array<std::string_view, 2> kOffOn = {"off", "on"};
constexpr std::array<std::string_view, 2> kFilters = {"sinc3", "sinc4"};
constexpr std::array<std::string_view, 3> kChannels = {"ch0", "ch1", "ch0,ch1"};

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The word's index in its list, case aside.
template <std::size_t N>
std::optional<std::size_t> WordIndex(const std::array<std::string_view, N>& words,
                                     std::string_view value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (value.size() == words[i].size() &&
        std::equal(value.begin(), value.end(), words[i].begin(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
      return i;
  }
  return std::nullopt;
}

// A number within [low, high], the whole text of it.
std::optional<double> NumberIn(std::string_view value, double low, double high) {
  double v = 0.0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, v);
  if (ec != std::errc() || ptr != end || !(v >= low && v <= high)) return std::nullopt;
  return v;
}

bool ReadSwitch(std::string_view value, std::optional<bool>& into) {
  const auto i = WordIndex(kOffOn, value);
  if (i) into = *i == 1;
  return i.has_value();
}

bool ReadText(std::string_view value, std::string& into) {
  if (value.empty()) return false;
  into = std::string(value);
  return true;
}

}  // namespace

const std::vector<LogHeaderKey>& LogHeaderKeys() {
  static const std::vector<LogHeaderKey> keys = {
      {"rate_sps",
       [](const LogHeaderRun& r) {
         const auto rate = DataRate(r.settings.spsSel);
         return rate ? std::to_string(*rate) : std::string("?");
       },
       // The board's rates lie between 4.7 and 4800 sps; a rate far outside is no rate.
       [](std::string_view v, LogRecord& record) {
         const auto rate = NumberIn(v, 0.0, 1e6);
         if (rate && *rate > 0.0) record.rateSps = *rate;
         return rate && *rate > 0.0;
       }},
      {"gain", [](const LogHeaderRun& r) { return std::to_string(r.settings.Gain); },
       [](std::string_view v, LogRecord& record) {
         const auto gain = NumberIn(v, 1.0, 1e6);
         if (gain) record.gain = static_cast<int>(*gain);
         return gain.has_value();
       }},
      {"filter",
       [](const LogHeaderRun& r) { return std::string(kFilters[r.settings.fSinc4 != 0 ? 1 : 0]); },
       [](std::string_view v, LogRecord& record) {
         const auto i = WordIndex(kFilters, v);
         if (i) record.sinc4 = *i == 1;
         return i.has_value();
       }},
      {"chop", [](const LogHeaderRun& r) { return std::string(kOffOn[r.settings.fCHOP_ON != 0]); },
       [](std::string_view v, LogRecord& record) { return ReadSwitch(v, record.chop); }},
      {"buffer", [](const LogHeaderRun& r) { return std::string(kOffOn[r.settings.fBUF_ON != 0]); },
       [](std::string_view v, LogRecord& record) { return ReadSwitch(v, record.buffer); }},
      {"channels",
       [](const LogHeaderRun& r) {
         const int sel = r.settings.CHSel;
         return std::string(kChannels[sel == 0 || sel == 1 ? static_cast<std::size_t>(sel) : 2]);
       },
       [](std::string_view v, LogRecord&) { return WordIndex(kChannels, v).has_value(); }},
      {"board", [](const LogHeaderRun& r) { return r.boardLine; },
       [](std::string_view v, LogRecord& record) { return ReadText(v, record.boardName); }},
      {"start", [](const LogHeaderRun& r) { return Iso8601Local(r.start); },
       [](std::string_view v, LogRecord& record) { return ReadText(v, record.startTime); }},
  };
  return keys;
}

std::vector<std::string> LogHeaderLines(const MeasureSettings& s, const std::string& boardLine,
                                        std::chrono::system_clock::time_point start) {
  const LogHeaderRun run{s, boardLine, start};
  std::vector<std::string> lines;
  for (const LogHeaderKey& k : LogHeaderKeys())
    lines.push_back(std::string(k.key) + ": " + k.write(run));
  return lines;
}

bool ReadLogHeaderLine(std::string_view line, LogRecord& record) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view key = Trimmed(line.substr(0, colon));
  for (const LogHeaderKey& k : LogHeaderKeys()) {
    if (k.key == key) return k.read(Trimmed(line.substr(colon + 1)), record);
  }
  return false;
}

}  // namespace velqoris
