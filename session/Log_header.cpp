#include "session/Log_header.h"

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

std::string Iso8601Local(std::chrono::system_clock::time_point at) {
  const std::tm local = LocalTime(at);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  // strftime gives +0900; ISO 8601's extended form wants +09:00.
  std::string s = text;
  if (s.size() >= 5) s.insert(s.size() - 2, ":");
  return s;
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
