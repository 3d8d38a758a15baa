#include "analysis/Figure_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velqoris::analysis {

std::string Fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

namespace {

// At least `digits` significant digits, never more than 6 decimals.
std::string Significant(double v, int digits) {
  const double magnitude = std::fabs(v);
  int decimals = 0;
  if (magnitude > 0.0 && std::isfinite(magnitude)) {
    decimals = digits - 1 - static_cast<int>(std::floor(std::log10(magnitude)));
  }
  return Fixed(v, std::clamp(decimals, 0, 6));
}

std::string Value(const std::optional<double>& v, int decimals) {
  return v ? Fixed(*v, decimals) : kAbsentValue;
}

std::string SignificantValue(const std::optional<double>& v, int digits) {
  return v ? Significant(*v, digits) : kAbsentValue;
}

std::string ResolutionValue(const Resolution& r) {
  switch (r.kind) {
    case Resolution::Kind::kBits:
      return Fixed(r.bits, 2);
    case Resolution::Kind::kNoNoise:
      return kNoNoiseText;
    case Resolution::Kind::kOverRange:
      return kOverRangeText;
    case Resolution::Kind::kTooFew:
    case Resolution::Kind::kAbsent:
      break;
  }
  return kAbsentValue;
}

std::string ResolutionUnit(const Resolution& r) {
  return r.kind == Resolution::Kind::kBits || r.kind == Resolution::Kind::kNoNoise ? "ビット" : "";
}

// Columns a text takes on a terminal: kana and kanji take two.
std::size_t DisplayWidth(const std::string& s) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    if (lead >= 0xF0) {
      len = 4;
    } else if (lead >= 0xE0) {
      len = 3;
    } else if (lead >= 0xC0) {
      len = 2;
    }
    width += (len == 3 && lead >= 0xE3) || len == 4 ? 2 : 1;
    i += len;
  }
  return width;
}

std::string HzText(const std::optional<double>& hz) {
  return hz ? Significant(*hz, 4) + " Hz" : std::string(kAbsentValue);
}

}  // namespace

std::string ChannelName(int channel) { return "CH" + std::to_string(channel); }

std::vector<FigureRow> NoiseFigureRows(const NoiseFigures& f) {
  std::vector<FigureRow> rows;
  rows.push_back({"データ数", std::to_string(f.count), "点"});
  if (f.overRange) rows.push_back({"入力範囲", kOverRangeNote, ""});
  rows.push_back({"平均値", Value(f.meanCode, 2), "digit"});
  rows.push_back({"平均値", SignificantValue(f.meanMicrovolts, 4), "uV"});
  rows.push_back({"RMS ノイズ (標準偏差)", Value(f.rmsCodes, 3), "digit"});
  rows.push_back({"RMS ノイズ (標準偏差)", SignificantValue(f.rmsMicrovolts, 4), "uV"});
  rows.push_back({"RMS ノイズ (入力換算)", SignificantValue(f.rmsNanovolts, 4), "nV"});
  rows.push_back({"p-p ノイズ (最大値 − 最小値)", Value(f.ppCodes, 0), "digit"});
  rows.push_back({"p-p ノイズ (最大値 − 最小値)", SignificantValue(f.ppMicrovolts, 4), "uV"});
  rows.push_back(
      {"実効分解能 (RMS から)", ResolutionValue(f.effective), ResolutionUnit(f.effective)});
  rows.push_back({"ノイズフリー分解能 (実測 p-p から)", ResolutionValue(f.noiseFree),
                  ResolutionUnit(f.noiseFree)});
  rows.push_back({"ノイズフリー分解能 (6.6 × RMS から)", ResolutionValue(f.noiseFree6Sigma),
                  ResolutionUnit(f.noiseFree6Sigma)});
  rows.push_back({"歪度", Value(f.skewness, 3), ""});
  rows.push_back({"過剰尖度", Value(f.excessKurtosis, 3), ""});
  rows.push_back({"RMS ノイズの代表値", SignificantValue(f.typicalRmsNanovolts, 4), "nV"});
  rows.push_back({"代表値との比 (実測 ÷ 代表値)", Value(f.rmsVsTypical, 2), "倍"});
  return rows;
}

namespace {

std::string ToneName(int order) {
  return order == 1 ? std::string("基本波") : "第 " + std::to_string(order) + " 高調波";
}

// A line's value: its level, "検出されません (< bound)", or why it has none.
FigureRow LineRow(const std::string& label, const SpectrumLine& l) {
  if (l.ontoDc) return {label, std::string(kAbsentValue) + " (直流に折り返します)", ""};
  if (l.coincidesWith < 0) {
    return {label,
            std::string(kAbsentValue) + " (" + Significant(l.coincidesWithMainsHz, 2) +
                " Hz の線と重なります)",
            ""};
  }
  if (l.coincidesWith > 0) {
    return {label, std::string(kAbsentValue) + " (" + ToneName(l.coincidesWith) + "と重なります)",
            ""};
  }
  if (const auto level = l.Dbfs()) return {label, Fixed(*level, 2), "dBFS"};
  if (l.boundDbfs) return {label, "検出されません (< " + Fixed(*l.boundDbfs, 1) + " dBFS)", ""};
  return {label, kAbsentValue, "dBFS"};
}

std::string MissingTone(const SpectrumFigures& f, bool overRange) {
  if (overRange) return "— (入力が範囲外です)";
  if (f.largestIsPickup) return "検出されません (最大の信号は電源周波数のノイズです)";
  if (f.toneTooSlow) return "— (最大の信号が記録の 1.5 周期に足りません)";
  return "検出されません (ノイズより大きな信号がありません)";
}

}  // namespace

