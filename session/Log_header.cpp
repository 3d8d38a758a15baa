#include "session/Log_header.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

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

std::vector<std::string> LogHeaderLines(const MeasureSettings& s, const std::string& boardLine,
                                        std::chrono::system_clock::time_point start) {
  const auto onOff = [](int flag) { return std::string(flag != 0 ? "on" : "off"); };
  const auto rate = DataRate(s.spsSel);
  const std::string channels = s.CHSel == 0 ? "ch0" : s.CHSel == 1 ? "ch1" : "ch0,ch1";
  return {
      "rate_sps: " + (rate ? std::to_string(*rate) : std::string("?")),
      "gain: " + std::to_string(s.Gain),
      std::string("filter: ") + (s.fSinc4 != 0 ? "sinc4" : "sinc3"),
      "chop: " + onOff(s.fCHOP_ON),
      "buffer: " + onOff(s.fBUF_ON),
      "channels: " + channels,
      "board: " + boardLine,
      "start: " + Iso8601Local(start),
  };
}

}  // namespace velqoris
