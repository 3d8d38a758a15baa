#include "plots/Spectrum_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "graph/Number_pattern.h"
#include "plots/Csv_text.h"
#include "plots/Plot_text.h"
#include "plots/Plot_ticks.h"

namespace velqoris {

namespace {

const QColor kTrace(0, 70, 170);
const QColor kReference(175, 175, 175);
const QColor kTone(220, 0, 0);
const QColor kMains(0, 140, 0);
const QColor kGrid(225, 225, 225);

}  // namespace

SpectrumView::SpectrumView(QWidget* parent) : QWidget(parent) {
  setObjectName("SpectrumView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  explorer_ = new PlotExplorer(*this);
  explorer_->SetCurve([this] { return CurveCsv(); });
}

QString SpectrumView::CurveCsv() const {
  QString text = CsvRow({spectrum_.binHz ? Utf8Text("周波数 (Hz)") : Utf8Text("ビン"),
                         Utf8Text("振幅 (dBFS)"), Utf8Text("ノイズ密度 (nV/√Hz)")});
  for (int bin = 0; has_ && bin < spectrum_.Bins(); ++bin) {
    const auto k = static_cast<std::size_t>(bin);
    text += CsvRow(
        {CsvNumber(Frequency(bin)),
         k < spectrum_.dbfs.size() ? CsvNumber(spectrum_.dbfs[k]) : QString(),
         k < spectrum_.densityNvRtHz.size() ? CsvNumber(spectrum_.densityNvRtHz[k]) : QString()});
  }
  return text;
}

QString SpectrumView::ReadoutAt(double frequency) const {
  if (!CanDraw()) return {};
  const double step = Frequency(1);
  const auto bin = static_cast<int>(std::lround(frequency / step));
  if (bin < 0 || bin >= spectrum_.Bins()) return {};
  const bool density = scale_ == SpectrumScale::kDensity;
  return QStringLiteral("%1 Hz  %2 %3")
      .arg(QString::fromStdString(FormatFixed(Frequency(bin), step < 0.1 ? 4 : 2)))
      .arg(QString::fromStdString(FormatFixed(Value(bin), density ? 3 : 1)))
      .arg(density ? Utf8Text("nV/√Hz") : QStringLiteral("dBFS"));
}

void SpectrumView::SetSpectrum(const analysis::Spectrum& spectrum,
                               const analysis::SpectrumFigures& figures) {
  spectrum_ = spectrum;
  figures_ = figures;
  has_ = spectrum.Bins() > 1;
  update();
}

void SpectrumView::SetReference(std::optional<analysis::Spectrum> reference) {
  reference_ = std::move(reference);
  update();
}

void SpectrumView::Clear() {
  spectrum_ = analysis::Spectrum{};
  figures_ = analysis::SpectrumFigures{};
  has_ = false;
  update();
}

void SpectrumView::SetScale(SpectrumScale scale) {
  scale_ = scale;
  update();
}

void SpectrumView::SetLogFrequency(bool log) {
  logFrequency_ = log;
  update();
}

QString SpectrumView::AxisTitle() const {
  return spectrum_.binHz ? Utf8Text("周波数 (Hz)") : Utf8Text("ビン番号");
}

QString SpectrumView::ValueTitle() const {
  return scale_ == SpectrumScale::kDbfs ? Utf8Text("振幅 (dBFS)") : Utf8Text("ノイズ密度 (nV/√Hz)");
}

bool SpectrumView::CanDraw() const {
  if (!has_) return false;
  return scale_ == SpectrumScale::kDbfs ||
         static_cast<int>(spectrum_.densityNvRtHz.size()) == spectrum_.Bins();
}

double SpectrumView::Frequency(int bin) const {
  return spectrum_.binHz ? bin * *spectrum_.binHz : bin;
}

double SpectrumView::Value(int bin) const {
  return scale_ == SpectrumScale::kDbfs ? spectrum_.dbfs[bin] : spectrum_.densityNvRtHz[bin];
}

void SpectrumView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics fm(font());
  if (!CanDraw()) {
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
               has_ ? Utf8Text("データレートまたはゲインが不明なため、ノイズ密度は表示できません")
                    : Utf8Text("データがありません"));
    return;
  }
  const bool density = scale_ == SpectrumScale::kDensity;
  const int bins = spectrum_.Bins();
  // DC holds nothing of interest once the mean is removed: start at bin 1.
  const int firstBin = 1;
  double xLo = Frequency(logFrequency_ ? firstBin : 0);
  double xHi = Frequency(bins - 1);
  if (!(xHi > xLo)) return;

