// The plotted data out: each analysis plot's curve written as CSV and read
// back against values computed here from the same data, the figures table's
// numeric CSV with its reason column, the optional byte-order mark, and the
// stability plots' faults (labels over the curves, an axis past Nyquist).
#include <gtest/gtest.h>

#include <QImage>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/Histogram.h"
#include "analysis/Stability_analysis.h"
#include "plots/Csv_text.h"
#include "plots/Figure_table.h"
#include "plots/Histogram_view.h"
#include "plots/Label_place.h"
#include "plots/Log_log_view.h"
#include "plots/Spectrum_view.h"
#include "plots/Stability_plots.h"
#include "tests/support/Temp_files.h"

namespace velqoris {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A plain CSV reader written for the test: quoted fields, "" inside quotes.
Rows ParseCsv(const std::string& text) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\n') {
      row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
    } else {
      field += c;
    }
  }
  return rows;
}

class PlotDataOutTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCsvByteOrderMark(false); }
  // Written through the plot's own menu path, read back from the file.
  Rows WrittenAndRead(PlotExplorer& explorer, bool curve) {
    const std::string path = files.Path(curve ? "curve.csv" : "table.csv");
    EXPECT_TRUE(curve ? explorer.SaveCurveCsv(QString::fromStdString(path))
                      : explorer.SaveCsv(QString::fromStdString(path)));
    std::string bytes = testing::ReadFile(path);
    EXPECT_EQ(bytes.rfind(kUtf8Bom, 0) == 0, CsvByteOrderMark());
    if (CsvByteOrderMark()) bytes.erase(0, 3);
    return ParseCsv(bytes);
  }
  testing::TempDir files;
};

TEST_F(PlotDataOutTest, SpectrumBinsReadBackAsThePlotHoldsThem) {
  analysis::Spectrum spectrum;
  spectrum.binHz = 4800.0 / 1024;
  for (int k = 0; k <= 512; ++k) {
    spectrum.dbfs.push_back(-140.0 + 20 * std::sin(k * 0.1));
    spectrum.densityNvRtHz.push_back(std::pow(10.0, 1 + std::cos(k * 0.05)));
  }
  SpectrumView view;
  view.SetSpectrum(spectrum, {});
  SetCsvByteOrderMark(true);
  const Rows rows = WrittenAndRead(view.Explorer(), true);
  ASSERT_EQ(rows.size(), 514u);
  EXPECT_EQ(rows[0][0], "周波数 (Hz)");
  for (int k = 0; k <= 512; ++k) {
    const auto& r = rows[static_cast<std::size_t>(k) + 1];
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(std::stod(r[0]), k * (4800.0 / 1024)) << k;
    EXPECT_EQ(std::stod(r[1]), -140.0 + 20 * std::sin(k * 0.1)) << k;
    EXPECT_EQ(std::stod(r[2]), std::pow(10.0, 1 + std::cos(k * 0.05))) << k;
  }
}

TEST_F(PlotDataOutTest, HistogramBinsCountTheCodesTheyCover) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 40);
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 5000; ++i) codes.push_back(8388608 + static_cast<int>(noise(random)));
  HistogramView view;
  const double uvPerCode = 2500000.0 / 8388607;
  view.SetHistogram(analysis::MakeHistogram(codes.data(), 5000), uvPerCode, true);
  const Rows rows = WrittenAndRead(view.Explorer(), true);
  ASSERT_GT(rows.size(), 2u);
  int total = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const long low = std::stol(rows[i][0]);
    const long high = std::stol(rows[i][1]);
    const auto inside = std::count_if(codes.begin(), codes.end(),
                                      [&](std::int32_t c) { return c >= low && c <= high; });
    EXPECT_EQ(std::stol(rows[i][3]), inside) << low;
    EXPECT_NEAR(std::stod(rows[i][2]), ((low + high) / 2.0 - 8388608) * uvPerCode, 1e-9);
    total += std::stoi(rows[i][3]);
  }
  EXPECT_EQ(total, 5000);
}

