// The window's data and view commands: save, load, clear, the unit switch and
// the status-bar click that switches the channel of two-channel statistics.
#include <QPushButton>

#include "app/Velqoris_main.h"
#include "board/Ad7190.h"
#include "datafile/Myfile.h"
#include "graph/Graph_2ch.h"
#include "message/Mymessage.h"
#include "status/Mystatus.h"

namespace velqoris {

namespace {

constexpr const char* kExtension = ".DTA";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool CountHeld(const SampleBuffer& buffer) {
  return buffer.Count >= 0 && buffer.Count <= kSampleCapacity;
}

}  // namespace

void TFormMain::Save1Click() {
  if (!constructed_) return;
  if (!data_.HasData()) {
    Message_->ShowNoData();
    return;
  }
  const auto chosen = dialogs_->SaveFileName(this, {"Data files (*.DTA)", "*.DTA"});
  if (!chosen || chosen->empty()) return;
  std::string path = *chosen;
  // Exact and upper case, on the whole path: "run1.dta" becomes "run1.dta.DTA".
  if (!EndsWith(path, kExtension)) path += kExtension;
  switch (data_.Settings.CHSel) {
    case 0:
      fSaveOK = File_->SaveData(path, &data_.Settings, &data_.Ch0);
      break;
    case 1:
      fSaveOK = File_->SaveData(path, &data_.Settings, &data_.Ch1);
      break;
    case 2:
      fSaveOK = File_->SaveData2(path, &data_.Settings, &data_.Ch0, &data_.Ch1);
      break;
    default:
      fSaveOK = false;
      break;
  }
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
  MeasureSettings loaded = data_.Settings;
  // A selection outside its list can index no table: such a file is not correct.
  const bool ok = File_->LoadData(*chosen, &loaded, &data_.Ch0, &data_.Ch1) &&
                  SelectionsValid(loaded) && CountHeld(data_.Ch0) && CountHeld(data_.Ch1);
  if (ok) {
    data_.Settings = loaded;
    data_.Settings.Gain = TADC::GainFactor(data_.Settings.GainSel);
    SettingsToControls();
    const int ch = data_.Settings.CHSel;
    data_.fCH0Data = ch == 0 || ch == 2;
    data_.fCH1Data = ch == 1 || ch == 2;
    run_->ConvertAll();
    Graph_->DrawAll(VoltMode());
    run_->CalcStats();
    MeasureBtn->setText(QString::fromUtf8("測定開始"));
    Status_->ShowFileLoaded();
    ShowStatsOfData(ch);
  } else {
    // The reader may have filled part of the buffers; drop the earlier data
    // so nothing mixes its settings with those codes.
    data_.DropData();
    Graph_->DrawEmpty(VoltMode());
    Status_->ClearInfo();
    Message_->ShowBadDataFile();
    SetCaption("");
  }
  EnableControls();
}

void TFormMain::DataClearClick() {
  if (!constructed_) return;
  data_.DropData();
  Graph_->DrawEmpty(VoltMode());
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
