// The analysis window ("ノイズ解析"), opened from the main window's 解析 menu:
// per channel of the data on display, the histogram with its noise figures
// ("ヒストグラム") and the spectrum with its figures ("スペクトル"). It is
// told when the data on display changes and recomputes then, only while it
// is shown (else when it is shown next), never during a run.
#pragma once

#include <QWidget>

#include <array>
#include <optional>

#include "analysis/Channel_analysis.h"
#include "plots/Spectrum_view.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QStackedWidget;
class QTabWidget;
class QTableWidget;

namespace velqoris {

class HistogramView;
class RunData;

class AnalysisWindow : public QWidget {
 public:
  // data is the main window's data on display; it must outlive this window.
  AnalysisWindow(const RunData& data, QWidget* parent);
  ~AnalysisWindow() override;

  // The data on display, or its unit (voltMode true: microvolts), changed.
  void DataChanged(bool voltMode);
  // A run started: the data on display is gone until it ends.
  void RunStarted();

  // What is shown, for tests and tools. Null for a channel without data.
  const analysis::NoiseAnalysis* Noise(int channel) const;
  const analysis::SpectrumAnalysis* Spectrum(int channel) const;
  HistogramView* Histogram(int channel) const;
  SpectrumView* SpectrumPlot(int channel) const;
  QTableWidget* NoiseTable(int channel) const;
  QTableWidget* SpectrumTable(int channel) const;
  QTabWidget* Pages() const { return pages_; }
  QString Note() const;
  // How many times the figures were computed (a window-function change counts too).
  int Computations() const { return computations_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Channel {
    QGroupBox* noiseBox = nullptr;
    HistogramView* histogram = nullptr;
    QTableWidget* noiseTable = nullptr;
    QGroupBox* spectrumBox = nullptr;
    SpectrumView* spectrum = nullptr;
    QTableWidget* spectrumTable = nullptr;
    std::optional<analysis::NoiseAnalysis> noise;
    std::optional<analysis::SpectrumAnalysis> spectrumAnalysis;
  };

  QWidget* BuildNoisePage();
  QWidget* BuildSpectrumPage();
  void Refresh();
  void Recompute();
  void ComputeSpectra();
  void ShowChannels();
  void ShowHistograms();
  void ShowSpectra();
  analysis::SpectrumWindow ChosenWindow() const;

  const RunData& data_;
  bool voltMode_ = false;
  bool measuring_ = false;
  bool stale_ = true;
  int computations_ = 0;
  std::array<Channel, 2> channels_;
  std::array<int, 2> counts_{};
  QLabel* note_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QComboBox* scaleCombo_ = nullptr;
  QComboBox* axisCombo_ = nullptr;
  QComboBox* windowCombo_ = nullptr;
};

}  // namespace velqoris
