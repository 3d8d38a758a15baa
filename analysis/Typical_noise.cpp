#include "analysis/Typical_noise.h"

#include <cmath>

#include "analysis/Code_scale.h"

namespace velqoris::analysis {

namespace {
// The constants are fitted at this gain.
constexpr double kAnchorGain = 128.0;
}  // namespace

double TypicalNoise::RmsNanovolts(const NoiseConditions& c) const {
  const NoiseParameters& p = params_;
  if (!(c.rateSps > 0.0) || c.gain < 1) return 0.0;
  const double rate = c.rateSps;
  const double base = std::sqrt(p.floorNanovolts * p.floorNanovolts +
                                p.whiteNanovoltsPerRootHz * p.whiteNanovoltsPerRootHz * rate);
  const double corner = p.gainCorner;
  const double gain = c.gain;
  const double gainTerm = std::sqrt((1.0 + (corner / gain) * (corner / gain)) /
                                    (1.0 + (corner / kAnchorGain) * (corner / kAnchorGain)));
  const double filterTerm = c.sinc4 ? 1.0 : 1.0 + p.sinc3Excess * rate / (rate + p.sinc3CornerHz);
  const double chopTerm = c.chop ? p.chopFactor : 1.0;
  return base * gainTerm * filterTerm * chopTerm * p.scale;
}

std::optional<double> TypicalNoise::RmsNanovolts(const MeasureSettings& s) const {
  const auto rate = RateOfSettings(s);
  const auto gain = GainOfSettings(s);
  if (!rate || !gain) return std::nullopt;
  return RmsNanovolts(NoiseConditions{*rate, *gain, s.fSinc4 != 0, s.fCHOP_ON != 0});
}

double TypicalNoise::RmsCodes(const NoiseConditions& c) const {
  if (c.gain < 1) return 0.0;
  return RmsNanovolts(c) * 1e-3 / MicrovoltsPerCode(c.gain);
}

double TypicalNoise::NoiseFreeBits(double rmsNanovolts, int gain) {
  const double fullScaleNanovolts = 5.0e9 / gain;
  return std::log2(fullScaleNanovolts / (6.6 * rmsNanovolts));
}

std::optional<double> TypicalRmsNanovolts(const MeasureSettings& settings) {
  return TypicalNoise().RmsNanovolts(settings);
}

}  // namespace velqoris::analysis
