#include "graph/View_range.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velqoris {

namespace {

// The spans the axis scaling picks from (Axis_scale.cpp), largest last.
constexpr std::array<double, 20> kCodeSpans = {
    10,    20,    50,     100,    200,    500,     1000,    2000,    5000,     10000,
    20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000, 10000000, 20000000};
constexpr std::array<double, 24> kVoltSpans = {
    0.2,  0.5,  1,     2,     5,     10,     20,     50,     100,     200,     500,     1000,
    2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000, 6000000};

template <std::size_t N>
double Step(const std::array<double, N>& table, double span, bool up) {
  // A span between rows (or off the table) steps to the neighbouring row.
  const double tolerance = span * 1e-9;
  if (up) {
    for (const double row : table) {
      if (row > span + tolerance) return row;
    }
    return table.back();
  }
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    if (*it < span - tolerance) return *it;
  }
  return table.front();
}

}  // namespace

void TViewRange::SetPositions(std::int64_t positions) {
  positions = std::max<std::int64_t>(positions, 2);
  if (positions == positions_) return;
  positions_ = positions;
  Reset();
}

void TViewRange::Reset() {
  zoomedX_ = false;
  manualY_ = false;
  first_ = 0;
  span_ = DesignedSpan();
}

void TViewRange::SetValueLimits(double low, double high) {
  low_ = std::min(low, high);
  high_ = std::max(low, high);
}

std::int64_t TViewRange::StepPositions(std::int64_t span, bool up) {
  // Rows 1, 2, 5, 10, 20, 50 …: the first above span, or the last below it.
  std::int64_t below = 1;
  for (std::int64_t decade = 1;; decade *= 10) {
    for (const std::int64_t m : {1, 2, 5}) {
      const std::int64_t row = m * decade;
      if (row > span) return up ? row : below;
      if (row < span) below = row;
    }
  }
}

double TViewRange::StepValues(double span, bool up, bool voltMode) {
  return voltMode ? Step(kVoltSpans, span, up) : Step(kCodeSpans, span, up);
}

void TViewRange::SetX(double centre, std::int64_t span, double pointer) {
  span = std::max(span, kMinSpan);
  if (span >= DesignedSpan()) {
    zoomedX_ = false;
    first_ = 0;
    span_ = DesignedSpan();
    return;
  }
  zoomedX_ = true;
  span_ = span;
  const auto first =
      static_cast<std::int64_t>(std::llround(centre - pointer * static_cast<double>(span)));
  first_ = std::clamp<std::int64_t>(first, 0, DesignedSpan() - span_);
}

void TViewRange::WheelX(double pointer, int steps) {
  if (steps == 0) return;
  pointer = std::clamp(pointer, 0.0, 1.0);
  const double under = static_cast<double>(First()) + pointer * static_cast<double>(Span());
  std::int64_t span = Span();
  for (int i = 0; i < std::abs(steps); ++i) span = StepPositions(span, steps < 0);
  SetX(under, span, pointer);
}

void TViewRange::SetY(double valueAtPointer, double span, double pointer) {
  manualY_ = true;
  values_.span = span;
  // Exact, not snapped to a grid: the value under the pointer stays there.
  values_.bottom = valueAtPointer - span * (1.0 - pointer);
  ClampY();
}

void TViewRange::ClampY() {
  const double centre = values_.bottom + values_.span / 2;
  const double kept = std::clamp(centre, low_, high_);
  if (kept != centre) values_.bottom = kept - values_.span / 2;
}

void TViewRange::WheelY(double pointer, int steps, ValueAxis shown, bool voltMode) {
  if (steps == 0) return;
  pointer = std::clamp(pointer, 0.0, 1.0);
  const ValueAxis axis = manualY_ ? values_ : shown;
  const double under = axis.bottom + axis.span * (1.0 - pointer);
  double span = axis.span;
  for (int i = 0; i < std::abs(steps); ++i) span = StepValues(span, steps < 0, voltMode);
  SetY(under, span, pointer);
}

void TViewRange::Pan(double dx, double dy) {
  if (zoomedX_) {
    const auto shift = static_cast<std::int64_t>(std::llround(dx * static_cast<double>(span_)));
    first_ = std::clamp<std::int64_t>(first_ - shift, 0, DesignedSpan() - span_);
  }
  if (manualY_) {
    values_.bottom += dy * values_.span;
    ClampY();
  }
}

void TViewRange::ZoomTo(double left, double right, double top, double bottom, ValueAxis shown) {
  left = std::clamp(left, 0.0, 1.0);
  right = std::clamp(right, left, 1.0);
  top = std::clamp(top, 0.0, 1.0);
  bottom = std::clamp(bottom, top, 1.0);
  // The view becomes the rectangle itself, to the nearest sample position.
  const double from = static_cast<double>(First()) + left * static_cast<double>(Span());
  const double to = static_cast<double>(First()) + right * static_cast<double>(Span());
  const std::int64_t span = std::llround(to) - std::llround(from);
  SetX((from + to) / 2, span, 0.5);

  const ValueAxis axis = manualY_ ? values_ : shown;
  const double height = (bottom - top) * axis.span;
  if (height > 0) SetY(axis.bottom + axis.span * (1.0 - bottom), height, 1.0);
}

double TViewRange::PositionAt(double x, int bitmapWidth) const {
  const double across = std::max(bitmapWidth - 2, 1);
  return static_cast<double>(First()) + (x - 1) * static_cast<double>(Span()) / across;
}

double TViewRange::ColumnOf(double position, int bitmapWidth) const {
  const double across = std::max(bitmapWidth - 2, 1);
  return 1 + (position - static_cast<double>(First())) * across / static_cast<double>(Span());
}

}  // namespace velqoris
