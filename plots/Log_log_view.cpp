#include "plots/Log_log_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "plots/Csv_text.h"
#include "plots/Label_place.h"
#include "plots/Plot_ticks.h"

namespace velqoris {

namespace {

const QColor kGrid(225, 225, 225);
const QColor kLevel(0, 140, 0);
const QColor kMark(220, 0, 0);

double DecadeBelow(double v) { return std::pow(10.0, std::floor(std::log10(v))); }
double DecadeAbove(double v) { return std::pow(10.0, std::ceil(std::log10(v))); }

}  // namespace

LogLogView::LogLogView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  empty_ = QStringLiteral("データがありません");
  explorer_ = new PlotExplorer(*this);
  explorer_->SetCurve([this] { return CurveCsv(); });
}

QString LogLogView::CurveCsv() const {
  if (series_.empty()) return {};
  const LogLogSeries& s = series_.front();
  const bool errors = !s.low.empty() && !s.high.empty();
  QStringList header{xTitle_, yTitle_};
  if (errors) header << yTitle_ + QStringLiteral(" (1σ 下限)") << yTitle_ + QStringLiteral(" (1σ 上限)");
  QString text = CsvRow(header);
  for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
    QStringList row{CsvNumber(s.x[i]), CsvNumber(s.y[i])};
    if (errors) {
      const bool bar = i < s.low.size() && i < s.high.size();
      row << (bar ? CsvNumber(s.low[i]) : QString()) << (bar ? CsvNumber(s.high[i]) : QString());
    }
    text += CsvRow(row);
  }
  return text;
}

QString LogLogView::ReadoutAt(double x) const {
  if (series_.empty() || series_.front().x.empty()) return {};
  const LogLogSeries& s = series_.front();
  std::size_t best = 0;
  for (std::size_t i = 1; i < s.x.size() && i < s.y.size(); ++i) {
    if (std::abs(std::log10(s.x[i] / x)) < std::abs(std::log10(s.x[best] / x))) best = i;
  }
  QString text = QString::number(s.x[best], 'g', 4) + QStringLiteral("  ") +
                 QString::number(s.y[best], 'g', 4);
  if (best < s.low.size() && best < s.high.size()) {
    text += QStringLiteral(" (") + QString::number(s.low[best], 'g', 3) + QStringLiteral("–") +
            QString::number(s.high[best], 'g', 3) + QStringLiteral(")");
  }
  return text;
}

void LogLogView::SetPlot(std::vector<LogLogSeries> series, const QString& xTitle,
                         const QString& yTitle, std::optional<LogLogMark> level,
                         std::optional<LogLogMark> xMark) {
  series_ = std::move(series);
  xTitle_ = xTitle;
  yTitle_ = yTitle;
  level_ = std::move(level);
  xMark_ = std::move(xMark);
  update();
}

void LogLogView::Clear(const QString& why) {
  series_.clear();
  empty_ = why;
  update();
}

