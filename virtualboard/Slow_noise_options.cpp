#include "virtualboard/Slow_noise_options.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace velqoris {

namespace {

// Drift beyond ±1 V per hour, or a corner above 1 kHz, is no test signal.
constexpr double kMaxMicrovoltsPerHour = 1e6;
constexpr double kMaxCornerHz = 1000.0;

// "CH,NUMBER" split into its channel and number.
std::optional<std::pair<int, double>> ChannelAndNumber(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const std::string_view ch = text.substr(0, comma);
  const std::string_view number = text.substr(comma + 1);
  int channel = -1;
  if (ch == "0" || ch == "CH0" || ch == "ch0") channel = 0;
  if (ch == "1" || ch == "CH1" || ch == "ch1") channel = 1;
  double value = 0.0;
  const char* end = number.data() + number.size();
  const auto [ptr, ec] = std::from_chars(number.data(), end, value);
  if (channel < 0 || number.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return std::make_pair(channel, value);
}

}  // namespace

std::variant<DriftOption, std::string> ParseDriftOption(std::string_view text) {
  const auto parsed = ChannelAndNumber(text);
  if (!parsed || std::fabs(parsed->second) > kMaxMicrovoltsPerHour) {
    return "--drift の形式は CH,UV_PER_HOUR です (CH は 0 か 1、ドリフトは ±1000000 uV/時 "
           "以内): " +
           std::string(text);
  }
  return DriftOption{parsed->first, parsed->second};
}

std::variant<FlickerOption, std::string> ParseFlickerOption(std::string_view text) {
  const auto parsed = ChannelAndNumber(text);
  if (!parsed || parsed->second <= 0.0 || parsed->second > kMaxCornerHz) {
    return "--flicker の形式は CH,CORNER_HZ です (CH は 0 か 1、コーナー周波数は 0 より大きく "
           "1000 Hz 以下): " +
           std::string(text);
  }
  return FlickerOption{parsed->first, parsed->second};
}

void ApplySlowNoiseOption(SignalModel& model, const DriftOption& drift) {
  model.Slow().SetDrift(drift.channel, drift.microvoltsPerHour);
}

void ApplySlowNoiseOption(SignalModel& model, const FlickerOption& flicker) {
  model.Slow().SetFlicker(flicker.channel, flicker.cornerHz);
}

std::string SlowNoiseOptionsUsage() {
  return OptionUsage(kDriftOptionText) + OptionUsage(kFlickerOptionText);
}

}  // namespace velqoris
