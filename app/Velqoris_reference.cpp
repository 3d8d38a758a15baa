// データ → 参照データ: a run from a file or the history kept beside the data
// on display, drawn behind it in muted colours with its statistics at the
// bottom left of the graph, and compared with it in the analysis window.
#include <QAction>
#include <QMenu>

#include <filesystem>

#include "app/Analysis_window.h"
#include "app/History_dialog.h"
#include "app/Velqoris_main.h"
#include "datafile/Utf8_path.h"
#include "graph/Graph_2ch.h"
#include "graph/Graph_navigator.h"
#include "message/Mymessage.h"
#include "session/Held_data.h"
#include "session/Run_history.h"

namespace velqoris {

void TFormMain::BuildReferenceMenu() {
  auto* menu = new QMenu(QString::fromUtf8("参照データ"), Data1);
  menu->setObjectName("Reference1");
  // Beside the other ways to open a run, before 連続記録....
  const QList<QAction*> actions = Data1->actions();
  const auto record = actions.indexOf(Record1);
  Data1->insertMenu(record > 0 ? actions[record - 1] : nullptr, menu);
  const auto add = [&](QAction*& action, const char* name, const char* text, auto handler) {
    action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(name);
    QObject::connect(action, &QAction::triggered, this, handler);
  };
  add(ReferenceFile1, "ReferenceFile1", "ファイルから読込み...", [this] { ReferenceFile1Click(); });
  add(ReferenceHistory1, "ReferenceHistory1", "履歴から選ぶ...",
      [this] { ReferenceHistory1Click(); });
  add(ReferenceClear1, "ReferenceClear1", "参照データを消す", [this] { SetReferenceFile(""); });
  ReferenceClear1->setEnabled(false);
}

void TFormMain::ReferenceFile1Click() {
  if (!constructed_) return;
  const auto chosen = dialogs_->OpenFileName(this, {"データファイル (*.DTA)", "*.DTA", {}});
  if (chosen && !chosen->empty()) SetReferenceFile(*chosen);
}

void TFormMain::ReferenceHistory1Click() {
  if (!constructed_) return;
  if (referenceDialog_ == nullptr) {
    HistoryDialog::Hooks hooks;
    hooks.open = [this](const std::string& path) { SetReferenceFile(path); };
    hooks.browse = [this] {
      const auto chosen =
          dialogs_->OpenFileName(this, {"データファイル (*.DTA)", "*.DTA", history_->Folder()});
      if (chosen && !chosen->empty()) SetReferenceFile(*chosen);
    };
    referenceDialog_ = new HistoryDialog(history_->Folder(), std::move(hooks), this);
    referenceDialog_->setWindowTitle(QString::fromUtf8("参照データを履歴から選ぶ"));
  }
  referenceDialog_->Refresh(VoltMode());
  referenceDialog_->show();
  referenceDialog_->raise();
}

void TFormMain::SetReferenceFile(const std::string& path) {
  if (!constructed_) return;
  std::unique_ptr<HeldData> loaded;
  if (!path.empty()) {
    loaded = std::make_unique<HeldData>();
    if (!loaded->Load(path)) {
      Message_->ShowFileFault(loaded->fault, path);
      return;
    }
    loaded->Compute();
  }
  Graph_->SetReference(loaded && loaded->data.fCH0Data ? &loaded->data.Ch0 : nullptr,
                       loaded && loaded->data.fCH1Data ? &loaded->data.Ch1 : nullptr);
  reference_ = std::move(loaded);
  referenceName_ = path.empty() ? std::string() : Utf8FromPath(PathFromUtf8(path).filename());
  ReferenceClear1->setEnabled(reference_ != nullptr);
  if (analysis_ != nullptr) analysis_->SetReference(reference_ ? &reference_->data : nullptr);
  if (data_.HasData()) {
    Graph_->DrawAll(VoltMode());
  } else {
    Graph_->DrawEmpty(VoltMode());
  }
}

std::vector<std::string> TFormMain::ReferenceLines() const {
  if (!reference_) return {};
  std::vector<std::string> lines = {"参照: " + referenceName_};
  for (std::string& line : reference_->StatsLines(VoltMode())) lines.push_back(std::move(line));
  return lines;
}

}  // namespace velqoris