  double vLo = 1e300;
  double vHi = -1e300;
  for (int k = firstBin; k < bins; ++k) {
    const double v = Value(k);
    if (density && !(v > 0)) continue;
    if (!density && v <= analysis::kFloorDbfs) continue;
    vLo = std::min(vLo, v);
    vHi = std::max(vHi, v);
  }
  if (vLo > vHi) {
    vLo = density ? 1 : -160;
    vHi = density ? 10 : 0;
  }
  double yLo = 0;
  double yHi = 0;
  if (density) {
    yLo = std::pow(10.0, std::floor(std::log10(vLo)));
    yHi = std::pow(10.0, std::ceil(std::log10(vHi)));
    if (yHi <= yLo) yHi = yLo * 10;
  } else {
    // 0 dBFS on top while the data stays below it; 20 dB steps.
    yHi = std::max(0.0, std::ceil(vHi / 20.0) * 20.0);
    yLo = std::min(yHi - 40.0, std::max(-300.0, std::floor(vLo / 20.0) * 20.0));
  }

  // The part in view; logarithmic axes zoom in decades.
  const PlotSpan values = explorer_->VisibleY(density ? PlotSpan{std::log10(yLo), std::log10(yHi)}
                                                      : PlotSpan{yLo, yHi});
  yLo = density ? std::pow(10.0, values.low) : values.low;
  yHi = density ? std::pow(10.0, values.high) : values.high;

  const int lineH = fm.height();
  const auto yText = [&](double v, int decimals) {
    return QString::fromStdString(density ? LogTickText(v) : TickText(v, decimals));
  };
  const auto xText = [&](double v, int decimals) {
    return QString::fromStdString(logFrequency_ ? LogTickText(v) : TickText(v, decimals));
  };
  const Ticks yTicks = density ? LogTicks(yLo, yHi, std::max(2, height() / 30))
                               : LinearTicks(yLo, yHi, std::max(2, height() / 30));
  int yLabelWidth = 0;
  for (double v : yTicks.values) {
    yLabelWidth = std::max(yLabelWidth, fm.horizontalAdvance(yText(v, yTicks.decimals)));
  }
  QRect area(yLabelWidth + lineH + 10, lineH + 8, 0, 0);
  area.setRight(width() - 12 - fm.horizontalAdvance(QStringLiteral("00000")) / 2);
  area.setBottom(height() - 2 * lineH - 10);
  if (area.width() < 20 || area.height() < 20) return;
  const PlotSpan frequencies = explorer_->VisibleX(
      logFrequency_ ? PlotSpan{std::log10(xLo), std::log10(xHi)} : PlotSpan{xLo, xHi}, area);
  xLo = logFrequency_ ? std::pow(10.0, frequencies.low) : frequencies.low;
  xHi = logFrequency_ ? std::pow(10.0, frequencies.high) : frequencies.high;

  const auto toX = [&](double f) {
    if (logFrequency_) {
      return area.left() + LogFraction(f, xLo, xHi) * area.width();
    }
    return area.left() + (f - xLo) / (xHi - xLo) * area.width();
  };
  const auto toY = [&](double v) {
    double t = density ? LogFraction(std::max(v, yLo * 1e-3), yLo, yHi) : (v - yLo) / (yHi - yLo);
    t = std::clamp(t, -0.02, 1.0);
    return area.bottom() - t * area.height();
  };

  int maxX = std::max(2, area.width() / 60);
  Ticks xTicks;
  for (;; --maxX) {
    xTicks = logFrequency_ ? LogTicks(xLo, xHi, maxX) : LinearTicks(xLo, xHi, maxX);
    int widest = 0;
    for (double v : xTicks.values) {
      widest = std::max(widest, fm.horizontalAdvance(xText(v, xTicks.decimals)));
    }
    if (maxX <= 2 || static_cast<int>(xTicks.values.size()) * (widest + 16) <= area.width()) break;
  }

