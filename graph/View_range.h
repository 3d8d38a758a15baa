// Which part of the data the main graph shows. The designed view shows every
// sample position (0 … positions - 1) on the axis the scaling picks; the
// wheel steps the visible sample positions and values through 1-2-5 spans
// about the pointer, a rectangle shows exactly itself, and once the user has
// zoomed or moved the values the axis is the one chosen, not snapped to a
// grid (the value under the pointer stays there). Plain C++: the window turns
// wheel steps, drags and rectangles into fractions of the plot and asks for
// the range.
#pragma once

#include <cstdint>

namespace velqoris {

// The values of a Y axis: bottom grid line and the height of all ten divisions.
struct ValueAxis {
  double bottom = 0;
  double span = 1;
};

class TViewRange {
 public:
  // The fewest sample positions a zoomed view shows: single samples stand apart.
  static constexpr std::int64_t kMinSpan = 5;

  // Positions of the designed view (the larger of 100 and the held count).
  // Another number means other data: the view returns to the designed one.
  void SetPositions(std::int64_t positions);
  std::int64_t Positions() const { return positions_; }

  bool Zoomed() const { return zoomedX_ || manualY_; }
  bool ManualY() const { return manualY_; }
  void Reset();
  // Back to the values the scaling picks (the unit on screen changed).
  void ResetValues() { manualY_ = false; }

  // Visible sample positions: First() … First() + Span().
  std::int64_t First() const { return zoomedX_ ? first_ : 0; }
  std::int64_t Span() const { return zoomedX_ ? span_ : DesignedSpan(); }
  // The value axis the user chose; meaningful while ManualY().
  ValueAxis Values() const { return values_; }

  // The held data's extremes in the unit on screen: a moved axis keeps its
  // centre between them.
  void SetValueLimits(double low, double high);

  // Wheel steps over the plot: each positive step zooms in by one 1-2-5 row,
  // each negative one out, keeping the sample under the pointer where it is
  // (pointer: 0 = left edge … 1 = right edge).
  void WheelX(double pointer, int steps);
  // The same for values (pointer: 0 = top … 1 = bottom); shown = the axis on
  // screen, voltMode chooses the span table.
  void WheelY(double pointer, int steps, ValueAxis shown, bool voltMode);
  // A drag by fractions of the plot (right and down positive). Values move
  // only once the user has chosen them.
  void Pan(double dx, double dy);
  // A dragged rectangle in fractions (left < right, top < bottom): the view
  // becomes that rectangle (at least kMinSpan positions).
  void ZoomTo(double left, double right, double top, double bottom, ValueAxis shown);

  // Sample position under a bitmap column, and back (x = 1 … width - 1 across).
  double PositionAt(double x, int bitmapWidth) const;
  double ColumnOf(double position, int bitmapWidth) const;

  // The next 1-2-5 row above (up) or below a span; the value tables are the
  // axis scaling's (codes: 10 … 20000000, microvolts: 0.2 … 6000000).
  static std::int64_t StepPositions(std::int64_t span, bool up);
  static double StepValues(double span, bool up, bool voltMode);

 private:
  std::int64_t DesignedSpan() const { return positions_ - 1; }
  void SetX(double centre, std::int64_t span, double pointer);
  void SetY(double valueAtPointer, double span, double pointer);
  void ClampY();

  std::int64_t positions_ = 100;
  bool zoomedX_ = false;
  std::int64_t first_ = 0;
  std::int64_t span_ = 99;
  bool manualY_ = false;
  ValueAxis values_;
  double low_ = 0;
  double high_ = 0;
};

}  // namespace velqoris
