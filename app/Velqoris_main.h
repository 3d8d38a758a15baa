// The program's one window: the graph on the left, the run settings and the
// two buttons on the right, the menus on top and the three-panel status bar at
// the bottom. It owns the message, status, board, file and graph objects, the
// data on display, and drives a run from its idle handler.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/File_dialogs.h"
#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Event_host.h"
#include "session/Acquisition.h"
#include "session/Run_buffer.h"
#include "session/Run_data.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace velqoris {

class AnalysisWindow;
class HeldData;
class HistoryDialog;
class LiveWindow;
class RecordingWindow;
class TADC;
class TGraphNavigator;
class TGraph_2CH;
class TPaintBox;
class TmyFile;
class TmyMessage;
class TmyStatus;
class RunHistory;
class WindowRemote;

// Pixels a combo box of that size has for its item's text, and the width of
// its widest item in its font.
int ComboTextWidth(const QComboBox& combo, QRect rect);
int ComboItemWidth(const QComboBox& combo);

struct FormOptions {
  // Null: the board waits on the Qt event loop.
  EventHost* eventHost = nullptr;
  // False: nothing calls IdleHandler on its own; the owner does (tests).
  bool idleTimer = true;
  // The run's clock (how long a stalled stream is waited for); null: real time.
  const Clock* runClock = nullptr;
  // The recording window's clock and event host; null: real time (tests give virtual ones).
  const Clock* recordingClock = nullptr;
  EventHost* recordingHost = nullptr;
  // Makes the creation of that object fail as if memory ran out: "Z_Message",
  // "myStatus", "AD7190", "FILE" or "TGraph_2CH" (tests of the start-up path).
  std::string failCreation;
  // Where every run with results is kept; empty: the user's history folder.
  std::string historyFolder;
  // The file whose presence remembers that リモート制御 is on; empty: in the
  // user data folder. The port it listens on (0: any free port).
  std::string remoteSwitchFile;
  int remotePort = 5025;
};

class TFormMain : public QWidget {
  Q_OBJECT

 public:
  // Where the window is with its run; MeasureBtn's caption and what its click
  // does follow it: start when idle, stop while measuring, nothing otherwise.
  enum class RunState {
    kIdle,       // "測定開始"
    kStarting,   // connecting and sending the settings ("測定開始", disabled)
    kMeasuring,  // "測定停止"
    kEnding,     // the last results are being drawn ("測定停止", a click does nothing)
  };
  Q_ENUM(RunState)

  static constexpr int kClientWidth = 792;
  static constexpr int kClientHeight = 458;
  static constexpr int kStatusBarHeight = 20;
  static constexpr int kBorderWidth = 0;

