// velqoris-cli stats, plot and export end to end, on files written by the
// window's file code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPalette>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "datafile/Myfile.h"
#include "graph/Axis_scale.h"
#include "graph/Graph_2ch.h"
#include "graph/Paint_box.h"
#include "plots/Graph_area.h"
#include "plots/Window_font.h"
#include "session/Run_data.h"
#include "session/Run_file.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// Writes a file with the window's writer: codes per channel of chSel.
std::string Save(const TempDir& dir, const std::string& name, int chSel, int gainSel,
                 const std::function<std::int32_t(int ch, int i)>& code, int count = 100) {
  RunData data;
  data.Settings.CHSel = chSel;
  data.Settings.GainSel = gainSel;
  data.Settings.spsSel = 12;
  data.Settings.DataCountSel = 0;
  for (int i = 0; i < count; ++i) {
    data.Ch0.Codes[i] = code(0, i);
    data.Ch1.Codes[i] = code(1, i);
  }
  data.Ch0.Count = chSel == 1 ? 0 : count;
  data.Ch1.Count = chSel == 0 ? 0 : count;
  TmyFile file([](const std::string&) { return true; });
  const std::string path = dir.Path(name);
  EXPECT_TRUE(SaveRun(file, path, data));
  return path;
}

std::int32_t Alternating(int i, std::int32_t low, std::int32_t high) {
  return i % 2 == 0 ? low : high;
}

TEST(CliStatsTest, PrintsTheStatusLineOfEachChannelHeld) {
  TempDir dir;
  const auto ch0 =
      Save(dir, "ch0.DTA", 0, 0, [](int, int i) { return Alternating(i, 8388600, 8388610); });
  CliResult r = RunCli({"stats", ch0});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "CH0 : 最大値：8388610 / 最小値：8388600 / pp値：10 digit / 標準偏差：5.00 digit\n");
  r = RunCli({"stats", ch0, "--volt"});
  EXPECT_EQ(r.out,
            "CH0 : 最大値：0.60[uV] / 最小値：-2.38[uV] / pp値：2.98[uV] / 標準偏差：1.49[uV]\n");

  // Gain 32 from the file's GainSel 3 divides the microvolts.
  const auto ch1 = Save(dir, "ch1.DTA", 1, 3,
                        [](int, int i) { return Alternating(i, 8388608 - 3200, 8388608 + 3200); });
  r = RunCli({"stats", "--volt", ch1});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "CH1 : 最大値：29.8[uV] / 最小値：-29.8[uV] / pp値：59.6[uV] / 標準偏差：29.8[uV]\n");
  r = RunCli({"stats", ch1});
  EXPECT_EQ(
      r.out,
      "CH1 : 最大値：8391808 / 最小値：8385408 / pp値：6400 digit / 標準偏差：3200.0 digit\n");

  const auto both = Save(dir, "both.DTA", 2, 0, [](int ch, int i) {
    return ch == 0 ? Alternating(i, 8388600, 8388610) : Alternating(i, 100, 300);
  });
  r = RunCli({"stats", both});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "CH0 : 最大値：8388610 / 最小値：8388600 / pp値：10 digit / 標準偏差：5.00 digit");
  EXPECT_EQ(lines[1], "CH1 : 最大値：300 / 最小値：100 / pp値：200 digit / 標準偏差：100.0 digit");
}

TEST(CliStatsTest, AFileThatIsNotCorrectIsExitFourForEveryFileCommand) {
  TempDir dir;
  const std::string good =
      ReadFile(Save(dir, "good.DTA", 0, 0, [](int, int i) { return 8388600 + i; }));
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir.Path(name), std::ios::binary) << text;
    return dir.Path(name);
  };
  auto replace = [&](std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::vector<std::string> bad = {
      write("garbage.DTA", "hello\r\n"),
      write("cut.DTA", good.substr(0, good.size() / 2)),
      write("channel.DTA", replace(good, "CHSel:0", "CHSel:5")),
      write("gain.DTA", replace(good, "GainSel:0", "GainSel:9")),  // readable, but no such gain
      dir.Path("absent.DTA"),
  };
  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"stats", path},
                                               {"plot", path, "--png", dir.Path("x.png")},
                                               {"export", path, "--csv", dir.Path("x.csv")}}) {
      const CliResult r = RunCli(args);
      EXPECT_EQ(r.exitCode, 4) << args[0];
      // The file is named, and the line the reader stopped at.
      if (path == dir.Path("absent.DTA")) {
        EXPECT_EQ(r.err, "ファイルが見つかりません: " + path + "\n");
      } else {
        EXPECT_EQ(r.err.rfind("データファイルの内容が正しくありませんでした: " + path + " (", 0),
                  0u)
            << r.err;
        EXPECT_NE(r.err.find(" 行目)\n"), std::string::npos) << r.err;
      }
      EXPECT_TRUE(r.out.empty());
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.csv")));
}

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

