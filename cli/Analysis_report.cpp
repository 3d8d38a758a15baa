#include "cli/Analysis_report.h"

#include "analysis/Figure_rows.h"
#include "analysis/Figures_json.h"

namespace velqoris::cli {

namespace {

std::string Block(const std::string& heading, const std::vector<analysis::FigureRow>& rows) {
  std::string s = heading + "\n";
  for (const std::string& line : analysis::RowLines(rows)) s += "  " + line + "\n";
  return s;
}

}  // namespace

std::string NoiseText(const std::vector<HeldChannel>& channels, const MeasureSettings& settings) {
  std::string text;
  for (const HeldChannel& c : channels) {
    const auto f = analysis::AnalyzeNoise(c.codes, c.count, settings);
    text += Block(ChannelHeading(c, settings), analysis::NoiseFigureRows(f));
  }
  return text;
}

std::string NoiseJson(const std::vector<HeldChannel>& channels, const MeasureSettings& settings) {
  std::vector<std::string> objects;
  for (const HeldChannel& c : channels) {
    objects.push_back(
        analysis::NoiseChannelJson(c.channel, analysis::AnalyzeNoise(c.codes, c.count, settings)));
  }
  return analysis::ChannelListJson(objects) + "\n";
}

std::string NoiseText(const RunData& data) { return NoiseText(HeldChannels(data), data.Settings); }

std::string NoiseJson(const RunData& data) { return NoiseJson(HeldChannels(data), data.Settings); }

std::string SpectrumText(const RunData& data, analysis::SpectrumWindow window) {
  std::string text;
  for (const HeldChannel& c : HeldChannels(data)) {
    const auto a = analysis::AnalyzeChannelSpectrum(c.codes, c.count, data.Settings, window);
    text += Block(ChannelHeading(c, data.Settings),
                  analysis::SpectrumFigureRows(a.spectrum, a.figures));
  }
  return text;
}

std::string SpectrumJson(const RunData& data, analysis::SpectrumWindow window) {
  std::vector<std::string> objects;
  for (const HeldChannel& c : HeldChannels(data)) {
    objects.push_back(analysis::SpectrumChannelJson(
        c.channel, analysis::AnalyzeChannelSpectrum(c.codes, c.count, data.Settings, window)));
  }
  return analysis::ChannelListJson(objects) + "\n";
}

std::string LogSpectrumText(const LogAnalysis& log) {
  std::string text;
  for (int ch = 0; ch < 2; ++ch) {
    const auto& c = log.channels[static_cast<std::size_t>(ch)];
    if (!c) continue;
    const HeldChannel held{ch, nullptr,
                           static_cast<int>(std::min<std::int64_t>(c->count, 2147483647))};
    text += Block(ChannelHeading(held, log.settings),
                  analysis::SpectrumFigureRows(c->spectrum.spectrum, c->spectrum.figures));
  }
  return text;
}

std::string LogSpectrumJson(const LogAnalysis& log) {
  std::vector<std::string> objects;
  for (int ch = 0; ch < 2; ++ch) {
    const auto& c = log.channels[static_cast<std::size_t>(ch)];
    if (c) objects.push_back(analysis::SpectrumChannelJson(ch, c->spectrum));
  }
  return analysis::ChannelListJson(objects) + "\n";
}

}  // namespace velqoris::cli
