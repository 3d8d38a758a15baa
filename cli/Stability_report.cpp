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

std::string StabilityChannelJson(const analysis::StabilityAnalysis& a) {
  std::string adev = "[";
  for (std::size_t i = 0; i < a.allan.points.size(); ++i) {
    const auto& p = a.allan.points[i];
    if (i > 0) adev += ", ";
    adev += "{" + Key("tau_s", Number(p.tauSeconds)) + ", " + Key("adev_uV", Number(p.microvolts)) +
            ", " + Key("adev_nV", Number(p.nanovolts)) + ", " +
            Key("terms", std::to_string(p.terms)) + "}";
  }
  adev += "]";
  std::optional<double> minimum;
  std::optional<double> tau;
  if (a.allan.minimum) {
    minimum = a.allan.points[*a.allan.minimum].nanovolts;
    tau = a.allan.points[*a.allan.minimum].tauSeconds;
  }
  const std::optional<double> rate = a.rateSps > 0.0 ? std::optional(a.rateSps) : std::nullopt;
  const auto& d = a.drift;
  const auto& b = a.band;
  const std::vector<std::string> fields = {
      Key("channel", std::to_string(a.channel)),
      Key("n", std::to_string(a.count)),
      Key("rate_sps", Number(rate)),
      Key("duration_s", rate ? Number(a.durationSeconds) : "null"),
      Key("gaps", std::to_string(a.gaps.size())),
      Key("drift_uV_per_hour", Number(d ? d->microvoltsPerHour : std::nullopt)),
      Key("drift_stderr_uV_per_hour", Number(d ? d->stderrMicrovoltsPerHour : std::nullopt)),
      Key("adev", adev),
      Key("adev_min_nV", Number(minimum)),
      Key("tau_at_min_s", Number(minimum ? tau : std::nullopt)),
      Key("white_density_nV_rtHz", Number(a.spectrum.whiteNvRtHz)),
      Key("flicker_corner_hz", Number(a.spectrum.flickerCornerHz)),
      Key("noise_0p1_10hz_rms_nV", Number(b ? b->rmsNanovolts : std::nullopt)),
      Key("noise_0p1_10hz_pp_nV", Number(b ? b->ppMaxNanovolts : std::nullopt)),
  };
  std::string s = "{";
  for (std::size_t i = 0; i < fields.size(); ++i) s += (i > 0 ? ", " : "") + fields[i];
  return s + "}";
}

std::string StabilityJson(const std::vector<analysis::StabilityAnalysis>& channels) {
  std::string s = "{\"channels\": [";
  for (std::size_t i = 0; i < channels.size(); ++i) {
    s += (i > 0 ? ", " : "") + StabilityChannelJson(channels[i]);
  }
  return s + "]}\n";
}

std::string AllanCsv(const std::vector<analysis::StabilityAnalysis>& channels) {
  std::string s = "channel,tau_s,adev_uV,adev_nV,terms,error_nV\n";
  const auto cell = [](const std::optional<double>& v) { return v ? Number(v) : std::string(); };
  for (const auto& a : channels) {
    for (const auto& p : a.allan.points) {
      const std::optional<double> error =
          p.nanovolts ? std::optional(*p.nanovolts * p.errorFraction) : std::nullopt;
      s += std::to_string(a.channel) + "," + Number(p.tauSeconds) + "," + cell(p.microvolts) + "," +
           cell(p.nanovolts) + "," + std::to_string(p.terms) + "," + cell(error) + "\n";
    }
  }
  return s;
}

}  // namespace velqoris::cli
