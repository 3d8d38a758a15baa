#include "cli/Stability_report.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "analysis/Figure_rows.h"
#include "analysis/Stability_rows.h"

namespace velqoris::cli {

namespace {

std::string Number(const std::optional<double>& v) {
  if (!v || !std::isfinite(*v)) return "null";
  char text[40];
  std::snprintf(text, sizeof text, "%.10g", *v);
  return text;
}

std::string Key(const char* key, const std::string& literal) {
  return std::string("\"") + key + "\": " + literal;
}

std::string Heading(const analysis::StabilityAnalysis& a) {
  std::string h = analysis::ChannelName(a.channel) + " : " + std::to_string(a.count) + " 点";
  if (a.rateSps > 0.0) h += " / " + analysis::Fixed(a.rateSps, a.rateSps < 10 ? 1 : 0) + " sps";
  if (a.gain) h += " / ゲイン " + std::to_string(*a.gain);
  return h;
}

}  // namespace

std::string StabilityText(const std::vector<analysis::StabilityAnalysis>& channels) {
  std::string text;
  for (const auto& a : channels) {
    text += Heading(a) + "\n";
    for (const std::string& line : analysis::RowLines(analysis::StabilityFigureRows(a))) {
      text += "  " + line + "\n";
    }
    text += "  アラン偏差 (重複あり、誤差は 1σ)\n";
    for (const std::string& line : analysis::RowLines(analysis::AllanTableRows(a))) {
      text += "    " + line + "\n";
    }
  }
  return text;
}

namespace {

std::string Object(const std::vector<std::string>& fields) {
  std::string s = "{";
  for (std::size_t i = 0; i < fields.size(); ++i) s += (i > 0 ? ", " : "") + fields[i];
  return s + "}";
}

std::optional<double> Scaled(const std::optional<double>& v, double factor) {
  if (!v) return std::nullopt;
  return *v * factor;
}

// A deviation with its 1σ interval, in codes and (with a gain) in nV.
std::vector<std::string> Deviation(const char* prefix, const analysis::AllanPoint& p) {
  const std::string k(prefix);
  const std::optional<double> nv = p.nanovolts;
  return {Key((k + "_codes").c_str(), Number(p.codes)),
          Key((k + "_low_codes").c_str(), Number(p.codes * p.lowFraction)),
          Key((k + "_high_codes").c_str(), Number(p.codes * p.highFraction)),
          Key((k + "_nV").c_str(), Number(nv)),
          Key((k + "_low_nV").c_str(), Number(Scaled(nv, p.lowFraction))),
          Key((k + "_high_nV").c_str(), Number(Scaled(nv, p.highFraction)))};
}

std::string AllanJson(const analysis::AllanDeviation& allan) {
  std::string s = "[";
  for (std::size_t i = 0; i < allan.points.size(); ++i) {
    const auto& p = allan.points[i];
    std::vector<std::string> f = {Key("tau_s", Number(p.tauSeconds)), Key("m", std::to_string(p.m)),
                                  Key("adev_uV", Number(p.microvolts))};
    const auto d = Deviation("adev", p);
    f.insert(f.end(), d.begin(), d.end());
    f.insert(f.end(), {Key("terms", std::to_string(p.terms)), Key("edf", Number(p.edf)),
                       Key("noise_alpha", std::to_string(p.alpha))});
    s += (i > 0 ? ", " : "") + Object(f);
  }
  return s + "]";
}

std::string MinimumJson(const analysis::AllanDeviation& allan) {
  if (!allan.minimum) return "null";
  const auto& p = allan.points[*allan.minimum];
  std::vector<std::string> f = {Key("tau_s", Number(p.tauSeconds))};
  const auto d = Deviation("adev", p);
  f.insert(f.end(), d.begin(), d.end());
  f.push_back(Key("edf", Number(p.edf)));
  return Object(f);
}

std::string Bool(bool b) { return b ? "true" : "false"; }

}  // namespace

std::string StabilityChannelJson(const analysis::StabilityAnalysis& a) {
  const std::optional<double> rate = a.rateSps > 0.0 ? std::optional(a.rateSps) : std::nullopt;
  const auto& d = a.drift;
  const auto& b = a.band;
  const auto& w = a.spectrum;
  const auto drift = [&](auto member) -> std::optional<double> {
    if (!d) return std::nullopt;
    return (*d).*member;
  };
  const auto band = [&](auto member) -> std::optional<double> {
    if (!b) return std::nullopt;
    return (*b).*member;
  };
  std::optional<double> minimumNv;
  std::optional<double> minimumTau;
  if (a.allan.minimum) {
    minimumNv = a.allan.points[*a.allan.minimum].nanovolts;
    minimumTau = a.allan.points[*a.allan.minimum].tauSeconds;
  }
  const std::string refused = a.overRangeRefused ? "\"over_range\"" : "null";
  const std::vector<std::string> fields = {
      Key("channel", std::to_string(a.channel)),
      Key("n", std::to_string(a.count)),
      Key("rate_sps", Number(rate)),
      Key("gain", a.gain ? std::to_string(*a.gain) : "null"),
      Key("duration_s", rate ? Number(a.durationSeconds) : "null"),
      Key("gaps", std::to_string(a.gaps.size())),
      Key("gap_seconds", Number(a.GapSeconds())),
      Key("figures_refused", refused),
      Key("excluded", Object({Key("over_range_samples", std::to_string(a.overRange)),
                              Key("longest_stretch_only", Bool(a.longestStretchOnly)),
                              Key("line_bins", std::to_string(w.lineBins))})),
      Key("drift_uV_per_hour", Number(drift(&analysis::DriftFit::microvoltsPerHour))),
      Key("drift_stderr_uV_per_hour", Number(drift(&analysis::DriftFit::stderrMicrovoltsPerHour))),
      Key("drift_codes_per_hour", d ? Number(d->codesPerHour) : "null"),
      Key("drift_stderr_codes_per_hour", d ? Number(d->stderrCodesPerHour) : "null"),
      Key("adev", AllanJson(a.allan)),
      Key("adev_min_nV", Number(minimumNv)),
      Key("tau_at_min_s", Number(minimumTau)),
      Key("adev_min", MinimumJson(a.allan)),
      Key("white_density_nV_rtHz", Number(w.whiteNvRtHz)),
      Key("white_density_codes_rtHz", Number(w.whiteCodesRtHz)),
      Key("flicker_corner_hz", Number(w.flickerCornerHz)),
      Key("flicker_corner_err_hz", Number(w.flickerCornerErrorHz)),
      Key("corner_hidden_below_hz", Number(w.cornerHiddenBelowHz)),
      Key("spectrum_segment_length", std::to_string(w.segmentLength)),
      Key("spectrum_segments", std::to_string(w.segments)),
      Key("spectrum_bin_hz", w.Empty() ? "null" : Number(w.binHz)),
      Key("noise_0p1_10hz_rms_nV", Number(band(&analysis::BandNoise::rmsNanovolts))),
      Key("noise_0p1_10hz_rms_codes", Number(band(&analysis::BandNoise::rmsCodes))),
      Key("noise_0p1_10hz_pp_nV", Number(band(&analysis::BandNoise::ppMaxNanovolts))),
      Key("noise_0p1_10hz_pp_codes", Number(band(&analysis::BandNoise::ppMaxCodes))),
      Key("noise_0p1_10hz_pp_mean_nV", Number(band(&analysis::BandNoise::ppMeanNanovolts))),
      Key("noise_0p1_10hz_pp_mean_codes", Number(band(&analysis::BandNoise::ppMeanCodes))),
      Key("noise_0p1_10hz_pp_windows", b ? std::to_string(b->ppStretches) : "null"),
  };
  return Object(fields);
}

std::string StabilityJson(const std::vector<analysis::StabilityAnalysis>& channels) {
  std::string s = "{\"channels\": [";
  for (std::size_t i = 0; i < channels.size(); ++i) {
    s += (i > 0 ? ", " : "") + StabilityChannelJson(channels[i]);
  }
  return s + "]}\n";
}

std::string AllanCsv(const std::vector<analysis::StabilityAnalysis>& channels) {
  std::string s = kAllanCsvColumns + std::string("\n");
  const auto cell = [](const std::optional<double>& v) { return v ? Number(v) : std::string(); };
  for (const auto& a : channels) {
    for (const auto& p : a.allan.points) {
      s += std::to_string(a.channel) + "," + Number(p.tauSeconds) + "," + Number(p.codes) + "," +
           Number(p.codes * p.lowFraction) + "," + Number(p.codes * p.highFraction) + "," +
           cell(p.microvolts) + "," + cell(p.nanovolts) + "," +
           cell(Scaled(p.nanovolts, p.lowFraction)) + "," +
           cell(Scaled(p.nanovolts, p.highFraction)) + "," + std::to_string(p.terms) + "," +
           Number(p.edf) + "," + std::to_string(p.alpha) + "\n";
    }
  }
  return s;
}

}  // namespace velqoris::cli
