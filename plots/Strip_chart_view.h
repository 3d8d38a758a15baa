// The recording window's strip chart: the last minutes of a recording drawn
// from its min/max history, newest on the right, over the main graph's grid
// with Y labels on the scaling's 1-2-5 axis (one per channel when chosen),
// the span's start and end below and a legend of the channels.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "graph/Strip_plot.h"

namespace velqoris {

class TStripHistory;

class StripChartView : public QWidget {
 public:
  explicit StripChartView(QWidget* parent = nullptr);

  // The history stays borrowed; span in results, spanText names it ("5 分").
  void Show(const TStripHistory* history, std::int64_t span, const QString& spanText, bool voltMode,
            std::int32_t gain);
  const QImage& Picture() const { return picture_; }
  // One value axis per channel: CH0 in the upper half, CH1 in the lower.
  void SetPerChannel(bool on) { perChannel_ = on; }
  bool TwoPanes() const;

  QSize sizeHint() const override { return {620, 260}; }
  QSize minimumSizeHint() const override { return {320, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect PlotRect() const;
  void Render();

  const TStripHistory* history_ = nullptr;
  std::int64_t span_ = 1;
  QString spanText_;
  bool voltMode_ = false;
  std::int32_t gain_ = 1;
  QImage picture_;
  StripAxis axis_;
  StripAxis lower_;
  bool perChannel_ = false;
};

}  // namespace velqoris
