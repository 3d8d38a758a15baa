#include "session/Log_analysis.h"

#include <algorithm>
#include <limits>

#include "analysis/Averaged_figures.h"

namespace velqoris {

LogAnalysis AnalyzeLogFile(const std::string& path, const std::string& board) {
  LogAnalysis a;
  a.path = path;
  LogReadResult read = ReadLogFile(path, board);
  a.status = read.status;
  if (read.status != LogReadStatus::kOk) {
    a.message = LogReadMessage(read, path);
    return a;
  }
  a.cutNote = CutRowNote(read);
  const LogRecord& r = read.record;
  a.settings = SettingsOf(r);
  a.rateSps = r.rateSps;
  a.gain = r.gain;
  for (int ch = 0; ch < 2; ++ch) {
    if (!r.HasChannel(ch)) continue;
    LogChannelAnalysis c;
    c.count = r.Count(ch);
    const int n =
        static_cast<int>(std::min<std::int64_t>(c.count, std::numeric_limits<int>::max()));
    c.noise = analysis::AnalyzeChannelNoise(r.codes[ch].data(), n, a.settings);
    c.stability = analysis::AnalyzeStability(r, ch);
    c.spectrum.spectrum = analysis::AsSpectrum(c.stability.spectrum, r.gain);
    c.spectrum.figures = analysis::AveragedFigures(c.stability.spectrum);
    a.channels[static_cast<std::size_t>(ch)] = std::move(c);
  }
  return a;
}

}  // namespace velqoris
