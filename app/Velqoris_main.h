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
#include "session/Measurement.h"
#include "session/Run_data.h"
#include "board/D2xx.h"
#include "board/Event_host.h"

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
class TADC;
class TGraph_2CH;
class TPaintBox;
class TmyFile;
class TmyMessage;
class TmyStatus;

// Pixels a combo box of that size has for its item's text, and the width of
// its widest item in its font.
int ComboTextWidth(const QComboBox& combo, QRect rect);
int ComboItemWidth(const QComboBox& combo);

struct FormOptions {
  // Null: the board waits on the Qt event loop.
  EventHost* eventHost = nullptr;
  // False: nothing calls IdleHandler on its own; the owner does (tests).
  bool idleTimer = true;
  // Makes the creation of that object fail as if memory ran out: "Z_Message",
  // "myStatus", "AD7190", "FILE" or "TGraph_2CH" (tests of the start-up path).
  std::string failCreation;
};

class TFormMain : public QWidget {
 public:
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
  void MenuY_VoltClick();
  void StatusBar1Click();
  void NoiseAnalysis1Click();

  // Read-only views of the state, for the program's tools and for tests.
  const RunData& Data() const { return data_; }
  const Measurement* Run() const { return run_.get(); }
  const TmyStatus* Status() const { return Status_.get(); }
  const TGraph_2CH* Graph() const { return Graph_.get(); }
  // Null until 解析 → ノイズ解析... first opens it.
  AnalysisWindow* Analysis() const { return analysis_; }
  QWidget* ClientArea() const { return client_; }
  QStatusBar* StatusBar() const { return StatusBar1; }
  bool VoltMode() const;
  bool StatCH0() const { return fStatCH0; }
  bool SaveOK() const { return fSaveOK; }
  bool FirstIdlePending() const { return fFirstIdle; }
  bool ResizePending() const { return fResizePending; }
  // -1 when the idle timer is stopped, else its interval in milliseconds.
  int IdleInterval() const { return idleInterval_; }

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
  void SettingsToControls();
  void DisableControls();
  void EnableControls();
  void SetControlsEnabled(bool enabled);

  void StartRun();
  void StopRun();
  bool ConnectBoard();
  void MeasureStep();
  void EndOfRun(int channelSel);
  void ShowStats(int channel);
  void ShowStatsOfData(int channelSel);
  // Tells an open (or hidden) analysis window that the data on display changed.
  void AnalysisDataChanged();

  FormOptions options_;
  std::unique_ptr<EventHost> ownHost_;
  std::unique_ptr<FileDialogs> dialogs_;
  RunData data_;

  // Owned objects, created in this order and deleted message, status, board, file, graph.
  std::unique_ptr<TmyMessage> Message_;
  std::unique_ptr<TmyStatus> Status_;
  std::unique_ptr<TADC> Board_;
  std::unique_ptr<Measurement> run_;
  std::unique_ptr<TmyFile> File_;
  std::unique_ptr<TGraph_2CH> Graph_;
  // A child window, deleted before the data it reads.
  AnalysisWindow* analysis_ = nullptr;

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
  QAction* MenuY_Volt = nullptr;
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
};

}  // namespace velqoris
