// データ → 連続表示: the window acquires at the chosen settings until 測定停止,
// with the graph on the last N results (N the chosen sample count) and the
// statistics line over the results on screen; stopping makes them the data
// on display, kept in the history like a run's. The board reads one block per
// look, start commands chained as each one's 1,048,575 results run out; a
// picture is drawn about ten times a second of data, never per block.
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

#include "app/Analysis_window.h"
#include "app/Velqoris_main.h"
#include "board/Ad7190.h"
#include "graph/Graph_2ch.h"
#include "session/Block_reader.h"
#include "session/Live_window.h"
#include "status/Mystatus.h"

namespace velqoris {

namespace {

constexpr const char* kStartCaption = "測定開始";
constexpr const char* kStopCaption = "測定停止";

}  // namespace

bool TFormMain::LiveRunning() const { return liveOn_; }

void TFormMain::LiveView1Click() {
  // A recording holds the device, and a run the board.
  if (!constructed_ || busy_ > 0 || run_->IsMeasuring() || recording_) return;
  if (liveOn_) {
    StopLive(false);
  } else {
    StartLive();
  }
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
  if (!run_->SetupBoard(next, Measurement::kMaxStartCount)) {
    EnableControls();
    Status_->ShowBoardError();
    --busy_;
    return;
  }
  live_ = std::make_unique<LiveWindow>();
  live_->Reset(next, DataCount(next.DataCountSel).value_or(1000));
  liveReader_ = std::make_unique<BlockReader>(*Board_, next.CHSel);
  liveSegment_ = 0;
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
  MeasureBtn->setText(QString::fromUtf8(kStopCaption));
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
  const MeasureSettings& s = live_->Settings();
  const int block = ReadBlock(s.spsSel).value_or(1);
  // Catch up with what is waiting, a bounded number of blocks per look.
  for (int i = 0; i < 64; ++i) {
    // The start command's last block may be shorter: a block arrives whole or not at all.
    const auto left = Measurement::kMaxStartCount - liveSegment_;
    const BlockReader::Status status =
        liveReader_->Read(static_cast<int>(std::min<std::int64_t>(block, left)));
    if (status == BlockReader::Status::kError) {
      StopLive(true);
      return;
    }
    if (status == BlockReader::Status::kWaiting) break;
    const int n = liveReader_->Count();
    live_->Take(s.CHSel != 1 ? liveReader_->Codes(0) : nullptr,
                s.CHSel != 0 ? liveReader_->Codes(1) : nullptr, n);
    liveSegment_ += n;
    if (liveSegment_ >= Measurement::kMaxStartCount) {
      // The start command's results are all in: the next one goes on.
      liveSegment_ = 0;
      if (!run_->SetupBoard(s, Measurement::kMaxStartCount)) {
        StopLive(true);
        return;
      }
    }
  }
  const auto rate = DataRate(s.spsSel).value_or(10);
  if (live_->Received() - liveDrawn_ >= std::max(1, rate / 10)) DrawLive();
}

void TFormMain::DrawLive() {
  liveDrawn_ = live_->Received();
  live_->CopyTo(data_);
  run_->ConvertAll();
  run_->CalcStats();
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
  run_->ReleaseBoard();
  liveReader_.reset();
  MeasureBtn->setText(QString::fromUtf8(kStartCaption));
  LiveView1->setText(QString::fromUtf8("連続表示"));
  for (QAction* a : Data1->actions()) a->setEnabled(true);
  EnableControls();
  if (error) {
    data_.DropData();
    Graph_->DrawEmpty(VoltMode());
    Status_->ShowMeasureError();
  } else if (liveDrawn_ > 0 &&
             std::max(data_.Ch0.Count, data_.Ch1.Count) >= Measurement::kMinKept) {
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
