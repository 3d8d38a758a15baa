// データ → 連続記録... on the virtual board in virtual time: a minute at 4800
// sps on both channels, the strip chart drawing both traces, the window's
// texts at the end, and the hooks into the main and the analysis window.
#include "app/Recording_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <thread>
#include <vector>

#include "datafile/Utf8_path.h"
#include "graph/Graph_2ch.h"
#include "plots/Strip_chart_view.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  return n;
}

TEST(RecordingWindowTest, AMinuteOfBothChannelsWithTheStripChartMoving) {
  ManualClock clock;
  VirtualBoard device(clock);
  testing::FakeEventHost host(clock, std::chrono::milliseconds(1));
  const std::string path = ::testing::TempDir() + "recording_window.csv";
  int released = 0;
  std::vector<bool> changes;
  std::string opened;
  RecordingWindow::Hooks hooks;
  hooks.releaseDevice = [&] { ++released; };
  hooks.recordingChanged = [&](bool on) { changes.push_back(on); };
  hooks.openInAnalysis = [&](const std::string& p) { opened = p; };
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(device, hooks, &clock, &host);
  MeasureSettings s;
  s.spsSel = 12;
  s.CHSel = 2;
  window.SetSettings(s, false);
  window.findChild<QComboBox*>("RecordDuration")->setCurrentIndex(0);  // 1 分
  ASSERT_TRUE(window.StartRecording());
  EXPECT_FALSE(window.StartRecording());  // one at a time
  std::int64_t shown = 0;
  while (window.IsRecording()) {
    window.Poll();
    shown = std::max(shown, window.History()->Count());
    std::this_thread::yield();
  }
  window.Poll();
  EXPECT_EQ(released, 1);
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(window.Current()->Snapshot().written, 4800 * 60);
  EXPECT_GT(window.History()->Count(), 0);
  EXPECT_TRUE(window.StatusText().startsWith(QString::fromUtf8("計測終了しました")));
  EXPECT_TRUE(window.StatusText().contains(QString::fromUtf8("288000 件書き込みました")));
  const QImage& chart = window.Chart()->Picture();
  EXPECT_GT(CountColour(chart, TGraph_2CH::kChannel0), 0);
  EXPECT_GT(CountColour(chart, TGraph_2CH::kChannel1), 0);
  auto* open = window.findChild<QPushButton*>("RecordOpen");
  ASSERT_TRUE(open->isEnabled());
  open->click();
  // The same file, whichever separators the test's temporary folder came with.
  EXPECT_EQ(QDir::fromNativeSeparators(QString::fromStdString(opened)),
            QDir::fromNativeSeparators(QString::fromStdString(path)));
}

TEST(RecordingWindowTest, AFileInAJapaneseFolderShowsItsSizeAndItsPathAsTheSystemWritesIt) {
  ManualClock clock;
  VirtualBoard device(clock);
  testing::FakeEventHost host(clock, std::chrono::milliseconds(1));
  testing::TempDir dir;
  const std::string folder = dir.Path("測定 データ");
  std::filesystem::create_directories(PathFromUtf8(folder));
  const std::string path = folder + "/記録.csv";
  RecordingWindow::Hooks hooks;
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(device, hooks, &clock, &host);
  MeasureSettings s;
  s.spsSel = 5;  // 100 sps
  window.SetSettings(s, false);
  window.findChild<QComboBox*>("RecordDuration")->setCurrentIndex(0);
  ASSERT_TRUE(window.StartRecording());
  while (window.IsRecording()) {
    window.Poll();
    std::this_thread::yield();
  }
  window.Poll();
  const QString shown = window.findChild<QLineEdit*>("RecordFile")->text();
  EXPECT_EQ(shown, QDir::toNativeSeparators(QString::fromStdString(path)));
#ifdef _WIN32
  EXPECT_FALSE(shown.contains('/'));
#endif
  const auto size = Utf8FileSize(path);
  ASSERT_TRUE(size.has_value());
  const QString count = window.findChild<QLabel*>("RecordCount")->text();
  EXPECT_FALSE(count.endsWith(QStringLiteral(" -"))) << count.toStdString();
  EXPECT_TRUE(count.contains(QString::fromUtf8("ファイルサイズ ") +
                             QString::number(*size / 1024.0, 'f', 1) + " KB"))
      << count.toStdString() << " for " << *size << " bytes";
}

}  // namespace
}  // namespace velqoris
