// Noise figures of one channel's run: mean, RMS and peak-to-peak noise,
// effective and noise-free resolution, the distance from a normal
// distribution, and the ratio to the converter's typical noise.
#pragma once

#include <cstdint>
#include <optional>

#include "records/Measure_settings.h"

namespace velqoris::analysis {

// A resolution figure. Only kBits carries a number; the others say why not.
struct Resolution {
  enum class Kind {
    kAbsent,     // no samples
    kTooFew,     // one sample: no noise can be judged
    kNoNoise,    // every code equal, or a figure above 24 bits: "24 以上"
    kOverRange,  // a code sits at 0 or 16777215 (or outside the code range)
    kBits,
  };
  Kind kind = Kind::kAbsent;
  double bits = 0.0;

  std::optional<double> Bits() const {
    return kind == Kind::kBits ? std::optional<double>(bits) : std::nullopt;
  }
};

struct NoiseFigures {
  int count = 0;
  std::optional<std::int32_t> minCode;
  std::optional<std::int32_t> maxCode;
  // True when a code is at 0 or 16777215: the input was over range.
  bool overRange = false;

  std::optional<double> meanCode;
  std::optional<double> meanMicrovolts;  // needs the gain
  // RMS noise: the population standard deviation.
  std::optional<double> rmsCodes;
  std::optional<double> rmsMicrovolts;
  std::optional<double> rmsNanovolts;  // input-referred (the conversion divides by the gain)
  // Peak-to-peak noise: maximum − minimum.
  std::optional<double> ppCodes;
  std::optional<double> ppMicrovolts;

  // log2(2^24 / rms codes).
  Resolution effective;
  // log2(2^24 / measured peak-to-peak codes).
  Resolution noiseFree;
  // log2(2^24 / (6.6 × rms codes)): the convention of published noise tables.
  Resolution noiseFree6Sigma;

  // Distance from a normal distribution; absent with fewer than 2 samples or no noise.
  std::optional<double> skewness;
  std::optional<double> excessKurtosis;

  // The converter's typical rms noise for the run's settings, and measured ÷ typical.
  std::optional<double> typicalRmsNanovolts;
  std::optional<double> rmsVsTypical;
};

inline constexpr double kNoiseFreeSigmaFactor = 6.6;

// Figures of count codes (any count ≥ 0, any int32 value) taken with settings.
NoiseFigures AnalyzeNoise(const std::int32_t* codes, int count, const MeasureSettings& settings);

}  // namespace velqoris::analysis
