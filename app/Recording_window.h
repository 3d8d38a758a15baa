// データ → 連続記録...: a recording of any length into a CSV file with the
// main window's current settings, as `velqoris-cli log` records it. While it
// runs, a strip chart of the last minutes, the elapsed and remaining time,
// the results written, the running statistics and the file's size; a stop
// ends it cleanly, a pulled cable ends it as it ends a run. The board is
// read on the recording's own thread; this window only looks at it.
#pragma once

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Event_host.h"
#include "board/Sleeping_event_host.h"
#include "graph/Strip_history.h"
#include "records/Measure_settings.h"
#include "session/Recording.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velqoris {

class RecordingSettings;
class StripChartView;

class RecordingWindow : public QDialog {
 public:
  struct Hooks {
    // Before the recording opens the device: the main window lets go of it.
    std::function<void()> releaseDevice;
    // A recording started (true) or ended (false).
    std::function<void(bool)> recordingChanged;
    // Opens a finished file in the analysis window; unset, no such button shows.
    std::function<void(const std::string&)> openInAnalysis;
    // The file dialog (tests answer it themselves).
    std::function<std::optional<std::string>(QWidget*)> chooseFile;
  };

  // Durations offered, in seconds; 0 means until stopped.
  static constexpr int kDurations[] = {60, 300, 600, 1800, 3600, 7200, 28800, 86400, 0};
  // Spans of the strip chart, in seconds; the longest is what the history keeps.
  static constexpr int kSpans[] = {60, 120, 300, 600, 1800, 3600};

  // Without a clock and host (tests give virtual ones) the recording runs on
  // real time, its thread pausing between looks at the link.
  RecordingWindow(d2xx::Api& device, Hooks hooks, const Clock* clock = nullptr,
                  EventHost* host = nullptr, QWidget* parent = nullptr);
  ~RecordingWindow() override;

  // The settings of the next recording (shown, and changeable here) and the
  // unit of its figures; the unit follows the main window even while recording.
  void SetSettings(const MeasureSettings& settings, bool voltMode);
  void SetVoltMode(bool voltMode);
  RecordingSettings* SettingsPanel() const { return settingsPanel_; }

  // Starts with the chosen file and duration; false (and a message) when it cannot.
  bool StartRecording();
  void StopRecording();
  bool IsRecording() const;
  // Takes what arrived and refreshes the window (its timer does this 5 times a second).
  void Poll();

  const Recording* Current() const { return recording_.get(); }
  const TStripHistory* History() const { return history_.get(); }
  StripChartView* Chart() const { return chart_; }
  QString StatusText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Browse();
  void Refresh();
  void Ended(const Recording::Progress& p);

  d2xx::Api& device_;
  std::unique_ptr<Clock> ownClock_;
  std::unique_ptr<SleepingEventHost> ownHost_;
  const Clock& clock_;
  EventHost& host_;
  Hooks hooks_;
  MeasureSettings settings_;
  bool voltMode_ = false;
  std::unique_ptr<Recording> recording_;
  std::unique_ptr<TStripHistory> history_;
  bool reported_ = true;
  // The chosen file may be replaced without asking again.
  bool confirmed_ = false;
  QTimer timer_;

  QLineEdit* file_ = nullptr;
  QPushButton* browse_ = nullptr;
  QComboBox* duration_ = nullptr;
  QComboBox* span_ = nullptr;
  RecordingSettings* settingsPanel_ = nullptr;
  QCheckBox* perChannel_ = nullptr;
  StripChartView* chart_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* stats_[2] = {nullptr, nullptr};
  QLabel* status_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace velqoris
