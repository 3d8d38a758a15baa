#include "graph/View_range.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graph/Cursor_readout.h"
#include "graph/Sample_axis.h"

namespace velqoris {
namespace {

// Wheel steps over 10000 positions (designed span 9999): each notch is one
// 1-2-5 row, the sample under the pointer stays under it, the ends clamp.
struct WheelCase {
  double pointer;
  int steps;
  std::int64_t first, span;
};

class WheelTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(WheelTest, RangeAfterSteps) {
  TViewRange range;
  range.SetPositions(10000);
  range.WheelX(GetParam().pointer, GetParam().steps);
  EXPECT_EQ(range.First(), GetParam().first);
  EXPECT_EQ(range.Span(), GetParam().span);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WheelTest,
    ::testing::Values(WheelCase{0.5, 1, 2500, 5000},  // 4999.5 stays mid-plot
                      WheelCase{0.5, 3, 4500, 1000},  // 5000, 2000, 1000
                      WheelCase{0.0, 2, 0, 2000},     // left edge pinned
                      WheelCase{1.0, 2, 7999, 2000},  // right edge: last position 9999
                      WheelCase{0.25, 20, 2499, 5},   // no closer than 5 positions
                      WheelCase{0.5, -1, 0, 9999},    // out from the designed view: stays
                      WheelCase{0.5, 0, 0, 9999}));

TEST(ViewRangeTest, PanClampsAtTheDataEndsAndZoomingOutReturnsToTheDesignedView) {
  TViewRange range;
  range.SetPositions(1000);
  range.WheelX(0.5, 2);  // 200 positions about 499.5
  ASSERT_EQ(range.Span(), 200);
  range.Pan(0.25, 0);  // the data follow the pointer right: 50 positions back
  EXPECT_EQ(range.First(), 400 - 50);
  range.Pan(10, 0);
  EXPECT_EQ(range.First(), 0);
  range.Pan(-10, 0);
  EXPECT_EQ(range.First(), 999 - 200);
  range.WheelX(0.5, -2);
  EXPECT_FALSE(range.Zoomed());
  EXPECT_EQ(range.Span(), 999);
}

TEST(ViewRangeTest, ValuesZoomThroughTheScalingsSpans) {
  TViewRange range;
  range.SetPositions(1000);
  range.SetValueLimits(8388000, 8389000);
  // Code axis 8388584 … +50 (worked example); pointer at the middle row.
  range.WheelY(0.5, 1, {8388584, 50}, false);
  ASSERT_TRUE(range.ManualY());
  EXPECT_EQ(range.Values().span, 20);
  EXPECT_EQ(range.Values().bottom, 8388599);  // 8388609 stays mid-axis
  range.WheelY(0.5, -2, {}, false);
  EXPECT_EQ(range.Values().span, 100);
  EXPECT_EQ(range.Values().bottom, 8388559);
  // Moved far away, the axis centre stays on the data.
  TViewRange volts;
  volts.SetValueLimits(-10, 10);
  volts.WheelY(0.0, 1, {-4, 10}, true);
  EXPECT_DOUBLE_EQ(volts.Values().span, 5);
  EXPECT_DOUBLE_EQ(volts.Values().bottom, 1.0);  // the top stays at 6
  volts.Pan(0, 100);
  EXPECT_DOUBLE_EQ(volts.Values().bottom + volts.Values().span / 2, 10);
}

// A navigation fault: Ctrl+wheel snapped each step's bottom to a grid, so
// the value under the pointer drifted a little with every notch.
struct ValueWheelCase {
  double pointer;
  ValueAxis shown;
  bool voltMode;
};

class ValueWheelTest : public ::testing::TestWithParam<ValueWheelCase> {};

TEST_P(ValueWheelTest, TheValueUnderThePointerStaysThroughEveryNotch) {
  const ValueWheelCase c = GetParam();
  TViewRange range;
  range.SetValueLimits(-1e9, 1e9);
  const double under = c.shown.bottom + c.shown.span * (1 - c.pointer);
  ValueAxis shown = c.shown;
  for (const int steps : {1, 1, 1, 2, -1, -3, 1, -2, 3}) {
    range.WheelY(c.pointer, steps, shown, c.voltMode);
    shown = range.Values();
    EXPECT_NEAR(shown.bottom + shown.span * (1 - c.pointer), under, 1e-9 * (1 + std::abs(under)))
        << steps;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Notches, ValueWheelTest,
    ::testing::Values(ValueWheelCase{0.5, {8388584, 50}, false},
                      ValueWheelCase{0.137, {8388584, 50}, false},  // off any grid line
                      ValueWheelCase{0.93, {8300000, 200000}, false},
                      ValueWheelCase{0.31, {-4, 10}, true},
                      ValueWheelCase{0.77, {-0.1, 0.2}, true},  // the smallest volt span
                      ValueWheelCase{0.05, {-3000000, 6000000}, true}));

// A navigation fault: a Shift rectangle showed the smallest 1-2-5 spans that
// held it, up to two and a half times wider and higher than drawn.
struct RectangleCase {
  std::int64_t positions;
  double left, right, top, bottom;
  ValueAxis shown;
  std::int64_t first, span;
  double valueBottom, valueSpan;
};

class RectangleTest : public ::testing::TestWithParam<RectangleCase> {};

TEST_P(RectangleTest, TheViewIsTheRectangle) {
  const RectangleCase c = GetParam();
  TViewRange range;
  range.SetPositions(c.positions);
  range.SetValueLimits(-1e9, 1e9);
  range.ZoomTo(c.left, c.right, c.top, c.bottom, c.shown);
  EXPECT_EQ(range.First(), c.first);
  EXPECT_EQ(range.Span(), c.span);
  EXPECT_NEAR(range.Values().bottom, c.valueBottom, 1e-9 * std::abs(c.valueBottom) + 1e-12);
  EXPECT_NEAR(range.Values().span, c.valueSpan, 1e-9 * c.valueSpan);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, RectangleTest,
    ::testing::Values(
        // 30 % … 60 % of 9999 positions: 2999.7 … 5999.4 → 3000 … 5999.
        RectangleCase{10000, 0.3, 0.6, 0.2, 0.4, {8388500, 1000}, 3000, 2999, 8389100, 200},
        // 1 % of 1000 positions: 9.99 … 19.98 → 10 … 20; 0.37 of a 50-code axis.
        RectangleCase{1000, 0.01, 0.02, 0.5, 0.87, {8388584, 50}, 10, 10, 8388590.5, 18.5},
        // Narrower than five positions: five about its centre.
        RectangleCase{1000, 0.5, 0.501, 0.0, 1.0, {-4, 10}, 497, 5, -4, 10},
        // A microvolt rectangle: 0.1 … 0.9 of the 10 µV axis from -4.
        RectangleCase{100, 0.25, 0.75, 0.1, 0.9, {-4, 10}, 25, 49, -3, 8}));

TEST(ViewRangeTest, OtherDataReturnToTheDesignedView) {
  TViewRange range;
  range.SetPositions(1000);
  range.WheelX(0.5, 1);
  range.SetPositions(1000);
  EXPECT_TRUE(range.Zoomed());
  range.SetPositions(2000);
  EXPECT_FALSE(range.Zoomed());
}

TEST(CursorReadoutTest, NearestSampleTimeAndValues) {
  std::int32_t codes0[20] = {};
  std::int32_t codes1[20] = {};
  float uv0[20] = {};
  for (int i = 0; i < 20; ++i) {
    codes0[i] = 8388608 + i;
    codes1[i] = 8388608 - i;
    uv0[i] = 0.25f * static_cast<float>(i);
  }
  const SampleBuffer ch0{20, codes0, uv0};
  const SampleBuffer ch1{12, codes1, uv0};
  MeasureSettings s;
  s.spsSel = 12;  // 4800 sps
  const auto r = ReadCursor(ch0, ch1, s, 13.6);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->sample, 15);
  EXPECT_DOUBLE_EQ(r->seconds, 14.0 / 4800);
  EXPECT_TRUE(r->held[0]);
  EXPECT_FALSE(r->held[1]);  // CH1 holds only 12
  EXPECT_EQ(CursorText(*r, false), "No.15  0.00292s  CH0: 8388622");
  EXPECT_EQ(CursorText(*ReadCursor(ch0, ch1, s, 2), true),
            "No.3  0.00042s  CH0: 0.5000uV  CH1: 0.5000uV");
  EXPECT_FALSE(ReadCursor(ch0, ch1, s, 19.6));
  EXPECT_FALSE(ReadCursor(ch0, ch1, s, -0.6));
}

TEST(SampleAxisTest, LabelsInSamplesOrSeconds) {
  EXPECT_EQ(XAxisTexts(2500, 5000, 10, false),
            std::make_pair(std::string("2501"), std::string("7501")));
  EXPECT_EQ(XAxisTexts(0, 999, 10, true),
            std::make_pair(std::string("0.00"), std::string("99.90s")));
}

}  // namespace
}  // namespace velqoris
