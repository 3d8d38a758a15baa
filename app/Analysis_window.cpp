#include "app/Analysis_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "analysis/Code_scale.h"
#include "analysis/Figure_rows.h"
#include "app/File_dialogs.h"
#include "app/Stability_page.h"
#include "plots/Figure_table.h"
#include "plots/Histogram_view.h"
#include "plots/Plot_text.h"
#include "plots/Window_font.h"
#include "session/Run_data.h"

namespace velqoris {

namespace {

constexpr std::array<const char*, 2> kChannelTitles = {"CH0 (Ain1-Ain2)", "CH1 (Ain3-Ain4)"};
constexpr std::array<analysis::SpectrumWindow, 3> kWindows = {
    analysis::SpectrumWindow::kRectangular, analysis::SpectrumWindow::kHann,
    analysis::SpectrumWindow::kBlackmanHarris};

// Samples of a channel that may be read: its count, inside the arrays.
int HeldCount(const SampleBuffer& buffer) { return std::clamp(buffer.Count, 0, kSampleCapacity); }

QString SettingsText(const MeasureSettings& s, const std::array<int, 2>& counts) {
  QStringList parts;
  parts << (s.CHSel == 2 ? Utf8Text("CH0 + CH1") : Utf8Text(s.CHSel == 1 ? "CH1" : "CH0"));
  if (const auto rate = DataRate(s.spsSel)) parts << Utf8Text("%1 sps").arg(*rate);
  parts << Utf8Text("%1 点").arg(std::max(counts[0], counts[1]));
  if (const auto gain = GainOf(s.GainSel)) parts << Utf8Text("ゲイン %1").arg(*gain);
  parts << Utf8Text(s.fSinc4 == 1 ? "Sinc4" : "Sinc3");
  parts << Utf8Text(s.fBUF_ON == 1 ? "BUF ON" : "BUF OFF");
  parts << Utf8Text(s.fCHOP_ON == 1 ? "CHOP ON" : "CHOP OFF");
  return Utf8Text("表示中のデータ: ") + parts.join(Utf8Text("  /  "));
}

QString LogText(const LogAnalysis& log) {
  QStringList parts;
  std::int64_t count = 0;
  for (const auto& c : log.channels) count = std::max<std::int64_t>(count, c ? c->count : 0);
  if (log.rateSps > 0) parts << Utf8Text("%1 sps").arg(log.rateSps);
  parts << Utf8Text("%1 点").arg(count);
  if (log.gain) parts << Utf8Text("ゲイン %1").arg(*log.gain);
  for (const auto& c : log.channels) {
    if (c && !c->stability.gaps.empty()) {
      parts << Utf8Text("途切れ %1 か所").arg(c->stability.gaps.size());
      break;
    }
  }
  // A row cut where its writer stopped was left out: said beside the figures.
  if (!log.cutNote.empty()) parts << QString::fromStdString(log.cutNote);
  return Utf8Text("ログ: ") + QString::fromStdString(log.path) + Utf8Text("  /  ") +
         parts.join(Utf8Text("  /  ")) + Utf8Text("  (スペクトルは平均化、Hann 窓)");
}

constexpr int kDefaultWidth = 1200;
constexpr int kDefaultHeight = 960;

// The table as tall as its rows (Figure_table), the plot takes the rest.
QSplitter* PlotOverTable(QWidget* plot, QTableWidget* table) {
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(plot);
  split->addWidget(table);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 0);
  split->setChildrenCollapsible(false);
  return split;
}

// Side by side, the two channels' plots at one height: their tables as tall as the taller.
void MatchTableHeights(QTableWidget* a, QTableWidget* b) {
  const int h = std::max(a->minimumHeight(), b->minimumHeight());
  a->setMinimumHeight(h);
  b->setMinimumHeight(h);
}

}  // namespace

