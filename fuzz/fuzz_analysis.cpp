// Arbitrary codes, counts and settings into the noise figures, the histogram,
// the spectrum and its figures, and the Japanese rows: nothing may crash,
// read outside the codes, or produce a figure that is not finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Figure_rows.h"

namespace {

void RequireFinite(const std::optional<double>& v) {
  if (v && !std::isfinite(*v)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velqoris;
  if (size < 6) return 0;
  MeasureSettings s;
  s.spsSel = static_cast<std::int8_t>(data[0]) % 16;
  s.GainSel = static_cast<std::int8_t>(data[1]) % 8;
  s.Gain = static_cast<std::int8_t>(data[2]);
  s.fSinc4 = data[3] & 1;
  s.fCHOP_ON = (data[3] >> 1) & 1;
  const auto window = static_cast<analysis::SpectrumWindow>(data[4] % 3);
  data += 6;
  size -= 6;
  // At most a buffer's capacity of codes, exactly as many as the bytes give.
  const std::size_t count = std::min<std::size_t>(size / 4, kSampleCapacity);
  std::vector<std::int32_t> codes(count);
  if (count > 0) std::memcpy(codes.data(), data, count * 4);

  const auto noise = analysis::AnalyzeChannelNoise(codes.data(), static_cast<int>(count), s);
  RequireFinite(noise.figures.rmsCodes);
  RequireFinite(noise.figures.rmsMicrovolts);
  RequireFinite(noise.figures.effective.Bits());
  RequireFinite(noise.figures.skewness);
  if (noise.histogram.Bins() > analysis::Histogram::kMaxBins) __builtin_trap();
  const auto spectrum =
      analysis::AnalyzeChannelSpectrum(codes.data(), static_cast<int>(count), s, window);
  RequireFinite(spectrum.figures.snrDb);
  RequireFinite(spectrum.figures.sinadDb);
  RequireFinite(spectrum.figures.noiseDensityNvRtHz);
  RequireFinite(spectrum.figures.sfdrDb);
  RequireFinite(spectrum.figures.enobBits);
  RequireFinite(spectrum.figures.enobFsBits);
  RequireFinite(spectrum.figures.snrWithoutMainsDb);
  RequireFinite(spectrum.figures.thdDb);
  // Clipped input gives no tone figures; a level shown is never the floor placeholder.
  if (spectrum.figures.overRange && spectrum.figures.fundamental) __builtin_trap();
  for (const auto* lines : {&spectrum.figures.mains50, &spectrum.figures.mains60}) {
    for (const auto& l : *lines) {
      if (l.Dbfs() && !(*l.Dbfs() > analysis::kFloorDbfs)) __builtin_trap();
    }
  }
  for (double d : spectrum.spectrum.dbfs) {
    if (!std::isfinite(d)) __builtin_trap();
  }
  analysis::RowLines(analysis::NoiseFigureRows(noise.figures));
  analysis::RowLines(analysis::SpectrumFigureRows(spectrum.spectrum, spectrum.figures));
  return 0;
}
