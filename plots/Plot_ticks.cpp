#include "plots/Plot_ticks.h"

#include <algorithm>
#include <cmath>

#include "graph/Number_pattern.h"

namespace velqoris {

namespace {

double NiceStep(double span, int maxTicks) {
  const double raw = span / std::max(1, maxTicks - 1);
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * decade >= raw) return m * decade;
  }
  return 10.0 * decade;
}

}  // namespace

Ticks LinearTicks(double lo, double hi, int maxTicks) {
  Ticks t;
  if (!std::isfinite(lo) || !std::isfinite(hi)) return t;
  if (hi < lo) std::swap(lo, hi);
  if (hi == lo) {
    t.values.push_back(lo);
    return t;
  }
  maxTicks = std::max(2, maxTicks);
  const double step = NiceStep(hi - lo, maxTicks);
  // A step's own decimals: 0.05 needs 2, 20 needs none.
  t.decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6);
  const double first = std::ceil(lo / step - 1e-9) * step;
  for (double v = first; v <= hi + step * 1e-9; v += step) {
    // Multiples of the step, not sums that drift.
    const double snapped = std::round(v / step) * step;
    t.values.push_back(std::fabs(snapped) < step * 1e-9 ? 0.0 : snapped);
    if (t.values.size() > 1000) break;
  }
  return t;
}

Ticks LogTicks(double lo, double hi, int maxTicks) {
  Ticks t;
  if (!(lo > 0.0) || !(hi > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) return t;
  if (hi < lo) std::swap(lo, hi);
  const int firstDecade = static_cast<int>(std::floor(std::log10(lo) + 1e-9));
  const int lastDecade = static_cast<int>(std::floor(std::log10(hi) + 1e-9));
  const int decades = lastDecade - firstDecade + 1;
  // Every decade, or every second, third … one when the decades are many.
  const int stride = std::max(1, (decades + std::max(2, maxTicks) - 1) / std::max(2, maxTicks));
  const bool between = decades * 3 <= maxTicks;
  int lowestDecade = lastDecade;
  for (int d = firstDecade; d <= lastDecade; ++d) {
    for (const double m : {1.0, 2.0, 5.0}) {
      if (m != 1.0 && !between) continue;
      if (m == 1.0 && (d - firstDecade) % stride != 0) continue;
      const double v = m * std::pow(10.0, d);
      if (v >= lo * (1 - 1e-9) && v <= hi * (1 + 1e-9)) {
        t.values.push_back(v);
        lowestDecade = std::min(lowestDecade, d);
      }
    }
  }
  t.decimals = std::clamp(-lowestDecade, 0, 6);
  return t;
}

std::string TickText(double value, int decimals) { return FormatFixed(value, decimals); }

std::string LogTickText(double value) {
  if (!(value > 0.0) || !std::isfinite(value)) return FormatFixed(value, 0);
  const int exponent = static_cast<int>(std::floor(std::log10(value) + 1e-9));
  if (exponent >= 4) {
    const double mantissa = value / std::pow(10.0, exponent);
    return FormatFixed(mantissa, 0) + "e" + std::to_string(exponent);
  }
  return FormatFixed(value, std::clamp(-exponent, 0, 9));
}

std::vector<bool> TextsThatFit(const std::vector<double>& centres,
                               const std::vector<double>& widths, double lo, double hi,
                               double gap) {
  std::vector<bool> fit(centres.size(), false);
  double end = -1e300;
  for (std::size_t i = 0; i < centres.size() && i < widths.size(); ++i) {
    const double left = centres[i] - widths[i] / 2;
    const double right = centres[i] + widths[i] / 2;
    if (left < lo || right > hi || left < end + gap) continue;
    fit[i] = true;
    end = right;
  }
  return fit;
}

}  // namespace velqoris
