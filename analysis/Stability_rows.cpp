#include "analysis/Stability_rows.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace velqoris::analysis {

namespace {

// Four significant digits, at most 6 decimals (as the other figure rows).
std::string Digits(double v) {
  const double magnitude = std::fabs(v);
  int decimals = 0;
  if (magnitude > 0.0 && std::isfinite(magnitude)) {
    decimals = 3 - static_cast<int>(std::floor(std::log10(magnitude)));
  }
  return Fixed(v, std::clamp(decimals, 0, 6));
}

std::string Value(const std::optional<double>& v) { return v ? Digits(*v) : kAbsentValue; }

std::string WithError(const std::optional<double>& v, const std::optional<double>& error) {
  if (!v) return kAbsentValue;
  return Digits(*v) + (error ? " ± " + Digits(*error) : std::string());
}

// A deviation with its 1σ interval, which need not be symmetric: "12.34 (−1.10 / +1.52)".
std::string WithInterval(double v, const AllanPoint& p) {
  return Digits(v) + " (−" + Digits(v * (1.0 - p.lowFraction)) + " / +" +
         Digits(v * (p.highFraction - 1.0)) + ")";
}

std::string CornerText(const WelchSpectrum& w) {
  if (w.flickerCornerHz) {
    return Digits(*w.flickerCornerHz) +
           (w.flickerCornerErrorHz ? " ± " + Digits(*w.flickerCornerErrorHz) : std::string());
  }
  if (!w.whiteCodesRtHz) return kAbsentValue;
  if (w.cornerHiddenBelowHz) {
    return std::string(kNoCornerText) + " (" + Digits(*w.cornerHiddenBelowHz) +
           " Hz より下は線の漏れで見えません)";
  }
  return kNoCornerText;
}

}  // namespace

std::string NoiseTypeName(int alpha) {
  switch (alpha) {
    case 2:
      return "f² ノイズ";
    case 1:
      return "f ノイズ";
    case 0:
      return "白色ノイズ";
    case -1:
      return "1/f ノイズ";
    default:
      return "ランダムウォーク";
  }
}

std::vector<FigureRow> StabilityFigureRows(const StabilityAnalysis& a) {
  std::vector<FigureRow> rows;
  rows.push_back({"データ数", std::to_string(a.count), "点"});
  rows.push_back({"データレート", a.rateSps > 0.0 ? Digits(a.rateSps) : kAbsentValue, "sps"});
  rows.push_back({"記録時間", a.rateSps > 0.0 ? Fixed(a.durationSeconds, 1) : kAbsentValue, "s"});
  rows.push_back({"途切れ",
                  a.gaps.empty() ? std::string("なし")
                                 : std::to_string(a.gaps.size()) + " か所 (合計 " +
                                       Fixed(a.GapSeconds(), 3) + " s)",
                  ""});
  if (a.longestStretchOnly) {
    rows.push_back({"解析範囲", "途切れが長いため、最も長い連続区間だけを解析しました", ""});
  }
  if (a.overRangeRefused) {
    rows.push_back({"入力範囲",
                    std::string(kOverRangeText) + ": " + std::to_string(a.overRange) +
                        " 点 (1 % を超えるため、安定性の値は求めません)",
                    ""});
    return rows;
  }
  if (a.overRange > 0) {
    rows.push_back({"入力範囲",
                    std::to_string(a.overRange) + " 点が範囲外のため、その点を除いて解析しました",
                    ""});
  }
  const auto& d = a.drift;
  rows.push_back(
      {"ドリフト",
       d ? WithError(d->microvoltsPerHour, d->stderrMicrovoltsPerHour) : std::string(kAbsentValue),
       "uV/時"});
  rows.push_back({"ドリフト",
                  d ? WithError(d->codesPerHour, d->stderrCodesPerHour) : std::string(kAbsentValue),
                  "digit/時"});
  const auto& al = a.allan;
  if (al.minimum) {
    const AllanPoint& p = al.points[*al.minimum];
    rows.push_back({"アラン偏差の最小値 (1σ)", WithInterval(p.nanovolts.value_or(p.codes), p),
                    p.nanovolts ? "nV" : "digit"});
    rows.push_back({"最小となる平均化時間 τ", Digits(p.tauSeconds), "s"});
  } else {
    rows.push_back({"アラン偏差の最小値", kAbsentValue, "nV"});
    rows.push_back({"最小となる平均化時間 τ", kAbsentValue, "s"});
  }
  const auto& w = a.spectrum;
  rows.push_back({"ホワイトノイズ密度 (入力換算)", Value(w.whiteNvRtHz), "nV/√Hz"});
  rows.push_back({"1/f コーナー周波数 (1σ)", CornerText(w), w.flickerCornerHz ? "Hz" : ""});
  rows.push_back({"平均化スペクトル",
                  w.Empty() ? std::string(kAbsentValue)
                            : std::to_string(w.segmentLength) + " 点 × " +
                                  std::to_string(w.segments) + " 区間 (Hann, 50 % 重複)",
                  ""});
  const auto& b = a.band;
  rows.push_back({"0.1〜10 Hz ノイズ (RMS)", b ? Value(b->rmsNanovolts) : kAbsentValue, "nV"});
  rows.push_back({"0.1〜10 Hz ノイズ (p-p, 10 秒ごとの最大)",
                  b ? Value(b->ppMaxNanovolts) : kAbsentValue, "nV"});
  rows.push_back({"0.1〜10 Hz ノイズ (p-p, 10 秒ごとの平均)",
                  b ? Value(b->ppMeanNanovolts) : kAbsentValue, "nV"});
  return rows;
}

std::vector<FigureRow> AllanTableRows(const StabilityAnalysis& a) {
  std::vector<FigureRow> rows;
  for (const AllanPoint& p : a.allan.points) {
    rows.push_back(
        {"τ = " + Digits(p.tauSeconds) + " s",
         WithInterval(p.nanovolts.value_or(p.codes), p) + (p.nanovolts ? " nV" : " digit"),
         "(" + std::to_string(p.terms) + " 項, 自由度 " + Digits(p.edf) + ", " +
             NoiseTypeName(p.alpha) + ")"});
  }
  return rows;
}

}  // namespace velqoris::analysis
