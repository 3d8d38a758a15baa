#include "app/cli/Analysis_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Code_scale.h"
#include "analysis/Figure_rows.h"
#include "app/Window_font.h"
#include "app/cli/Analysis_report.h"

namespace velqoris::cli {

namespace {

constexpr int kPanelWidth = 760;
constexpr int kPanelHeight = 330;
constexpr int kLeft = 78, kRight = 24, kTop = 34, kBottom = 52;

// Ticks at 1, 2 or 5 × 10^k, about `wanted` of them over lo … hi.
std::vector<double> Ticks(double lo, double hi, int wanted, double* stepOut = nullptr) {
  std::vector<double> ticks;
  const double span = hi - lo;
  if (!(span > 0.0) || !std::isfinite(span)) return ticks;
  const double raw = span / wanted;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = magnitude;
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * magnitude;
    if (step >= raw) break;
  }
  for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9; t += step) ticks.push_back(t);
  if (stepOut) *stepOut = step;
  return ticks;
}

QString TickText(double v, double step) {
  const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 6);
  if (std::fabs(v) < step * 1e-9) v = 0.0;
  return QString::number(v, 'f', decimals);
}

// The plotting frame of one panel: data ranges to pixels, grid and labels.
struct Frame {
  QRect plot;
  double x0, x1, y0, y1;

  double X(double v) const { return plot.left() + (v - x0) / (x1 - x0) * plot.width(); }
  double Y(double v) const { return plot.bottom() - (v - y0) / (y1 - y0) * plot.height(); }

  void Draw(QPainter& p, const QString& title, const QString& xTitle, const QString& yTitle) const {
    p.setPen(QColor(225, 225, 225));
    double xs = 1.0, ys = 1.0;
    const auto xt = Ticks(x0, x1, 8, &xs);
    const auto yt = Ticks(y0, y1, 6, &ys);
    for (double t : xt) p.drawLine(QPointF(X(t), plot.top()), QPointF(X(t), plot.bottom()));
    for (double t : yt) p.drawLine(QPointF(plot.left(), Y(t)), QPointF(plot.right(), Y(t)));
    p.setPen(Qt::black);
    p.drawRect(plot);
    const QFontMetrics fm(p.font());
    for (double t : xt) {
      const QString s = TickText(t, xs);
      p.drawText(QPointF(X(t) - fm.horizontalAdvance(s) / 2.0, plot.bottom() + fm.ascent() + 4), s);
    }
    for (double t : yt) {
      const QString s = TickText(t, ys);
      p.drawText(QPointF(plot.left() - fm.horizontalAdvance(s) - 5, Y(t) + fm.ascent() / 2.0 - 1),
                 s);
    }
    p.drawText(QPointF(plot.center().x() - fm.horizontalAdvance(xTitle) / 2.0,
                       plot.bottom() + 2 * fm.height() + 6),
               xTitle);
    p.save();
    p.translate(plot.left() - 62, plot.center().y() + fm.horizontalAdvance(yTitle) / 2.0);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), yTitle);
    p.restore();
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.drawText(QPointF(plot.left(), plot.top() - 10), title);
    p.restore();
  }
};

