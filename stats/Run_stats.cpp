#include "stats/Run_stats.h"

#include <cmath>

namespace velqoris {

namespace {

// A Count outside the arrays would read past them; such a buffer has no stats.
bool Usable(std::int32_t count, const void* array) {
  return array != nullptr && count > 0 && count <= kSampleCapacity;
}

}  // namespace

void CalcCodeStats(const SampleBuffer& buffer, std::int32_t& mean, float& sd) {
  if (!Usable(buffer.Count, buffer.Codes)) return;
  const std::int32_t n = buffer.Count;
  double sum = 0.0;
  for (std::int32_t i = 0; i < n; ++i) sum += buffer.Codes[i];
  const auto truncated = static_cast<std::int32_t>(std::trunc(sum / n));

  double squares = 0.0;
  for (std::int32_t i = 0; i < n; ++i) {
    // 64-bit difference: exact for any pair of 32-bit values.
    const auto d = static_cast<double>(static_cast<std::int64_t>(buffer.Codes[i]) - truncated);
    squares += d * d;
  }
  mean = truncated;
  sd = static_cast<float>(std::sqrt(squares / n));
}

void CalcVoltStats(const SampleBuffer& buffer, float& mean, float& sd) {
  if (!Usable(buffer.Count, buffer.Microvolts)) return;
  const std::int32_t n = buffer.Count;
  double sum = 0.0;
  for (std::int32_t i = 0; i < n; ++i) sum += buffer.Microvolts[i];
  const auto stored = static_cast<float>(sum / n);

  double squares = 0.0;
  for (std::int32_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(buffer.Microvolts[i]) - static_cast<double>(stored);
    squares += d * d;
  }
  mean = stored;
  sd = static_cast<float>(std::sqrt(squares / n));
}

}  // namespace velqoris
