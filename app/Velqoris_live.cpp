// データ → 連続表示: the window acquires at the chosen settings until 測定停止,
// with the graph on the last N results (N the chosen sample count) and the
// statistics line over the results on screen; stopping makes them the data
// on display, kept in the history like a run's. The acquisition runs without
// end into the live window (one more sink); a picture is drawn about ten
// times a second of data, never per block.
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

#include "app/Analysis_window.h"
#include "app/Velqoris_main.h"
#include "board/Ad7190.h"
#include "graph/Graph_2ch.h"
#include "session/Live_window.h"
#include "status/Mystatus.h"

namespace velqoris {

bool TFormMain::LiveRunning() const { return liveOn_; }

void TFormMain::LiveView1Click() {
  if (!constructed_ || busy_ > 0) return;
  if (liveOn_) return StopLive(false);
  // A recording holds the device, and a run the board.
  if (run_->IsMeasuring() || recording_) return;
  StartLive();
}

void TFormMain::StartLive() {
  ++busy_;
  DisableControls();
  const MeasureSettings next = ControlsToSettings();
  if (!run_->IsBoardReady() && !ConnectBoard()) {
    EnableControls();
    Status_->ShowBoardNotFound();
    --busy_;
    return;
  }
  live_ = std::make_unique<LiveWindow>();
  live_->Reset(next, DataCount(next.DataCountSel).value_or(1000));
  SetRunState(RunState::kStarting);
  if (const auto failed = run_->Start({next, Acquisition::kUntilStopped}, {live_.get()})) {
    EnableControls();
    ShowRunEnd(*failed);
    SetRunState(RunState::kIdle);
    --busy_;
    return;
  }
  liveDrawn_ = 0;
  liveOn_ = true;
  rangeStatsLine_.clear();
  fStatCH0 = next.CHSel != 1;
  // The data on display is the live view's from now on.
  data_.DropData();
  data_.Settings = live_->Settings();
  Graph_->Range().Reset();
  Graph_->DrawEmpty(VoltMode());
  if (analysis_ != nullptr) analysis_->RunStarted();
  SetRunState(RunState::kMeasuring);
  MeasureBtn->setEnabled(true);
  LiveView1->setText(QString::fromUtf8("連続表示を停止"));
  Data1->menuAction()->setEnabled(true);
  for (QAction* a : Data1->actions()) a->setEnabled(a == LiveView1);
  Status_->SetPanelText("連続表示中です", 1);
  Status_->ShowStarting();
  SetCaption("");
  --busy_;
  UpdateIdleTimer();
}

void TFormMain::LiveStep() {
  // Catch up with what is waiting, a bounded number of blocks per look.
  for (int i = 0; i < 64; ++i) {
    const Acquisition::Pass pass = run_->Step();
    if (pass == Acquisition::Pass::kEnded) return StopLive(true);
    if (pass != Acquisition::Pass::kBlock) break;
  }
  const auto rate = DataRate(live_->Settings().spsSel).value_or(10);
  if (live_->Received() - liveDrawn_ >= std::max(1, rate / 10)) DrawLive();
}

void TFormMain::DrawLive() {
  liveDrawn_ = live_->Received();
  live_->CopyTo(data_);
  data_.ConvertAll();
  data_.CalcStats();
  Graph_->DrawAll(VoltMode());
  const int ch = data_.Settings.CHSel;
  if (ch == 2) {
    ShowStats(fStatCH0 ? 0 : 1);
  } else {
    ShowStats(ch);
  }
}

void TFormMain::StopLive(bool error) {
  ++busy_;
  liveOn_ = false;
  // Stopped by the user: stop command and link closed, as a stopped run.
  if (!error) run_->Stop();
  SetRunState(RunState::kIdle);
  LiveView1->setText(QString::fromUtf8("連続表示"));
  for (QAction* a : Data1->actions()) a->setEnabled(true);
  EnableControls();
  if (error) {
    data_.DropData();
    Graph_->DrawEmpty(VoltMode());
    ShowRunEnd(run_->Result().end);
  } else if (liveDrawn_ > 0 && std::max(data_.Ch0.Count, data_.Ch1.Count) >= RunBuffer::kMinKept) {
    // The results on screen (not those read since) become the data on
    // display, as a stopped run's.
    Graph_->DrawAll(VoltMode());
    Status_->ShowMeasureStop();
    ShowStatsOfData(data_.Settings.CHSel);
    KeepInHistory();
  } else {
    data_.DropData();
    Graph_->DrawEmpty(VoltMode());
    Status_->ShowMeasureStop();
    Status_->ClearInfo();
  }
  AnalysisDataChanged();
  --busy_;
  UpdateIdleTimer();
}

}  // namespace velqoris
