// Zoom, pan and readout of the analysis plots, and the figures they export.
#include "plots/Plot_explorer.h"

#include <gtest/gtest.h>

#include <QTableWidget>
#include <vector>

#include "analysis/Histogram.h"
#include "plots/Figure_table.h"
#include "plots/Histogram_view.h"
#include "plots/Spectrum_view.h"

namespace velqoris {
namespace {

// Full range 0 … 1000 over a plot 500 pixels wide from x = 100.
class PlotExplorerTest : public ::testing::Test {
 protected:
  PlotExplorerTest() {
    widget.resize(700, 400);
    explorer.VisibleX({0, 1000}, area);
    explorer.VisibleY({-50, 50});
  }
  PlotSpan X() { return explorer.VisibleX({0, 1000}, area); }
  QWidget widget;
  PlotExplorer explorer{widget};
  QRect area{100, 50, 500, 300};
};

TEST_F(PlotExplorerTest, WheelKeepsTheValueUnderThePointerAndStopsAtTheEnds) {
  explorer.Wheel({350, 200}, 1, false);  // 500 under the pointer, 80 % shown
  EXPECT_DOUBLE_EQ(X().low, 100);
  EXPECT_DOUBLE_EQ(X().high, 900);
  explorer.Wheel({100, 200}, 2, false);  // left edge pinned: 800 x 0.64
  EXPECT_NEAR(X().low, 100, 1e-9);
  EXPECT_NEAR(X().high, 612, 1e-9);
  explorer.Drag({100, 200}, {600, 200});  // a whole plot width right: clamped at 0
  EXPECT_NEAR(X().low, 0, 1e-9);
  EXPECT_NEAR(X().high, 512, 1e-9);
  explorer.Wheel({350, 200}, -10, false);
  EXPECT_FALSE(explorer.Zoomed());
  explorer.Wheel({350, 49}, 1, true);  // values about the top row: 50 stays on top
  const PlotSpan y = explorer.VisibleY({-50, 50});
  EXPECT_NEAR(y.high, 50, 1e-9);
  EXPECT_NEAR(y.low, -30, 1e-9);
  explorer.ZoomTo(QRect(QPoint(200, 100), QPoint(300, 200)));
  EXPECT_NEAR(X().low, 200, 1e-9);
  EXPECT_NEAR(X().high, 400, 1e-9);
  explorer.Reset();
  EXPECT_FALSE(explorer.Zoomed());
}

TEST(FigureExportTest, TableAsTabs) {
  QTableWidget* table = MakeFigureTable(nullptr, "T");
  FillFigureTable(*table, {{"標準偏差", "1,234.5", "uV"}, {"名 \"a\"", "2", ""}});
  EXPECT_EQ(FigureTableText(*table).toStdString(),
            "項目\t値\t単位\n標準偏差\t1,234.5\tuV\n名 \"a\"\t2\t\n");
  delete table;
}

TEST(HistogramReadoutTest, CodeAndCountOfTheBinUnderTheCursor) {
  const std::vector<std::int32_t> codes = {8388608, 8388610, 8388610, 8388610, 8388611};
  HistogramView view;
  view.SetHistogram(analysis::MakeHistogram(codes.data(), 5), std::nullopt, false);
  EXPECT_EQ(view.ReadoutAt(8388610.4).toStdString(), "コード 8388610  度数 3");
  EXPECT_EQ(view.ReadoutAt(8388609.0).toStdString(), "コード 8388609  度数 0");
  EXPECT_TRUE(view.ReadoutAt(8388700).isEmpty());
}

TEST(SpectrumReadoutTest, NearestBinInDbfsOrNoiseDensity) {
  analysis::Spectrum spectrum;
  spectrum.binHz = 0.5;
  for (int k = 0; k <= 40; ++k) {
    spectrum.dbfs.push_back(-100.0 - k);
    spectrum.densityNvRtHz.push_back(10.0 + 0.25 * k);
  }
  SpectrumView view;
  view.SetSpectrum(spectrum, {});
  EXPECT_EQ(view.ReadoutAt(10.2).toStdString(), "10.00 Hz  -120.0 dBFS");  // bin 20
  view.SetScale(SpectrumScale::kDensity);
  EXPECT_EQ(view.ReadoutAt(10.3).toStdString(), "10.50 Hz  15.250 nV/√Hz");  // bin 21
  EXPECT_TRUE(view.ReadoutAt(25).isEmpty());                                 // past the last bin
}

}  // namespace
}  // namespace velqoris
