// The window's data and view commands: save, load, clear, the unit switch and
// the status-bar click that switches the channel of two-channel statistics.
#include <QPushButton>

#include "session/Run_file.h"
#include "app/Velqoris_main.h"
#include "datafile/Myfile.h"
#include "graph/Graph_2ch.h"
#include "message/Mymessage.h"
#include "status/Mystatus.h"

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
    chosen = dialogs_->SaveFileName(this, {"Data files (*.DTA)", "*.DTA"});
  } while (chosen && HasWildcard(*chosen));
  if (!chosen || chosen->empty()) return;
  const std::string path = WithDataExtension(*chosen);
  fSaveOK = SaveRun(*File_, path, data_);
  if (fSaveOK) {
    Status_->ShowFileSaved();
  } else {
    Message_->ShowSaveFailed();
  }
  SetCaption(path);
}

void TFormMain::Load1Click() {
  if (!constructed_) return;
  const auto chosen = dialogs_->OpenFileName(this, {"データファイル (*.DTA)", "*.DTA"});
  if (!chosen || chosen->empty()) return;
  setFocus();
  DisableControls();
  if (LoadRun(*File_, *chosen, data_)) {
    SettingsToControls();
    const int ch = data_.Settings.CHSel;
    run_->ConvertAll();
    if (data_.HasData()) {
      Graph_->DrawAll(VoltMode());
      run_->CalcStats();
    } else {
      // A file without samples: the empty graph, and no figure of earlier data.
      Graph_->DrawEmpty(VoltMode());
    }
    MeasureBtn->setText(QString::fromUtf8("測定開始"));
    Status_->ShowFileLoaded();
    if (data_.HasData()) {
      ShowStatsOfData(ch);
    } else {
      fStatCH0 = ch != 1;
      Status_->ClearInfo();
    }
  } else {
    // LoadRun has dropped the data on display with the partly read codes.
    Graph_->DrawEmpty(VoltMode());
    Status_->ClearInfo();
    Message_->ShowBadDataFile();
    SetCaption("");
  }
  EnableControls();
  AnalysisDataChanged();
}

void TFormMain::DataClearClick() {
  if (!constructed_) return;
  data_.DropData();
  Graph_->DrawEmpty(VoltMode());
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