AnalysisWindow::AnalysisWindow(const RunData& data, QWidget* parent)
    : QWidget(parent, Qt::Window), data_(data) {
  setObjectName("AnalysisWindow");
  setWindowTitle(Utf8Text("ノイズ解析 - VELQORIS"));
  setFont(WindowFont());

  note_ = new QLabel(this);
  note_->setObjectName("AnalysisNote");
  pages_ = new QTabWidget(this);
  pages_->setObjectName("AnalysisPages");
  pages_->addTab(BuildNoisePage(), Utf8Text("ヒストグラム"));
  pages_->addTab(BuildSpectrumPage(), Utf8Text("スペクトル"));
  stabilityPage_ = new StabilityPage;
  stabilityPage_->setObjectName("StabilityPage");
  pages_->addTab(stabilityPage_, Utf8Text("安定性"));

  openLogButton_ = new QPushButton(Utf8Text("ログを開く..."), this);
  openLogButton_->setObjectName("OpenLogButton");
  backButton_ = new QPushButton(Utf8Text("表示中のデータに戻る"), this);
  backButton_->setObjectName("BackToDataButton");
  backButton_->hide();
  QObject::connect(openLogButton_, &QPushButton::clicked, this, [this] {
    const auto path = QtFileDialogs().OpenFileName(
        this,
        {"ログ・データファイル (*.csv *.CSV *.DTA *.dta);;すべてのファイル (*)", "*.csv", {}});
    if (path) OpenLog(*path);
  });
  QObject::connect(backButton_, &QPushButton::clicked, this, [this] { ShowDataOnDisplay(); });

  auto* top = new QHBoxLayout;
  top->addWidget(note_, 1);
  top->addWidget(backButton_);
  top->addWidget(openLogButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(top);
  layout->addWidget(pages_, 1);
  // Both channels' plots and every figure row on a 1280 × 1024 screen.
  resize(DefaultSize());
  Refresh();
}

QSize AnalysisWindow::DefaultSize() { return {kDefaultWidth, kDefaultHeight}; }

AnalysisWindow::~AnalysisWindow() {
  // A log still being read is waited for; its result goes nowhere.
  if (loader_.joinable()) loader_.join();
}

void AnalysisWindow::OpenLog(const std::string& path) {
  if (loading_) return;
  if (loader_.joinable()) loader_.join();
  loading_ = true;
  openLogButton_->setEnabled(false);
  note_->setText(Utf8Text("ログを読み込んで解析しています: ") + QString::fromStdString(path));
  loader_ = std::thread([this, path] {
    auto result = std::make_shared<LogAnalysis>(AnalyzeLogFile(path));
    // The finished analysis crosses to the UI thread whole.
    QMetaObject::invokeMethod(
        this, [this, result] { LogAnalysed(std::move(*result)); }, Qt::QueuedConnection);
  });
}

void AnalysisWindow::LogAnalysed(LogAnalysis analysis) {
  loading_ = false;
  openLogButton_->setEnabled(true);
  if (analysis.status != LogReadStatus::kOk) {
    note_->setText(QString::fromStdString(analysis.message));
    return;
  }
  log_ = std::move(analysis);
  TakeLog();
}

// The log's analyses become the ones shown.
void AnalysisWindow::TakeLog() {
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    const auto& l = log_->channels[ch];
    counts_[ch] = l ? static_cast<int>(std::min<std::int64_t>(l->count, 1 << 30)) : 0;
    c.noise.reset();
    c.spectrumAnalysis.reset();
    c.stability.reset();
    if (!l) continue;
    c.noise = l->noise;
    c.spectrumAnalysis = l->spectrum;
    c.stability = l->stability;
  }
  backButton_->show();
  // The averaged spectrum is always Hann's; the choice shows it and waits.
  if (windowCombo_->isEnabled()) chosenWindow_ = windowCombo_->currentIndex();
  {
    const QSignalBlocker quiet(windowCombo_);
    windowCombo_->setCurrentIndex(static_cast<int>(
        std::find(kWindows.begin(), kWindows.end(), analysis::SpectrumWindow::kHann) -
        kWindows.begin()));
  }
  windowCombo_->setEnabled(false);
  ShowChannels();
}

void AnalysisWindow::ShowDataOnDisplay() {
  log_.reset();
  backButton_->hide();
  if (!windowCombo_->isEnabled()) {
    const QSignalBlocker quiet(windowCombo_);
    windowCombo_->setCurrentIndex(chosenWindow_);
  }
  windowCombo_->setEnabled(true);
  stale_ = true;
  if (!measuring_) {
    Refresh();
  } else {
    RunStarted();
  }
}

