#include "plots/Stability_plots.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "analysis/Figure_rows.h"
#include "plots/Plot_text.h"

namespace velqoris {

namespace {

// Points per decade the averaged spectrum is drawn with: the mean power of
// the bins in each step, so a long segment's 65536 bins read as one trace.
constexpr double kPointsPerDecade = 60.0;
const QColor kReference(165, 165, 165);

LogLogSeries AllanSeries(const analysis::StabilityAnalysis& a) {
  LogLogSeries s;
  s.points = true;
  for (const auto& p : a.allan.points) {
    const double v = p.nanovolts ? *p.nanovolts : p.codes;
    s.x.push_back(p.tauSeconds);
    s.y.push_back(v);
    s.low.push_back(v * p.lowFraction);
    s.high.push_back(v * p.highFraction);
  }
  return s;
}

LogLogSeries AveragedSeries(const analysis::StabilityAnalysis& a) {
  const auto& w = a.spectrum;
  LogLogSeries s;
  const std::size_t bins = w.psdCodes.size();
  std::size_t k = analysis::WelchSpectrum::kFirstUsableBin;
  while (k < bins) {
    const auto end = std::min<std::size_t>(
        bins, std::max<std::size_t>(k + 1, static_cast<std::size_t>(std::ceil(
                                               k * std::pow(10.0, 1.0 / kPointsPerDecade)))));
    double sum = 0.0;
    for (std::size_t j = k; j < end; ++j) sum += w.psdCodes[j];
    const double density = std::sqrt(sum / static_cast<double>(end - k));
    s.x.push_back(w.binHz * std::sqrt(static_cast<double>(k) * static_cast<double>(end - 1)));
    s.y.push_back(w.nanovoltsPerCode ? density * *w.nanovoltsPerCode : density);
    k = end;
  }
  return s;
}

// The data's series first (the one the view exports), the reference's behind it.
std::vector<LogLogSeries> WithReference(LogLogSeries data, std::optional<LogLogSeries> reference) {
  std::vector<LogLogSeries> series{std::move(data)};
  if (reference && !reference->x.empty()) {
    reference->colour = kReference;
    series.push_back(std::move(*reference));
  }
  return series;
}

}  // namespace

void ShowAllanDeviation(LogLogView& view, const analysis::StabilityAnalysis& a,
                        const analysis::StabilityAnalysis* reference) {
  view.SetXEnd(0);
  if (a.allan.points.empty()) {
    view.Clear(a.rateSps > 0.0
                   ? Utf8Text("平均化時間ごとの項が 4 つ以上になるだけのデータがありません")
                   : Utf8Text("データレートが不明なため、アラン偏差は計算できません"));
    return;
  }
  const bool nv = a.allan.points.front().nanovolts.has_value();
  std::optional<LogLogMark> minimum;
  if (a.allan.minimum) {
    const auto& p = a.allan.points[*a.allan.minimum];
    minimum =
        LogLogMark{nv ? *p.nanovolts : p.codes,
                   Utf8Text("最小 ") +
                       QString::fromStdString(analysis::Fixed(nv ? *p.nanovolts : p.codes, 2)) +
                       (nv ? Utf8Text(" nV") : Utf8Text(" digit")) + Utf8Text(" (τ = ") +
                       QString::number(p.tauSeconds, 'g', 3) + Utf8Text(" s)")};
  }
  view.SetPlot(WithReference(AllanSeries(a), reference && !reference->allan.points.empty()
                                                 ? std::optional(AllanSeries(*reference))
                                                 : std::nullopt),
               Utf8Text("平均化時間 τ (s)"),
               nv ? Utf8Text("アラン偏差 (nV, 入力換算)") : Utf8Text("アラン偏差 (digit)"),
               minimum);
}

void ShowAveragedSpectrum(LogLogView& view, const analysis::StabilityAnalysis& a,
                          const analysis::StabilityAnalysis* reference) {
  const auto& w = a.spectrum;
  if (w.Empty()) {
    view.Clear(Utf8Text("平均化スペクトルを計算できるだけのデータがありません"));
    return;
  }
  const bool nv = w.nanovoltsPerCode.has_value();
  // The last bin is the Nyquist frequency: the axis ends there.
  view.SetXEnd(w.binHz * static_cast<double>(w.psdCodes.size() - 1));
  std::optional<LogLogMark> white;
  const auto level = nv ? w.whiteNvRtHz : w.whiteCodesRtHz;
  if (level) {
    white = LogLogMark{*level, Utf8Text("白色ノイズ ") + QString::number(*level, 'g', 4) +
                                   (nv ? Utf8Text(" nV/√Hz") : Utf8Text(" digit/√Hz"))};
  }
  std::optional<LogLogMark> corner;
  if (w.flickerCornerHz) {
    corner = LogLogMark{
        *w.flickerCornerHz,
        Utf8Text("1/f コーナー ") + QString::number(*w.flickerCornerHz, 'g', 3) + Utf8Text(" Hz")};
  }
  view.SetPlot(
      WithReference(AveragedSeries(a), reference && !reference->spectrum.Empty()
                                           ? std::optional(AveragedSeries(*reference))
                                           : std::nullopt),
      Utf8Text("周波数 (Hz)"),
      nv ? Utf8Text("ノイズ密度 (nV/√Hz, 入力換算, 平均化)") : Utf8Text("ノイズ密度 (digit/√Hz)"),
      white, corner);
}

}  // namespace velqoris
