// The window's side of a measurement run: the measure button, connecting,
// each idle step's progress and live drawing, the end of a run and the stop.
#include <QPushButton>

#include <chrono>
#include <iostream>

#include "app/Analysis_window.h"
#include "app/Velqoris_main.h"
#include "graph/Graph_2ch.h"
#include "message/Message_text.h"
#include "message/Mymessage.h"
#include "session/Run_history.h"
#include "session/Stats_line.h"
#include "status/Mystatus.h"

namespace velqoris {

namespace {

constexpr const char* kStartCaption = "測定開始";
constexpr const char* kStopCaption = "測定停止";

}  // namespace

void TFormMain::MeasureBtnClick() {
  if (!constructed_) return;
  if (LiveRunning()) return StopLive(false);
  const QString caption = MeasureBtn->text();
  if (caption == QString::fromUtf8(kStartCaption)) {
    StartRun();
  } else if (caption == QString::fromUtf8(kStopCaption) && run_->IsMeasuring()) {
    // Once the last results are in, the end-of-run redraw lets events run
    // while the caption still says stop; that run can no longer be stopped.
    StopRun();
  }
}

void TFormMain::StartRun() {
  // The board's waits let events run; no idle pass may step in meanwhile.
  ++busy_;
  DisableControls();
  // Settings keep describing the data on display (its graph, statistics and
  // saving) until the board has really started the new run.
  const MeasureSettings next = ControlsToSettings();
  if (!run_->IsBoardReady()) {
    if (!ConnectBoard()) {
      EnableControls();
      Status_->ShowBoardNotFound();
      --busy_;
      return;
    }
  }
  if (!run_->SetupBoard(next)) {
    EnableControls();
    Status_->ShowBoardError();
    --busy_;
    return;
  }
  if (data_.HasData()) Graph_->DrawAxes(VoltMode());
  run_->BeginRun(next);
  if (analysis_ != nullptr) analysis_->RunStarted();
  MeasureBtn->setText(QString::fromUtf8(kStopCaption));
  Status_->ShowMeasuring();
  Status_->ShowStarting();
  MeasureBtn->setEnabled(true);
  SetCaption("");
  --busy_;
  UpdateIdleTimer();
}

bool TFormMain::ConnectBoard() {
  switch (run_->ConnectBoard()) {
    case Measurement::ConnectResult::kOk:
      Status_->ShowPair(run_->BoardName(), run_->BoardVersion());
      return true;
    case Measurement::ConnectResult::kNotFound:
      Message_->ShowBoardNotFound();
      Status_->ShowBoardNotFound();
      return false;
    case Measurement::ConnectResult::kNoResponse:
      Message_->ShowBoardNoResponse();
      Status_->ShowBoardNoResponse();
      return false;
    case Measurement::ConnectResult::kOtherName:
      Message_->ShowBoardNotFound();
      return false;
  }
  return false;
}

void TFormMain::MeasureStep() {
  const int channelSel = data_.Settings.CHSel;
  switch (run_->MeasureStep()) {
    case Measurement::StepResult::kIdle:
    case Measurement::StepResult::kWaiting:
      return;
    case Measurement::StepResult::kProgress: {
      if (channelSel == 2) {
        Status_->ShowSample2(run_->ReadCount(), run_->LatestCode(0), run_->LatestCode(1));
      } else {
        Status_->ShowSample(run_->ReadCount(), run_->LatestCode(channelSel == 1 ? 1 : 0));
      }
      int first = 0;
      int last = 0;
      if (run_->NextLiveBlock(first, last)) Graph_->DrawBlock(VoltMode(), first, last);
      return;
    }
    case Measurement::StepResult::kComplete:
      EndOfRun(channelSel);
      return;
    case Measurement::StepResult::kError:
      Status_->ShowMeasureError();
      MeasureBtn->setText(QString::fromUtf8(kStartCaption));
      EnableControls();
      AnalysisDataChanged();
      return;
  }
}

void TFormMain::EndOfRun(int channelSel) {
  if (channelSel == 2) Status_->ShowMeasureEnd();
  run_->ConvertAll();
  Graph_->DrawAll(VoltMode());
  run_->CalcStats();
  MeasureBtn->setText(QString::fromUtf8(kStartCaption));
  EnableControls();
  if (channelSel != 2) Status_->ShowMeasureEnd();
  ShowStatsOfData(channelSel);
  KeepInHistory();
  AnalysisDataChanged();
}

void TFormMain::KeepInHistory() {
  // Never a question here: a run that cannot be kept is still on display.
  if (!history_->Keep(data_, std::chrono::system_clock::now()).empty()) return;
  if (history_->LastFault().kind == FileFault::Kind::None) return;
  std::cerr << "VELQORIS: 履歴に保存できませんでした: " << history_->Folder() << ": "
            << FileFaultMessage(history_->LastFault(), history_->Folder()) << '\n';
}

void TFormMain::StopRun() {
  ++busy_;
  const int channelSel = data_.Settings.CHSel;
  const bool kept = run_->StopRun();
  Status_->ShowMeasureStop();
  if (kept) {
    run_->ConvertAll();
    Graph_->DrawAll(VoltMode());
    run_->CalcStats();
    ShowStatsOfData(channelSel);
    KeepInHistory();
  } else {
    Status_->ClearInfo();
  }
  MeasureBtn->setText(QString::fromUtf8(kStartCaption));
  EnableControls();
  AnalysisDataChanged();
  --busy_;
  UpdateIdleTimer();
}

void TFormMain::ShowStatsOfData(int channelSel) {
  // Two-channel data starts on CH0; the status bar switches it.
  fStatCH0 = channelSel != 1;
  ShowStats(fStatCH0 ? 0 : 1);
}

void TFormMain::ShowStats(int channel) {
  const ChannelStats s = StatsOf(data_, *Graph_, channel);
  if (VoltMode()) {
    Status_->ShowVoltStats(s.channel, s.maxMicrovolts, s.minMicrovolts, s.voltSD);
  } else {
    Status_->ShowCodeStats(s.channel, s.maxCode, s.minCode, s.codeSD);
  }
}

}  // namespace velqoris
