#include "virtualboard/Signal_options.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace velqoris {

namespace {

// Beyond the pins' ±5 V nothing is meaningful; the converter clamps long before.
constexpr double kMaxVolts = 5.0;

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

std::optional<double> Number(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> Channel(std::string_view text) {
  if (text == "0" || text == "CH0" || text == "ch0") return 0;
  if (text == "1" || text == "CH1" || text == "ch1") return 1;
  return std::nullopt;
}

std::string ChannelError(const char* option, std::string_view text) {
  return std::string(option) + " のチャネルは 0 (CH0) か 1 (CH1) です: " + std::string(text);
}

}  // namespace

std::variant<SineOption, std::string> ParseSineOption(std::string_view text) {
  const auto parts = Split(text);
  const bool off = parts.size() == 2 && parts[1] == "off";
  if (!off && (parts.size() < 3 || parts.size() > 5)) {
    return std::string("--sine の形式は CH,HZ,VOLTS[,H2dBc[,H3dBc]] か CH,off です: ") +
           std::string(text);
  }
  SineOption o;
  const auto ch = Channel(parts[0]);
  if (!ch) return ChannelError("--sine", parts[0]);
  o.channel = *ch;
  if (off) {
    o.off = true;
    return o;
  }
  const auto hz = Number(parts[1]);
  if (!hz || *hz <= 0.0) return "--sine の周波数は正の数 [Hz] です: " + std::string(parts[1]);
  o.frequencyHz = *hz;
  const auto volts = Number(parts[2]);
  if (!volts || *volts < 0.0 || *volts > kMaxVolts) {
    return "--sine の振幅は 0 から 5 までの数 [V] です: " + std::string(parts[2]);
  }
  o.amplitudeVolts = *volts;
  for (std::size_t i = 3; i < parts.size(); ++i) {
    const auto dbc = Number(parts[i]);
    if (!dbc || *dbc > 0.0) {
      return "--sine の高調波レベルは 0 以下の数 [dBc] です: " + std::string(parts[i]);
    }
    (i == 3 ? o.harmonic2Dbc : o.harmonic3Dbc) = *dbc;
  }
  return o;
}

std::variant<MainsOption, std::string> ParseMainsOption(std::string_view text) {
  const auto parts = Split(text);
  if (parts.size() != 3) {
    return std::string("--mains の形式は CH,50|60,VOLTS です: ") + std::string(text);
  }
  MainsOption o;
  const auto ch = Channel(parts[0]);
  if (!ch) return ChannelError("--mains", parts[0]);
  o.channel = *ch;
  if (parts[1] != "50" && parts[1] != "60") {
    return "--mains の周波数は 50 か 60 [Hz] です: " + std::string(parts[1]);
  }
  o.frequencyHz = parts[1] == "50" ? 50.0 : 60.0;
  const auto volts = Number(parts[2]);
  if (!volts || *volts < 0.0 || *volts > kMaxVolts) {
    return "--mains の振幅は 0 から 5 までの数 [V] です: " + std::string(parts[2]);
  }
  o.amplitudeVolts = *volts;
  return o;
}

void ApplySignalOption(SignalModel& model, const SineOption& sine) {
  ChannelSignal s = model.Channel(sine.channel);
  if (!sine.off) s.offsetVolts = 0.0;
  s.amplitudeVolts = sine.amplitudeVolts;
  s.frequencyHz = sine.frequencyHz;
  s.phaseRadians = 0.0;
  const auto ratio = [](double dbc) { return dbc <= -200.0 ? 0.0 : std::pow(10.0, dbc / 20.0); };
  s.harmonic2Ratio = ratio(sine.harmonic2Dbc);
  s.harmonic3Ratio = ratio(sine.harmonic3Dbc);
  model.SetChannel(sine.channel, s);
}

void ApplySignalOption(SignalModel& model, const MainsOption& mains) {
  ChannelSignal s = model.Channel(mains.channel);
  s.mainsHz = mains.frequencyHz;
  s.mainsVolts = mains.amplitudeVolts;
  model.SetChannel(mains.channel, s);
}

std::string SignalOptionsUsage() {
  return OptionUsage(kSineOptionText) + OptionUsage(kMainsOptionText);
}

}  // namespace velqoris
