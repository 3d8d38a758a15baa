#include "cli/Analysis_report.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "analysis/Figure_rows.h"
#include "analysis/Record_model.h"
#include "analysis/Spectrum.h"

namespace velqoris::cli {

namespace {

std::string Number(double v) {
  if (!std::isfinite(v)) return "null";
  char text[40];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

std::string Number(const std::optional<double>& v) { return v ? Number(*v) : "null"; }

// A level at the floor placeholder is a level that does not exist.
std::optional<double> Level(double dbfs) {
  if (!std::isfinite(dbfs) || dbfs <= analysis::kFloorDbfs) return std::nullopt;
  return dbfs;
}
std::optional<double> Level(const std::optional<double>& dbfs) {
  return dbfs ? Level(*dbfs) : std::nullopt;
}

// Builds one flat JSON object, keys in the order given.
class JsonObject {
 public:
  JsonObject& Add(const char* key, const std::string& literal) {
    text_ += text_.empty() ? "{" : ", ";
    text_ += '"';
    text_ += key;
    text_ += "\": ";
    text_ += literal;
    return *this;
  }
  JsonObject& Add(const char* key, const std::optional<double>& v) { return Add(key, Number(v)); }
  JsonObject& Add(const char* key, int v) { return Add(key, std::to_string(v)); }
  JsonObject& AddText(const char* key, const std::string& v) { return Add(key, "\"" + v + "\""); }
  std::string Text() const { return text_.empty() ? "{}" : text_ + "}"; }

 private:
  std::string text_;
};

// Why there is no fundamental, for scripts: null when there is one.
std::string AbsentReason(const analysis::SpectrumFigures& f, const analysis::Spectrum& s) {
  if (f.fundamental) return "null";
  if (f.overRange || s.overRange) return "\"over_range\"";
  if (f.largestIsPickup) return "\"mains_pickup\"";
  if (f.toneTooSlow) return "\"below_1.5_cycles\"";
  return "\"no_tone\"";
}

std::string ChannelList(const std::vector<std::string>& objects) {
  std::string s = "{\"channels\": [";
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (i > 0) s += ", ";
    s += objects[i];
  }
  return s + "]}\n";
}

std::string Block(const std::string& heading, const std::vector<analysis::FigureRow>& rows) {
  std::string s = heading + "\n";
  for (const std::string& line : analysis::RowLines(rows)) s += "  " + line + "\n";
  return s;
}

}  // namespace

std::string NoiseChannelJson(int channel, const analysis::NoiseFigures& f) {
  return JsonObject()
      .Add("channel", channel)
      .Add("count", f.count)
      .Add("mean_code", f.meanCode)
      .Add("mean_uV", f.meanMicrovolts)
      .Add("rms_noise_codes", f.rmsCodes)
      .Add("rms_noise_uV", f.rmsMicrovolts)
      .Add("rms_noise_nV", f.rmsNanovolts)
      .Add("pp_noise_codes", f.ppCodes)
      .Add("pp_noise_uV", f.ppMicrovolts)
      .Add("effective_resolution_bits", f.effective.Bits())
      .Add("noise_free_resolution_bits", f.noiseFree.Bits())
      .Add("noise_free_resolution_6sigma_bits", f.noiseFree6Sigma.Bits())
      .Add("typical_rms_noise_nV", f.typicalRmsNanovolts)
      .Add("rms_vs_typical", f.rmsVsTypical)
      .Add("over_range", f.overRange ? "true" : "false")
      .Text();
}

std::string SpectrumChannelJson(int channel, const analysis::SpectrumAnalysis& a) {
  const analysis::Spectrum& s = a.spectrum;
  const analysis::SpectrumFigures& f = a.figures;
  std::optional<double> hz, dbfs;
  if (f.fundamental) {
    hz = f.fundamental->frequencyHz;
    dbfs = Level(f.fundamental->dbfs);
  }
  std::optional<double> harmonic[analysis::kMaxHarmonic + 1];
  for (const analysis::SpectrumLine& h : f.harmonics) {
    if (h.order <= analysis::kMaxHarmonic) harmonic[h.order] = Level(h.Dbfs());
  }
  std::optional<double> secondHz, secondDbfs;
  if (f.secondTone) {
    secondHz = f.secondTone->frequencyHz;
    secondDbfs = Level(f.secondTone->dbfs);
  }
  return JsonObject()
      .Add("channel", channel)
      .Add("n", s.n)
      .Add("rate_sps", s.rateSps)
      .Add("bin_hz", s.binHz)
      .AddText("window", analysis::WindowName(s.window))
      .Add("fundamental_hz", hz)
      .Add("fundamental_dbfs", dbfs)
      .Add("snr_db", f.snrDb)
      .Add("thd_db", f.thdDb)
      .Add("sinad_db", f.sinadDb)
      .Add("sfdr_db", f.sfdrDb)
      .Add("enob_bits", f.enobBits)
      .Add("noise_density_nV_rtHz", f.noiseDensityNvRtHz)
      .Add("mains_50hz_dbfs", Level(f.Mains50Dbfs()))
      .Add("mains_60hz_dbfs", Level(f.Mains60Dbfs()))
      .Add("fundamental_absent", AbsentReason(f, s))
      .Add("harmonic2_dbfs", harmonic[2])
      .Add("harmonic3_dbfs", harmonic[3])
      .Add("harmonic4_dbfs", harmonic[4])
      .Add("harmonic5_dbfs", harmonic[5])
      .Add("harmonic6_dbfs", harmonic[6])
      .Add("second_tone_hz", secondHz)
      .Add("second_tone_dbfs", secondDbfs)
      .Add("snr_without_mains_db", f.snrWithoutMainsDb)
      .Add("thd_bound_db", f.thdBoundDb)
      .Add("enob_fs_bits", f.enobFsBits)
      .Add("mains_50hz_bound_dbfs", Level(f.Mains50BoundDbfs()))
      .Add("mains_60hz_bound_dbfs", Level(f.Mains60BoundDbfs()))
      .Text();
}

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
        NoiseChannelJson(c.channel, analysis::AnalyzeNoise(c.codes, c.count, settings)));
  }
  return ChannelList(objects);
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
    objects.push_back(SpectrumChannelJson(
        c.channel, analysis::AnalyzeChannelSpectrum(c.codes, c.count, data.Settings, window)));
  }
  return ChannelList(objects);
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
    if (c) objects.push_back(SpectrumChannelJson(ch, c->spectrum));
  }
  return ChannelList(objects);
}

}  // namespace velqoris::cli