TEST_F(PlotDataOutTest, AllanPointsWithErrorBarsAndTheAveragedSpectrum) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0, 20);
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 20000; ++i) codes.push_back(8388608 + static_cast<int>(noise(random)));
  const analysis::StabilityAnalysis a =
      analysis::AnalyzeStability(codes.data(), 20000, 4800, 1, {}, 0);
  LogLogView allan;
  ShowAllanDeviation(allan, a);
  const Rows points = WrittenAndRead(allan.Explorer(), true);
  ASSERT_EQ(points.size(), a.allan.points.size() + 1);
  for (std::size_t i = 0; i < a.allan.points.size(); ++i) {
    const auto& p = a.allan.points[i];
    const double v = p.nanovolts ? *p.nanovolts : p.codes;
    EXPECT_EQ(std::stod(points[i + 1][0]), p.tauSeconds);
    EXPECT_EQ(std::stod(points[i + 1][1]), v);
    EXPECT_EQ(std::stod(points[i + 1][2]), v * p.lowFraction);
    EXPECT_EQ(std::stod(points[i + 1][3]), v * p.highFraction);
  }
  // A navigation fault: the averaged spectrum's axis ran on to the next
  // decade (10 kHz) past the Nyquist frequency of 2400 Hz.
  LogLogView spectrum;
  ShowAveragedSpectrum(spectrum, a);
  spectrum.resize(760, 330);
  (void)spectrum.grab();
  EXPECT_DOUBLE_EQ(spectrum.XHigh(), 2400.0);
  const Rows density = WrittenAndRead(spectrum.Explorer(), true);
  ASSERT_GT(density.size(), 10u);
  EXPECT_LE(std::stod(density.back()[0]), 2400.0);
}

TEST_F(PlotDataOutTest, FiguresCsvIsNumericWithTheReasonApart) {
  QTableWidget* table = MakeFigureTable(nullptr, "T");
  FillFigureTable(*table, {{"標準偏差", "1.2345", "uV"},
                           {"SNR", "—", "dB"},
                           {"ノイズフリー分解能", "24 以上", "bit"},
                           {"注意", analysis::kOverRangeNote, ""},
                           {"名 \"a\"", "-2", ""}});
  QWidget plot;
  PlotExplorer explorer(plot, FigureExports(*table));
  const Rows rows = WrittenAndRead(explorer, false);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"項目", "値", "単位", "理由"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"標準偏差", "1.2345", "uV", ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"SNR", "", "dB", "値なし"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"ノイズフリー分解能", "", "bit", "24 以上"}));
  EXPECT_EQ(rows[4], (std::vector<std::string>{"注意", "", "", analysis::kOverRangeNote}));
  EXPECT_EQ(rows[5], (std::vector<std::string>{"名 \"a\"", "-2", "", ""}));
  // The clipboard keeps the table as it is shown.
  EXPECT_EQ(FigureTableText(*table).toStdString().substr(0, 18), "項目\t値\t単位\n");
  delete table;
}

// Compared with a reference: each figure beside the reference's of the same
// label and unit (a label may come twice, in two units) and their difference.
TEST_F(PlotDataOutTest, FiguresBesideTheReferencesWithTheirDifference) {
  QTableWidget* table = MakeFigureTable(nullptr, "T");
  const std::vector<analysis::FigureRow> ours = {
      {"ドリフト", "974.0", "uV/時"}, {"ドリフト", "3268", "digit/時"}, {"SNR", "—", "dB"}};
  const std::vector<analysis::FigureRow> theirs = {
      {"SNR", "71.3", "dB"}, {"ドリフト", "-87", "digit/時"}, {"ドリフト", "-26.5", "uV/時"}};
  FillFigureTable(*table, ours, &theirs);
  QWidget plot;
  PlotExplorer explorer(plot, FigureExports(*table));
  const Rows rows = WrittenAndRead(explorer, false);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"項目", "値", "単位", "理由", "参照", "差"}));
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"ドリフト", "974.0", "uV/時", "", "-26.5", "1000.5"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"ドリフト", "3268", "digit/時", "", "-87", "3355"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"SNR", "", "dB", "値なし", "71.3", ""}));
  delete table;
}

