// A plot on logarithmic axes for the stability page: the Allan deviation over
// the averaging time (points with error bars) and the averaged noise density
// over frequency, with a horizontal level (the white noise) and a vertical
// mark (the 1/f corner) when given.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

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

  bool HasPlot() const { return !series_.empty(); }

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
};

}  // namespace velqoris
