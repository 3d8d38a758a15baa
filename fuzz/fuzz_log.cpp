// Arbitrary bytes as a log CSV, fed in chunks of a size the input chooses,
// then every channel read analysed for stability: nothing may crash, read
// outside the codes, or produce a figure that is not finite.
#include <algorithm>
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

// The text read as ReadLogFile reads a long file: a first look (here a
// quarter, so short inputs split too), then the two halves (from a line's
// start) by two parsers joined. It must read what one parser reads.
velqoris::LogReadResult ReadInHalves(std::string_view text) {
  using namespace velqoris;
  LogCsvParser parser(text.size());
  const std::size_t look = text.size() / 4;
  parser.Feed(text.substr(0, look));
  const std::size_t newline = text.find('\n', text.size() / 2);
  if (look < text.size() / 2 && parser.CanContinue() && newline != std::string_view::npos) {
    LogCsvParser later = parser.Continuation(text.size() - newline - 1);
    later.Feed(text.substr(newline + 1));
    parser.Feed(text.substr(look, newline + 1 - look));
    parser.Join(std::move(later));
  } else {
    parser.Feed(text.substr(look));
  }
  return parser.Finish();
}

void RequireSame(const velqoris::LogReadResult& a, const velqoris::LogReadResult& b) {
  bool same = a.status == b.status && a.line == b.line && a.fault.line == b.fault.line &&
              a.record.codes[0] == b.record.codes[0] && a.record.codes[1] == b.record.codes[1] &&
              a.record.gain == b.record.gain && a.record.gaps.size() == b.record.gaps.size();
  for (std::size_t g = 0; same && g < a.record.gaps.size(); ++g) {
    same = a.record.gaps[g].before == b.record.gaps[g].before;
  }
  if (!same) __builtin_trap();
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
  RequireSame(r, ReadInHalves(text));
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
