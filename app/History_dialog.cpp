#include "app/History_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velqoris {

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

HistoryDialog::HistoryDialog(std::string folder, Hooks hooks, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)), hooks_(std::move(hooks)) {
  setObjectName("HistoryDialog");
  setWindowTitle(Text("履歴"));
  auto* column = new QVBoxLayout(this);
  note_ = new QLabel(this);
  note_->setObjectName("HistoryNote");
  column->addWidget(note_);
  table_ = new QTableWidget(0, 3, this);
  table_->setObjectName("HistoryTable");
  table_->setHorizontalHeaderLabels({Text("日時"), Text("設定"), Text("統計")});
  table_->verticalHeader()->setVisible(false);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  column->addWidget(table_, 1);
  auto* buttons = new QDialogButtonBox(this);
  open_ = buttons->addButton(Text("開く"), QDialogButtonBox::AcceptRole);
  open_->setObjectName("HistoryOpen");
  QPushButton* browse = buttons->addButton(Text("ファイルを選ぶ..."), QDialogButtonBox::ActionRole);
  browse->setObjectName("HistoryBrowse");
  buttons->addButton(Text("閉じる"), QDialogButtonBox::RejectRole);
  column->addWidget(buttons);
  QObject::connect(open_, &QPushButton::clicked, this, [this] { OpenRow(table_->currentRow()); });
  QObject::connect(browse, &QPushButton::clicked, this, [this] {
    hide();
    if (hooks_.browse) hooks_.browse();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  QObject::connect(table_, &QTableWidget::cellDoubleClicked, this,
                   [this](int row, int) { OpenRow(row); });
  resize(900, 420);
}

HistoryDialog::~HistoryDialog() { StopReader(); }

void HistoryDialog::StopReader() {
  if (cancelled_) cancelled_->store(true);
  if (reader_.joinable()) reader_.join();
}

void HistoryDialog::Refresh(bool voltMode) {
  StopReader();
  voltMode_ = voltMode;
  listed_ = false;
  table_->setRowCount(0);
  open_->setEnabled(false);
  note_->setText(Text("履歴を読んでいます..."));
  cancelled_ = std::make_shared<std::atomic<bool>>(false);
  // Up to a few hundred files: read beside the window, handed over finished.
  reader_ = std::thread([this, folder = folder_, cancelled = cancelled_] {
    std::vector<RunSummary> runs;
    for (const std::string& path : RunFilesNewestFirst(folder)) {
      if (cancelled->load()) return;
      runs.push_back(SummariseRun(path));
    }
    QMetaObject::invokeMethod(
        this, [this, runs = std::move(runs)]() mutable { Show(std::move(runs)); },
        Qt::QueuedConnection);
  });
}

void HistoryDialog::Show(std::vector<RunSummary> runs) {
  runs_ = std::move(runs);
  listed_ = true;
  note_->setText(runs_.empty()
                     ? Text("履歴にはまだ測定がありません")
                     : Text(folder_ + " (新しい順, " + std::to_string(runs_.size()) + " 件)"));
  table_->setRowCount(static_cast<int>(runs_.size()));
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const RunSummary& r = runs_[static_cast<std::size_t>(row)];
    std::string stats;
    for (const std::string& line : voltMode_ ? r.voltLines : r.codeLines) {
      stats += (stats.empty() ? "" : "\n") + line;
    }
    table_->setItem(row, 0, new QTableWidgetItem(Text(r.when)));
    table_->setItem(row, 1,
                    new QTableWidgetItem(r.readable ? Text(SettingsSummary(r.settings, r.count))
                                                    : Text("読めないファイルです")));
    auto* statsItem = new QTableWidgetItem(Text(stats));
    statsItem->setToolTip(Text(r.path));
    table_->setItem(row, 2, statsItem);
  }
  table_->resizeRowsToContents();
  if (!runs_.empty()) table_->selectRow(0);
  open_->setEnabled(!runs_.empty());
}

void HistoryDialog::OpenRow(int row) {
  if (row < 0 || row >= static_cast<int>(runs_.size())) return;
  hide();
  if (hooks_.open) hooks_.open(runs_[static_cast<std::size_t>(row)].path);
}

}  // namespace velqoris