QImage Canvas(int panels) {
  QImage image(kPanelWidth, kPanelHeight * std::max(panels, 1), QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QRect PlotRect(int panel) {
  return QRect(kLeft, panel * kPanelHeight + kTop, kPanelWidth - kLeft - kRight,
               kPanelHeight - kTop - kBottom);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

void DrawHistogram(QPainter& p, int panel, const HeldChannel& c, const MeasureSettings& s,
                   bool voltMode) {
  const analysis::NoiseAnalysis a = analysis::AnalyzeChannelNoise(c.codes, c.count, s);
  const analysis::Histogram& h = a.histogram;
  const auto gain = analysis::GainOfSettings(s);
  const bool volts = voltMode && gain.has_value();
  const double perCode = volts ? analysis::MicrovoltsPerCode(*gain) : 1.0;
  // Axis values: codes, or microvolts from mid-scale.
  const auto axis = [&](double code) {
    return volts ? (code - static_cast<double>(kMidScaleCode)) * perCode : code;
  };
  const QString title = Q(ChannelHeading(c, s)) + QStringLiteral("  ヒストグラム");
  const QString xTitle = volts ? QStringLiteral("電圧値 [uV]") : QStringLiteral("AD変換値 [digit]");
  if (h.Bins() == 0) {
    Frame{PlotRect(panel), 0, 1, 0, 1}.Draw(p, title + QStringLiteral(" (データなし)"), xTitle,
                                            QStringLiteral("度数"));
    return;
  }
  double lo = h.LowerEdge(0), hi = h.UpperEdge(h.Bins() - 1);
  if (h.sigma > 0.0) {
    lo = std::min(lo, h.mean - 4 * h.sigma);
    hi = std::max(hi, h.mean + 4 * h.sigma);
  }
  const double peak = std::max<double>(h.MaxCount(), h.NormalCount(h.mean));
  const Frame f{PlotRect(panel), axis(lo), axis(hi), 0.0, peak * 1.1};
  f.Draw(p, title, xTitle, QStringLiteral("度数"));

  p.save();
  p.setClipRect(f.plot);
  p.setPen(QColor(40, 90, 160));
  p.setBrush(QColor(120, 170, 230));
  for (int i = 0; i < h.Bins(); ++i) {
    const double left = f.X(axis(h.LowerEdge(i))), right = f.X(axis(h.UpperEdge(i)));
    const double top = f.Y(h.counts[static_cast<std::size_t>(i)]);
    p.drawRect(QRectF(left, top, std::max(right - left, 1.0), f.Y(0) - top));
  }
  if (h.sigma > 0.0) {
    QPainterPath curve;
    for (int px = 0; px <= f.plot.width(); ++px) {
      const double code = lo + (hi - lo) * px / f.plot.width();
      const QPointF point(f.plot.left() + px, f.Y(h.NormalCount(code)));
      px == 0 ? curve.moveTo(point) : curve.lineTo(point);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 30, 30), 2));
    p.drawPath(curve);
  }
  p.restore();

  // Legend: what the bars and the curve are.
  const auto rows = analysis::NoiseFigureRows(a.figures);
  QString legend = h.PerCode() ? QStringLiteral("1 ビン = 1 digit")
                               : QStringLiteral("1 ビン = %1 digit").arg(h.codesPerBin);
  legend += QStringLiteral("   赤線: 同じ平均値・標準偏差の正規分布");
  p.setPen(Qt::black);
  p.drawText(QPointF(f.plot.left() + 6, f.plot.top() + 16), legend);
  int y = f.plot.top() + 32;
  for (const auto& r : rows) {
    if (r.label.rfind("RMS ノイズ (標準偏差)", 0) == 0 && r.unit == "digit") {
      p.drawText(QPointF(f.plot.left() + 6, y), Q("RMS ノイズ: " + r.value + " digit"));
      y += 16;
    }
    if (r.label == "実効分解能 (RMS から)") {
      p.drawText(QPointF(f.plot.left() + 6, y), Q("実効分解能: " + r.value + " " + r.unit));
      y += 16;
    }
  }
}

void DrawSpectrum(QPainter& p, int panel, const HeldChannel& c, const MeasureSettings& s,
                  analysis::SpectrumWindow window) {
  const analysis::SpectrumAnalysis a =
      analysis::AnalyzeChannelSpectrum(c.codes, c.count, s, window);
  const analysis::Spectrum& sp = a.spectrum;
  const QString title = Q(ChannelHeading(c, s)) + QStringLiteral("  スペクトル (") +
                        Q(analysis::WindowLabel(window)) + QStringLiteral(" 窓)");
  const bool hz = sp.binHz.has_value();
  const QString xTitle = hz ? QStringLiteral("周波数 [Hz]") : QStringLiteral("ビン");
  if (sp.Bins() < 2) {
    Frame{PlotRect(panel), 0, 1, -140, 0}.Draw(p, title + QStringLiteral(" (データ不足)"), xTitle,
                                               QStringLiteral("dBFS"));
    return;
  }
  // Level range: the top in 20 dB steps above the highest bin, the bottom
  // below nearly all bins (DC after the mean removal excluded).
  std::vector<double> levels(sp.dbfs.begin() + 1, sp.dbfs.end());
  const double top =
      std::min(0.0, std::ceil((*std::max_element(levels.begin(), levels.end()) + 5) / 20) * 20);
  std::nth_element(levels.begin(),
                   levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 200), levels.end());
  const double low = levels[levels.size() / 200];
  const double bottom = std::clamp(std::floor((low - 10) / 20) * 20, -260.0, top - 40);
  const double xMax = hz ? *sp.NyquistHz() : sp.Bins() - 1;
  const auto xOf = [&](int bin) { return hz ? *sp.FrequencyHz(bin) : static_cast<double>(bin); };
  const Frame f{PlotRect(panel), 0.0, xMax, bottom, top};
  f.Draw(p, title, xTitle, QStringLiteral("dBFS"));

  p.save();
  p.setClipRect(f.plot.adjusted(0, 0, 1, 1));
  p.setPen(QColor(30, 60, 150));
  if (sp.Bins() <= f.plot.width()) {
    // Few bins: a line through them.
    QPainterPath path;
    for (int k = 1; k < sp.Bins(); ++k) {
      const QPointF point(f.X(xOf(k)), f.Y(std::max(sp.dbfs[static_cast<std::size_t>(k)], bottom)));
      k == 1 ? path.moveTo(point) : path.lineTo(point);
    }
    p.drawPath(path);
  }
  // Many bins: one vertical stroke per pixel column, from its lowest to its highest bin.
  int bin = sp.Bins() <= f.plot.width() ? sp.Bins() : 1;
  for (int px = 0; px <= f.plot.width() && bin < sp.Bins(); ++px) {
    const double edge = f.x0 + (f.x1 - f.x0) * (px + 0.5) / f.plot.width();
    double lo = sp.dbfs[static_cast<std::size_t>(bin)], hi = lo;
    while (bin < sp.Bins() && xOf(bin) <= edge) {
      lo = std::min(lo, sp.dbfs[static_cast<std::size_t>(bin)]);
      hi = std::max(hi, sp.dbfs[static_cast<std::size_t>(bin)]);
      ++bin;
    }
    p.drawLine(QPointF(f.plot.left() + px, f.Y(std::max(lo, bottom))),
               QPointF(f.plot.left() + px, f.Y(std::max(hi, bottom))));
  }
  // The tone and its harmonics, marked and numbered.
  const auto mark = [&](const analysis::SpectrumLine& line, const QColor& colour,
                        const QString& text) {
    const QPointF at(f.X(xOf(line.bin)), f.Y(std::max(line.dbfs, bottom)));
    p.setPen(QPen(colour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at, 4, 4);
    // Inside the plot even for a tone at the top.
    p.drawText(QPointF(at.x() + 6, std::max(at.y() - 6, f.plot.top() + 14.0)), text);
  };
  if (a.figures.fundamental)
    mark(*a.figures.fundamental, QColor(200, 30, 30), QStringLiteral("基本波"));
  for (const auto& hline : a.figures.harmonics) {
    mark(hline, QColor(220, 120, 0), QString::number(hline.order));
  }
  // Mains: dashed lines at 50 and 60 Hz where they are below half the rate.
  int labelRow = 0;  // 50 Hz and 60 Hz lie close: their labels go on two rows
  for (const auto* lines : {&a.figures.mains50, &a.figures.mains60}) {
    if (lines->empty() || lines->front().order != 1) {
      ++labelRow;
      continue;
    }
    const auto& m = lines->front();
    const double x = f.X(*m.frequencyHz);
    p.setPen(QPen(QColor(0, 140, 60), 1, Qt::DashLine));
    p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
    p.drawText(QPointF(x + 3, f.plot.bottom() - 4 - 14 * labelRow++),
               QStringLiteral("%1 Hz").arg(static_cast<int>(*m.frequencyHz)));
  }
  p.restore();

  // Key figures, top right.
  const auto rows = analysis::SpectrumFigureRows(sp, a.figures);
  QStringList lines;
  for (const auto& r : rows) {
    for (const char* key :
         {"SNR", "THD", "SINAD", "SFDR", "ENOB (有効ビット数)", "平均ノイズ密度 (入力換算)"}) {
      if (r.label == key)
        lines << Q(r.label + ": " + r.value + (r.unit.empty() ? "" : " " + r.unit));
    }
  }
  const QFontMetrics fm(p.font());
  int width = 0;
  for (const QString& l : lines) width = std::max(width, fm.horizontalAdvance(l));
  const QRect box(f.plot.right() - width - 14, f.plot.top() + 6, width + 8,
                  lines.size() * fm.height() + 6);
  p.setPen(QColor(150, 150, 150));
  p.setBrush(QColor(255, 255, 255, 220));
  p.drawRect(box);
  p.setPen(Qt::black);
  for (int i = 0; i < lines.size(); ++i) {
    p.drawText(QPointF(box.left() + 4, box.top() + 3 + fm.ascent() + i * fm.height()), lines[i]);
  }
}

}  // namespace

QImage HistogramPicture(const RunData& data, bool voltMode) {
  const auto channels = HeldChannels(data);
  QImage image = Canvas(static_cast<int>(channels.size()));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setFont(WindowFont(12));
  for (std::size_t i = 0; i < channels.size(); ++i) {
    DrawHistogram(p, static_cast<int>(i), channels[i], data.Settings, voltMode);
  }
  return image;
}

QImage SpectrumPicture(const RunData& data, analysis::SpectrumWindow window) {
  const auto channels = HeldChannels(data);
  QImage image = Canvas(static_cast<int>(channels.size()));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setFont(WindowFont(12));
  for (std::size_t i = 0; i < channels.size(); ++i) {
    DrawSpectrum(p, static_cast<int>(i), channels[i], data.Settings, window);
  }
  return image;
}

}  // namespace velqoris::cli
