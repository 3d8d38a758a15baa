// The strip chart's picture without a window: the last span results of a
// recording from its min/max history, over the main graph's 10 x 10 grid, on
// an axis the main graph's scaling picks for what is shown (1-2-5 span,
// aligned bottom, codes or microvolts), drawn into a 32-bit pixel buffer.
#pragma once

#include <cstdint>

#include "graph/Axis_scale.h"
#include "graph/Line_raster.h"
#include "graph/Strip_history.h"
#include "graph/Trace_plot.h"

namespace velqoris {

struct StripAxis {
  LabelTexts labels;  // eleven Y labels, top first
  double bottom = 0;
  double span = 1;
};

// Clears the view to white, draws grid and traces (channel 1 over channel 0)
// and returns the axis. gain converts codes to microvolts in volt mode.
// channel 0 or 1: that channel alone, on an axis of its own.
StripAxis DrawStrip(const PixelView& view, const TStripHistory& history, std::int64_t span,
                    bool voltMode, std::int32_t gain, const TraceColours& colours,
                    int channel = -1);

}  // namespace velqoris
