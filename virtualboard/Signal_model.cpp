#include "virtualboard/Signal_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velqoris {

namespace {

constexpr std::array<int, 6> kGainTable = {1, 8, 16, 32, 64, 128};
constexpr double kMidScale = kMidScaleCode;
constexpr double kTopCode = 16777215.0;

int ClampChannel(int channel) { return std::clamp(channel, 0, SignalModel::kChannels - 1); }

}  // namespace

int ConverterSettings::Gain() const {
  return kGainTable[static_cast<std::size_t>(std::clamp(gainIndex, 0, 5))];
}

SignalModel::SignalModel(std::uint64_t seed) : noise_(seed), slow_(seed + 1) {
  // CH0: inputs shorted together, only the front end's offset is left.
  channels_[0] = ChannelSignal{3.0e-6, 0.0, 0.0, 0.0};
  // CH1: a slowly wandering millivolt source, well inside ±19.5 mV at gain 128.
  channels_[1] = ChannelSignal{2.0e-3, 1.5e-3, 0.05, 0.0};
}

void SignalModel::SetChannel(int channel, const ChannelSignal& signal) {
  channels_[static_cast<std::size_t>(ClampChannel(channel))] = signal;
}

const ChannelSignal& SignalModel::Channel(int channel) const {
  return channels_[static_cast<std::size_t>(ClampChannel(channel))];
}

double SignalModel::InputVolts(int channel, double seconds) const {
  return FilteredVolts(channel, seconds, 0, 0.0);
}

double SignalModel::SincGain(double hz, double rateSps, int order) {
  const double x = std::numbers::pi * hz / rateSps;
  const double sinc = std::abs(x) < 1e-12 ? 1.0 : std::sin(x) / x;
  return std::pow(sinc, order);
}

double SignalModel::FilteredVolts(int channel, double seconds, int order, double rateSps) const {
  const bool filtered = order > 0 && rateSps > 0.0;
  // The output averages the input over the last `order` periods: its middle is
  // half that span back.
  const double t = filtered ? seconds - order / (2.0 * rateSps) : seconds;
  auto tone = [&](double volts, double hz, double phase) {
    if (volts == 0.0) return 0.0;
    const double gain = filtered ? SincGain(hz, rateSps, order) : 1.0;
    return volts * gain * std::sin(2.0 * std::numbers::pi * hz * t + phase);
  };
  const ChannelSignal& s = Channel(channel);
  double volts = s.offsetVolts;
  if (s.amplitudeVolts != 0.0) {
    volts += tone(s.amplitudeVolts, s.frequencyHz, s.phaseRadians);
    volts += tone(s.amplitudeVolts * s.harmonic2Ratio, 2.0 * s.frequencyHz, 2.0 * s.phaseRadians);
    volts += tone(s.amplitudeVolts * s.harmonic3Ratio, 3.0 * s.frequencyHz, 3.0 * s.phaseRadians);
  }
  volts += tone(s.mainsVolts, s.mainsHz, 0.0);
  return volts;
}

NoiseConditions SignalModel::ConditionsOf(const ConverterSettings& settings) {
  return NoiseConditions{settings.Rate(), settings.Gain(), settings.sinc4, settings.chop};
}

double SignalModel::NoiseRmsVolts(const ConverterSettings& settings) const {
  return analysis::TypicalNoise(params_).RmsNanovolts(ConditionsOf(settings)) * 1e-9;
}

double SignalModel::NoiseRmsCodes(const ConverterSettings& settings) const {
  return NoiseRmsVolts(settings) * CodesPerVolt(settings.Gain());
}

std::int32_t SignalModel::Convert(int channel, double seconds, const ConverterSettings& settings) {
  double volts = FilteredVolts(channel, seconds, settings.sinc4 ? 4 : 3, settings.Rate());
  if (const double rms = NoiseRmsVolts(settings); rms != 0.0) volts += rms * noise_.Gaussian();
  return CodeFor(volts, settings.Gain());
}

std::int32_t SignalModel::Sample(int channel, double seconds, int gain, double rmsVolts) {
  double volts = FilteredVolts(channel, seconds, filterOrder_, filterRate_);
  if (rmsVolts != 0.0) volts += rmsVolts * noise_.Gaussian();
  volts += slow_.Volts(channel, seconds, rmsVolts);
  return CodeFor(volts, gain);
}

double SignalModel::CodesPerVolt(int gain) { return gain * kFullScaleCodes / kReferenceVolts; }

std::int32_t SignalModel::CodeFor(double volts, int gain) {
  const double code = kMidScale + std::round(volts * CodesPerVolt(gain));
  if (!(code >= 0.0)) return 0;  // also catches NaN
  return static_cast<std::int32_t>(std::min(code, kTopCode));
}

double SignalModel::NoiseFreeBits(double rmsVolts, int gain) {
  const double fullScale = 2.0 * kReferenceVolts / gain;
  return std::log2(fullScale / (6.6 * rmsVolts));
}

}  // namespace velqoris
