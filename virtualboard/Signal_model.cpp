#include "virtualboard/Signal_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velqoris {

namespace {

constexpr std::array<int, 6> kGainTable = {1, 8, 16, 32, 64, 128};
constexpr double kCodeSpan = 8388607.0;
constexpr double kMidScale = 8388608.0;
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
  const ChannelSignal& s = Channel(channel);
  double volts = s.offsetVolts;
  if (s.amplitudeVolts != 0.0) {
    const double phase = 2.0 * std::numbers::pi * s.frequencyHz * seconds + s.phaseRadians;
    volts += s.amplitudeVolts * std::sin(phase);
    if (s.harmonic2Ratio != 0.0)
      volts += s.amplitudeVolts * s.harmonic2Ratio * std::sin(2.0 * phase);
    if (s.harmonic3Ratio != 0.0)
      volts += s.amplitudeVolts * s.harmonic3Ratio * std::sin(3.0 * phase);
  }
  if (s.mainsVolts != 0.0) {
    volts += s.mainsVolts * std::sin(2.0 * std::numbers::pi * s.mainsHz * seconds);
  }
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
  return Sample(channel, seconds, settings.Gain(), NoiseRmsVolts(settings));
}

std::int32_t SignalModel::Sample(int channel, double seconds, int gain, double rmsVolts) {
  double volts = InputVolts(channel, seconds);
  if (rmsVolts != 0.0) volts += rmsVolts * noise_.Gaussian();
  volts += slow_.Volts(channel, seconds, rmsVolts);
  return CodeFor(volts, gain);
}

double SignalModel::CodesPerVolt(int gain) { return gain * kCodeSpan / kReferenceVolts; }

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