struct Drawn {
  QImage bitmap;
  std::vector<QRect> labels;  // in the graph area's coordinates
};

// The graph drawn here, in a paint box of the window's size, for comparison.
Drawn WindowBitmap(const std::string& path, bool voltMode) {
  RunData data;
  TmyFile file([](const std::string&) { return false; });
  EXPECT_TRUE(LoadRun(file, path, data));
  TAxisScale scale(data.Ch0, data.Ch1, data.Settings);
  data.ConvertAll();
  QWidget parent;
  parent.setFont(WindowFont());
  TPaintBox box(&parent);
  box.setGeometry(72, 24, 560, 369);
  std::array<QLabel*, 11> y{};
  std::array<QLabel*, 2> x{};
  for (auto& l : y) l = new QLabel(&parent);
  for (auto& l : x) l = new QLabel(&parent);
  TGraph_2CH graph(box, data.Ch0, data.Ch1, data.Settings, y, x);
  graph.SetEventPump([] {});
  graph.DrawAll(voltMode);
  Drawn drawn{graph.Bitmap().convertToFormat(QImage::Format_RGB32), {}};
  for (QLabel* l : y) drawn.labels.push_back(l->geometry());
  for (QLabel* l : x) drawn.labels.push_back(l->geometry());
  return drawn;
}

TEST(CliPlotTest, WritesTheWindowsGraphAreaWithItsTraces) {
  TempDir dir;
  std::mt19937 random(7);
  const auto noisy = [&](int ch, int) {
    return static_cast<std::int32_t>((ch == 0 ? 8388000 : 8395000) + random() % 400);
  };
  struct Case {
    int chSel;
    bool red, blue;
  };
  for (const Case c : {Case{0, true, false}, Case{1, false, true}, Case{2, true, true}}) {
    SCOPED_TRACE(c.chSel);
    const auto path = Save(dir, "p" + std::to_string(c.chSel) + ".DTA", c.chSel, 0, noisy, 1000);
    const std::string png = dir.Path("p" + std::to_string(c.chSel) + ".png");
    const CliResult r = RunCli({"plot", path, "--png", png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    image = image.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(640, 440));
    EXPECT_EQ(CountColour(image, TGraph_2CH::kChannel0) > 100, c.red);
    EXPECT_EQ(CountColour(image, TGraph_2CH::kChannel1) > 100, c.blue);
    // The window's face colour around the graph.
    EXPECT_EQ(image.pixel(3, 3), QApplication::palette().color(QPalette::Button).rgb());
    EXPECT_EQ(image.pixel(636, 436), image.pixel(3, 3));
    // The plot bitmap, pixel for pixel, with its top-left corner at (73, 25),
    // where the axis labels do not lie over it.
    const Drawn drawn = WindowBitmap(path, false);
    ASSERT_EQ(drawn.bitmap.size(), QSize(558, 367));
    int compared = 0;
    int differing = 0;
    for (int y = 0; y < 367; ++y) {
      for (int x = 0; x < 558; ++x) {
        const QPoint at(73 + x, 25 + y);
        bool underLabel = false;
        for (const QRect& r : drawn.labels) underLabel = underLabel || r.contains(at);
        if (underLabel) continue;
        ++compared;
        differing += image.pixel(at) != drawn.bitmap.pixel(x, y) ? 1 : 0;
      }
    }
    EXPECT_GT(compared, 550 * 360);
    EXPECT_EQ(differing, 0);
  }
}

TEST(CliPlotTest, VoltModeRelabelsAndAnUnwritablePngIsExitFive) {
  TempDir dir;
  const auto path = Save(dir, "v.DTA", 0, 0, [](int, int i) { return 8388608 + (i % 7) * 30; });
  ASSERT_EQ(RunCli({"plot", path, "--png", dir.Path("codes.png")}).exitCode, 0);
  ASSERT_EQ(RunCli({"plot", path, "--png", dir.Path("volts.png"), "--volt"}).exitCode, 0);
  const QImage codes(QString::fromStdString(dir.Path("codes.png")));
  const QImage volts(QString::fromStdString(dir.Path("volts.png")));
  EXPECT_NE(codes.copy(0, 0, 72, 440), volts.copy(0, 0, 72, 440));  // the Y labels differ

  const CliResult r = RunCli({"plot", path, "--png", dir.Path("no/such/dir/out.png")});
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_TRUE(Has(r.err, "PNG")) << r.err;
}

TEST(CliPlotTest, AFileWithoutSamplesGivesTheWindowsEmptyGraph) {
  TempDir dir;
  const auto path = Save(
      dir, "empty.DTA", 2, 5, [](int, int) { return 0; }, 0);
  for (const bool volt : {false, true}) {
    SCOPED_TRACE(volt);
    const std::string png = dir.Path(volt ? "ev.png" : "ec.png");
    std::vector<std::string> args = {"plot", path, "--png", png};
    if (volt) args.push_back("--volt");
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    // The empty graph as the window draws it at the first idle pass, here.
    RunData data;
    data.Settings.Gain = 128;
    GraphArea area;
    TGraph_2CH graph(area.PaintBox(), data.Ch0, data.Ch1, data.Settings, area.YLabels(),
                     area.XLabels());
    graph.DrawEmpty(volt);
    EXPECT_EQ(area.YLabels()[0]->text(), volt ? "0.12" : "8388608");
    EXPECT_EQ(image, area.Picture().convertToFormat(QImage::Format_RGB32));
  }
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    cells.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return cells;
    start = comma + 1;
  }
}

