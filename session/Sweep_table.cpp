#include "session/Sweep_table.h"

#include <cstdio>

#include "analysis/Figure_rows.h"
#include "analysis/Typical_noise.h"

namespace velqoris {

namespace {

constexpr std::size_t kRateWidth = 18;
constexpr std::size_t kCellWidth = 17;

std::string Format(const char* pattern, double value) {
  char text[48];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string Nanovolts(double nv) {
  if (nv < 10) return Format("%.2f", nv);
  if (nv < 10000) return Format("%.1f", nv);
  return Format("%.0f", nv);
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t w = DisplayWidth(text);
  return w >= width ? text : std::string(width - w, ' ') + text;
}

std::string Bits(const analysis::Resolution& r) {
  using Kind = analysis::Resolution::Kind;
  switch (r.kind) {
    case Kind::kBits:
      return Format("%.1f", r.bits);
    case Kind::kNoNoise:
      return analysis::kNoNoiseText;
    case Kind::kOverRange:
      return analysis::kOverRangeText;
    default:
      return analysis::kAbsentValue;
  }
}

// What a setting's cell and its CSV line say of how its run ended.
struct EndWords {
  RunEnd end;
  const char* text;  // the table's cell
  const char* name;  // the CSV's state column
};

constexpr EndWords kEndWords[] = {
    {RunEnd::kNotEnded, "未測定", "not_run"},
    {RunEnd::kComplete, "", "ok"},
    {RunEnd::kStopped, "中止", "stopped"},
    {RunEnd::kNoBoard, "ボード応答なし", "no_board"},
    {RunEnd::kOtherBoard, "ボード応答なし", "no_board"},
    {RunEnd::kNoAnswer, "ボード応答なし", "no_board"},
    {RunEnd::kRefused, "設定エラー", "setup_error"},
    {RunEnd::kReadError, "計測エラー", "read_error"},
    {RunEnd::kPulledCable, "計測エラー", "read_error"},
    {RunEnd::kStalled, "データなし", "no_results"},
    {RunEnd::kSinkFailed, "書込みエラー", "write_error"},
};

const EndWords& WordsOf(RunEnd end) {
  for (const EndWords& w : kEndWords) {
    if (w.end == end) return w;
  }
  return kEndWords[0];
}

std::string Optional(const std::optional<double>& v, const char* pattern = "%.6g") {
  return v ? Format(pattern, *v) : std::string();
}

}  // namespace

std::size_t DisplayWidth(const std::string& utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 1;
    unsigned cp = c;
    if (c >= 0xF0) {
      length = 4;
    } else if (c >= 0xE0) {
      length = 3;
      if (i + 2 < utf8.size()) {
        cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
             (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      }
    } else if (c >= 0xC0) {
      length = 2;
    }
    // CJK, kana, full-width forms: two columns; the dash and × stay narrow.
    const bool wide =
        length == 4 ||
        (length == 3 && ((cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                         (cp >= 0xFF00 && cp <= 0xFF60)));
    width += wide ? 2 : 1;
    i += length;
  }
  return width;
}

std::string SweepConditionsText(const SweepPlan& plan) {
  const MeasureSettings& s = plan.base;
  std::string text =
      "CH" + std::to_string(s.CHSel == 1 ? 1 : 0) + (s.fSinc4 == 1 ? ", Sinc4" : ", Sinc3") +
      ", チョッピング " + (s.fCHOP_ON == 1 ? "on" : "off") + ", 入力バッファ " +
      (s.fBUF_ON == 1 ? "on" : "off") + ", 設定ごとに " + std::to_string(plan.count) + " 件";
  if (plan.maxTimeMs > 0) {
    text += " (各 " + Format("%g", static_cast<double>(plan.maxTimeMs) / 1000.0) + " s まで)";
  }
  return text;
}

std::vector<std::string> SweepTableHead(const SweepPlan& plan, SweepTable table) {
  std::vector<std::string> lines;
  switch (table) {
    case SweepTable::kMeasured:
      lines.push_back("RMS ノイズ [nV] (ノイズフリー分解能 [bit], 6.6 × RMS から) — 測定値");
      break;
    case SweepTable::kTypical:
      lines.push_back("RMS ノイズ [nV] (ノイズフリー分解能 [bit], 6.6 × RMS から) — 代表値");
      break;
    case SweepTable::kRatio:
      lines.push_back("測定値 / 代表値 (RMS ノイズの比)");
      break;
  }
  std::string head = PadLeft("データレート [sps]", kRateWidth) + " |";
  std::string rule = std::string(kRateWidth, '-') + "-+";
  for (const int g : plan.gainSels) {
    head += PadLeft("ゲイン " + std::to_string(GainOf(g).value_or(0)), kCellWidth);
    rule += std::string(kCellWidth, '-');
  }
  lines.push_back(head);
  lines.push_back(rule);
  return lines;
}

std::string SweepCellText(const SweepCell& cell, SweepTable table) {
  const int gain = GainOf(cell.gainSel).value_or(1);
  if (table == SweepTable::kTypical) {
    if (!cell.typicalNanovolts) return analysis::kAbsentValue;
    return Nanovolts(*cell.typicalNanovolts) + " (" +
           Format("%.1f", analysis::TypicalNoise::NoiseFreeBits(*cell.typicalNanovolts, gain)) +
           ")";
  }
  if (!cell.Done()) return WordsOf(cell.end).text;
  const analysis::NoiseFigures& f = cell.figures;
  if (table == SweepTable::kRatio) {
    return f.rmsVsTypical ? Format("%.2f", *f.rmsVsTypical) : analysis::kAbsentValue;
  }
  if (f.noiseFree6Sigma.kind == analysis::Resolution::Kind::kOverRange) {
    return analysis::kOverRangeText;
  }
  if (!f.rmsNanovolts) return analysis::kAbsentValue;
  return Nanovolts(*f.rmsNanovolts) + " (" + Bits(f.noiseFree6Sigma) + ")";
}

std::string SweepTableRow(const SweepRun& sweep, std::size_t row, SweepTable table) {
  const SweepPlan& plan = sweep.Plan();
  std::string line =
      PadLeft(std::to_string(DataRate(plan.rateSels.at(row)).value_or(0)), kRateWidth) + " |";
  for (std::size_t g = 0; g < plan.gainSels.size(); ++g) {
    line += PadLeft(SweepCellText(sweep.Cell(row, g), table), kCellWidth);
  }
  return line;
}

std::string SweepCsvHeader() {
  return "rate_sps,gain,channel,filter,chop,buffer,count,state,rms_noise_codes,rms_noise_nV,"
         "pp_noise_codes,effective_resolution_bits,noise_free_resolution_bits,"
         "noise_free_resolution_6sigma_bits,typical_rms_noise_nV,typical_noise_free_bits,"
         "rms_vs_typical,over_range";
}

std::string SweepCsvLine(const SweepPlan& plan, const SweepCell& cell) {
  const MeasureSettings& s = plan.base;
  const analysis::NoiseFigures& f = cell.figures;
  const bool done = cell.Done();
  const int gain = GainOf(cell.gainSel).value_or(1);
  std::string line = std::to_string(DataRate(cell.spsSel).value_or(0)) + ',' +
                     std::to_string(gain) + ',' + std::to_string(s.CHSel == 1 ? 1 : 0) + ',' +
                     (s.fSinc4 == 1 ? "sinc4" : "sinc3") + ',' + (s.fCHOP_ON == 1 ? "on" : "off") +
                     ',' + (s.fBUF_ON == 1 ? "on" : "off") + ',' + std::to_string(cell.count) +
                     ',' + WordsOf(cell.end).name;
  const auto field = [&](const std::optional<double>& v) {
    line += ',';
    if (done) line += Optional(v);
  };
  field(f.rmsCodes);
  field(f.rmsNanovolts);
  field(f.ppCodes);
  field(f.effective.Bits());
  field(f.noiseFree.Bits());
  field(f.noiseFree6Sigma.Bits());
  line += ',' + Optional(cell.typicalNanovolts);
  line += ',';
  if (cell.typicalNanovolts) {
    line += Format("%.6g", analysis::TypicalNoise::NoiseFreeBits(*cell.typicalNanovolts, gain));
  }
  field(f.rmsVsTypical);
  line += ',';
  if (done) line += f.overRange ? "true" : "false";
  return line;
}

}  // namespace velqoris
