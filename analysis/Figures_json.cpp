#include "analysis/Figures_json.h"

#include <cmath>
#include <cstdio>

#include "analysis/Record_model.h"
#include "analysis/Spectrum.h"

namespace velqoris::analysis {

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
  if (!std::isfinite(dbfs) || dbfs <= kFloorDbfs) return std::nullopt;
  return dbfs;
}
std::optional<double> Level(const std::optional<double>& dbfs) {
  return dbfs ? Level(*dbfs) : std::nullopt;
}

// Why there is no fundamental, for scripts: null when there is one.
std::string AbsentReason(const SpectrumFigures& f, const Spectrum& s) {
  if (f.fundamental) return "null";
  if (f.overRange || s.overRange) return "\"over_range\"";
  if (f.largestIsPickup) return "\"mains_pickup\"";
  if (f.toneTooSlow) return "\"below_1.5_cycles\"";
  return "\"no_tone\"";
}

}  // namespace

JsonObject& JsonObject::Add(const char* key, const std::string& literal) {
  text_ += text_.empty() ? "{" : ", ";
  text_ += '"';
  text_ += key;
  text_ += "\": ";
  text_ += literal;
  return *this;
}

JsonObject& JsonObject::Add(const char* key, const std::optional<double>& v) {
  return Add(key, Number(v));
}

std::string ChannelListJson(const std::vector<std::string>& objects) {
  std::string s = "{\"channels\": [";
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (i > 0) s += ", ";
    s += objects[i];
  }
  return s + "]}";
}

std::string NoiseChannelJson(int channel, const NoiseFigures& f) {
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

std::string SpectrumChannelJson(int channel, const SpectrumAnalysis& a) {
  const Spectrum& s = a.spectrum;
  const SpectrumFigures& f = a.figures;
  std::optional<double> hz, dbfs;
  if (f.fundamental) {
    hz = f.fundamental->frequencyHz;
    dbfs = Level(f.fundamental->dbfs);
  }
  std::optional<double> harmonic[kMaxHarmonic + 1];
  for (const SpectrumLine& h : f.harmonics) {
    if (h.order <= kMaxHarmonic) harmonic[h.order] = Level(h.Dbfs());
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
      .AddText("window", WindowName(s.window))
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

}  // namespace velqoris::analysis
