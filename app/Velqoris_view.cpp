// The window's view of the data beyond the designed picture: back to the
// full view, the X axis in seconds, the statistics of the samples in view or
// between the cursors, the channels shown and their axes, and the recording
// window of データ → 連続記録....
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

#include "app/Analysis_window.h"
#include "app/Recording_window.h"
#include "app/Velqoris_main.h"
#include "app/Window_placement.h"
#include "board/Ad7190.h"
#include "graph/Axis_scale.h"
#include "graph/Graph_2ch.h"
#include "graph/Graph_navigator.h"
#include "graph/Sample_axis.h"
#include "session/Stats_line.h"
#include "stats/Run_stats.h"
#include "status/Mystatus.h"

namespace velqoris {

namespace {

template <typename Window>
constexpr bool kReadsLogs = requires(Window& w, const std::string& path) {
  w.OpenLog(path);
};

template <typename Window>
void OpenLogIn(Window& window, const std::string& path) {
  if constexpr (kReadsLogs<Window>) window.OpenLog(path);
}

}  // namespace

void TFormMain::MenuY_FullClick() {
  if (!constructed_) return;
  Navigator_->ResetView();
}

void TFormMain::MenuY_SecondsClick() {
  if (!constructed_) return;
  Graph_->SetSecondsAxis(MenuY_Seconds->isChecked());
  if (data_.HasData()) {
    Graph_->DrawAll(VoltMode());
  } else {
    Graph_->DrawEmpty(VoltMode());
  }
}

std::vector<std::string> TFormMain::StatsLinesBetween(std::int64_t first, std::int64_t last) const {
  std::vector<std::string> lines;
  if (!constructed_ || !data_.HasData()) return lines;
  for (int ch = 0; ch < 2; ++ch) {
    if (!(ch == 0 ? data_.fCH0Data : data_.fCH1Data)) continue;
    const SampleBuffer& held = ch == 0 ? data_.Ch0 : data_.Ch1;
    const auto from = std::clamp<std::int64_t>(first, 0, HeldSamples(held));
    const auto to = std::clamp<std::int64_t>(last, -1, HeldSamples(held) - 1);
    if (to < from) continue;
    SampleBuffer part;
    part.Count = static_cast<std::int32_t>(to - from + 1);
    part.Codes = held.Codes + from;
    part.Microvolts = held.Microvolts != nullptr ? held.Microvolts + from : nullptr;
    // The run's own statistics, over those samples.
    ChannelStats s;
    s.channel = ch;
    std::int32_t codeMean = 0;
    float voltMean = 0;
    CalcCodeStats(part, codeMean, s.codeSD);
    CalcVoltStats(part, voltMean, s.voltSD);
    const SampleBuffer none;
    TAxisScale extremes(ch == 0 ? part : none, ch == 1 ? part : none, data_.Settings);
    s.maxCode = ch == 0 ? extremes.MaxCodeCh0() : extremes.MaxCodeCh1();
    s.minCode = ch == 0 ? extremes.MinCodeCh0() : extremes.MinCodeCh1();
    s.maxMicrovolts = ch == 0 ? extremes.MaxMicrovoltsCh0() : extremes.MaxMicrovoltsCh1();
    s.minMicrovolts = ch == 0 ? extremes.MinMicrovoltsCh0() : extremes.MinMicrovoltsCh1();
    lines.push_back(StatsLine(s, VoltMode()));
  }
  return lines;
}

std::string TFormMain::RangeStatsText() const {
  if (!constructed_ || !data_.HasData()) return {};
  const TViewRange& range = Graph_->Range();
  const auto ends = XAxisTexts(range.First(), range.Span(), SamplesPerSecond(data_.Settings),
                               Graph_->SecondsAxisShown());
  std::string text = "表示範囲 " + ends.first + " 〜 " + ends.second;
  for (const std::string& line : StatsLinesBetween(range.First(), range.First() + range.Span())) {
    text += "\n" + line;
  }
  return text;
}

void TFormMain::MenuY_RangeStatsClick() {
  if (!constructed_ || !data_.HasData()) return;
  const std::string text = RangeStatsText();
  // Panel 2 holds one line: the channel the status bar shows.
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  std::size_t from = text.find('\n');
  if (lines == 2 && !fStatCH0) from = text.find('\n', from + 1);
  const std::size_t to = text.find('\n', from + 1);
  const std::string line = text.substr(from + 1, to == std::string::npos ? to : to - from - 1);
  rangeStatsLine_ = "表示範囲 " + line;
  Status_->SetPanelText(rangeStatsLine_, 2);
  StatusBar1->setToolTip(QString::fromStdString(text));
}

void TFormMain::ViewChanged() {
  if (!constructed_) return;
  StatusBar1->setToolTip(Graph_->Range().Zoomed() && data_.HasData()
                             ? QString::fromStdString(RangeStatsText())
                             : QString());
  if (rangeStatsLine_.empty()) return;
  // The statistics in view follow the view while panel 2 still shows them;
  // once anything else wrote there they are gone for good.
  if (data_.HasData() && Status_->PanelText(2) == QString::fromStdString(rangeStatsLine_)) {
    MenuY_RangeStatsClick();
  } else {
    rangeStatsLine_.clear();
  }
}

void TFormMain::BuildViewMenus() {
  MenuY->addSeparator();
  const auto add = [this](QAction*& action, const char* name, const char* text, bool checked) {
    action = MenuY->addAction(QString::fromUtf8(text));
    action->setObjectName(name);
    action->setCheckable(true);
    action->setChecked(checked);
    QObject::connect(action, &QAction::triggered, this, [this] { MenuY_ChannelsClick(); });
  };
  add(MenuY_Ch0, "MenuY_Ch0", "CH0 を表示", true);
  add(MenuY_Ch1, "MenuY_Ch1", "CH1 を表示", true);
  add(MenuY_PerChannel, "MenuY_PerChannel", "CH ごとに縦軸を分ける", false);
}

void TFormMain::MenuY_ChannelsClick() {
  if (!constructed_) return;
  Graph_->SetChannelShown(0, MenuY_Ch0->isChecked());
  Graph_->SetChannelShown(1, MenuY_Ch1->isChecked());
  Graph_->SetPerChannelAxes(MenuY_PerChannel->isChecked());
  if (data_.HasData()) {
    Graph_->DrawAll(VoltMode());
  } else {
    Graph_->DrawEmpty(VoltMode());
  }
}

void TFormMain::Record1Click() {
  if (!constructed_) return;
  if (recorder_ == nullptr) {
    RecordingWindow::Hooks hooks;
    // The recording opens the device on its own thread: the window's link goes first.
    hooks.releaseDevice = [this] {
      if (run_->IsBoardReady()) run_->Release();
    };
    hooks.recordingChanged = [this](bool on) { RecordingChanged(on); };
    // A finished recording opens in the analysis window once that reads logs.
    if constexpr (kReadsLogs<AnalysisWindow>) {
      hooks.openInAnalysis = [this](const std::string& path) {
        NoiseAnalysis1Click();
        if (analysis_ != nullptr) OpenLogIn(*analysis_, path);
      };
    }
    recorder_ = new RecordingWindow(device_, std::move(hooks), options_.recordingClock,
                                    options_.recordingHost, this);
    recorder_->setWindowFlag(Qt::Window);
  }
  recorder_->SetSettings(ControlsToSettings(), VoltMode());
  ShowOnScreen(*recorder_);
}

void TFormMain::RecordingChanged(bool recording) {
  recording_ = recording;
  // A run would need the device the recording holds.
  MeasureBtn->setEnabled(!recording && MeasureBtn->text() == QString::fromUtf8("測定開始"));
}

}  // namespace velqoris
