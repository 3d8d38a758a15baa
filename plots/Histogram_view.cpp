#include "plots/Histogram_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graph/Number_pattern.h"
#include "plots/Csv_text.h"
#include "plots/Plot_text.h"
#include "plots/Plot_ticks.h"
#include "units/Microvolts.h"

namespace velqoris {

namespace {

const QColor kBarFill(150, 180, 220);
const QColor kReference(150, 150, 150);
const QColor kBarEdge(70, 100, 150);
const QColor kCurve(220, 0, 0);
const QColor kGrid(225, 225, 225);

}  // namespace

HistogramView::HistogramView(QWidget* parent) : QWidget(parent) {
  setObjectName("HistogramView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  explorer_ = new PlotExplorer(*this);
  explorer_->SetCurve([this] { return CurveCsv(); });
}

QString HistogramView::CurveCsv() const {
  QString text = CsvRow({Utf8Text("コード (下端)"), Utf8Text("コード (上端)"),
                         Utf8Text("中心 (µV)"), Utf8Text("度数")});
  for (int bin = 0; has_ && bin < histogram_.Bins(); ++bin) {
    const std::int64_t low = histogram_.firstCode + bin * histogram_.codesPerBin;
    const double centre = 0.5 * static_cast<double>(2 * low + histogram_.codesPerBin - 1);
    text += CsvRow(
        {QString::number(low), QString::number(low + histogram_.codesPerBin - 1),
         microvoltsPerCode_ ? CsvNumber((centre - kMidScaleCode) * *microvoltsPerCode_) : QString(),
         QString::number(histogram_.counts[static_cast<std::size_t>(bin)])});
  }
  return text;
}

QString HistogramView::ReadoutAt(double axisValue) const {
  if (!has_) return {};
  const analysis::Histogram& h = histogram_;
  const double code = AxisInMicrovolts() ? CodeAt(axisValue, *microvoltsPerCode_) : axisValue;
  const auto bin = static_cast<int>(std::floor((code - h.LowerEdge(0)) / h.codesPerBin));
  if (bin < 0 || bin >= h.Bins()) return {};
  const auto first = static_cast<qlonglong>(std::ceil(h.LowerEdge(bin)));
  QString text = h.PerCode() ? Utf8Text("コード %1").arg(first)
                             : Utf8Text("コード %1〜%2").arg(first).arg(first + h.codesPerBin - 1);
  if (AxisInMicrovolts()) {
    text += QStringLiteral(" (%1 uV)").arg(QString::fromStdString(FormatFixed(axisValue, 4)));
  }
  return text + Utf8Text("  度数 %1").arg(h.counts[static_cast<std::size_t>(bin)]);
}

void HistogramView::SetHistogram(const analysis::Histogram& histogram,
                                 std::optional<double> microvoltsPerCode, bool voltMode) {
  histogram_ = histogram;
  microvoltsPerCode_ = microvoltsPerCode;
  voltMode_ = voltMode;
  has_ = histogram.Bins() > 0;
  update();
}

void HistogramView::SetReference(std::optional<analysis::Histogram> reference) {
  reference_ = std::move(reference);
  update();
}

void HistogramView::Clear() {
  histogram_ = analysis::Histogram{};
  has_ = false;
  update();
}

QString HistogramView::AxisTitle() const {
  return AxisInMicrovolts() ? Utf8Text("電圧 (uV)") : Utf8Text("コード (digit)");
}

double HistogramView::AxisValue(double code) const {
  if (!AxisInMicrovolts()) return code;
  return MicrovoltsAt(code, *microvoltsPerCode_);
}

void HistogramView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setFont(font());
  const QFontMetrics fm(font());
  if (!has_) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter, Utf8Text("データがありません"));
    return;
  }
  const analysis::Histogram& h = histogram_;
  double x0 = AxisValue(h.LowerEdge(0));
  double x1 = AxisValue(h.UpperEdge(h.Bins() - 1));
  double yMax = h.MaxCount();
  if (h.sigma > 0) yMax = std::max(yMax, h.NormalCount(h.mean));
  yMax *= 1.08;
  const PlotSpan shownCounts = explorer_->VisibleY({0, yMax});
  const double yMin = shownCounts.low;
  yMax = shownCounts.high;

  const Ticks yTicks = LinearTicks(yMin, yMax, std::max(2, height() / 40));
  int yLabelWidth = 0;
  for (double v : yTicks.values) {
    yLabelWidth = std::max(
        yLabelWidth, fm.horizontalAdvance(QString::fromStdString(TickText(v, yTicks.decimals))));
  }
  const int lineH = fm.height();
  const QRect plot(yLabelWidth + lineH + 10, lineH + 8, 0, 0);
  QRect area = plot;
  area.setRight(width() - 12 - fm.horizontalAdvance(QStringLiteral("0000")) / 2);
  area.setBottom(height() - 2 * lineH - 10);
  if (area.width() < 20 || area.height() < 20) return;
  const PlotSpan codes = explorer_->VisibleX({x0, x1}, area);
  x0 = codes.low;
  x1 = codes.high;

  // Enough ticks to fill the axis, no more than their texts allow.
  int maxX = std::max(2, area.width() / 60);
  Ticks xTicks;
  for (;; --maxX) {
    xTicks = LinearTicks(x0, x1, maxX);
    int widest = 0;
    for (double v : xTicks.values) {
      widest = std::max(widest,
                        fm.horizontalAdvance(QString::fromStdString(TickText(v, xTicks.decimals))));
    }
    if (maxX <= 2 || static_cast<int>(xTicks.values.size()) * (widest + 16) <= area.width()) break;
  }

  const auto px = [&](double v) { return area.left() + (v - x0) / (x1 - x0) * area.width(); };
  const auto py = [&](double count) {
    return area.bottom() - (count - yMin) / (yMax - yMin) * area.height();
  };

  // Grid and tick texts.
  p.setPen(kGrid);
  for (double v : yTicks.values)
    p.drawLine(QPointF(area.left(), py(v)), QPointF(area.right(), py(v)));
  p.setPen(Qt::black);
  for (double v : yTicks.values) {
    const QString t = QString::fromStdString(TickText(v, yTicks.decimals));
    p.drawText(QRectF(area.left() - 6 - yLabelWidth, py(v) - lineH / 2.0, yLabelWidth, lineH),
               Qt::AlignRight | Qt::AlignVCenter, t);
  }
  // Texts inside the widget, clear of the value texts and of each other.
  std::vector<double> centres;
  std::vector<double> widths;
  for (double v : xTicks.values) {
    centres.push_back(px(v));
    widths.push_back(fm.horizontalAdvance(QString::fromStdString(TickText(v, xTicks.decimals))));
  }
  const std::vector<bool> fit = TextsThatFit(centres, widths, area.left() - 4, width() - 4, 10);
  for (std::size_t i = 0; i < xTicks.values.size(); ++i) {
    const double x = centres[i];
    p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
    if (!fit[i]) continue;
    const QString t = QString::fromStdString(TickText(xTicks.values[i], xTicks.decimals));
    p.drawText(QRectF(x - widths[i] / 2 - 2, area.bottom() + 5, widths[i] + 4, lineH),
               Qt::AlignCenter, t);
  }

  // Bars: touching, with an outline while they are wide enough to show it.
  p.setClipRect(area);
  const double barWidth = (px(AxisValue(h.UpperEdge(0))) - px(AxisValue(h.LowerEdge(0))));
  p.setPen(barWidth >= 4 ? QPen(kBarEdge) : QPen(Qt::NoPen));
  p.setBrush(kBarFill);
  for (int i = 0; i < h.Bins(); ++i) {
    if (h.counts[i] == 0) continue;
    const double left = px(AxisValue(h.LowerEdge(i)));
    const double right = px(AxisValue(h.UpperEdge(i)));
    p.drawRect(QRectF(left, py(h.counts[i]), std::max(1.0, right - left),
                      area.bottom() - py(h.counts[i])));
  }

  // The reference's outline, its counts as if it held as many samples.
  if (reference_ && reference_->Bins() > 0 && reference_->total > 0) {
    const analysis::Histogram& r = *reference_;
    const double scale = static_cast<double>(h.total) / r.total;
    QPainterPath outline;
    outline.moveTo(px(AxisValue(r.LowerEdge(0))), py(0));
    for (int i = 0; i < r.Bins(); ++i) {
      const double y = py(r.counts[static_cast<std::size_t>(i)] * scale);
      outline.lineTo(px(AxisValue(r.LowerEdge(i))), y);
      outline.lineTo(px(AxisValue(r.UpperEdge(i))), y);
    }
    outline.lineTo(px(AxisValue(r.UpperEdge(r.Bins() - 1))), py(0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kReference, 1.5));
    p.drawPath(outline);
  }

  // The normal curve, sampled every two pixels.
  if (h.sigma > 0) {
    QPainterPath curve;
    for (int x = area.left(); x <= area.right(); x += 2) {
      const double axis = x0 + (x - area.left()) / static_cast<double>(area.width()) * (x1 - x0);
      const double code = AxisInMicrovolts() ? CodeAt(axis, *microvoltsPerCode_) : axis;
      const QPointF point(x, std::max<double>(area.top(), py(h.NormalCount(code))));
      if (x == area.left()) {
        curve.moveTo(point);
      } else {
        curve.lineTo(point);
      }
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCurve, 1.5));
    p.drawPath(curve);
    p.setRenderHint(QPainter::Antialiasing, false);
  }
  p.setClipping(false);

  // Frame, axis titles and the legend.
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
  p.drawRect(area);
  p.drawText(QRect(area.left(), height() - lineH - 4, area.width(), lineH), Qt::AlignCenter,
             AxisTitle());
  p.save();
  p.translate(4, area.center().y());
  p.rotate(-90);
  p.drawText(QRect(-area.height() / 2, 0, area.height(), lineH), Qt::AlignCenter, Utf8Text("度数"));
  p.restore();
  const QString bins = h.PerCode()
                           ? Utf8Text("1 コード/ビン")
                           : Utf8Text("%1 コード/ビン").arg(static_cast<qlonglong>(h.codesPerBin));
  int x = area.left();
  const int y = 4;
  p.fillRect(QRect(x, y + lineH / 2 - 4, 10, 8), kBarFill);
  x += 14;
  const QString counts = Utf8Text("度数 (%1)").arg(bins);
  p.drawText(QPoint(x, y + fm.ascent()), counts);
  x += fm.horizontalAdvance(counts) + 16;
  p.setPen(QPen(kCurve, 2));
  p.drawLine(x, y + lineH / 2, x + 16, y + lineH / 2);
  p.setPen(Qt::black);
  // The curve's whole name where it fits, else its short one.
  QString curveName = Utf8Text("正規分布 (同じ平均値と標準偏差)");
  if (x + 20 + fm.horizontalAdvance(curveName) > width() - 4) curveName = Utf8Text("正規分布");
  p.drawText(QPoint(x + 20, y + fm.ascent()),
             fm.elidedText(curveName, Qt::ElideRight, std::max(0, width() - 4 - x - 20)));
  explorer_->PaintCursor(p, [this](double v) { return ReadoutAt(v); });
}

}  // namespace velqoris
