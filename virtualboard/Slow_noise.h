// What a long log of the board shows and a short run does not: a slow linear
// drift and 1/f (flicker) noise below a corner frequency, per channel. The
// flicker is a sum of first-order (Ornstein-Uhlenbeck) sources, three poles a
// decade from 0.1 mHz to 10 × the corner, each stepped exactly over the time
// since the channel's last conversion, so it follows the board's clock and a
// seed gives the same log on virtual time. Both are off by default.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "virtualboard/Noise_source.h"

namespace velqoris {

class SlowNoise {
 public:
  static constexpr int kChannels = 2;

  explicit SlowNoise(std::uint64_t seed = 1);
  void Reseed(std::uint64_t seed) { source_.Reseed(seed); }

  void SetDrift(int channel, double microvoltsPerHour);
  // The 1/f density meets the white density (whiteRmsVolts at the run's
  // rate) at cornerHz; 0 switches it off.
  void SetFlicker(int channel, double cornerHz);
  double DriftMicrovoltsPerHour(int channel) const;
  double FlickerCornerHz(int channel) const;

  // Volts to add to a conversion of a channel at a moment; each channel's
  // moments come in time order. whiteRmsVolts: the converter's white noise now.
  double Volts(int channel, double seconds, double whiteRmsVolts);

 private:
  struct Channel {
    double voltsPerSecond = 0.0;
    double cornerHz = 0.0;
    std::vector<double> poleHz;
    std::vector<double> state;  // unit variance per pole
    std::vector<double> decay;  // per pole, for cachedStep
    double cachedStep = -1.0;
    bool started = false;
    double lastSeconds = 0.0;
    double period = 0.0;  // the shortest step so far at this white level
    double lastRms = -1.0;
    // The white level changed: the step after the next one is the new period.
    bool replacePeriod = false;
  };

  double Flicker(Channel& c, double seconds, double whiteRmsVolts);

  std::array<Channel, kChannels> channels_;
  NoiseSource source_;
};

}  // namespace velqoris
