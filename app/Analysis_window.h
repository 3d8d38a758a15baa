// The analysis window ("ノイズ解析"), opened from the main window's 解析 menu:
// per channel of the data on display, the histogram with its noise figures
// ("ヒストグラム"), the spectrum with its figures ("スペクトル") and the
// Allan deviation, drift and averaged spectrum ("安定性"). It is told when the
// data on display changes and recomputes then, only while it is shown (else
// when it is shown next), never during a run. "ログを開く..." shows a log file
// instead, read and analysed whole on a thread of its own.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "analysis/Channel_analysis.h"
#include "analysis/Stability_analysis.h"
#include "plots/Spectrum_view.h"
#include "session/Log_analysis.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;

namespace velqoris {

class HistogramView;
class RunData;
class StabilityPage;

class AnalysisWindow : public QWidget {
 public:
  // data is the main window's data on display; it must outlive this window.
  AnalysisWindow(const RunData& data, QWidget* parent);
  // The size it opens at where the screen has room (a smaller screen makes it smaller).
  static QSize DefaultSize();
  ~AnalysisWindow() override;

  // The data on display, or its unit (voltMode true: microvolts), changed.
  void DataChanged(bool voltMode);
  // A run started: the data on display is gone until it ends.
  void RunStarted();
  // A reference run to compare the data on display with (null: none); it
  // must live until it is replaced. Its plots go behind, its figures beside.
  void SetReference(const RunData* reference);
  bool HasReference() const { return reference_ != nullptr; }
  // Reads and analyses a log CSV or data file off the UI thread, then shows it.
  void OpenLog(const std::string& path);
  // Back from a log to the data on display.
  void ShowDataOnDisplay();
  bool LogLoading() const { return loading_; }
  bool ShowingLog() const { return log_.has_value(); }

  // What is shown, for tests and tools. Null for a channel without data.
  const analysis::NoiseAnalysis* Noise(int channel) const;
  const analysis::SpectrumAnalysis* Spectrum(int channel) const;
  const analysis::StabilityAnalysis* Stability(int channel) const;
  StabilityPage* StabilityView() const { return stabilityPage_; }
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
    std::optional<analysis::StabilityAnalysis> stability;
    // The reference run's, for the same channel.
    std::optional<analysis::NoiseAnalysis> refNoise;
    std::optional<analysis::SpectrumAnalysis> refSpectrum;
    std::optional<analysis::StabilityAnalysis> refStability;
  };

  QWidget* BuildNoisePage();
  QWidget* BuildSpectrumPage();
  void Refresh();
  void Recompute();
  void ComputeSpectra();
  void ShowChannels();
  void ShowHistograms();
  void ShowSpectra();
  void LogAnalysed(LogAnalysis analysis);
  void TakeLog();
  analysis::SpectrumWindow ChosenWindow() const;
  // Results of the reference's channel (0 without a reference or that channel).
  int ReferenceCount(int channel) const;

  const RunData& data_;
  const RunData* reference_ = nullptr;
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
  StabilityPage* stabilityPage_ = nullptr;
  QPushButton* openLogButton_ = nullptr;
  QPushButton* backButton_ = nullptr;
  std::optional<LogAnalysis> log_;
  int chosenWindow_ = 0;  // the window function chosen before a log was shown
  bool loading_ = false;
  std::thread loader_;
};

}  // namespace velqoris
