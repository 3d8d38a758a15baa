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

#include <algorithm>
#include <filesystem>
#include <thread>
#include <vector>

#include "datafile/Utf8_path.h"
#include "graph/Graph_2ch.h"
#include "plots/Strip_chart_view.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"
#ifdef VELQORIS_HAVE_HDF5
#include "h5log/H5_log_reader.h"
#endif

namespace velqoris {
namespace {

// The virtual board in virtual time, as every recording here runs.
struct VirtualBench {
  ManualClock clock;
  VirtualBoard device{clock};
  testing::FakeEventHost host{clock, std::chrono::milliseconds(1)};
};

void PollToTheEnd(RecordingWindow& window) {
  while (window.IsRecording()) {
    window.Poll();
    std::this_thread::yield();
  }
  window.Poll();
}

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  return n;
}

TEST(RecordingWindowTest, AMinuteOfBothChannelsWithTheStripChartMoving) {
  VirtualBench bench;
  const std::string path = ::testing::TempDir() + "recording_window.csv";
  int released = 0;
  std::vector<bool> changes;
  std::string opened;
  RecordingWindow::Hooks hooks;
  hooks.releaseDevice = [&] { ++released; };
  hooks.recordingChanged = [&](bool on) { changes.push_back(on); };
  hooks.openInAnalysis = [&](const std::string& p) { opened = p; };
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(bench.device, hooks, &bench.clock, &bench.host);
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
  VirtualBench bench;
  testing::TempDir dir;
  const std::string folder = dir.Path("測定 データ");
  std::filesystem::create_directories(PathFromUtf8(folder));
  const std::string path = folder + "/記録.csv";
  RecordingWindow::Hooks hooks;
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(bench.device, hooks, &bench.clock, &bench.host);
  MeasureSettings s;
  s.spsSel = 5;  // 100 sps
  window.SetSettings(s, false);
  window.findChild<QComboBox*>("RecordDuration")->setCurrentIndex(0);
  ASSERT_TRUE(window.StartRecording());
  PollToTheEnd(window);
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

#ifdef VELQORIS_HAVE_HDF5
TEST(RecordingWindowTest, TheFormatChoiceRenamesTheFileAndItsLabel) {
  VirtualBench bench;
  RecordingWindow window(bench.device, {}, &bench.clock, &bench.host);
  auto* format = window.findChild<QComboBox*>("RecordFormat");
  auto* file = window.findChild<QLineEdit*>("RecordFile");
  ASSERT_NE(format, nullptr);
  struct Case {
    QString name;
    int format;
    QString shown;
  };
  const Case cases[] = {
      {"a/log.csv", 1, "a/log.h5"}, {"a/log.h5", 0, "a/log.csv"},
      {"a/LOG.CSV", 1, "a/LOG.h5"}, {"a/log.txt", 1, "a/log.txt"},  // a name of the user's own
      {"a/log", 1, "a/log"},        {"a/csv.h5", 0, "a/csv.csv"},
  };
  for (const Case& c : cases) {
    format->setCurrentIndex(1 - c.format);
    file->setText(c.name);
    format->setCurrentIndex(c.format);
    EXPECT_EQ(file->text(), c.shown) << c.name.toStdString();
    EXPECT_EQ(window.Format(), c.format == 1 ? RecordingFormat::kHdf5 : RecordingFormat::kCsv);
  }
  const auto labels = window.findChildren<QLabel*>();
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* l) {
    return l->text() == QString::fromUtf8("CSV ファイル");
  }));
}

TEST(RecordingWindowTest, AnHdf5RecordingReadsBackWithItsSettings) {
  VirtualBench bench;
  testing::TempDir dir;
  // No extension: the chosen format's is added.
  const std::string path = dir.Path("記録");
  RecordingWindow::Hooks hooks;
  hooks.chooseFile = [&](QWidget*) { return std::optional<std::string>(path); };
  RecordingWindow window(bench.device, hooks, &bench.clock, &bench.host);
  MeasureSettings s;
  s.spsSel = 12;  // 4800 sps
  s.CHSel = 2;
  s.GainSel = 1;  // gain 8
  s.fCHOP_ON = 0;
  s.fBUF_ON = 1;
  window.SetSettings(s, false);
  window.findChild<QComboBox*>("RecordFormat")->setCurrentIndex(1);
  window.findChild<QComboBox*>("RecordDuration")->setCurrentIndex(0);  // 1 分
  ASSERT_TRUE(window.StartRecording());
  PollToTheEnd(window);
  const std::string file = path + ".h5";
  // Compared with the same separators: the field shows the system's own.
  EXPECT_EQ(QDir::fromNativeSeparators(window.findChild<QLineEdit*>("RecordFile")->text()),
            QDir::fromNativeSeparators(QString::fromStdString(file)));
  EXPECT_TRUE(
      window.StatusText().contains(QString::fromUtf8("HDF5 ファイルに 288000 件書き込みました")))
      << window.StatusText().toStdString();
  const auto size = Utf8FileSize(file);
  ASSERT_TRUE(size.has_value());
  // Deflated codes: well under the 4 bytes of each.
  EXPECT_LT(*size, 288000u * 2 * 4);
  EXPECT_TRUE(window.findChild<QLabel*>("RecordCount")->text().contains(" KB") ||
              window.findChild<QLabel*>("RecordCount")->text().contains(" MB"));

  const h5log::H5ReadResult read = h5log::ReadH5Log(file);
  ASSERT_EQ(read.status, h5log::H5ReadStatus::kOk) << h5log::H5ReadMessage(read, file);
  ASSERT_EQ(read.boards.size(), 1u);
  const h5log::H5BoardLog& log = read.boards.front();
  EXPECT_EQ(log.rows, 4800 * 60);
  EXPECT_DOUBLE_EQ(log.header.rateSps, 4800.0);
  EXPECT_EQ(log.header.gain, 8);
  EXPECT_TRUE(log.header.buffer);
  EXPECT_FALSE(log.header.chop);
  EXPECT_TRUE(log.header.channel[0]);
  EXPECT_TRUE(log.header.channel[1]);
  EXPECT_FALSE(log.header.boardLine.empty());
  // The 2.5 V reference over 2^23 − 1 codes, at gain 8.
  EXPECT_NEAR(log.header.microvoltsPerCode, 2.5e6 / 8388607.0 / 8, 1e-12);
  // The codes in the file are the ones the window's statistics saw.
  const Recording::Progress p = window.Current()->Snapshot();
  for (int ch = 0; ch < 2; ++ch) {
    const auto& codes = log.record.codes[ch];
    ASSERT_EQ(codes.size(), 288000u);
    double sum = 0;
    for (const std::int32_t c : codes) sum += c;
    EXPECT_NEAR(sum / static_cast<double>(codes.size()), p.stats[ch].Mean(), 1e-3);
    EXPECT_EQ(*std::min_element(codes.begin(), codes.end()), p.stats[ch].Min());
    EXPECT_EQ(*std::max_element(codes.begin(), codes.end()), p.stats[ch].Max());
  }
}
#endif

}  // namespace
}  // namespace velqoris
