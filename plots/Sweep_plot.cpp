#include "plots/Sweep_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "plots/Plot_ticks.h"
#include "plots/Png_file.h"
#include "plots/Window_font.h"
#include "session/Sweep_table.h"

namespace velqoris {

namespace {

constexpr int kWidth = 860;
constexpr int kHeight = 580;
constexpr QRect kPlot(90, 60, 560, 440);

const std::array<QColor, 6> kColours = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                        QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                        QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b)};

QString NumberText(double v) {
  if (v < 1) return QString::number(v, 'g', 3);
  return QString::number(static_cast<long long>(std::llround(v)));
}

}  // namespace

QImage SweepPicture(const SweepRun& sweep) {
  const SweepPlan& plan = sweep.Plan();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // The range of every figure to be drawn, measured or typical.
  double minRate = 1e9, maxRate = 0, minNv = 1e12, maxNv = 0;
  for (std::size_t r = 0; r < plan.rateSels.size(); ++r) {
    const double rate = DataRate(plan.rateSels[r]).value_or(1);
    minRate = std::min(minRate, rate);
    maxRate = std::max(maxRate, rate);
    for (std::size_t g = 0; g < plan.gainSels.size(); ++g) {
      const SweepCell& c = sweep.Cell(r, g);
      for (const auto& v :
           {c.typicalNanovolts, c.Done() ? c.figures.rmsNanovolts : std::optional<double>()}) {
        if (v && *v > 0) {
          minNv = std::min(minNv, *v);
          maxNv = std::max(maxNv, *v);
        }
      }
    }
  }
  if (maxNv <= 0) {
    minNv = 1;
    maxNv = 1000;
  }
  const DecadeAxis x = DecadeAxis::Around(minRate, maxRate);
  const DecadeAxis y = DecadeAxis::Around(minNv, maxNv);
  const auto px = [&](double rate) { return kPlot.left() + x.Fraction(rate) * kPlot.width(); };
  const auto py = [&](double nv) { return kPlot.bottom() - y.Fraction(nv) * kPlot.height(); };

  QFont font = WindowFont(13);
  p.setFont(font);
  // Grid: decades solid, 2 and 5 within them light.
  for (int pass = 0; pass < 2; ++pass) {
    for (double e = x.low; e <= x.high; ++e) {
      for (const double m : {1.0, 2.0, 5.0}) {
        const double v = m * std::pow(10.0, e);
        if (std::log10(v) > x.high + 1e-9 || (pass == 0) != (m == 1.0)) continue;
        p.setPen(QPen(m == 1.0 ? QColor(0xb0, 0xb0, 0xb0) : QColor(0xe4, 0xe4, 0xe4), 1));
        p.drawLine(QPointF(px(v), kPlot.top()), QPointF(px(v), kPlot.bottom()));
      }
    }
    for (double e = y.low; e <= y.high; ++e) {
      for (const double m : {1.0, 2.0, 5.0}) {
        const double v = m * std::pow(10.0, e);
        if (std::log10(v) > y.high + 1e-9 || (pass == 0) != (m == 1.0)) continue;
        p.setPen(QPen(m == 1.0 ? QColor(0xb0, 0xb0, 0xb0) : QColor(0xe4, 0xe4, 0xe4), 1));
        p.drawLine(QPointF(kPlot.left(), py(v)), QPointF(kPlot.right(), py(v)));
      }
    }
  }
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(kPlot);
  // Short axes also label 2 and 5 within the decades.
  const auto marks = [](const DecadeAxis& a) {
    std::vector<double> v;
    for (double e = a.low; e <= a.high; ++e) {
      for (const double m : {1.0, 2.0, 5.0}) {
        if ((m == 1.0 || a.high - a.low <= 2) && e + std::log10(m) <= a.high + 1e-9) {
          v.push_back(m * std::pow(10.0, e));
        }
      }
    }
    return v;
  };
  for (const double v : marks(x)) {
    p.drawText(QRectF(px(v) - 40, kPlot.bottom() + 4, 80, 18), Qt::AlignHCenter | Qt::AlignTop,
               NumberText(v));
  }
  for (const double v : marks(y)) {
    p.drawText(QRectF(kPlot.left() - 76, py(v) - 9, 70, 18), Qt::AlignRight | Qt::AlignVCenter,
               NumberText(v));
  }
  p.drawText(QRectF(kPlot.left(), kPlot.bottom() + 26, kPlot.width(), 20), Qt::AlignHCenter,
             QStringLiteral("データレート [sps]"));
  p.save();
  p.translate(22, kPlot.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-kPlot.height() / 2.0, -10, kPlot.height(), 20), Qt::AlignHCenter,
             QStringLiteral("RMS ノイズ [nV] (入力換算)"));
  p.restore();
  QFont title = WindowFont(15);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRectF(0, 8, kWidth, 22), Qt::AlignHCenter,
             QStringLiteral("RMS ノイズとデータレート"));
  p.setFont(font);
  p.drawText(QRectF(0, 32, kWidth, 20), Qt::AlignHCenter,
             QString::fromStdString(SweepConditionsText(plan)));

  // The series, each in rate order; a cell without a figure breaks the line.
  std::vector<std::size_t> rows(plan.rateSels.size());
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = i;
  std::sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
    return DataRate(plan.rateSels[a]).value_or(0) < DataRate(plan.rateSels[b]).value_or(0);
  });
  p.setClipRect(kPlot.adjusted(-6, -6, 6, 6));
  for (std::size_t g = 0; g < plan.gainSels.size(); ++g) {
    const QColor colour = kColours[static_cast<std::size_t>(plan.gainSels[g]) % kColours.size()];
    for (const bool measured : {false, true}) {
      QPen pen(colour, measured ? 2.0 : 1.5, measured ? Qt::SolidLine : Qt::DashLine);
      p.setPen(pen);
      QPainterPath path;
      bool open = false;
      for (const std::size_t r : rows) {
        const SweepCell& c = sweep.Cell(r, g);
        const std::optional<double> v =
            measured ? (c.Done() ? c.figures.rmsNanovolts : std::optional<double>())
                     : c.typicalNanovolts;
        if (!v || *v <= 0) {
          open = false;
          continue;
        }
        const QPointF point(px(DataRate(c.spsSel).value_or(1)), py(*v));
        if (open) {
          path.lineTo(point);
        } else {
          path.moveTo(point);
        }
        open = true;
        // Every figure has its marker, so a lone one (a sweep of one rate,
        // or a neighbour without a figure) still shows.
        if (measured) {
          p.setBrush(colour);
          p.drawEllipse(point, 3.5, 3.5);
          p.setBrush(Qt::NoBrush);
        } else {
          p.setPen(QPen(colour, 1.5));
          p.setBrush(Qt::white);
          p.drawRect(QRectF(point.x() - 3.5, point.y() - 3.5, 7, 7));
          p.setBrush(Qt::NoBrush);
          p.setPen(pen);
        }
      }
      p.drawPath(path);
    }
  }
  p.setClipping(false);

  // Legend: a colour per gain, then the two line kinds.
  const double lx = kPlot.right() + 24;
  double ly = kPlot.top() + 8;
  for (std::size_t g = 0; g < plan.gainSels.size(); ++g) {
    const QColor colour = kColours[static_cast<std::size_t>(plan.gainSels[g]) % kColours.size()];
    p.setPen(QPen(colour, 2));
    p.drawLine(QPointF(lx, ly + 8), QPointF(lx + 30, ly + 8));
    p.setBrush(colour);
    p.drawEllipse(QPointF(lx + 15, ly + 8), 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    p.drawText(QRectF(lx + 38, ly, 120, 18), Qt::AlignVCenter,
               QStringLiteral("ゲイン %1").arg(GainOf(plan.gainSels[g]).value_or(0)));
    ly += 22;
  }
  ly += 12;
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(QPointF(lx, ly + 8), QPointF(lx + 30, ly + 8));
  p.setBrush(Qt::black);
  p.drawEllipse(QPointF(lx + 15, ly + 8), 3.5, 3.5);
  p.setBrush(Qt::NoBrush);
  p.drawText(QRectF(lx + 38, ly, 120, 18), Qt::AlignVCenter, QStringLiteral("測定値"));
  ly += 22;
  p.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
  p.drawLine(QPointF(lx, ly + 8), QPointF(lx + 30, ly + 8));
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(lx + 11.5, ly + 4.5, 7, 7));
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
  p.drawText(QRectF(lx + 38, ly, 120, 18), Qt::AlignVCenter, QStringLiteral("代表値"));
  p.end();
  return image;
}

bool WriteSweepPng(const SweepRun& sweep, const std::string& path, int* error) {
  return SavePng(SweepPicture(sweep), path, error);
}

}  // namespace velqoris