  explicit TFormMain(d2xx::Api& device, FormOptions options = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  // False when an owned object could not be created; the window is closed.
  bool Constructed() const { return constructed_; }

  void IdleHandler();
  void SetFileDialogs(std::unique_ptr<FileDialogs> dialogs);

  // Event handlers, reached through the controls and menus.
  void MeasureBtnClick();
  void QuitBtnClick();
  void Exit1Click();
  void Save1Click();
  void Load1Click();
  void DataClearClick();
  // データ → 履歴を開く...: the load dialog, opened in the history folder.
  void History1Click();
  // Loads a data file as 読込み does after its dialog (a file given on the
  // command line, or by a later copy), from the event loop; false, nothing
  // done, while a run or a recording goes on.
  bool OpenDataFile(const std::string& path);
  void MenuY_VoltClick();
  void StatusBar1Click();
  void NoiseAnalysis1Click();
  // Y軸表示 → 全体表示に戻す, X軸を時間で表示, 表示範囲の統計; データ → 連続記録...
  void MenuY_FullClick();
  void MenuY_SecondsClick();
  void MenuY_RangeStatsClick();
  void Record1Click();
  // データ → リモート制御: on (listening on loopback) or off, remembered.
  void Remote1Click();
  // A remote client's run, as the measure button starts and stops it; false
  // when the window is busy with a run, a recording or a dialog.
  bool StartRemoteRun(const MeasureSettings& settings);
  void StopRemoteRun();
  // A client holds control: the measurement controls are grey.
  void SetRemoteHeld(bool held);
  // Null while リモート制御 is off.
  WindowRemote* Remote() const { return remote_.get(); }

  // Read-only views of the state, for the program's tools and for tests.
  const RunData& Data() const { return data_; }
  const Acquisition* Run() const { return run_.get(); }
  RunState State() const { return runState_; }
  const TmyStatus* Status() const { return Status_.get(); }
  const TGraph_2CH* Graph() const { return Graph_.get(); }
  // Null until 解析 → ノイズ解析... first opens it.
  AnalysisWindow* Analysis() const { return analysis_; }
  // Null until データ → 連続記録... first opens it.
  RecordingWindow* Recorder() const { return recorder_; }
  // Null until データ → 履歴を開く... first opens it.
  HistoryDialog* HistoryWindow() const { return historyDialog_; }
  TGraphNavigator* Navigator() const { return Navigator_.get(); }
  // The statistics of the samples in view, as the status line shows a run's.
  std::string RangeStatsText() const;
  // The same lines over samples first … last (zero-based) of each channel held.
  std::vector<std::string> StatsLinesBetween(std::int64_t first, std::int64_t last) const;
  // Y軸表示 → CH0 を表示, CH1 を表示, CH ごとに縦軸を分ける.
  void MenuY_ChannelsClick();
  // データ → 連続表示: starts the live view, or stops it (as 測定停止 does).
  void LiveView1Click();
  bool LiveRunning() const;
  // データ → 参照データ: the reference run from a file or the history; "" drops it.
  void ReferenceFile1Click();
  void ReferenceHistory1Click();
  void SetReferenceFile(const std::string& path);
  // "参照: <file name>" and the reference's statistics lines ({} without one).
  std::vector<std::string> ReferenceLines() const;
  // Null until データ → 参照データ → 履歴から選ぶ... first opens it.
  HistoryDialog* ReferenceDialog() const { return referenceDialog_; }
  QWidget* ClientArea() const { return client_; }
  QStatusBar* StatusBar() const { return StatusBar1; }
  bool VoltMode() const;
  bool StatCH0() const { return fStatCH0; }
  bool SaveOK() const { return fSaveOK; }
  const RunHistory& History() const { return *history_; }
  // The file whose data is on display ("" when none).
  const std::string& ShownFile() const { return shownFile_; }
  bool FirstIdlePending() const { return fFirstIdle; }
  bool ResizePending() const { return fResizePending; }
  // -1 when the idle timer is stopped, else its interval in milliseconds.
  int IdleInterval() const { return idleInterval_; }

 signals:
  void RunStateChanged(velqoris::TFormMain::RunState state);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Anchor { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
  struct Placed {
    QWidget* widget;
    QRect designed;
    int anchors;
  };

  void BuildControls();
  void BuildMenus();
  void BuildViewMenus();
  void BuildReferenceMenu();
  QLabel* AddLabel(const char* name, const char* text, QRect rect, int anchors, int pixelSize = 0);
  QComboBox* AddCombo(const char* name, const std::vector<const char*>& items, QRect rect);
  QFrame* AddRadioPanel(const char* name, QRect rect, QRadioButton*& first, const char* firstName,
                        const char* firstText, QRadioButton*& second, const char* secondName,
                        const char* secondText);
  void Place(QWidget* widget, QRect rect, int anchors);
  void LayOut();
  bool CreateObjects(d2xx::Api& device);
  void FormCreate();
  void FormDestroy();
  void FormResize();
  void FormPaint();
  void PlaceStatusBar();
  void UpdateIdleTimer();

  void SetCaption(const std::string& text);
  // The settings the controls show; Settings takes them when a run starts.
  MeasureSettings ControlsToSettings() const;
  void SettingsToControls() { SettingsToControls(data_.Settings); }
  void SettingsToControls(const MeasureSettings& s);
  void DisableControls();
  void EnableControls();
  void SetControlsEnabled(bool enabled);

  void SetRunState(RunState state);
  void StartRun();
  void StopRun();
  bool ConnectBoard();
  void MeasureStep();
  void EndOfRun(int channelSel);
  // The status texts and box of a run that ended without results.
  void ShowRunEnd(RunEnd end);
  void ShowStats(int channel);
  void ShowStatsOfData(int channelSel);
  // Tells an open (or hidden) analysis window that the data on display changed.
  void AnalysisDataChanged();
  // A load through the dialog set up by `request`, or of that file.
  void LoadFrom(const FileDialogRequest& request);
  void LoadFile(const std::string& path);
  // Writes the data on display into the history folder (a run that just ended).
  void KeepInHistory();
  // The status bar's tooltip follows the part of the data in view.
  void ViewChanged();
  void RecordingChanged(bool recording);
  std::string RemoteSwitchFile() const;
  void SetRemote(bool on);
  void StartLive();
  void LiveStep();
  void DrawLive();
  // After an end of the acquisition's own (error) the results are dropped;
  // stopped by the user, those on screen become the data on display.
  void StopLive(bool error);

  FormOptions options_;
  d2xx::Api& device_;
  std::unique_ptr<EventHost> ownHost_;
  std::unique_ptr<FileDialogs> dialogs_;
  RunData data_;

  // Owned objects, created in this order and deleted message, status, board, file, graph.
  std::unique_ptr<TmyMessage> Message_;
  std::unique_ptr<TmyStatus> Status_;
  std::unique_ptr<TADC> Board_;
  std::unique_ptr<Clock> ownClock_;
  std::unique_ptr<Acquisition> run_;
  // The data on display as the run's sink.
  std::unique_ptr<RunBuffer> buffer_;
  RunState runState_ = RunState::kIdle;
  std::unique_ptr<TmyFile> File_;
  std::unique_ptr<TGraph_2CH> Graph_;
  std::unique_ptr<RunHistory> history_;
  std::string shownFile_;
  // Panel 2's 表示範囲の統計 while it shows them ("" otherwise).
  std::string rangeStatsLine_;
  // The mouse on the graph; goes before the graph.
  std::unique_ptr<TGraphNavigator> Navigator_;
  // A child window, deleted before the data it reads.
  AnalysisWindow* analysis_ = nullptr;
  RecordingWindow* recorder_ = nullptr;
  HistoryDialog* historyDialog_ = nullptr;
  // The live view: the sink keeping the last N results, and how many of
  // them were in at the last picture.
  std::unique_ptr<LiveWindow> live_;
  bool liveOn_ = false;
  std::int64_t liveDrawn_ = 0;
  // The reference run and the file it came from.
  std::unique_ptr<HeldData> reference_;
  std::string referenceName_;
  HistoryDialog* referenceDialog_ = nullptr;
  bool recording_ = false;

  std::array<QLabel*, 11> YLabels{};
  std::array<QLabel*, 2> XLabels{};

  bool constructed_ = false;
  bool fStatCH0 = false;
  bool fResizePending = false;
  bool fFirstIdle = true;
  bool fSaveOK = false;
  int busy_ = 0;
  int idleInterval_ = -1;
  QTimer idleTimer_;
  std::vector<Placed> placed_;

  // Controls, named as on the form.
  QMenuBar* MainMenu1 = nullptr;
  QMenu* File1 = nullptr;
  QMenu* Data1 = nullptr;
  QMenu* MenuY = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* Load1 = nullptr;
  QAction* N1 = nullptr;
  QAction* DataClear = nullptr;
  QAction* History1 = nullptr;
  QAction* LiveView1 = nullptr;
  QAction* ReferenceFile1 = nullptr;
  QAction* ReferenceHistory1 = nullptr;
  QAction* ReferenceClear1 = nullptr;
  QAction* MenuY_Volt = nullptr;
  QAction* MenuY_Full = nullptr;
  QAction* MenuY_Seconds = nullptr;
  QAction* MenuY_RangeStats = nullptr;
  QAction* MenuY_Ch0 = nullptr;
  QAction* MenuY_Ch1 = nullptr;
  QAction* MenuY_PerChannel = nullptr;
  QAction* Record1 = nullptr;
  QAction* Remote1 = nullptr;
  QMenu* Analysis1 = nullptr;
  QAction* NoiseAnalysis1 = nullptr;
  QWidget* client_ = nullptr;
  TPaintBox* PaintBox1 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QRadioButton* Sinc3_RB = nullptr;
  QRadioButton* Sinc4_RB = nullptr;
  QRadioButton* BUFOFF_RB = nullptr;
  QRadioButton* BUFON_RB = nullptr;
  QRadioButton* CHOPOFF_RB = nullptr;
  QRadioButton* CHOPON_RB = nullptr;
  QPushButton* MeasureBtn = nullptr;
  QPushButton* QuitBtn = nullptr;
  QStatusBar* StatusBar1 = nullptr;

  bool remoteHeld_ = false;
  // Goes first: it reads the run and the data, and lives in the status bar.
  std::unique_ptr<WindowRemote> remote_;
};

}  // namespace velqoris