QWidget* AnalysisWindow::BuildNoisePage() {
  auto* page = new QWidget;
  auto* row = new QHBoxLayout(page);
  for (int ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[static_cast<std::size_t>(ch)];
    c.noiseBox = new QGroupBox(Utf8Text(kChannelTitles[static_cast<std::size_t>(ch)]), page);
    c.noiseBox->setObjectName(QStringLiteral("NoiseBox%1").arg(ch));
    c.histogram = new HistogramView;
    c.histogram->setObjectName(QStringLiteral("HistogramView%1").arg(ch));
    c.noiseTable = MakeFigureTable(nullptr, ch == 0 ? "NoiseTable0" : "NoiseTable1");
    auto* box = new QVBoxLayout(c.noiseBox);
    box->addWidget(PlotOverTable(c.histogram, c.noiseTable));
    c.histogram->Explorer().SetExports(FigureExports(*c.noiseTable));
    row->addWidget(c.noiseBox, 1);
  }
  return page;
}

QWidget* AnalysisWindow::BuildSpectrumPage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  auto* controls = new QHBoxLayout;
  const auto addChoice = [&](const char* label, const char* name, const QStringList& items) {
    auto* text = new QLabel(Utf8Text(label), page);
    auto* combo = new QComboBox(page);
    combo->setObjectName(name);
    combo->addItems(items);
    text->setBuddy(combo);
    controls->addWidget(text);
    controls->addWidget(combo);
    controls->addSpacing(16);
    return combo;
  };
  scaleCombo_ =
      addChoice("縦軸", "ScaleCombo", {Utf8Text("振幅 (dBFS)"), Utf8Text("ノイズ密度 (nV/√Hz)")});
  axisCombo_ = addChoice("周波数軸", "FrequencyAxisCombo", {Utf8Text("リニア"), Utf8Text("対数")});
  QStringList windows;
  for (const auto w : kWindows) windows << Utf8Text(analysis::WindowLabel(w));
  windowCombo_ = addChoice("窓関数", "WindowCombo", windows);
  windowCombo_->setCurrentIndex(static_cast<int>(
      std::find(kWindows.begin(), kWindows.end(), analysis::kDefaultWindow) - kWindows.begin()));
  controls->addStretch(1);
  column->addLayout(controls);

  auto* row = new QHBoxLayout;
  for (int ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[static_cast<std::size_t>(ch)];
    c.spectrumBox = new QGroupBox(Utf8Text(kChannelTitles[static_cast<std::size_t>(ch)]), page);
    c.spectrumBox->setObjectName(QStringLiteral("SpectrumBox%1").arg(ch));
    c.spectrum = new SpectrumView;
    c.spectrum->setObjectName(QStringLiteral("SpectrumView%1").arg(ch));
    c.spectrumTable = MakeFigureTable(nullptr, ch == 0 ? "SpectrumTable0" : "SpectrumTable1");
    auto* box = new QVBoxLayout(c.spectrumBox);
    box->addWidget(PlotOverTable(c.spectrum, c.spectrumTable));
    c.spectrum->Explorer().SetExports(FigureExports(*c.spectrumTable));
    row->addWidget(c.spectrumBox, 1);
  }
  column->addLayout(row, 1);

  QObject::connect(scaleCombo_, &QComboBox::currentIndexChanged, this, [this](int) {
    for (Channel& c : channels_) {
      c.spectrum->SetScale(scaleCombo_->currentIndex() == 1 ? SpectrumScale::kDensity
                                                            : SpectrumScale::kDbfs);
    }
  });
  QObject::connect(axisCombo_, &QComboBox::currentIndexChanged, this, [this](int) {
    for (Channel& c : channels_) c.spectrum->SetLogFrequency(axisCombo_->currentIndex() == 1);
  });
  QObject::connect(windowCombo_, &QComboBox::currentIndexChanged, this, [this](int) {
    // Only the spectra depend on the window; a log's spectrum is averaged with Hann.
    if (!isVisible() || stale_ || measuring_ || log_) return;
    ComputeSpectra();
    ShowSpectra();
  });
  return page;
}

int AnalysisWindow::ReferenceCount(int channel) const {
  if (reference_ == nullptr) return 0;
  const bool held = channel == 0 ? reference_->fCH0Data : reference_->fCH1Data;
  return held ? HeldCount(channel == 0 ? reference_->Ch0 : reference_->Ch1) : 0;
}

