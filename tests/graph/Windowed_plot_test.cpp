#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "graph/Axis_scale.h"
#include "graph/Line_raster.h"
#include "graph/Trace_plot.h"

namespace velqoris {
namespace {

constexpr int kW = 558, kH = 367;
constexpr std::uint32_t kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;

struct Picture {
  std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kW * kH, kWhite);
  PixelView View() { return {pixels.data(), kW, kH, kW}; }
};

class WindowedPlotTest : public ::testing::Test {
 protected:
  WindowedPlotTest() : codes(kSampleCapacity), uv(kSampleCapacity) {
    ch0 = {0, codes.data(), uv.data()};
    ch1 = {0, codes.data(), uv.data()};
  }
  void Sine(int n, double cycles) {
    for (int i = 0; i < n; ++i) {
      codes[i] =
          8388608 + static_cast<std::int32_t>(std::lround(
                        4000 * std::sin(2 * std::numbers::pi * cycles * i / n) + (i % 7) * 50));
    }
    ch0.Count = n;
    scale.ScaleAll();
  }
  int Row(std::int32_t code) const {
    return static_cast<int>(kH *
                            (1.0 - static_cast<double>(code - scale.CodeBottom) / scale.CodeSpan));
  }

  std::vector<std::int32_t> codes;
  std::vector<float> uv;
  SampleBuffer ch0, ch1;
  MeasureSettings settings;
  TAxisScale scale{ch0, ch1, settings};
  TTracePlot plot{ch0, ch1, settings, scale, {0xFF808080, kRed, 0xFF0000FF}};
};

// Up to a column per sample, the whole data's window is the designed drawing.
TEST_F(WindowedPlotTest, DesignedWindowDrawsAsPlotAll) {
  for (const int n : {100, 200, 500}) {
    Sine(n, 3);
    Picture all, windowed;
    plot.PlotAll(all.View(), false);
    plot.PlotWindowed(
        windowed.View(), false,
        {0, n - 1, static_cast<double>(scale.CodeBottom), static_cast<double>(scale.CodeSpan)});
    EXPECT_EQ(all.pixels, windowed.pixels) << n;
  }
}

// Denser than the columns: each column is one unbroken run from the lowest to
// the highest of its samples and the sample before, taken from the samples.
TEST_F(WindowedPlotTest, DenseTraceIsAColumnEnvelopeOfTheSamples) {
  const int n = 10000;
  Sine(n, 13);
  Picture p;
  plot.PlotWindowed(
      p.View(), false,
      {0, n - 1, static_cast<double>(scale.CodeBottom), static_cast<double>(scale.CodeSpan)});
  const double dx = static_cast<float>((kW - 2.0) / (n - 1));
  std::vector<int> low(kW, kH), high(kW, -1);
  for (int i = 0; i < n; ++i) {
    const int x = static_cast<int>(i * dx) + 1;
    for (const int k : {i, std::max(i - 1, 0)}) {
      low[x] = std::min(low[x], Row(codes[k]));
      high[x] = std::max(high[x], Row(codes[k]));
    }
  }
  int painted = 0;
  for (int x = 0; x < kW; ++x) {
    int first = -1, last = -1, count = 0;
    for (int y = 0; y < kH; ++y) {
      if (p.pixels[y * kW + x] != kRed) continue;
      if (first < 0) first = y;
      last = y;
      ++count;
    }
    if (high[x] < 0) {
      EXPECT_EQ(count, 0) << x;
      continue;
    }
    painted += count;
    EXPECT_EQ(first, std::max(low[x], 0)) << x;
    EXPECT_EQ(last, std::min(high[x], kH - 1)) << x;
    EXPECT_EQ(count, last - first + 1) << x;
  }
  EXPECT_GT(painted, 0);
}

TEST_F(WindowedPlotTest, FarZoomedSamplesStandApartWithSquares) {
  Sine(1000, 1);
  Picture p;
  // Positions 100 … 105: 111.2 pixels apart.
  plot.PlotWindowed(
      p.View(), false,
      {100, 5, static_cast<double>(scale.CodeBottom), static_cast<double>(scale.CodeSpan)});
  for (int i = 100; i <= 105; ++i) {
    const int x =
        static_cast<int>((i - 100) * static_cast<double>(static_cast<float>(556.0 / 5))) + 1;
    const int y = Row(codes[i]);
    if (y < 1 || y >= kH - 1) continue;
    for (const int d : {-1, 1}) EXPECT_EQ(p.pixels[(y + d) * kW + x + 1], kRed) << i;
  }
}

}  // namespace
}  // namespace velqoris
