#include "graph/Strip_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velqoris {

StripAxis DrawStrip(const PixelView& view, const TStripHistory& history, std::int64_t span,
                    bool voltMode, std::int32_t gain, const TraceColours& colours, int channel) {
  for (int y = 0; y < view.height; ++y)
    std::fill_n(view.bits + y * view.stride, view.width, 0xFFFFFFFFu);
  // The scaling works on fields only here: no samples are held.
  const SampleBuffer none;
  MeasureSettings settings;
  settings.Gain = gain;
  TAxisScale scale(none, none, settings);
  TTracePlot grid(none, none, settings, scale, colours);
  grid.HorizontalGrid(view);
  grid.VerticalGrid(view);

  const int columns = std::max(view.width - 2, 1);
  std::vector<TStripHistory::Column> traces[2];
  bool any = false;
  for (int ch = 0; ch < 2; ++ch) {
    if (!history.Holds(ch) || (channel >= 0 && ch != channel)) continue;
    traces[ch] = history.Columns(ch, span, columns);
    for (const auto& c : traces[ch]) {
      if (!c.valid) continue;
      scale.MaxCode = any ? std::max(scale.MaxCode, c.max) : c.max;
      scale.MinCode = any ? std::min(scale.MinCode, c.min) : c.min;
      any = true;
    }
  }
  StripAxis axis;
  if (!any) {
    axis.labels = voltMode ? scale.DefaultVoltLabels() : TAxisScale::DefaultCodeLabels();
    return axis;
  }
  scale.MaxUV = scale.CodeToMicrovolts(scale.MaxCode);
  scale.MinUV = scale.CodeToMicrovolts(scale.MinCode);
  scale.CodeSpan = scale.PickCodeSpan(scale.MaxCode, scale.MinCode);
  scale.CodeBottom = scale.PickCodeBottom(scale.CodeSpan);
  scale.UVSpan = scale.PickUVSpan(scale.MinUV, scale.MaxUV);
  scale.UVBottom = scale.PickUVBottom(scale.UVSpan);
  axis.labels = voltMode ? scale.VoltLabels() : scale.CodeLabels();
  axis.bottom = voltMode ? scale.UVBottom : scale.CodeBottom;
  axis.span = voltMode ? scale.UVSpan : scale.CodeSpan;

  const auto row = [&](std::int32_t code) {
    const double v = voltMode ? static_cast<double>(scale.CodeToMicrovolts(code)) : code;
    return static_cast<std::int64_t>(
        std::clamp(view.height * (1.0 - (v - axis.bottom) / axis.span), -1.0, view.height + 1.0));
  };
  for (int ch = 0; ch < 2; ++ch) {
    const std::uint32_t colour = ch == 0 ? colours.channel0 : colours.channel1;
    std::int64_t previousX = -1, previousY = 0;
    for (int j = 0; j < static_cast<int>(traces[ch].size()); ++j) {
      const auto& c = traces[ch][static_cast<std::size_t>(j)];
      if (!c.valid) continue;
      const std::int64_t x = j + 1;
      const std::int64_t top = row(c.max);
      const std::int64_t bottom = row(c.min);
      if (previousX >= 0) DrawLineTo(view, previousX, previousY, x, (top + bottom) / 2, colour);
      DrawLineTo(view, x, top, x, bottom + 1, colour);
      previousX = x;
      previousY = (top + bottom) / 2;
    }
  }
  return axis;
}

}  // namespace velqoris