TEST(CliExportTest, TheCsvGivesBackTheLoadedCodesAndTheirMicrovolts) {
  TempDir dir;
  std::mt19937 random(11);
  for (const int chSel : {0, 1, 2}) {
    SCOPED_TRACE(chSel);
    const auto path = Save(
        dir, "e" + std::to_string(chSel) + ".DTA", chSel, 5,
        [&](int, int) { return static_cast<std::int32_t>(random() % 16777216); }, 250);
    const std::string csv = dir.Path("e.csv");
    const CliResult r = RunCli({"export", path, "--csv", csv, "--force"});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    RunData loaded;
    TmyFile file([](const std::string&) { return false; });
    ASSERT_TRUE(LoadRun(file, path, loaded));
    TAxisScale scale(loaded.Ch0, loaded.Ch1, loaded.Settings);
    ASSERT_EQ(loaded.Settings.Gain, 128);

    const auto lines = Lines(ReadFile(csv));
    ASSERT_EQ(lines.size(), 251u);
    const std::vector<int> channels = chSel == 2 ? std::vector<int>{0, 1} : std::vector<int>{chSel};
    std::string header = "sample";
    for (int ch : channels) {
      header += ",ch" + std::to_string(ch) + "_code,ch" + std::to_string(ch) + "_uV";
    }
    EXPECT_EQ(lines[0], header);
    for (int i = 0; i < 250; ++i) {
      const auto cells = Split(lines[static_cast<std::size_t>(i) + 1]);
      ASSERT_EQ(cells.size(), 1 + 2 * channels.size());
      EXPECT_EQ(cells[0], std::to_string(i + 1));
      for (std::size_t k = 0; k < channels.size(); ++k) {
        const std::int32_t code = loaded.Codes(channels[k])[i];
        EXPECT_EQ(cells[1 + 2 * k], std::to_string(code));
        // Nine significant digits give the window's float32 back exactly.
        EXPECT_EQ(std::strtof(cells[2 + 2 * k].c_str(), nullptr), scale.CodeToMicrovolts(code));
      }
    }
  }
  const auto path = Save(dir, "w.DTA", 0, 0, [](int, int i) { return i; });
  const CliResult r = RunCli({"export", path, "--csv", dir.Path("no/such/dir/out.csv")});
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_TRUE(Has(r.err, "CSV")) << r.err;
}

}  // namespace
}  // namespace velqoris::testing
