// Feeds arbitrary bytes to the data file reader, and every file it accepts on
// through what the window does with it: microvolts, statistics and their
// texts, axis scaling and labels, grid and traces. Beyond the sanitizers it
// checks that a load never reports more samples than the arrays hold, that a
// refused file leaves the buffers and the record as they were, and that the
// figures of an accepted one agree with its codes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "session/Run_data.h"
#include "session/Run_file.h"
#include "session/Stats_line.h"
#include "datafile/Data_reader.h"
#include "graph/Axis_scale.h"
#include "graph/Trace_plot.h"
#include "records/Measure_settings.h"

namespace {

using velqoris::kSampleCapacity;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The arrays behind RunData hold exactly the capacity, so that any write past
// them is a heap overflow.
velqoris::RunData& Data() {
  static velqoris::RunData data;
  return data;
}

void CheckChannel(const velqoris::RunData& data, velqoris::TAxisScale& scale, int channel) {
  const velqoris::SampleBuffer& b = channel == 0 ? data.Ch0 : data.Ch1;
  std::int32_t max = b.Codes[0];
  std::int32_t min = b.Codes[0];
  for (int i = 0; i < b.Count; ++i) {
    max = std::max(max, b.Codes[i]);
    min = std::min(min, b.Codes[i]);
    // A microvolt value has the sign of its code's distance from mid-scale.
    const float uv = b.Microvolts[i];
    Check(std::isfinite(uv));
    Check((b.Codes[i] >= velqoris::kMidScaleCode) == (uv >= 0.0f));
  }
  const velqoris::ChannelStats s = velqoris::StatsOf(data, scale, channel);
  Check(s.maxCode == max && s.minCode == min);
  Check(s.minMicrovolts <= s.maxMicrovolts);
  Check(s.codeSD >= 0 && s.voltSD >= 0);
  for (const bool volt : {false, true}) {
    const std::string line = velqoris::StatsLine(s, volt);
    const auto pp = line.find("pp値：");
    Check(pp != std::string::npos);
    Check(line[pp + std::string("pp値：").size()] != '-');
  }
}

void Draw(const velqoris::RunData& data, velqoris::TAxisScale& scale) {
  // The plot bitmap of the designed window.
  static std::vector<std::uint32_t> pixels(558 * 367);
  const velqoris::PixelView view{pixels.data(), 558, 367, 558};
  const velqoris::TTracePlot plot(data.Ch0, data.Ch1, data.Settings, scale,
                                  {0xFF808080u, 0xFFFF0000u, 0xFF0000FFu});
  scale.ScaleAll();
  for (const bool volt : {false, true}) {
    for (const std::string& text : volt ? scale.VoltLabels() : scale.CodeLabels()) {
      Check(!text.empty());
    }
    plot.HorizontalGrid(view);
    plot.VerticalGrid(view);
    plot.PlotAll(view, volt);
  }
  scale.ScaleBlock(0, velqoris::kLiveBlock - 1);
  for (const bool volt : {false, true}) {
    Check(!(volt ? scale.VoltLabels() : scale.CodeLabels())[0].empty());
    plot.PlotBlock(view, volt, 0, velqoris::kLiveBlock - 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velqoris::RunData& held = Data();
  held.Ch0.Count = 7;
  held.Ch1.Count = 9;
  velqoris::MeasureSettings settings;
  settings.spsSel = 99;  // seen again only when the file names every selection

  std::FILE* stream = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
  const bool read = velqoris::DataFileReader(stream).Read(settings, held.Ch0, held.Ch1);
  if (stream != nullptr) std::fclose(stream);

  if (read) {
    Check(velqoris::SelectionsValid(settings));
    Check(held.Ch0.Count >= 0 && held.Ch0.Count <= kSampleCapacity);
    Check(held.Ch1.Count >= 0 && held.Ch1.Count <= kSampleCapacity);
    if (settings.CHSel == 0) Check(held.Ch1.Count == 0);
    if (settings.CHSel == 1) Check(held.Ch0.Count == 0);
    if (settings.CHSel == 2) Check(held.Ch0.Count == held.Ch1.Count);
  } else {
    Check(held.Ch0.Count == 7 && held.Ch1.Count == 9 && settings.spsSel == 99);
  }

  // On, as the window takes a loaded file.
  if (!velqoris::TakeLoaded(read, settings, held)) {
    Check(!held.HasData());
    return 0;
  }
  Check(held.Settings.Gain == velqoris::GainOf(held.Settings.GainSel).value_or(0));
  velqoris::TAxisScale scale(held.Ch0, held.Ch1, held.Settings);
  held.ConvertAll([&scale](std::int32_t code) { return scale.CodeToMicrovolts(code); });
  held.CalcCodeStats();
  held.CalcVoltStats();
  if (held.fCH0Data) CheckChannel(held, scale, 0);
  if (held.fCH1Data) CheckChannel(held, scale, 1);
  if (held.HasData()) Draw(held, scale);
  return 0;
}
