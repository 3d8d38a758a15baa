// Arbitrary bytes as a log CSV, fed in chunks of a size the input chooses,
// then every channel read analysed for stability: nothing may crash, read
// outside the codes, or produce a figure that is not finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "analysis/Stability_analysis.h"
#include "analysis/Stability_rows.h"
#include "session/Log_reader.h"

namespace {

void RequireFinite(const std::optional<double>& v) {
  if (v && !std::isfinite(*v)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velqoris;
  if (size < 1) return 0;
  const std::size_t chunk = 1 + data[0] % 64;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  LogCsvParser parser(size);
  for (std::size_t i = 0; i < text.size(); i += chunk) parser.Feed(text.substr(i, chunk));
  const LogReadResult r = parser.Finish();
  if (r.status != LogReadStatus::kOk) return 0;
  for (int ch = 0; ch < 2; ++ch) {
    if (!r.record.HasChannel(ch)) continue;
    const auto a = analysis::AnalyzeStability(r.record, ch);
    for (const auto& p : a.allan.points) {
      if (!std::isfinite(p.codes) || p.terms < analysis::kMinAllanTerms) __builtin_trap();
      // A 1σ interval around the deviation, never an empty or inverted one.
      if (!(p.edf >= 1.0) || !(p.lowFraction < 1.0) || !(p.highFraction > 1.0)) __builtin_trap();
    }
    if (a.drift) RequireFinite(a.drift->microvoltsPerHour);
    RequireFinite(a.spectrum.whiteNvRtHz);
    RequireFinite(a.spectrum.flickerCornerHz);
    RequireFinite(a.spectrum.flickerCornerErrorHz);
    analysis::StabilityFigureRows(a);
  }
  return 0;
}
