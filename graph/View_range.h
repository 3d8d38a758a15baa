// Which part of the data the main graph shows. The designed view shows every
// sample position (0 … positions - 1) on the axis the scaling picks; a zoomed
// view shows a 1-2-5 number of sample positions, so that each of the ten
// divisions is a round count, and once the user has zoomed or moved the
// values too, a 1-2-5 span of values whose bottom is aligned as the designed
// axis aligns it. Plain C++: the window turns wheel steps, drags and
// rectangles into fractions of the plot and asks for the range.
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
  // screen, voltMode chooses the span table and the alignment of the bottom.
  void WheelY(double pointer, int steps, ValueAxis shown, bool voltMode);
  // A drag by fractions of the plot (right and down positive). Values move
  // only once the user has chosen them.
  void Pan(double dx, double dy, bool voltMode);
  // A dragged rectangle in fractions (left < right, top < bottom): the
  // smallest 1-2-5 spans that hold it, centred on it.
  void ZoomTo(double left, double right, double top, double bottom, ValueAxis shown, bool voltMode);

  // Sample position under a bitmap column, and back (x = 1 … width - 1 across).
  double PositionAt(double x, int bitmapWidth) const;
  double ColumnOf(double position, int bitmapWidth) const;

  // The next 1-2-5 row above (up) or below a span; the value tables are the
  // axis scaling's (codes: 10 … 20000000, microvolts: 0.2 … 6000000).
  static std::int64_t StepPositions(std::int64_t span, bool up);
  static double StepValues(double span, bool up, bool voltMode);
  // Bottom aligned as the scaling aligns it: codes towards zero to a
  // twentieth of the span (spans above 10), microvolts to the nearest tenth.
  static double AlignBottom(double bottom, double span, bool voltMode);

 private:
  std::int64_t DesignedSpan() const { return positions_ - 1; }
  void SetX(double centre, std::int64_t span, double pointer);
  void SetY(double valueAtPointer, double span, double pointer, bool voltMode);
  void ClampY(bool voltMode);

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
