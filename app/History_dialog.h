// データ → 履歴を開く...: the kept runs, newest first, each with its time,
// settings, count and statistics, read on a thread of their own so the
// window never waits on the files; a run opens with a double-click or 開く,
// and ファイルを選ぶ... offers the load dialog in the history folder.
#pragma once

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session/Run_summary.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace velqoris {

class HistoryDialog : public QDialog {
 public:
  struct Hooks {
    std::function<void(const std::string& path)> open;
    std::function<void()> browse;
  };

  HistoryDialog(std::string folder, Hooks hooks, QWidget* parent = nullptr);
  ~HistoryDialog() override;

  // Reads the folder again; the statistics in µV or in codes.
  void Refresh(bool voltMode);
  bool Listed() const { return listed_; }
  const std::vector<RunSummary>& Runs() const { return runs_; }
  // Opens the run of that row (as a double-click does) and closes the dialog.
  void OpenRow(int row);

 private:
  void Show(std::vector<RunSummary> runs);
  void StopReader();

  std::string folder_;
  Hooks hooks_;
  bool voltMode_ = false;
  bool listed_ = false;
  std::vector<RunSummary> runs_;
  std::thread reader_;
  std::shared_ptr<std::atomic<bool>> cancelled_;
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* open_ = nullptr;
};

}  // namespace velqoris
