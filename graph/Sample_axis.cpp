#include "graph/Sample_axis.h"

#include <algorithm>
#include <cmath>

#include "graph/Number_pattern.h"

namespace velqoris {

double SamplesPerSecond(const MeasureSettings& settings) {
  return DataRate(settings.spsSel).value_or(kDataRates.front());
}

std::string SecondsText(double seconds, double rate) {
  // One decimal more than the sample interval needs: 4800 sps → 0.00021 s steps.
  const int decimals = static_cast<int>(std::ceil(std::log10(std::max(rate, 1.0)))) + 1;
  return FormatFixed(seconds, decimals);
}

std::pair<std::string, std::string> XAxisTexts(std::int64_t first, std::int64_t span, double rate,
                                               bool seconds) {
  if (!seconds) return {std::to_string(first + 1), std::to_string(first + span + 1)};
  return {SecondsText(static_cast<double>(first) / rate, rate),
          SecondsText(static_cast<double>(first + span) / rate, rate) + "s"};
}

}  // namespace velqoris
