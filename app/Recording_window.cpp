#include "app/Recording_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

#include "app/Dialog_folder.h"
#include "app/Recording_settings.h"
#include "datafile/Free_space.h"
#include "datafile/Myfile.h"
#include "datafile/Utf8_path.h"
#include "graph/Number_pattern.h"
#include "message/Message_box.h"
#include "message/Message_text.h"
#include "plots/Strip_chart_view.h"
#include "status/Status_text.h"
#include "units/Microvolts.h"

namespace velqoris {

namespace {

constexpr const char* kBoardText = "VELQORIS Board";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

QString DurationText(int seconds) {
  if (seconds == 0) return Text("停止するまで");
  if (seconds % 3600 == 0) return QString::number(seconds / 3600) + Text(" 時間");
  return QString::number(seconds / 60) + Text(" 分");
}

QString ClockText(double seconds) {
  const auto s = static_cast<long long>(std::floor(std::max(seconds, 0.0)));
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return QString::fromLatin1(text);
}

// A path as the system writes it ("\\" on Windows).
QString ShownPath(const std::string& utf8) {
  return QDir::toNativeSeparators(QString::fromStdString(utf8));
}

QString FileSize(std::uintmax_t bytes) {
  if (bytes < 1024 * 1024) return QString::fromStdString(FormatFixed(bytes / 1024.0, 1)) + " KB";
  return QString::fromStdString(FormatFixed(bytes / 1048576.0, 1)) + " MB";
}

}  // namespace

RecordingWindow::RecordingWindow(d2xx::Api& device, Hooks hooks, const Clock* clock,
                                 EventHost* host, QWidget* parent)
    : QDialog(parent),
      device_(device),
      ownClock_(clock == nullptr ? std::make_unique<SteadyClock>() : nullptr),
      ownHost_(host == nullptr
                   ? std::make_unique<SleepingEventHost>(clock != nullptr ? *clock : *ownClock_)
                   : nullptr),
      clock_(clock != nullptr ? *clock : *ownClock_),
      host_(host != nullptr ? *host : *ownHost_),
      hooks_(std::move(hooks)) {
  setObjectName("RecordingWindow");
  setWindowTitle(Text("連続記録"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QGridLayout();
  form->addWidget(new QLabel(Text("CSV ファイル"), this), 0, 0);
  file_ = new QLineEdit(this);
  file_->setObjectName("RecordFile");
  form->addWidget(file_, 0, 1, 1, 3);
  browse_ = new QPushButton(Text("参照..."), this);
  form->addWidget(browse_, 0, 4);
  form->addWidget(new QLabel(Text("記録時間"), this), 1, 0);
  duration_ = new QComboBox(this);
  duration_->setObjectName("RecordDuration");
  for (const int d : kDurations) duration_->addItem(DurationText(d), d);
  duration_->setCurrentIndex(2);
  form->addWidget(duration_, 1, 1);
  form->addWidget(new QLabel(Text("表示範囲"), this), 1, 2);
  span_ = new QComboBox(this);
  span_->setObjectName("RecordSpan");
  for (const int s : kSpans) span_->addItem(DurationText(s), s);
  span_->setCurrentIndex(1);
  form->addWidget(span_, 1, 3);
  perChannel_ = new QCheckBox(Text("CH ごとに縦軸"), this);
  perChannel_->setObjectName("RecordPerChannel");
  form->addWidget(perChannel_, 1, 4);
  settingsPanel_ = new RecordingSettings(this);
  form->addWidget(settingsPanel_, 2, 0, 1, 5);
  layout->addLayout(form);

  chart_ = new StripChartView(this);
  chart_->setObjectName("StripChart");
  layout->addWidget(chart_, 1);
  time_ = new QLabel(this);
  count_ = new QLabel(this);
  count_->setObjectName("RecordCount");
  for (auto*& s : stats_) s = new QLabel(this);
  status_ = new QLabel(this);
  status_->setObjectName("RecordStatus");
  for (QLabel* l : {time_, count_, stats_[0], stats_[1], status_}) layout->addWidget(l);

  auto* buttons = new QHBoxLayout();
  start_ = new QPushButton(Text("記録開始"), this);
  start_->setObjectName("RecordStart");
  stop_ = new QPushButton(Text("停止"), this);
  stop_->setObjectName("RecordStop");
  open_ = new QPushButton(Text("解析ウィンドウで開く"), this);
  open_->setObjectName("RecordOpen");
  close_ = new QPushButton(Text("閉じる"), this);
  for (QPushButton* b : {start_, stop_, open_, close_}) buttons->addWidget(b);
  layout->addLayout(buttons);
  stop_->setEnabled(false);
  open_->setEnabled(false);
  open_->setVisible(static_cast<bool>(hooks_.openInAnalysis));

  QObject::connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });
  QObject::connect(file_, &QLineEdit::textEdited, this, [this] { confirmed_ = false; });
  QObject::connect(start_, &QPushButton::clicked, this, [this] { StartRecording(); });
  QObject::connect(stop_, &QPushButton::clicked, this, [this] { StopRecording(); });
  QObject::connect(close_, &QPushButton::clicked, this, [this] { close(); });
  QObject::connect(open_, &QPushButton::clicked, this, [this] {
    if (recording_ && hooks_.openInAnalysis) hooks_.openInAnalysis(recording_->Path());
  });
  QObject::connect(span_, &QComboBox::currentIndexChanged, this, [this](int) { Refresh(); });
  QObject::connect(perChannel_, &QCheckBox::toggled, this, [this](bool) { Refresh(); });
  timer_.setInterval(200);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  resize(680, 520);
}

RecordingWindow::~RecordingWindow() {
  timer_.stop();
  if (recording_) {
    recording_->Stop();
    recording_->Join();
  }
}

void RecordingWindow::SetSettings(const MeasureSettings& settings, bool voltMode) {
  voltMode_ = voltMode;
  if (!IsRecording()) {
    settings_ = settings;
    settingsPanel_->Set(settings);
  }
  Refresh();
}

void RecordingWindow::SetVoltMode(bool voltMode) {
  voltMode_ = voltMode;
  Refresh();
}

void RecordingWindow::Browse() {
  std::optional<std::string> path;
  if (hooks_.chooseFile) {
    path = hooks_.chooseFile(this);
  } else {
    // In the folder of the file named, else where the dialogs opened last.
    const QString start = file_->text().isEmpty()
                              ? QString::fromStdString(SharedDialogFolder().Start())
                              : file_->text();
    const QString chosen =
        QFileDialog::getSaveFileName(this, Text("連続記録"), start, Text("CSV ファイル (*.csv)"));
    if (!chosen.isEmpty()) {
      path = QDir::fromNativeSeparators(chosen).toStdString();
      SharedDialogFolder().Chosen(*path);
    }
  }
  if (path) {
    file_->setText(ShownPath(*path));
    // The file dialog has asked about an existing file already.
    confirmed_ = true;
  }
}

bool RecordingWindow::IsRecording() const { return recording_ && !recording_->Ended(); }

bool RecordingWindow::StartRecording() {
  if (IsRecording()) return false;
  if (file_->text().isEmpty()) Browse();
  std::string path = QDir::fromNativeSeparators(file_->text()).toStdString();
  if (path.empty()) return false;
  if (PathFromUtf8(path).extension().empty()) path += ".csv";
  file_->setText(ShownPath(path));
  if (!confirmed_ && Utf8PathExists(path) &&
      !dialogs::AskYesNo(TmyFile::OverwriteQuestion(ShownPath(path).toStdString()), "確認")) {
    return false;
  }
  settings_ = settingsPanel_->Get();
  const double rate = DataRate(settings_.spsSel).value_or(kDataRates.front());
  const int seconds = duration_->currentData().toInt();
  // The log's own rule: the duration at the nominal rate, at least one result.
  const std::int64_t total = seconds == 0 ? Recording::kUntilStopped
                                          : std::max<std::int64_t>(std::llround(seconds * rate), 1);
  // The disk must hold a timed recording whole; one until stopped is warned
  // about when less than an hour fits (it ends on a whole row when it fills).
  const int channels = settings_.CHSel == 2 ? 2 : 1;
  const auto rows = seconds == 0 ? std::llround(3600 * rate) : total;
  const std::uint64_t needed = LogCsvBytes(rows, channels);
  const auto free = FreeSpaceFor(path);
  const bool shortOfRoom = free && *free < needed;
  if (shortOfRoom && seconds != 0) {
    status_->setText(QString::fromStdString(SpaceShortMessage(path, needed, *free)));
    return false;
  }
  if (recording_) recording_->Join();
  if (hooks_.releaseDevice) hooks_.releaseDevice();
  history_ = std::make_unique<TStripHistory>(
      static_cast<std::int64_t>(rate * kSpans[std::size(kSpans) - 1]));
  // Set before the thread starts; only the thread reads it then.
  if (ownHost_) ownHost_->SetIdlePause(RecordingPause(settings_.spsSel));
  recording_ = std::make_unique<Recording>(device_, clock_, host_);
  if (!recording_->Start(path, settings_, total)) {
    const int error = recording_->StartError();
    recording_.reset();
    status_->setText(QString::fromStdString(OutputNotWrittenMessage("CSV", ShownPath(path).toStdString(), error)));
    return false;
  }
  reported_ = false;
  for (QWidget* w :
       std::initializer_list<QWidget*>{start_, browse_, file_, duration_, open_, settingsPanel_}) {
    w->setEnabled(false);
  }
  stop_->setEnabled(true);
  status_->setText(Text(kMeasuringText));
  if (shortOfRoom) {
    status_->setText(Text(kMeasuringText) + Text("　1 時間分の空きがありません: ") +
                     QString::fromStdString(SpaceShortMessage(path, needed, *free)));
  }
  if (hooks_.recordingChanged) hooks_.recordingChanged(true);
  timer_.start();
  Refresh();
  return true;
}

void RecordingWindow::StopRecording() {
  if (recording_) recording_->Stop();
}

void RecordingWindow::Poll() {
  if (!recording_) return;
  for (const Recording::Block& b : recording_->TakeBlocks()) {
    const int n = static_cast<int>(std::max(b.codes[0].size(), b.codes[1].size()));
    history_->Add(b.codes[0].empty() ? nullptr : b.codes[0].data(),
                  b.codes[1].empty() ? nullptr : b.codes[1].data(), n);
  }
  const Recording::Progress p = recording_->Snapshot();
  Refresh();
  if (recording_->Ended() && !reported_) Ended(p);
}

void RecordingWindow::Refresh() {
  const double rate = DataRate(settings_.spsSel).value_or(kDataRates.front());
  const int spanSeconds = span_->currentData().toInt();
  chart_->SetPerChannel(perChannel_->isChecked());
  chart_->Show(history_.get(), static_cast<std::int64_t>(spanSeconds * rate),
               DurationText(spanSeconds), voltMode_, GainOf(settings_.GainSel).value_or(1));
  if (!recording_) return;
  const Recording::Progress p = recording_->Snapshot();
  const double elapsed = static_cast<double>(p.written) / rate;
  QString times = Text("経過時間 ") + ClockText(elapsed);
  if (p.total != Recording::kUntilStopped) {
    times += Text("　残り時間 ") + ClockText(static_cast<double>(p.total - p.written) / rate);
  }
  time_->setText(times);
  const auto bytes = Utf8FileSize(recording_->Path());
  count_->setText(Text("データ数 ") + QString::number(p.written) + Text(" 件　ファイルサイズ ") +
                  (bytes ? FileSize(*bytes) : QStringLiteral("-")));
  const double uvPerCode = MicrovoltsPerCode(GainOf(settings_.GainSel).value_or(1));
  for (int ch = 0; ch < 2; ++ch) {
    const auto& st = p.stats[ch];
    stats_[ch]->setVisible(st.Count() > 0);
    if (st.Count() == 0) continue;
    const auto uv = [&](double code) {
      return static_cast<float>(CodeOffset(static_cast<std::int32_t>(code)) * uvPerCode);
    };
    const std::string line =
        voltMode_ ? VoltStatsText(ch, uv(st.Max()), uv(st.Min()),
                                  static_cast<float>(st.Deviation() * uvPerCode)) +
                        " / 平均値：" + FormatFixed(MicrovoltsAt(st.Mean(), uvPerCode), 4) + "[uV]"
                  : CodeStatsText(ch, st.Max(), st.Min(), static_cast<float>(st.Deviation())) +
                        " / 平均値：" + FormatFixed(st.Mean(), 2);
    stats_[ch]->setText(QString::fromStdString(line));
  }
}

void RecordingWindow::Ended(const Recording::Progress& p) {
  reported_ = true;
  timer_.stop();
  recording_->Join();
  QString text;
  switch (p.end) {
    case RunEnd::kNotEnded:
    case RunEnd::kComplete:
      text = Text(kMeasureEndText);
      break;
    case RunEnd::kStopped:
      text = Text(kMeasureStopText);
      break;
    case RunEnd::kNoBoard:
    case RunEnd::kOtherBoard: {
      text = Text(BoardNotFoundText(kBoardText));
      const std::string driver = DriverProblemNote();
      if (!driver.empty()) text += QStringLiteral(" ") + QString::fromStdString(driver);
      break;
    }
    case RunEnd::kNoAnswer:
      text = Text(BoardNoResponseText(kBoardText));
      break;
    case RunEnd::kRefused:
      text = Text(BoardErrorText(kBoardText));
      break;
    case RunEnd::kReadError:
    case RunEnd::kStalled:
      text = Text(kMeasureErrorText);
      break;
    case RunEnd::kPulledCable:
      text = Text(kBoardGoneText);
      break;
    case RunEnd::kSinkFailed:
      text = QString::fromStdString(p.failure);
      break;
  }
  text += Text("　CSV ファイルに ") + QString::number(p.written) + Text(" 件書き込みました");
  status_->setText(text);
  for (QWidget* w :
       std::initializer_list<QWidget*>{start_, browse_, file_, duration_, settingsPanel_}) {
    w->setEnabled(true);
  }
  stop_->setEnabled(false);
  open_->setEnabled(p.written > 0);
  if (hooks_.recordingChanged) hooks_.recordingChanged(false);
}

QString RecordingWindow::StatusText() const { return status_->text(); }

void RecordingWindow::closeEvent(QCloseEvent* event) {
  // A running recording keeps going with the window hidden; the main window's
  // menu brings it back.
  event->accept();
}

}  // namespace velqoris
