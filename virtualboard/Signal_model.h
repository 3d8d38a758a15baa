// The board's converter and what is wired to its two inputs. The noise model
// is described, with its figures, in virtualboard/README.md.
#pragma once

#include <array>
#include <cstdint>

#include "virtualboard/Noise_source.h"

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

// A differential input: offset plus one sine, in volts at the pins.
struct ChannelSignal {
  double offsetVolts = 0.0;
  double amplitudeVolts = 0.0;
  double frequencyHz = 0.0;
  double phaseRadians = 0.0;
};

// Input-referred noise: rms = sqrt(floor² + white² × rate) × gain term ×
// filter term × chop term × scale, anchored at gain 128 (see README.md).
struct NoiseParameters {
  double floorNanovolts = 7.511;            // rate-independent part
  double whiteNanovoltsPerRootHz = 1.8371;  // grows with the square root of the rate
  double gainCorner = 15.097;               // below this gain the modulator's noise dominates
  double sinc3Excess = 0.25;                // Sinc3 is up to this much noisier at fast rates
  double sinc3CornerHz = 300.0;             // ... reaching half of it at this rate
  double chopFactor = 0.9;
  double scale = 1.0;  // 0 gives noiseless codes
};

class SignalModel {
 public:
  static constexpr int kChannels = 2;
  static constexpr double kReferenceVolts = 2.5;

  explicit SignalModel(std::uint64_t seed = 1);

  void Reseed(std::uint64_t seed) { noise_.Reseed(seed); }
  void SetChannel(int channel, const ChannelSignal& signal);
  const ChannelSignal& Channel(int channel) const;
  void SetNoise(const NoiseParameters& noise) { params_ = noise; }
  const NoiseParameters& Noise() const { return params_; }

  // Noise-free input voltage of a channel at a moment.
  double InputVolts(int channel, double seconds) const;
  // Input-referred rms noise for these settings, in volts.
  double NoiseRmsVolts(const ConverterSettings& settings) const;
  // The same in codes, at the settings' gain.
  double NoiseRmsCodes(const ConverterSettings& settings) const;
  // One conversion of a channel at a moment: signal plus noise, as a code.
  std::int32_t Convert(int channel, double seconds, const ConverterSettings& settings);
  // The same with the gain and the noise worked out beforehand (once per run).
  std::int32_t Sample(int channel, double seconds, int gain, double rmsVolts);

  // The converter's transfer function: bipolar, 2.5 V reference, clamped.
  static std::int32_t CodeFor(double volts, int gain);
  static double CodesPerVolt(int gain);
  // log2(full-scale range / peak-to-peak), with peak-to-peak = 6.6 × rms.
  static double NoiseFreeBits(double rmsVolts, int gain);

 private:
  std::array<ChannelSignal, kChannels> channels_;
  NoiseParameters params_;
  NoiseSource noise_;
};

}  // namespace velqoris
