// The converter's typical input-referred RMS noise for a setting: the model
// the virtual board draws its noise from and the analysis compares a run
// with. Constants and anchor figures: analysis/README.md "Typical noise".
#pragma once

#include <optional>

#include "records/Measure_settings.h"

namespace velqoris {

// rms = sqrt(floor² + white² × rate) × gain term × filter term × chop term ×
// scale, anchored at gain 128.
struct NoiseParameters {
  double floorNanovolts = 7.511;            // rate-independent part
  double whiteNanovoltsPerRootHz = 1.8371;  // grows with the square root of the rate
  double gainCorner = 15.097;               // below this gain the modulator's noise dominates
  double sinc3Excess = 0.25;                // Sinc3 is up to this much noisier at fast rates
  double sinc3CornerHz = 300.0;             // ... reaching half of it at this rate
  double chopFactor = 0.9;
  double scale = 1.0;  // 0 gives noiseless codes
};

// A converter setting as the noise sees it. The rate is continuous (4800 /
// filter word), so the board's 4.7 sps at word 1023 has its figure too.
struct NoiseConditions {
  double rateSps = 10.0;
  int gain = 1;
  bool sinc4 = true;
  bool chop = false;
};

namespace analysis {

class TypicalNoise {
 public:
  TypicalNoise() = default;
  explicit TypicalNoise(const NoiseParameters& parameters) : params_(parameters) {}

  const NoiseParameters& Parameters() const { return params_; }

  // Input-referred rms noise in nanovolts; 0 for a gain below 1 or a rate not above 0.
  double RmsNanovolts(const NoiseConditions& conditions) const;
  // The same for the settings of a run; absent when the rate or gain index is outside its list.
  std::optional<double> RmsNanovolts(const MeasureSettings& settings) const;
  // In codes at the condition's gain.
  double RmsCodes(const NoiseConditions& conditions) const;

  // What the data sheet's noise tables call noise-free bits:
  // log2((5 V / gain) / (6.6 × rms)).
  static double NoiseFreeBits(double rmsNanovolts, int gain);

 private:
  NoiseParameters params_;
};

// The typical figure with the default parameters, for a run's settings.
std::optional<double> TypicalRmsNanovolts(const MeasureSettings& settings);

}  // namespace analysis
}  // namespace velqoris
