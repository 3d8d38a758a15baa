// The recording window's own settings: shown as the main window hands them
// over, changed there, and recorded as changed; the strip chart with one
// axis per channel and the unit following the main window while it records.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "app/Recording_settings.h"
#include "app/Recording_window.h"
#include "graph/Graph_2ch.h"
#include "plots/Strip_chart_view.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

// Rows of a colour in the picture: the first and the last.
std::pair<int, int> RowsOf(const QImage& image, QRgb colour) {
  int top = image.height(), bottom = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != colour) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  return {top, bottom};
}

TEST(RecordingSettingsTest, ChangedInTheWindowAndRecordedSo) {
  ManualClock clock;
  VirtualBoard device(clock);
  // CH1 a 10 mV sine, CH0 a few codes of noise.
  ApplySignalOption(device.Signal(), std::get<SineOption>(ParseSineOption("1,13,0.01")));
  testing::FakeEventHost host(clock, std::chrono::milliseconds(1));
  const std::string path = ::testing::TempDir() + "recording_settings.csv";
  RecordingWindow::Hooks hooks;
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(device, hooks, &clock, &host);
  MeasureSettings s;
  s.spsSel = 5;  // 100 sps
  s.CHSel = 0;
  s.GainSel = 2;
  window.SetSettings(s, false);
  const auto combo = [&](const char* name) { return window.findChild<QComboBox*>(name); };
  EXPECT_EQ(combo("RecordRate")->currentText().toStdString(), "100 sps");
  EXPECT_EQ(combo("RecordGain")->currentText().toStdString(), "16");
  EXPECT_EQ(combo("RecordChannel")->currentIndex(), 0);
  // The user records both channels at 1200 sps, gain 1, Sinc3, chopping on.
  combo("RecordRate")->setCurrentIndex(10);
  combo("RecordChannel")->setCurrentIndex(2);
  combo("RecordGain")->setCurrentIndex(0);
  combo("RecordFilter")->setCurrentIndex(0);
  combo("RecordChop")->setCurrentIndex(1);
  combo("RecordDuration")->setCurrentIndex(0);  // 1 分
  ASSERT_TRUE(window.StartRecording());
  EXPECT_FALSE(window.SettingsPanel()->isEnabled());
  while (window.IsRecording()) {
    window.Poll();
    std::this_thread::yield();
  }
  window.Poll();
  EXPECT_TRUE(window.SettingsPanel()->isEnabled());
  EXPECT_EQ(window.Current()->Snapshot().written, 1200 * 60);
  std::ifstream in(path);
  std::string header((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(header.find("1200"), std::string::npos);
  // The board got exactly those settings: Sinc3, chopping on, gain index 0.
  const auto& sent = device.Commands();
  EXPECT_NE(std::find(sent.begin(), sent.end(), "S3"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "SC1"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "SG0"), sent.end());

  // One axis: CH0 flat under the sine; one per channel: CH0 fills its half.
  const QImage& chart = window.Chart()->Picture();
  const auto flat = RowsOf(chart, TGraph_2CH::kChannel0);
  EXPECT_LE(flat.second - flat.first, 4);
  window.findChild<QCheckBox*>("RecordPerChannel")->setChecked(true);
  ASSERT_TRUE(window.Chart()->TwoPanes());
  const auto upper = RowsOf(window.Chart()->Picture(), TGraph_2CH::kChannel0);
  const auto lower = RowsOf(window.Chart()->Picture(), TGraph_2CH::kChannel1);
  const int half = window.Chart()->Picture().height() / 2;
  EXPECT_LT(upper.second, half);
  EXPECT_GT(upper.second - upper.first, half / 4);
  EXPECT_GE(lower.first, half);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace velqoris
