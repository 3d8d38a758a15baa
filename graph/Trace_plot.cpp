#include "graph/Trace_plot.h"

#include <algorithm>
#include <cmath>

namespace velqoris {

namespace {

// Pixel coordinates are bounded far outside any bitmap so that values off the
// axis stay integers; the line routine clips them.
constexpr double kCoordinateLimit = 1 << 28;

std::int64_t TruncCoordinate(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int64_t>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

bool Readable(bool voltMode, const SampleBuffer& buffer) {
  return voltMode ? buffer.Microvolts != nullptr : buffer.Codes != nullptr;
}

// Samples this many pixels apart or more get a square of their own.
constexpr float kMarkSpacing = 8.0f;

}  // namespace

TTracePlot::TTracePlot(const SampleBuffer& ch0, const SampleBuffer& ch1,
                       const MeasureSettings& settings, const TAxisScale& scale,
                       TraceColours colours)
    : Ch0(ch0), Ch1(ch1), Settings(settings), Scale(scale), Colours(colours) {}

void TTracePlot::HorizontalGrid(const PixelView& view) const {
  for (int i = 0; i <= 10; ++i) {
    const std::int64_t y = TruncCoordinate((view.height - 1) * i * 0.1);
    DrawLineTo(view, 0, y, view.width - 1, y, Colours.grid);
  }
}

void TTracePlot::VerticalGrid(const PixelView& view) const {
  for (int i = 0; i <= 10; ++i) {
    const std::int64_t x = TruncCoordinate((view.width - 1) * i * 0.1);
    DrawLineTo(view, x, 0, x, view.height - 1, Colours.grid);
  }
}

std::int64_t TTracePlot::Y(bool voltMode, const SampleBuffer& buffer, int i, int height) const {
  double fraction = 0;
  if (voltMode) {
    fraction = (static_cast<double>(buffer.Microvolts[i]) - Scale.UVBottom) / Scale.UVSpan;
  } else {
    // 64-bit difference: any pair of 32-bit codes.
    fraction = static_cast<double>(static_cast<std::int64_t>(buffer.Codes[i]) - Scale.CodeBottom) /
               Scale.CodeSpan;
  }
  return TruncCoordinate(height * (1.0 - fraction));
}

void TTracePlot::PlotAll(const PixelView& view, bool voltMode) const {
  if (Scale.BothEmpty()) return;
  const int n1 = HeldSamples(Ch1);
  const int n = std::max(100, n1 != 0 ? n1 : HeldSamples(Ch0));
  const float dx = static_cast<float>(static_cast<double>(view.width - 2) / (n - 1));
  const auto plot = [&](const SampleBuffer& buffer, std::uint32_t colour) {
    const int count = HeldSamples(buffer);
    if (count < 10 || !Readable(voltMode, buffer)) return;
    std::int64_t x = 1;
    std::int64_t y = Y(voltMode, buffer, 0, view.height);
    for (int i = 0; i + 1 < count; ++i) {
      const std::int64_t nextX = TruncCoordinate((i + 1) * static_cast<double>(dx)) + 1;
      const std::int64_t nextY = Y(voltMode, buffer, i + 1, view.height);
      DrawLineTo(view, x, y, nextX, nextY, colour);
      x = nextX;
      y = nextY;
    }
  };
  plot(Ch0, Colours.channel0);
  plot(Ch1, Colours.channel1);
}

void TTracePlot::PlotWindowed(const PixelView& view, bool voltMode,
                              const PlotWindow& window) const {
  if (Scale.BothEmpty() || window.span <= 0 || window.valueSpan <= 0) return;
  const float dx = static_cast<float>(static_cast<double>(view.width - 2) / window.span);
  const bool dense = window.span + 1 > view.width - 2;
  const bool marked = dx >= kMarkSpacing;
  const auto rowOf = [&](const SampleBuffer& buffer, std::int64_t i) {
    const double value =
        voltMode ? static_cast<double>(buffer.Microvolts[i]) : static_cast<double>(buffer.Codes[i]);
    return TruncCoordinate(view.height * (1.0 - (value - window.bottom) / window.valueSpan));
  };
  const auto columnOf = [&](std::int64_t i) {
    return TruncCoordinate(static_cast<double>(i - window.first) * static_cast<double>(dx)) + 1;
  };
  const auto plot = [&](const SampleBuffer& buffer, std::uint32_t colour) {
    const int count = HeldSamples(buffer);
    if (count < 10 || !Readable(voltMode, buffer)) return;
    // One sample beyond each edge, so the trace runs off the plot as it would.
    const std::int64_t from = std::clamp<std::int64_t>(window.first - 1, 0, count - 1);
    const std::int64_t to = std::clamp<std::int64_t>(window.first + window.span + 1, 0, count - 1);
    if (!dense) {
      std::int64_t x = columnOf(from);
      std::int64_t y = rowOf(buffer, from);
      for (std::int64_t i = from; i < to; ++i) {
        const std::int64_t nextX = columnOf(i + 1);
        const std::int64_t nextY = rowOf(buffer, i + 1);
        DrawLineTo(view, x, y, nextX, nextY, colour);
        x = nextX;
        y = nextY;
      }
      if (marked) {
        for (std::int64_t i = from; i <= to; ++i) {
          const std::int64_t cx = columnOf(i);
          const std::int64_t cy = rowOf(buffer, i);
          for (std::int64_t r = cy - 1; r <= cy + 1; ++r)
            DrawLineTo(view, cx - 1, r, cx + 2, r, colour);
        }
      }
      return;
    }
    // Column by column: the lowest and highest row of its samples and the
    // sample before them, which joins the column to the one on its left.
    std::int64_t column = columnOf(from);
    std::int64_t previous = rowOf(buffer, from);
    std::int64_t low = previous;
    std::int64_t high = previous;
    const auto fill = [&] { DrawLineTo(view, column, low, column, high + 1, colour); };
    for (std::int64_t i = from + 1; i <= to; ++i) {
      const std::int64_t x = columnOf(i);
      const std::int64_t y = rowOf(buffer, i);
      if (x != column) {
        fill();
        column = x;
        low = std::min(previous, y);
        high = std::max(previous, y);
      } else {
        low = std::min(low, y);
        high = std::max(high, y);
      }
      previous = y;
    }
    fill();
  };
  plot(Ch0, Colours.channel0);
  plot(Ch1, Colours.channel1);
}

void TTracePlot::PlotBlock(const PixelView& view, bool voltMode, int first, int last) const {
  first = std::clamp(first, 0, kSampleCapacity - 1);
  last = std::clamp(last, 0, kSampleCapacity - 1);
  if (last <= first) return;
  const float dx = static_cast<float>(static_cast<double>(view.width - 2) / (last - first));
  const bool draw0 = (Settings.CHSel == 0 || Settings.CHSel == 2) && Readable(voltMode, Ch0);
  const bool draw1 = (Settings.CHSel == 1 || Settings.CHSel == 2) && Readable(voltMode, Ch1);
  for (int i = first; i < last; ++i) {
    const std::int64_t x0 = TruncCoordinate((i - first) * static_cast<double>(dx)) + 1;
    const std::int64_t x1 = TruncCoordinate((i - first + 1) * static_cast<double>(dx)) + 1;
    if (draw0) {
      DrawLineTo(view, x0, Y(voltMode, Ch0, i, view.height), x1,
                 Y(voltMode, Ch0, i + 1, view.height), Colours.channel0);
    }
    if (draw1) {
      DrawLineTo(view, x0, Y(voltMode, Ch1, i, view.height), x1,
                 Y(voltMode, Ch1, i + 1, view.height), Colours.channel1);
    }
  }
}

}  // namespace velqoris