// A navigation fault: the minimum and white-level labels were drawn over the
// curves. Cases put the curve where the label used to go.
struct LabelCase {
  const char* name;
  std::vector<double> y;  // over x = 1 … 10^(n-1)
  double level;
  bool errors;
};

class StabilityLabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(StabilityLabelTest, TheLevelLabelStaysClearOfTheCurve) {
  const LabelCase c = GetParam();
  LogLogSeries s;
  s.points = c.errors;
  for (std::size_t i = 0; i < c.y.size(); ++i) {
    s.x.push_back(std::pow(10.0, static_cast<double>(i) / 2));
    s.y.push_back(c.y[i]);
    if (c.errors) {
      s.low.push_back(c.y[i] * 0.7);
      s.high.push_back(c.y[i] * 1.3);
    }
  }
  LogLogView view;
  view.resize(420, 260);
  view.SetPlot({s}, "x", "y", LogLogMark{c.level, QStringLiteral("最小 12.34 nV (τ = 1 s)")});
  const QImage image = view.grab().toImage();
  ASSERT_EQ(view.LabelPlaces().size(), 1u);
  const QRect label = view.LabelPlaces()[0].toAlignedRect().adjusted(1, 1, -1, -1);
  // The series is dark blue; the label green: no blue pixel inside the label.
  int blue = 0;
  for (int y = label.top(); y <= label.bottom(); ++y) {
    for (int x = label.left(); x <= label.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (p.blue() > p.red() + 60 && p.blue() > p.green() + 40) ++blue;
    }
  }
  EXPECT_EQ(blue, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Curves, StabilityLabelTest,
    ::testing::Values(
        // The minimum at the right end, where the label sat right above the line.
        LabelCase{"minimum last", {100, 60, 40, 30, 22, 18, 15, 13, 12.34}, 12.34, true},
        // A flat curve just above the level over the right half.
        LabelCase{"flat right", {50, 30, 20, 13, 12.5, 12.6, 12.5, 12.6, 12.5}, 12.34, false},
        // A valley in the middle, the curve high at both ends.
        LabelCase{"valley", {80, 40, 20, 13, 12.34, 13, 20, 40, 80}, 12.34, false},
        // The curve crosses the right end just above the line.
        LabelCase{"rising", {12.34, 20, 40, 60, 30, 15, 13, 12.8, 12.6}, 12.34, true}));

// Where a label may go: the first candidate no segment crosses, else the one
// crossed least; a label already placed is never covered.
TEST(LabelPlaceTest, FirstClearCandidate) {
  const std::vector<Polyline> curves = {{{0, 0}, {100, 100}}, {{50, 0}, {50, 10}}};
  EXPECT_EQ(CrossingsOf(QRectF(40, 40, 20, 20), curves), 1);  // the diagonal
  EXPECT_EQ(CrossingsOf(QRectF(45, 2, 10, 5), curves), 1);    // the error bar inside
  EXPECT_EQ(CrossingsOf(QRectF(60, 5, 30, 10), curves), 0);   // above the diagonal
  EXPECT_EQ(ClearPlace({QRectF(40, 40, 20, 20), QRectF(60, 5, 30, 10)}, curves),
            QRectF(60, 5, 30, 10));
  EXPECT_EQ(
      ClearPlace({QRectF(60, 5, 30, 10), QRectF(0, 80, 20, 10)}, curves, {QRectF(70, 0, 5, 20)}),
      QRectF(0, 80, 20, 10));
  // Nothing clear: the one crossed least.
  EXPECT_EQ(ClearPlace({QRectF(0, 0, 100, 100), QRectF(40, 40, 20, 20)}, curves),
            QRectF(40, 40, 20, 20));
}

}  // namespace
}  // namespace velqoris
