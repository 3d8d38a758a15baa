// The analysis window's "安定性" page: per channel, the Allan deviation and
// the averaged noise spectrum (log-log) over the stability figures.
#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "analysis/Stability_analysis.h"

class QGroupBox;
class QTableWidget;

namespace velqoris {

class LogLogView;

class StabilityPage : public QWidget {
 public:
  explicit StabilityPage(QWidget* parent = nullptr);

  // A channel without analysis is hidden, unless neither has one; a
  // reference run's analyses are drawn behind and compared in the tables.
  void Show(const std::array<const analysis::StabilityAnalysis*, 2>& channels,
            const std::array<const analysis::StabilityAnalysis*, 2>& references = {});

  LogLogView* AllanPlot(int channel) const;
  LogLogView* SpectrumPlot(int channel) const;
  QTableWidget* Table(int channel) const;

 private:
  struct Channel {
    QGroupBox* box = nullptr;
    LogLogView* allan = nullptr;
    LogLogView* spectrum = nullptr;
    QTableWidget* table = nullptr;
  };
  std::array<Channel, 2> channels_;
};

}  // namespace velqoris
