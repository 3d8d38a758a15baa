#include "plots/Log_log_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

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
  if (!(xHi > 0.0) || !(yHi > 0.0)) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, empty_);
    return;
  }
  xLo = DecadeBelow(xLo);
  xHi = std::max(DecadeAbove(xHi), xLo * 10.0);
  yLo = DecadeBelow(yLo);
  yHi = std::max(DecadeAbove(yHi), yLo * 10.0);

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

  p.setClipRect(area.adjusted(-4, -4, 4, 4));
  p.setRenderHint(QPainter::Antialiasing, true);
  if (level_ && level_->value > 0.0) {
    p.setPen(QPen(kLevel, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), toY(level_->value)), QPointF(area.right(), toY(level_->value)));
    p.drawText(QRectF(area.left() + 4, toY(level_->value) - lineH - 1, area.width() - 8, lineH),
               Qt::AlignRight | Qt::AlignBottom, level_->text);
  }
  if (xMark_ && xMark_->value > xLo && xMark_->value < xHi) {
    p.setPen(QPen(kMark, 1, Qt::DashLine));
    p.drawLine(QPointF(toX(xMark_->value), area.top()), QPointF(toX(xMark_->value), area.bottom()));
    p.drawText(QRectF(toX(xMark_->value) + 4, area.top() + 2, area.width() / 2.0, lineH),
               Qt::AlignLeft | Qt::AlignTop, xMark_->text);
  }
  for (const LogLogSeries& s : series_) {
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
}

}  // namespace velqoris
