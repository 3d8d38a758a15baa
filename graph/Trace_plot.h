// The graph's pictures without any window: grid and traces drawn into a
// 32-bit pixel buffer on the axes of a TAxisScale. TGraph_2CH draws its
// bitmap through these; the data file fuzzer draws with them too.
#pragma once

#include <cstdint>

#include "graph/Axis_scale.h"
#include "graph/Line_raster.h"
#include "records/Measure_settings.h"

namespace velqoris {

struct TraceColours {
  std::uint32_t grid;
  std::uint32_t channel0;
  std::uint32_t channel1;
};

// A window of sample positions on a value axis of its own: sample position
// first lands on x = 1 and first + span on the last column but one, as in
// PlotAll; bottom is the value of the bottom grid line, valueSpan the height
// of all ten divisions.
struct PlotWindow {
  std::int64_t first = 0;
  std::int64_t span = 99;
  double bottom = 0;
  double valueSpan = 1;
};

class TTracePlot {
 public:
  TTracePlot(const SampleBuffer& ch0, const SampleBuffer& ch1, const MeasureSettings& settings,
             const TAxisScale& scale, TraceColours colours);

  // 11 lines each, at tenths of the bitmap's height and width.
  void HorizontalGrid(const PixelView& view) const;
  void VerticalGrid(const PixelView& view) const;
  // Every held sample; at least 100 sample positions across; a channel with
  // fewer than 10 samples is left out; channel 1 over channel 0.
  void PlotAll(const PixelView& view, bool voltMode) const;
  // Samples first … last of the channels CHSel names, whatever the counts say.
  void PlotBlock(const PixelView& view, bool voltMode, int first, int last) const;

  // The held samples inside a window (a channel needs 10, as in PlotAll).
  // While there is a column for each sample they are joined as PlotAll joins
  // them; denser, each column is filled from the lowest to the highest of its
  // samples and the one before, so no peak is lost; zoomed in far enough for
  // samples to stand apart, each gets a small square.
  void PlotWindowed(const PixelView& view, bool voltMode, const PlotWindow& window) const;

  // Row of sample i on a bitmap of that height; the axis bottom lands one
  // row below it.
  std::int64_t Y(bool voltMode, const SampleBuffer& buffer, int i, int height) const;

 private:
  const SampleBuffer& Ch0;
  const SampleBuffer& Ch1;
  const MeasureSettings& Settings;
  const TAxisScale& Scale;
  TraceColours Colours;
};

}  // namespace velqoris