analysis::SpectrumWindow AnalysisWindow::ChosenWindow() const {
  const int i = windowCombo_->currentIndex();
  return i >= 0 && i < static_cast<int>(kWindows.size()) ? kWindows[static_cast<std::size_t>(i)]
                                                         : analysis::kDefaultWindow;
}

void AnalysisWindow::DataChanged(bool voltMode) {
  voltMode_ = voltMode;
  measuring_ = false;
  stale_ = true;
  // A log being shown stays; the data on display is computed when it is back.
  if (log_) {
    ShowHistograms();
    return;
  }
  if (isVisible()) Refresh();
}

void AnalysisWindow::RunStarted() {
  measuring_ = true;
  stale_ = true;
  if (log_) return;
  // Drop what was shown at once; nothing is computed until the run ends.
  for (Channel& c : channels_) {
    c.noise.reset();
    c.spectrumAnalysis.reset();
    c.stability.reset();
  }
  counts_ = {};
  ShowChannels();
}

void AnalysisWindow::SetReference(const RunData* reference) {
  reference_ = reference;
  stale_ = true;
  if (isVisible() && !measuring_ && !log_) Refresh();
}

void AnalysisWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_ && !measuring_ && !log_) Refresh();
}

void AnalysisWindow::Refresh() {
  Recompute();
  ShowChannels();
}

void AnalysisWindow::Recompute() {
  stale_ = false;
  const std::array<const SampleBuffer*, 2> buffers = {&data_.Ch0, &data_.Ch1};
  const std::array<bool, 2> held = {data_.fCH0Data, data_.fCH1Data};
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    counts_[ch] = held[ch] ? HeldCount(*buffers[ch]) : 0;
    c.noise.reset();
    c.stability.reset();
    if (counts_[ch] > 0) {
      c.noise = analysis::AnalyzeChannelNoise(buffers[ch]->Codes, counts_[ch], data_.Settings);
      c.stability = analysis::AnalyzeStability(
          buffers[ch]->Codes, counts_[ch], analysis::RateOfSettings(data_.Settings).value_or(0.0),
          analysis::GainOfSettings(data_.Settings), {}, static_cast<int>(ch));
    }
    c.refNoise.reset();
    c.refStability.reset();
    const int theirs = ReferenceCount(static_cast<int>(ch));
    if (counts_[ch] > 0 && theirs > 0) {
      const std::int32_t* codes = reference_->Codes(static_cast<int>(ch));
      c.refNoise = analysis::AnalyzeChannelNoise(codes, theirs, reference_->Settings);
      c.refStability = analysis::AnalyzeStability(
          codes, theirs, analysis::RateOfSettings(reference_->Settings).value_or(0.0),
          analysis::GainOfSettings(reference_->Settings), {}, static_cast<int>(ch));
    }
  }
  ComputeSpectra();
}

void AnalysisWindow::ComputeSpectra() {
  ++computations_;
  const std::array<const SampleBuffer*, 2> buffers = {&data_.Ch0, &data_.Ch1};
  const analysis::SpectrumWindow window = ChosenWindow();
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    c.spectrumAnalysis.reset();
    c.refSpectrum.reset();
    if (counts_[ch] > 0) {
      c.spectrumAnalysis =
          analysis::AnalyzeChannelSpectrum(buffers[ch]->Codes, counts_[ch], data_.Settings, window);
    }
    if (const int theirs = ReferenceCount(static_cast<int>(ch)); counts_[ch] > 0 && theirs > 0) {
      c.refSpectrum = analysis::AnalyzeChannelSpectrum(reference_->Codes(static_cast<int>(ch)),
                                                       theirs, reference_->Settings, window);
    }
  }
}

void AnalysisWindow::ShowChannels() {
  const bool any = counts_[0] > 0 || counts_[1] > 0;
  if (log_) {
    note_->setText(LogText(*log_));
  } else if (measuring_) {
    note_->setText(Utf8Text("測定中です。測定が終わると解析します。"));
  } else if (!any) {
    note_->setText(
        Utf8Text("表示中のデータがありません。測定するか、データファイルを読み込んでください。"));
  } else {
    note_->setText(SettingsText(data_.Settings, counts_));
  }
  for (std::size_t ch = 0; ch < 2; ++ch) {
    Channel& c = channels_[ch];
    // With no data at all both boxes stay, empty; otherwise only the channels with data.
    const bool shown = !any || counts_[ch] > 0;
    c.noiseBox->setVisible(shown);
    c.spectrumBox->setVisible(shown);
  }
  ShowHistograms();
  ShowSpectra();
  const auto theirs = [this](std::size_t ch) {
    const auto& r = channels_[ch].refStability;
    return !log_ && r ? &*r : nullptr;
  };
  stabilityPage_->Show({Stability(0), Stability(1)}, {theirs(0), theirs(1)});
}

