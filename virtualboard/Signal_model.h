// The board's converter and what is wired to its two inputs. The noise is the
// converter's typical noise (analysis/Typical_noise.h); its figures are in
// virtualboard/README.md.
#pragma once

#include <array>
#include <cstdint>

#include "analysis/Typical_noise.h"
#include "units/Microvolts.h"
#include "virtualboard/Noise_source.h"
#include "virtualboard/Slow_noise.h"

namespace velqoris {

// What the firmware has been told; the power-on state of the converter.
struct ConverterSettings {
  bool sinc4 = true;
  bool buffer = false;
  bool chop = false;
  int gainIndex = 0;    // 0..5 for gains 1, 8, 16, 32, 64, 128
  int filterWord = 96;  // 1..1023; output data rate 4800 / word
  double Rate() const { return 4800.0 / filterWord; }
  int Gain() const;
};

// A differential input, in volts at the pins: offset plus one sine with its
// 2nd and 3rd harmonics, plus mains pickup.
struct ChannelSignal {
  double offsetVolts = 0.0;
  double amplitudeVolts = 0.0;
  double frequencyHz = 0.0;
  double phaseRadians = 0.0;
  // Harmonic amplitudes relative to the sine's (10^(dBc / 20)).
  double harmonic2Ratio = 0.0;
  double harmonic3Ratio = 0.0;
  double mainsHz = 50.0;  // 50 or 60
  double mainsVolts = 0.0;
};

class SignalModel {
 public:
  static constexpr int kChannels = 2;
  static constexpr double kReferenceVolts = kReferenceMicrovolts / 1e6;

  explicit SignalModel(std::uint64_t seed = 1);

  void Reseed(std::uint64_t seed) {
    noise_.Reseed(seed);
    slow_.Reseed(seed + 1);
  }
  void SetChannel(int channel, const ChannelSignal& signal);
  const ChannelSignal& Channel(int channel) const;
  void SetNoise(const NoiseParameters& noise) { params_ = noise; }
  const NoiseParameters& Noise() const { return params_; }
  // Drift and 1/f noise; off unless set.
  SlowNoise& Slow() { return slow_; }

  // Noise-free input voltage of a channel at a moment, at the pins.
  double InputVolts(int channel, double seconds) const;
  // What the converter's sinc filter (order 3 or 4, notches at `rateSps` and its
  // multiples) makes of it: each tone scaled by SincGain and delayed by
  // order / (2 × rate), the filter's group delay. Order 0: the pins as they are.
  double FilteredVolts(int channel, double seconds, int order, double rateSps) const;
  // sinc(f / rate)^order, signed: the sincN filter's gain at a frequency.
  static double SincGain(double hz, double rateSps, int order);
  // The filter of the run that starts (used by Sample); order 0 turns it off.
  void SetFilter(int order, double rateSps) {
    filterOrder_ = order;
    filterRate_ = rateSps;
  }
  // Input-referred rms noise for these settings, in volts.
  double NoiseRmsVolts(const ConverterSettings& settings) const;
  // The same in codes, at the settings' gain.
  double NoiseRmsCodes(const ConverterSettings& settings) const;
  // One conversion of a channel at a moment: signal plus noise, as a code.
  std::int32_t Convert(int channel, double seconds, const ConverterSettings& settings);
  // The same with the gain and the noise worked out beforehand (once per run).
  std::int32_t Sample(int channel, double seconds, int gain, double rmsVolts);

  // ConverterSettings as the noise model sees them.
  static NoiseConditions ConditionsOf(const ConverterSettings& settings);

  // The converter's transfer function: bipolar, 2.5 V reference, clamped.
  static std::int32_t CodeFor(double volts, int gain);
  static double CodesPerVolt(int gain);
  // log2(full-scale range / peak-to-peak), with peak-to-peak = 6.6 × rms.
  static double NoiseFreeBits(double rmsVolts, int gain);

 private:
  std::array<ChannelSignal, kChannels> channels_;
  int filterOrder_ = 0;
  double filterRate_ = 0.0;
  NoiseParameters params_;
  NoiseSource noise_;
  SlowNoise slow_;
};

}  // namespace velqoris
