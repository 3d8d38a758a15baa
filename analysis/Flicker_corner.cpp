#include "analysis/Flicker_corner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace velqoris::analysis {

namespace {

// A line: a bin 10 × the median of the 17 bins around it.
constexpr double kLineFactor = 10.0;
constexpr std::size_t kMedianHalf = 8;
// A Hann line's main lobe reaches 2 bins either side; one more for safety.
constexpr std::size_t kLobe = 3;
// Leakage is left out where it adds a hundredth of the background or more.
constexpr double kLeakageShare = 0.01;
// The corner is reported when the 1/f term stands 3 standard errors above zero.
constexpr double kSignificance = 3.0;
// Hann segments: neighbouring bins' powers correlate (|ρ|² = 4/9, then
// 1/36), so each bin counts for less than a whole one: 1 + 2 (4/9 + 1/36).
constexpr double kBinCorrelation = 1.0 + 2.0 * (4.0 / 9.0 + 1.0 / 36.0);

double Median(std::vector<double>& v) {
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

// A Hann window's power response δ bins from a line, relative to its peak.
double HannLeakage(double delta) {
  if (delta < 1.5) return 1.0;
  const double d2 = delta * delta;
  return 1.0 / (std::numbers::pi * std::numbers::pi * d2 * (d2 - 1.0) * (d2 - 1.0));
}

// Marks lines and their leakage; returns the running median (the background).
std::vector<double> MarkLines(const std::vector<double>& psd, std::size_t first, std::size_t end,
                              std::vector<char>& out) {
  const std::size_t bins = psd.size();
  std::vector<double> background(bins, 0.0);
  std::vector<double> window;
  for (std::size_t k = 0; k < end; ++k) {
    const std::size_t lo = k > kMedianHalf ? k - kMedianHalf : 0;
    const std::size_t hi = std::min(bins, k + kMedianHalf + 1);
    window.assign(psd.begin() + static_cast<std::ptrdiff_t>(lo),
                  psd.begin() + static_cast<std::ptrdiff_t>(hi));
    background[k] = Median(window);
  }
  out.assign(bins, 0);
  for (std::size_t k = 1; k < end; ++k) {
    const bool peak = psd[k] >= psd[k - 1] && (k + 1 >= bins || psd[k] >= psd[k + 1]);
    if (!peak || !(psd[k] > kLineFactor * background[k])) continue;
    // The line and every bin its leakage raises by a tenth of the background
    // (the leakage falls as δ⁻⁶: twice the reach where it meets this bin's).
    const double reach =
        2.0 * std::pow(psd[k] / (kLeakageShare * background[k]), 1.0 / 6.0) + kLobe;
    const std::size_t from = std::max(first, k > reach ? k - static_cast<std::size_t>(reach) : 0);
    const std::size_t to = std::min(end, k + static_cast<std::size_t>(reach) + 1);
    for (std::size_t j = from; j < to; ++j) {
      const double delta = std::fabs(static_cast<double>(j) - static_cast<double>(k));
      if (delta <= kLobe || psd[k] * HannLeakage(delta) > kLeakageShare * background[j]) {
        out[j] = 1;
      }
    }
  }
  return background;
}

// Solves the 3 × 3 system a x = b; false when singular.
bool Solve3(std::array<std::array<double, 3>, 3> a, std::array<double, 3>& b,
            std::array<std::array<double, 3>, 3>& inverse) {
  std::array<std::array<double, 6>, 3> m{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[r][c] = a[r][c];
    m[r][3 + r] = 1.0;
  }
  for (int c = 0; c < 3; ++c) {
    int p = c;
    for (int r = c + 1; r < 3; ++r) {
      if (std::fabs(m[r][c]) > std::fabs(m[p][c])) p = r;
    }
    if (!(std::fabs(m[p][c]) > 0.0)) return false;
    std::swap(m[p], m[c]);
    for (int r = 0; r < 3; ++r) {
      if (r == c) continue;
      const double k = m[r][c] / m[c][c];
      for (int j = 0; j < 6; ++j) m[r][j] -= k * m[c][j];
    }
  }
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) inverse[r][c] = m[r][3 + c] / m[r][r];
  }
  std::array<double, 3> x{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) x[r] += inverse[r][c] * b[c];
  }
  b = x;
  return true;
}

}  // namespace

std::optional<CornerFit> FitFlickerCorner(const std::vector<double>& psd, double binHz,
                                          std::int64_t segments, std::size_t firstBin) {
  const std::size_t bins = psd.size();
  if (bins < 8 || !(binHz > 0.0) || segments < 1) return std::nullopt;
  // Up to half the Nyquist frequency: above it the converter's filter bends the noise.
  std::size_t end = std::max<std::size_t>(firstBin + 4, (bins - 1) / 2 + 1);
  end = std::min(end, bins);
  std::vector<char> excluded;
  MarkLines(psd, firstBin, end, excluded);
  CornerFit fit;
  for (std::size_t k = firstBin; k < end; ++k) fit.lineBins += excluded[k] != 0;
  std::size_t lowest = firstBin;
  while (lowest < end && excluded[lowest]) ++lowest;
  if (lowest > firstBin) fit.hiddenBelowHz = binHz * static_cast<double>(lowest);
  // P(f) = W + A/f + B/f², weighted by the model's own relative error
  // (a bin's estimate scatters in proportion to its level): two passes.
  std::array<double, 3> x{};
  std::array<std::array<double, 3>, 3> inverse{};
  double rss = 0.0;
  double used = 0.0;
  for (int pass = 0; pass < 3; ++pass) {
    std::array<std::array<double, 3>, 3> a{};
    std::array<double, 3> b{};
    for (std::size_t k = lowest; k < end; ++k) {
      if (excluded[k] || !(psd[k] > 0.0)) continue;
      const double f = binHz * static_cast<double>(k);
      const std::array<double, 3> row = {1.0, 1.0 / f, 1.0 / (f * f)};
      const double model = pass == 0 ? psd[k] : x[0] + x[1] * row[1] + x[2] * row[2];
      const double w = model > 0.0 ? 1.0 / (model * model) : 0.0;
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) a[r][c] += w * row[r] * row[c];
        b[r] += w * row[r] * psd[k];
      }
    }
    if (!Solve3(a, b, inverse)) return std::nullopt;
    x = b;
  }
  for (std::size_t k = lowest; k < end; ++k) {
    if (excluded[k] || !(psd[k] > 0.0)) continue;
    const double f = binHz * static_cast<double>(k);
    const double model = x[0] + x[1] / f + x[2] / (f * f);
    if (!(model > 0.0)) continue;
    rss += (psd[k] - model) * (psd[k] - model) / (model * model);
    used += 1.0;
  }
  if (used < 8.0 || !(x[0] > 0.0)) return std::nullopt;
  fit.whitePsd = x[0];
  // The parameters' covariance: the scatter the residuals show, neighbouring
  // bins' correlation counted.
  const double scale = rss / (used - 3.0) * kBinCorrelation;
  const double varW = inverse[0][0] * scale;
  const double varA = inverse[1][1] * scale;
  const double covWA = inverse[0][1] * scale;
  if (x[1] > 0.0 && x[1] > kSignificance * std::sqrt(std::max(varA, 0.0))) {
    const double corner = x[1] / x[0];
    const double relative =
        varA / (x[1] * x[1]) + varW / (x[0] * x[0]) - 2.0 * covWA / (x[0] * x[1]);
    fit.cornerHz = corner;
    fit.cornerErrorHz = corner * std::sqrt(std::max(relative, 0.0));
  }
  return fit;
}

}  // namespace velqoris::analysis