  p.setPen(kGrid);
  for (double v : yTicks.values)
    p.drawLine(QPointF(area.left(), toY(v)), QPointF(area.right(), toY(v)));
  for (double v : xTicks.values)
    p.drawLine(QPointF(toX(v), area.top()), QPointF(toX(v), area.bottom()));
  p.setPen(Qt::black);
  for (double v : yTicks.values) {
    const QString t = yText(v, yTicks.decimals);
    p.drawText(QRectF(area.left() - 6 - yLabelWidth, toY(v) - lineH / 2.0, yLabelWidth, lineH),
               Qt::AlignRight | Qt::AlignVCenter, t);
  }
  std::vector<double> centres;
  std::vector<double> widths;
  for (double v : xTicks.values) {
    centres.push_back(toX(v));
    widths.push_back(fm.horizontalAdvance(xText(v, xTicks.decimals)));
  }
  const std::vector<bool> fit = TextsThatFit(centres, widths, area.left() - 4, width() - 4, 10);
  for (std::size_t i = 0; i < xTicks.values.size(); ++i) {
    if (!fit[i]) continue;
    p.drawText(QRectF(centres[i] - widths[i] / 2 - 2, area.bottom() + 5, widths[i] + 4, lineH),
               Qt::AlignCenter, xText(xTicks.values[i], xTicks.decimals));
  }

  // The reference behind, bin by bin at its own frequencies.
  p.setClipRect(area.adjusted(0, -1, 1, 1));
  if (reference_ && reference_->binHz) {
    const auto& values =
        scale_ == SpectrumScale::kDbfs ? reference_->dbfs : reference_->densityNvRtHz;
    QPainterPath behind;
    for (std::size_t k = logFrequency_ ? 1 : 0; k < values.size(); ++k) {
      const QPointF point(toX(static_cast<double>(k) * *reference_->binHz), toY(values[k]));
      behind.elementCount() == 0 ? behind.moveTo(point) : behind.lineTo(point);
    }
    p.setPen(QPen(kReference, 1));
    p.drawPath(behind);
  }
  // The trace: every bin, so no peak is lost between pixels.
  QPainterPath trace;
  for (int k = logFrequency_ ? firstBin : 0; k < bins; ++k) {
    const QPointF point(toX(Frequency(k)), toY(Value(k)));
    if (trace.elementCount() == 0) {
      trace.moveTo(point);
    } else {
      trace.lineTo(point);
    }
  }
  p.setPen(QPen(kTrace, 1));
  p.drawPath(trace);

  // Marks only where the figures say: the fundamental and the harmonics
  // that stand out of the noise in red, the detected mains lines in green.
  // Never from a bin standing over its neighbours.
  struct Mark {
    QPointF tip;
    QColor colour;
    QString text;
  };
  std::vector<Mark> marks;
  std::vector<QRectF> triangles;
  const auto triangle = [](QPointF tip) { return QRectF(tip.x() - 4, tip.y() - 9, 8, 7); };
  const auto onAxis = [&](const analysis::SpectrumLine& line) {
    if (line.bin <= 0 || line.bin >= bins) return false;
    return Value(line.bin) >= yLo;  // not below the axis
  };
  const auto tipOf = [&](int bin) { return QPointF(toX(Frequency(bin)), toY(Value(bin))); };
  const auto add = [&](const analysis::SpectrumLine& line, const QColor& colour,
                       const QString& text) {
    const QPointF tip = tipOf(line.bin);
    // A mark that would cover another's is left out (lines a bin apart).
    const QRectF tri = triangle(tip);
    if (std::any_of(triangles.begin(), triangles.end(),
                    [&](const QRectF& r) { return r.intersects(tri); }))
      return;
    marks.push_back({tip, colour, text});
    triangles.push_back(tri);
  };
  if (figures_.fundamental && onAxis(*figures_.fundamental)) {
    add(*figures_.fundamental, kTone, Utf8Text("基本波"));
  }
  for (const auto& h : figures_.harmonics) {
    if (h.Dbfs() && onAxis(h)) add(h, kTone, QString::number(h.order));
  }
  struct Pickup {
    const analysis::SpectrumLine* line;
    int hz;
  };
  std::vector<Pickup> pickups;
  for (const auto* lines : {&figures_.mains50, &figures_.mains60}) {
    for (const auto& l : *lines) {
      if (l.Dbfs() && onAxis(l)) {
        pickups.push_back({&l, (lines == &figures_.mains50 ? 50 : 60) * l.order});
      }
    }
  }
  // The strongest first.
  std::stable_sort(pickups.begin(), pickups.end(),
                   [](const Pickup& a, const Pickup& b) { return a.line->dbfs > b.line->dbfs; });
  for (const Pickup& m : pickups) add(*m.line, kMains, QStringLiteral("%1Hz").arg(m.hz));

