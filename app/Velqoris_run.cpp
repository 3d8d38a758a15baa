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

void TFormMain::SetRunState(RunState state) {
  runState_ = state;
  emit RunStateChanged(state);
}

void TFormMain::MeasureBtnClick() {
  if (!constructed_) return;
  if (LiveRunning()) return StopLive(false);
  // Once the last results are in, the end-of-run redraw lets events run while
  // the caption still says stop; that run can no longer be stopped.
  if (runState_ == RunState::kIdle) {
    StartRun();
  } else if (runState_ == RunState::kMeasuring) {
    StopRun();
  }
}

void TFormMain::StartRun() {
  // The board's waits let events run; no idle pass may step in meanwhile.
  ++busy_;
  SetRunState(RunState::kStarting);
  DisableControls();
  // Settings keep describing the data on display (its graph, statistics and
  // saving) until the board has really started the new run.
  const MeasureSettings next = ControlsToSettings();
  if (!run_->IsBoardReady() && !ConnectBoard()) {
    EnableControls();
    Status_->ShowBoardNotFound();
    SetRunState(RunState::kIdle);
    --busy_;
    return;
  }
  if (const auto failed =
          run_->Start({next, DataCount(next.DataCountSel).value_or(0)}, {buffer_.get()})) {
    EnableControls();
    ShowRunEnd(*failed);
    SetRunState(RunState::kIdle);
    --busy_;
    return;
  }
  if (analysis_ != nullptr) analysis_->RunStarted();
  SetRunState(RunState::kMeasuring);
  Status_->ShowMeasuring();
  Status_->ShowStarting();
  MeasureBtn->setEnabled(!remoteHeld_);
  SetCaption("");
  --busy_;
  UpdateIdleTimer();
}

bool TFormMain::ConnectBoard() {
  if (const auto failed = run_->Connect()) {
    ShowRunEnd(*failed);
    return false;
  }
  Status_->ShowPair(run_->BoardName(), run_->BoardVersion());
  return true;
}

void TFormMain::ShowRunEnd(RunEnd end) {
  switch (end) {
    case RunEnd::kNoBoard:
      Message_->ShowBoardNotFound();
      Status_->ShowBoardNotFound();
      break;
    case RunEnd::kNoAnswer:
      Message_->ShowBoardNoResponse();
      Status_->ShowBoardNoResponse();
      break;
    case RunEnd::kOtherBoard:
      Message_->ShowBoardNotFound();
      break;
    case RunEnd::kRefused:
      Status_->ShowBoardError();
      break;
    case RunEnd::kReadError:
    case RunEnd::kPulledCable:
    case RunEnd::kStalled:
    case RunEnd::kSinkFailed:
      Status_->ShowMeasureError();
      break;
    case RunEnd::kNotEnded:
    case RunEnd::kComplete:
    case RunEnd::kStopped:
      break;
  }
}

void TFormMain::MeasureStep() {
  const int channelSel = data_.Settings.CHSel;
  switch (run_->Step()) {
    case Acquisition::Pass::kIdle:
    case Acquisition::Pass::kWaiting:
      return;
    case Acquisition::Pass::kBlock: {
      const int n = buffer_->Count();
      if (channelSel == 2) {
        Status_->ShowSample2(n, buffer_->LatestCode(0), buffer_->LatestCode(1));
      } else {
        Status_->ShowSample(n, buffer_->LatestCode(channelSel == 1 ? 1 : 0));
      }
      int first = 0;
      int last = 0;
      if (buffer_->NextLiveBlock(first, last)) Graph_->DrawBlock(VoltMode(), first, last);
      return;
    }
    case Acquisition::Pass::kEnded:
      if (run_->Result().end == RunEnd::kComplete) {
        EndOfRun(channelSel);
        return;
      }
      ShowRunEnd(run_->Result().end);
      SetRunState(RunState::kIdle);
      EnableControls();
      AnalysisDataChanged();
      return;
  }
}

void TFormMain::EndOfRun(int channelSel) {
  SetRunState(RunState::kEnding);
  if (channelSel == 2) Status_->ShowMeasureEnd();
  data_.ConvertAll();
  Graph_->DrawAll(VoltMode());
  data_.CalcStats();
  SetRunState(RunState::kIdle);
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
  // Said where the run's end is said, with the reason; no box to answer.
  const std::string notKept = HistoryNotKeptMessage(history_->LastFault());
  Status_->SetPanelText(Status_->PanelText(1).toStdString() + "　" + notKept, 1);
  std::cerr << "VELQORIS: " << notKept << ": " << history_->Folder() << '\n';
}

void TFormMain::StopRun() {
  ++busy_;
  SetRunState(RunState::kEnding);
  const int channelSel = data_.Settings.CHSel;
  run_->Stop();
  Status_->ShowMeasureStop();
  if (buffer_->Kept()) {
    data_.ConvertAll();
    Graph_->DrawAll(VoltMode());
    data_.CalcStats();
    ShowStatsOfData(channelSel);
    KeepInHistory();
  } else {
    Status_->ClearInfo();
  }
  SetRunState(RunState::kIdle);
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