void LogLogView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics fm(font());
  double xLo = 1e300, xHi = 0.0, yLo = 1e300, yHi = 0.0;
  for (const LogLogSeries& s : series_) {
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!(s.x[i] > 0.0) || !(s.y[i] > 0.0)) continue;
      const bool bar = i < s.low.size() && i < s.high.size();
      xLo = std::min(xLo, s.x[i]);
      xHi = std::max(xHi, s.x[i]);
      yLo = std::min(yLo, bar && s.low[i] > 0.0 ? s.low[i] : s.y[i]);
      yHi = std::max(yHi, bar ? std::max(s.high[i], s.y[i]) : s.y[i]);
    }
  }
  if (level_ && level_->value > 0.0) {
    yLo = std::min(yLo, level_->value);
    yHi = std::max(yHi, level_->value);
  }
  labelPlaces_.clear();
  if (!(xHi > 0.0) || !(yHi > 0.0)) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, empty_);
    return;
  }
  xLo = DecadeBelow(xLo);
  // A spectrum ends at its Nyquist frequency: nothing lies beyond it.
  xHi = xEnd_ >= xHi ? xEnd_ : std::max(DecadeAbove(xHi), xLo * 10.0);
  yLo = DecadeBelow(yLo);
  yHi = std::max(DecadeAbove(yHi), yLo * 10.0);
  const PlotSpan values = explorer_->VisibleY({std::log10(yLo), std::log10(yHi)});
  yLo = std::pow(10.0, values.low);
  yHi = std::pow(10.0, values.high);

  const int lineH = fm.height();
  const Ticks yTicks = LogTicks(yLo, yHi, std::max(2, height() / 30));
  int yLabelWidth = 0;
  for (double v : yTicks.values) {
    yLabelWidth =
        std::max(yLabelWidth, fm.horizontalAdvance(QString::fromStdString(LogTickText(v))));
  }
  QRect area(yLabelWidth + 10, lineH + 8, 0, 0);
  area.setRight(width() - 12 - fm.horizontalAdvance(QStringLiteral("00000")) / 2);
  area.setBottom(height() - 2 * lineH - 10);
  if (area.width() < 20 || area.height() < 20) return;
  const PlotSpan along = explorer_->VisibleX({std::log10(xLo), std::log10(xHi)}, area);
  xLo = std::pow(10.0, along.low);
  xHi = std::pow(10.0, along.high);
  xHighShown_ = xHi;
  const auto toX = [&](double x) {
    return area.left() + std::log10(x / xLo) / std::log10(xHi / xLo) * area.width();
  };
  const auto toY = [&](double y) {
    const double t =
        std::clamp(std::log10(std::max(y, yLo * 1e-3) / yLo) / std::log10(yHi / yLo), -0.02, 1.02);
    return area.bottom() - t * area.height();
  };
  const Ticks xTicks = LogTicks(xLo, xHi, std::max(2, area.width() / 50));

  p.setPen(kGrid);
  for (double v : yTicks.values)
    p.drawLine(QPointF(area.left(), toY(v)), QPointF(area.right(), toY(v)));
  for (double v : xTicks.values)
    p.drawLine(QPointF(toX(v), area.top()), QPointF(toX(v), area.bottom()));
  p.setPen(Qt::black);
  p.drawRect(area);
  for (double v : yTicks.values) {
    p.drawText(QRectF(area.left() - 6 - yLabelWidth, toY(v) - lineH / 2.0, yLabelWidth, lineH),
               Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(LogTickText(v)));
  }
  std::vector<double> centres, widths;
  for (double v : xTicks.values) {
    centres.push_back(toX(v));
    widths.push_back(fm.horizontalAdvance(QString::fromStdString(LogTickText(v))));
  }
  const std::vector<bool> fit = TextsThatFit(centres, widths, area.left() - 4, width() - 4, 10);
  for (std::size_t i = 0; i < xTicks.values.size(); ++i) {
    if (!fit[i]) continue;
    p.drawText(QRectF(centres[i] - widths[i] / 2 - 2, area.bottom() + 5, widths[i] + 4, lineH),
               Qt::AlignCenter, QString::fromStdString(LogTickText(xTicks.values[i])));
  }
  p.drawText(QRect(area.left(), area.bottom() + lineH + 6, area.width(), lineH), Qt::AlignCenter,
             xTitle_);
  p.drawText(QRect(area.left(), 2, area.width(), lineH), Qt::AlignLeft | Qt::AlignVCenter, yTitle_);

  // The curves in pixels, for the labels to keep clear of.
  std::vector<Polyline> curves;
  for (const LogLogSeries& s : series_) {
    Polyline line;
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!(s.x[i] > 0.0) || !(s.y[i] > 0.0)) continue;
      line.emplace_back(toX(s.x[i]), toY(s.y[i]));
      if (s.points) curves.push_back({line.back() - QPointF(4, 4), line.back() + QPointF(4, 4)});
      if (i < s.low.size() && i < s.high.size() && s.high[i] > s.low[i]) {
        const double lo = s.low[i];
        curves.push_back({QPointF(line.back().x(), toY(lo > 0.0 ? lo : yLo * 1e-3)),
                          QPointF(line.back().x(), toY(s.high[i]))});
      }
    }
    curves.push_back(std::move(line));
  }

  p.setClipRect(area.adjusted(-4, -4, 4, 4));
  p.setRenderHint(QPainter::Antialiasing, true);
  const QRectF inner = QRectF(area).adjusted(3, 3, -3, -3);
  if (level_ && level_->value > 0.0) {
    const double y = toY(level_->value);
    p.setPen(QPen(kLevel, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    const double w = fm.horizontalAdvance(level_->text) + 4;
    std::vector<QRectF> candidates;
    // Along the line from the right, above it first, then below.
    for (const double top : {y - lineH - 1, y + 2}) {
      for (const double along : {1.0, 0.0, 0.5, 0.75, 0.25, 0.875, 0.125, 0.625, 0.375}) {
        candidates.emplace_back(inner.left() + along * (inner.width() - w), top, w, lineH);
      }
    }
    labelPlaces_.push_back(ClearPlace(candidates, curves));
    p.drawText(labelPlaces_.back(), Qt::AlignCenter, level_->text);
  }
  if (xMark_ && xMark_->value > xLo && xMark_->value < xHi) {
    const double x = toX(xMark_->value);
    p.setPen(QPen(kMark, 1, Qt::DashLine));
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    const double w = fm.horizontalAdvance(xMark_->text) + 4;
    std::vector<QRectF> candidates;
    for (const double top : {inner.top(), inner.bottom() - lineH, inner.center().y() - lineH / 2}) {
      for (const double left : {x + 3, x - 3 - w}) candidates.emplace_back(left, top, w, lineH);
    }
    labelPlaces_.push_back(ClearPlace(candidates, curves, labelPlaces_));
    p.drawText(labelPlaces_.back(), Qt::AlignCenter, xMark_->text);
  }
  // The first series over the others (a reference behind the data).
  for (auto it = series_.rbegin(); it != series_.rend(); ++it) {
    const LogLogSeries& s = *it;
    p.setPen(QPen(s.colour, s.points ? 1.5 : 1.0));
    QPainterPath path;
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!(s.x[i] > 0.0) || !(s.y[i] > 0.0)) continue;
      const QPointF point(toX(s.x[i]), toY(s.y[i]));
      path.elementCount() == 0 ? path.moveTo(point) : path.lineTo(point);
      if (!s.points) continue;
      p.drawEllipse(point, 3.0, 3.0);
      if (i < s.low.size() && i < s.high.size() && s.high[i] > s.low[i]) {
        const double lo = s.low[i];
        p.drawLine(QPointF(point.x(), toY(lo > 0.0 ? lo : yLo * 1e-3)),
                   QPointF(point.x(), toY(s.high[i])));
      }
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }
  p.setClipping(false);
  p.setRenderHint(QPainter::Antialiasing, false);
  explorer_->PaintCursor(p, [this](double v) { return ReadoutAt(std::pow(10.0, v)); });
}

}  // namespace velqoris
