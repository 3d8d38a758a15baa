#include "graph/Line_raster.h"

#include <gtest/gtest.h>

#include <vector>

namespace velqoris {
namespace {

constexpr std::uint32_t kInk = 0xFF123456;

// A 20 x 10 view inside a larger buffer whose guard cells must stay untouched.
class LineRasterTest : public ::testing::Test {
 protected:
  static constexpr int kGuard = 4;
  static constexpr int kStride = 20 + 2 * kGuard;
  LineRasterTest() : cells(static_cast<std::size_t>(kStride * (10 + 2 * kGuard)), 0) {
    view.bits = cells.data() + kGuard * kStride + kGuard;
    view.width = 20;
    view.height = 10;
    view.stride = kStride;
  }
  std::uint32_t At(int x, int y) const {
    return cells[static_cast<std::size_t>((y + kGuard) * kStride + x + kGuard)];
  }
  int Inked() const {
    int n = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) n += At(x, y) == kInk;
    return n;
  }
  bool GuardClean() const {
    for (int y = -kGuard; y < 10 + kGuard; ++y)
      for (int x = -kGuard; x < 20 + kGuard; ++x) {
        const bool inside = x >= 0 && y >= 0 && x < 20 && y < 10;
        if (!inside && At(x, y) != 0) return false;
      }
    return true;
  }
  std::vector<std::uint32_t> cells;
  PixelView view;
};

TEST_F(LineRasterTest, EndPointIsNotPainted) {
  DrawLineTo(view, 2, 3, 7, 3, kInk);
  for (int x = 2; x < 7; ++x) EXPECT_EQ(At(x, 3), kInk) << x;
  EXPECT_NE(At(7, 3), kInk);
  EXPECT_EQ(Inked(), 5);

  DrawLineTo(view, 10, 8, 10, 1, kInk);  // upwards
  EXPECT_EQ(At(10, 8), kInk);
  EXPECT_EQ(At(10, 2), kInk);
  EXPECT_NE(At(10, 1), kInk);
}

TEST_F(LineRasterTest, ZeroLengthPaintsNothing) {
  DrawLineTo(view, 5, 5, 5, 5, kInk);
  EXPECT_EQ(Inked(), 0);
}

TEST_F(LineRasterTest, PolylinePaintsEverySharedVertexOnce) {
  DrawLineTo(view, 0, 0, 4, 4, kInk);
  DrawLineTo(view, 4, 4, 8, 0, kInk);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(At(i, i), kInk);
  EXPECT_EQ(At(4, 4), kInk);
  EXPECT_EQ(At(5, 3), kInk);
  EXPECT_NE(At(8, 0), kInk);
  EXPECT_EQ(Inked(), 8);
}

TEST_F(LineRasterTest, ShallowAndSteepLinesAreConnected) {
  DrawLineTo(view, 0, 0, 19, 5, kInk);
  for (int x = 0; x < 19; ++x) {
    int inColumn = 0;
    for (int y = 0; y < 10; ++y) inColumn += At(x, y) == kInk;
    EXPECT_EQ(inColumn, 1) << x;
  }
}

TEST_F(LineRasterTest, NothingIsWrittenOutsideTheView) {
  DrawLineTo(view, -3, 5, 25, 5, kInk);
  DrawLineTo(view, 5, -3, 5, 14, kInk);
  DrawLineTo(view, -2, -2, 22, 12, kInk);
  EXPECT_TRUE(GuardClean());
  EXPECT_EQ(At(0, 5), kInk);
  EXPECT_EQ(At(19, 5), kInk);
}

TEST_F(LineRasterTest, HugeCoordinatesAreClippedToTheView) {
  // Far longer than the view: only the visible part is walked, end included
  // when the end was cut off.
  DrawLineTo(view, 3, -1000000000, 3, 1000000000, kInk);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(At(3, y), kInk) << y;
  DrawLineTo(view, -1000000000, 1000000000, -999999990, 1000000000, kInk);
  DrawLineTo(view, 100000, -50, 100000, 1000000, kInk);
  EXPECT_EQ(Inked(), 10);
  EXPECT_TRUE(GuardClean());
}

TEST_F(LineRasterTest, EmptyViewIsIgnored) {
  PixelView empty;
  DrawLineTo(empty, 0, 0, 5, 5, kInk);
  EXPECT_EQ(Inked(), 0);
}

}  // namespace
}  // namespace velqoris