std::vector<FigureRow> SpectrumFigureRows(const Spectrum& s, const SpectrumFigures& f) {
  std::vector<FigureRow> rows;
  rows.push_back({"データ数 (FFT 点数)", std::to_string(s.n), "点"});
  rows.push_back({"データレート", SignificantValue(s.rateSps, 1), "sps"});
  rows.push_back({"周波数分解能 (ビン幅)", SignificantValue(s.binHz, 4), "Hz"});
  rows.push_back({"窓関数", WindowLabel(s.window), ""});
  const bool overRange = f.overRange || s.overRange;
  if (overRange) rows.push_back({"入力範囲", kSpectrumOverRangeNote, ""});
  if (f.fundamental) {
    rows.push_back({"基本波 周波数", SignificantValue(f.fundamental->frequencyHz, 5), "Hz"});
    rows.push_back({"基本波 レベル", Fixed(f.fundamental->dbfs, 2), "dBFS"});
  } else {
    rows.push_back({"基本波", MissingTone(f, overRange), ""});
  }
  for (const SpectrumLine& h : f.harmonics) {
    rows.push_back(
        LineRow("第 " + std::to_string(h.order) + " 高調波 (" + HzText(h.frequencyHz) + ")", h));
  }
  if (f.secondTone) {
    rows.push_back({"もう一つの信号 (" + HzText(f.secondTone->frequencyHz) + ")",
                    Fixed(f.secondTone->dbfs, 2), "dBFS"});
  }
  rows.push_back({"SNR", Value(f.snrDb, 2), "dB"});
  rows.push_back({"SNR (電源周波数のノイズを除く)", Value(f.snrWithoutMainsDb, 2), "dB"});
  if (!f.thdDb && f.thdBoundDb) {
    rows.push_back({"THD", "検出されません (< " + Fixed(*f.thdBoundDb, 1) + " dB)", ""});
  } else {
    rows.push_back({"THD", Value(f.thdDb, 2), "dB"});
  }
  rows.push_back({"SINAD", Value(f.sinadDb, 2), "dB"});
  rows.push_back({"SFDR", Value(f.sfdrDb, 2), "dB"});
  rows.push_back({"ENOB (有効ビット数)", Value(f.enobBits, 2), "ビット"});
  rows.push_back({"ENOB (フルスケール換算)", Value(f.enobFsBits, 2), "ビット"});
  rows.push_back(
      {"平均ノイズ密度 (入力換算)", SignificantValue(f.noiseDensityNvRtHz, 4), "nV/√Hz"});
  const auto mains = [&rows, &s](const std::vector<SpectrumLine>& lines, int baseHz) {
    const std::string base = std::to_string(baseHz) + " Hz";
    // The line itself is absent when it lies within a bin of DC (60 Hz at
    // 60 sps), or there is no rate.
    if (lines.empty() || lines.front().order != 1) {
      if (s.rateSps) {
        rows.push_back(
            {"電源周波数 " + base, std::string(kAbsentValue) + " (直流と重なります)", ""});
      } else {
        rows.push_back({"電源周波数 " + base, kAbsentValue, "dBFS"});
      }
    }
    for (const SpectrumLine& l : lines) {
      const std::string hz = std::to_string(l.order * baseHz) + " Hz";
      std::string label = l.order == 1 ? "電源周波数 " + base
                                       : "電源周波数 " + hz + " (" + base + " の " +
                                             std::to_string(l.order) + " 倍)";
      if (l.aliased) label += " [" + HzText(l.frequencyHz) + " に折り返し]";
      rows.push_back(LineRow(label, l));
    }
  };
  mains(f.mains50, 50);
  mains(f.mains60, 60);
  return rows;
}

std::vector<std::string> RowLines(const std::vector<FigureRow>& rows) {
  std::size_t width = 0;
  for (const FigureRow& r : rows) width = std::max(width, DisplayWidth(r.label));
  std::vector<std::string> lines;
  for (const FigureRow& r : rows) {
    std::string line = r.label + std::string(width - DisplayWidth(r.label) + 2, ' ') + r.value;
    if (!r.unit.empty()) line += " " + r.unit;
    lines.push_back(line);
  }
  return lines;
}

}  // namespace velqoris::analysis
