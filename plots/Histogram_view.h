// One channel's code histogram in the analysis window: bars of the counts
// and the normal curve of the same mean and deviation, the horizontal axis
// in codes or in microvolts.
#pragma once

#include <QWidget>

#include <optional>

#include "analysis/Histogram.h"
#include "plots/Plot_explorer.h"

namespace velqoris {

class HistogramView : public QWidget {
 public:
  explicit HistogramView(QWidget* parent = nullptr);

  // microvoltsPerCode is needed for the microvolt axis; without it the axis stays in codes.
  void SetHistogram(const analysis::Histogram& histogram, std::optional<double> microvoltsPerCode,
                    bool voltMode);
  void Clear();
  // A reference run's histogram as a grey outline, scaled to this one's
  // number of samples (nothing: none).
  void SetReference(std::optional<analysis::Histogram> reference);
  bool HasReference() const { return reference_.has_value(); }

  bool HasHistogram() const { return has_; }
  // True when the axis is drawn in microvolts.
  bool AxisInMicrovolts() const { return has_ && voltMode_ && microvoltsPerCode_.has_value(); }
  QString AxisTitle() const;
  // Zoom, cursor and export of this plot.
  PlotExplorer& Explorer() const { return *explorer_; }
  // The cursor label at an axis value: code (and µV), and the count of its bin.
  QString ReadoutAt(double axisValue) const;
  // Every bin as CSV: its first and last code, centre in µV when known, count.
  QString CurveCsv() const;

  QSize sizeHint() const override { return {420, 260}; }
  QSize minimumSizeHint() const override { return {240, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double AxisValue(double code) const;

  analysis::Histogram histogram_;
  std::optional<analysis::Histogram> reference_;
  std::optional<double> microvoltsPerCode_;
  bool voltMode_ = false;
  bool has_ = false;
  PlotExplorer* explorer_ = nullptr;
};

}  // namespace velqoris