void AnalysisWindow::ShowHistograms() {
  const std::optional<int> gain =
      log_ ? analysis::GainOfSettings(log_->settings) : analysis::GainOfSettings(data_.Settings);
  const std::optional<double> uvPerCode =
      gain ? std::optional<double>(MicrovoltsPerCode(*gain)) : std::nullopt;
  for (Channel& c : channels_) {
    const bool compared = !log_ && c.refNoise.has_value();
    c.histogram->SetReference(compared ? std::optional(c.refNoise->histogram) : std::nullopt);
    if (c.noise) {
      c.histogram->SetHistogram(c.noise->histogram, uvPerCode, voltMode_);
      const auto theirs =
          compared ? std::optional(analysis::NoiseFigureRows(c.refNoise->figures)) : std::nullopt;
      FillFigureTable(*c.noiseTable, analysis::NoiseFigureRows(c.noise->figures),
                      theirs ? &*theirs : nullptr);
    } else {
      c.histogram->Clear();
      c.noiseTable->setRowCount(0);
    }
  }
  MatchTableHeights(channels_[0].noiseTable, channels_[1].noiseTable);
}

void AnalysisWindow::ShowSpectra() {
  for (Channel& c : channels_) {
    const bool compared = !log_ && c.refSpectrum.has_value();
    c.spectrum->SetReference(compared ? std::optional(c.refSpectrum->spectrum) : std::nullopt);
    if (c.spectrumAnalysis) {
      c.spectrum->SetSpectrum(c.spectrumAnalysis->spectrum, c.spectrumAnalysis->figures);
      const auto theirs = compared ? std::optional(analysis::SpectrumFigureRows(
                                         c.refSpectrum->spectrum, c.refSpectrum->figures))
                                   : std::nullopt;
      FillFigureTable(
          *c.spectrumTable,
          analysis::SpectrumFigureRows(c.spectrumAnalysis->spectrum, c.spectrumAnalysis->figures),
          theirs ? &*theirs : nullptr);
    } else {
      c.spectrum->Clear();
      c.spectrumTable->setRowCount(0);
    }
  }
  MatchTableHeights(channels_[0].spectrumTable, channels_[1].spectrumTable);
}

const analysis::NoiseAnalysis* AnalysisWindow::Noise(int channel) const {
  if (channel < 0 || channel > 1) return nullptr;
  const auto& n = channels_[static_cast<std::size_t>(channel)].noise;
  return n ? &*n : nullptr;
}

const analysis::SpectrumAnalysis* AnalysisWindow::Spectrum(int channel) const {
  if (channel < 0 || channel > 1) return nullptr;
  const auto& s = channels_[static_cast<std::size_t>(channel)].spectrumAnalysis;
  return s ? &*s : nullptr;
}

const analysis::StabilityAnalysis* AnalysisWindow::Stability(int channel) const {
  if (channel < 0 || channel > 1) return nullptr;
  const auto& s = channels_[static_cast<std::size_t>(channel)].stability;
  return s ? &*s : nullptr;
}

HistogramView* AnalysisWindow::Histogram(int channel) const {
  return channels_[channel == 1 ? 1 : 0].histogram;
}
SpectrumView* AnalysisWindow::SpectrumPlot(int channel) const {
  return channels_[channel == 1 ? 1 : 0].spectrum;
}
QTableWidget* AnalysisWindow::NoiseTable(int channel) const {
  return channels_[channel == 1 ? 1 : 0].noiseTable;
}
QTableWidget* AnalysisWindow::SpectrumTable(int channel) const {
  return channels_[channel == 1 ? 1 : 0].spectrumTable;
}
QString AnalysisWindow::Note() const { return note_->text(); }

}  // namespace velqoris
