// The white level and the 1/f corner of an averaged spectrum, with the
// corner's uncertainty. Narrow lines (a test tone, mains pickup, a slow sine)
// and the bins their window leakage reaches are left out, so a line is never
// taken for 1/f noise. Rules: analysis/README.md "Stability".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velqoris::analysis {

struct CornerFit {
  double whitePsd = 0.0;  // codes²/Hz
  std::optional<double> cornerHz;
  std::optional<double> cornerErrorHz;  // 1σ
  // Below this frequency every bin lies in a line's leakage: a corner down
  // there could not be seen.
  std::optional<double> hiddenBelowHz;
  std::size_t lineBins = 0;  // bins left out as lines or their leakage
};

// psd: one-sided density per bin 0 … L/2 (codes²/Hz), averaged over
// `segments` Hann segments; bins below firstBin are not used.
std::optional<CornerFit> FitFlickerCorner(const std::vector<double>& psd, double binHz,
                                          std::int64_t segments, std::size_t firstBin);

}  // namespace velqoris::analysis
