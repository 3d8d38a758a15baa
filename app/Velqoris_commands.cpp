// The window's data and view commands: save, load, clear, the unit switch and
// the status-bar click that switches the channel of two-channel statistics.
#include <QPushButton>
#include <QTimer>

#include "app/History_dialog.h"
#include "app/Recording_window.h"
#include "app/Velqoris_main.h"
#include "datafile/Myfile.h"
#include "graph/Graph_2ch.h"
#include "message/Mymessage.h"
#include "session/Run_file.h"
#include "session/Run_history.h"
#include "status/Mystatus.h"
#include "status/Status_text.h"

namespace velqoris {

void TFormMain::Save1Click() {
  if (!constructed_) return;
  if (!data_.HasData()) {
    Message_->ShowNoData();
    return;
  }
  // A pattern is not a name: the dialog comes back until it gives a name or is cancelled.
  std::optional<std::string> chosen;
  do {
    chosen = dialogs_->SaveFileName(this, {"Data files (*.DTA)", "*.DTA", {}});
  } while (chosen && HasWildcard(*chosen));
  if (!chosen || chosen->empty()) return;
  const std::string path = WithDataExtension(*chosen);
  fSaveOK = SaveRun(*File_, path, data_);
  if (fSaveOK) {
    Status_->ShowFileSaved();
    // The caption names the file that holds the data on display, so neither
    // a failed save nor a kept old file may put its name there.
    if (!File_->LastDeclined()) SetCaption(path);
  } else {
    Message_->ShowFileFault(File_->LastFault(), path);
  }
}

void TFormMain::Load1Click() { LoadFrom({"データファイル (*.DTA)", "*.DTA", {}}); }

void TFormMain::History1Click() {
  if (!constructed_) return;
  if (historyDialog_ == nullptr) {
    HistoryDialog::Hooks hooks;
    hooks.open = [this](const std::string& path) { LoadFile(path); };
    hooks.browse = [this] { LoadFrom({"データファイル (*.DTA)", "*.DTA", history_->Folder()}); };
    historyDialog_ = new HistoryDialog(history_->Folder(), std::move(hooks), this);
  }
  historyDialog_->Refresh(VoltMode());
  historyDialog_->show();
  historyDialog_->raise();
}

void TFormMain::LoadFrom(const FileDialogRequest& request) {
  if (!constructed_) return;
  const auto chosen = dialogs_->OpenFileName(this, request);
  if (!chosen || chosen->empty()) return;
  LoadFile(*chosen);
}

bool TFormMain::OpenDataFile(const std::string& path) {
  // Not while a run, a recording or a remote client holds the window.
  if (!constructed_ || run_->IsMeasuring() || busy_ > 0 || remoteHeld_ ||
      (recorder_ != nullptr && recorder_->IsRecording())) {
    return false;
  }
  // From the event loop: a box about a bad file must not hold up the caller.
  QTimer::singleShot(0, this, [this, path] {
    if (!run_->IsMeasuring()) LoadFile(path);
  });
  return true;
}

void TFormMain::LoadFile(const std::string& path) {
  // Nothing may replace the data of a run while it comes in.
  if (!constructed_ || run_->IsMeasuring() || busy_ > 0) return;
  setFocus();
  DisableControls();
  // Other data: the designed view again.
  Graph_->Range().Reset();
  if (LoadRun(*File_, path, data_)) {
    SettingsToControls();
    const int ch = data_.Settings.CHSel;
    data_.ConvertAll();
    if (data_.HasData()) {
      Graph_->DrawAll(VoltMode());
      data_.CalcStats();
    } else {
      // A file without samples: the empty graph, and no figure of earlier data.
      Graph_->DrawEmpty(VoltMode());
    }
    SetRunState(RunState::kIdle);
    Status_->ShowFileLoaded();
    if (data_.HasData()) {
      ShowStatsOfData(ch);
    } else {
      fStatCH0 = ch != 1;
      Status_->ClearInfo();
    }
    SetCaption(path);
  } else {
    // The data on display, its settings, graph, statistics and caption stay
    // as they were; only the claim of an earlier load goes.
    if (Status_->PanelText(1) == QString::fromUtf8(kFileLoadedText.data())) {
      Status_->SetPanelText(std::string(), 1);
    }
    Message_->ShowFileFault(File_->LastFault(), path);
  }
  EnableControls();
  AnalysisDataChanged();
}

void TFormMain::DataClearClick() {
  if (!constructed_) return;
  data_.DropData();
  Graph_->Range().Reset();
  Graph_->DrawEmpty(VoltMode());
  // No figure and no file name may stay beside an empty graph.
  Status_->ClearInfo();
  SetCaption("");
  AnalysisDataChanged();
}

void TFormMain::MenuY_VoltClick() {
  if (!constructed_) return;
  // The action's own toggle has already inverted the check mark.
  if (data_.HasData()) {
    Graph_->DrawAll(VoltMode());
  } else {
    Graph_->DrawEmpty(VoltMode());
  }
  const int ch = data_.Settings.CHSel;
  if (ch == 0 && data_.fCH0Data) ShowStats(0);
  if (ch == 1 && data_.fCH1Data) ShowStats(1);
  if (ch == 2 && data_.fCH0Data && data_.fCH1Data) ShowStats(fStatCH0 ? 0 : 1);
  if (recorder_ != nullptr) recorder_->SetVoltMode(VoltMode());
  AnalysisDataChanged();
}

void TFormMain::StatusBar1Click() {
  if (!constructed_ || !data_.fCH0Data || !data_.fCH1Data) return;
  if (fStatCH0) {
    ShowStats(1);
    fStatCH0 = false;
  } else {
    ShowStats(0);
    fStatCH0 = true;
  }
}

}  // namespace velqoris