  for (const Mark& m : marks) {
    p.setPen(m.colour);
    p.setBrush(m.colour);
    QPolygonF tri;
    tri << QPointF(m.tip.x(), m.tip.y() - 2) << QPointF(m.tip.x() - 4, m.tip.y() - 9)
        << QPointF(m.tip.x() + 4, m.tip.y() - 9);
    p.drawPolygon(tri);
  }
  p.setBrush(Qt::NoBrush);
  // Texts next to their marks, inside the plot, over no mark and no other
  // text; one without such a place is left out.
  const QRectF inside = QRectF(area).adjusted(1, 1, -1, -1);
  std::vector<QRectF> taken = triangles;
  for (const Mark& m : marks) {
    const double w = fm.horizontalAdvance(m.text) + 4;
    const double x = m.tip.x();
    const double top = m.tip.y() - 10 - lineH;
    const double middle = m.tip.y() - 5.5 - lineH / 2.0;
    const std::array<QRectF, 7> candidates = {
        QRectF(x - w / 2, top, w, lineH),      QRectF(x + 5, middle, w, lineH),
        QRectF(x - 5 - w, middle, w, lineH),   QRectF(x + 1, top, w, lineH),
        QRectF(x - 1 - w, top, w, lineH),      QRectF(x + 3, m.tip.y(), w, lineH),
        QRectF(x - 3 - w, m.tip.y(), w, lineH)};
    for (QRectF box : candidates) {
      if (box.width() > inside.width() || box.height() > inside.height()) break;
      box.moveLeft(std::clamp(box.left(), inside.left(), inside.right() - box.width()));
      box.moveTop(std::clamp(box.top(), inside.top(), inside.bottom() - box.height()));
      // Still next to the mark once inside the plot.
      const double dx = std::max({box.left() - x - 4, 0.0, x - 4 - box.right()});
      const double dy = std::max({box.top() - m.tip.y(), 0.0, m.tip.y() - 9 - box.bottom()});
      if (dx > 6 || dy > 6) continue;
      if (std::any_of(taken.begin(), taken.end(),
                      [&](const QRectF& r) { return r.intersects(box); }))
        continue;
      taken.push_back(box);
      p.fillRect(box, QColor(255, 255, 255, 200));
      p.setPen(m.colour);
      p.drawText(box, Qt::AlignCenter, m.text);
      break;
    }
  }
  p.setClipping(false);

  p.setPen(Qt::black);
  p.setBrush(Qt::NoBrush);
  p.drawRect(area);
  p.drawText(QRect(area.left(), height() - lineH - 4, area.width(), lineH), Qt::AlignCenter,
             AxisTitle());
  p.drawText(QPoint(area.left(), 4 + fm.ascent()), ValueTitle());
  const QString legend = Utf8Text("▼ 基本波・高調波");
  const QString mains = Utf8Text("▼ 電源周波数");
  int x = area.right() - fm.horizontalAdvance(legend) - fm.horizontalAdvance(mains) - 12;
  p.setPen(kTone);
  p.drawText(QPoint(x, 4 + fm.ascent()), legend);
  x += fm.horizontalAdvance(legend) + 12;
  p.setPen(kMains);
  p.drawText(QPoint(x, 4 + fm.ascent()), mains);
  explorer_->PaintCursor(
      p, [&](double v) { return ReadoutAt(logFrequency_ ? std::pow(10.0, v) : v); });
}

}  // namespace velqoris
