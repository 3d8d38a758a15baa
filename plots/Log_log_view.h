// A plot on logarithmic axes for the stability page: the Allan deviation over
// the averaging time (points with error bars) and the averaged noise density
// over frequency, with a horizontal level (the white noise) and a vertical
// mark (the 1/f corner) when given, their labels placed clear of the curves.
// Zoom, cursor and export through a PlotExplorer over the axes' logarithms.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "plots/Plot_explorer.h"

namespace velqoris {

struct LogLogSeries {
  std::vector<double> x;
  std::vector<double> y;
  // Empty, or each point's error bar from low to high (same units as y):
  // a confidence interval need not lie symmetrically about the point.
  std::vector<double> low;
  std::vector<double> high;
  QColor colour{0, 70, 170};
  bool points = false;  // markers at each point, else a line
};

struct LogLogMark {
  double value = 0.0;
  QString text;
};

class LogLogView : public QWidget {
 public:
  explicit LogLogView(QWidget* parent = nullptr);

  void SetPlot(std::vector<LogLogSeries> series, const QString& xTitle, const QString& yTitle,
               std::optional<LogLogMark> level = std::nullopt,
               std::optional<LogLogMark> xMark = std::nullopt);
  // Nothing to draw: the text says why.
  void Clear(const QString& why);
  // The X axis ends here, not at the next decade (a spectrum's Nyquist
  // frequency); 0: the decade above the data.
  void SetXEnd(double end) { xEnd_ = end; }

  bool HasPlot() const { return !series_.empty(); }
  const std::vector<LogLogSeries>& Series() const { return series_; }
  PlotExplorer& Explorer() const { return *explorer_; }
  // The axes' ends and the label rectangles of the last paint (level, mark).
  double XHigh() const { return xHighShown_; }
  const std::vector<QRectF>& LabelPlaces() const { return labelPlaces_; }
  // The cursor's text at an X value: the nearest point of the first series.
  QString ReadoutAt(double x) const;
  // The first series' points as CSV: X, Y and, with error bars, their ± size.
  QString CurveCsv() const;

  QSize sizeHint() const override { return {420, 260}; }
  QSize minimumSizeHint() const override { return {240, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<LogLogSeries> series_;
  QString xTitle_;
  QString yTitle_;
  std::optional<LogLogMark> level_;
  std::optional<LogLogMark> xMark_;
  QString empty_;
  double xEnd_ = 0;
  double xHighShown_ = 0;
  std::vector<QRectF> labelPlaces_;
  PlotExplorer* explorer_ = nullptr;
};

}  // namespace velqoris
