// A reference run beside the data on display: drawn behind it in muted
// colours on an axis that holds both, its statistics read from its file, and
// compared with the data in the analysis window's plots and tables.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Analysis_window.h"
#include "app/History_dialog.h"
#include "app/Stability_page.h"
#include "plots/Histogram_view.h"
#include "plots/Log_log_view.h"
#include "plots/Spectrum_view.h"
#include "tests/app/Run_file_reading.h"
#include "tests/app/Window_fixture.h"
#include "virtualboard/Signal_options.h"

namespace velqoris::testing {
namespace {

class ReferenceTest : public WindowTest {
 protected:
  void TearDown() override {
    std::remove(path.c_str());
    WindowTest::TearDown();
  }
  const std::string path = QDir::tempPath().toStdString() + "/velqoris-reference.DTA";
};

TEST_F(ReferenceTest, DrawnBehindWithItsStatisticsAndComparedInTheAnalysis) {
  // The reference: CH0 with a 2 mV sine; the data: CH0 noise only.
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("0,13,0.002")));
  ASSERT_TRUE(Measure(12, 4, 0));  // 2000 results at 4800 sps
  files->answers.push_back(path);
  Action("Save1")->trigger();
  const std::vector<std::int32_t> theirs = FileCodes(path);
  ASSERT_EQ(theirs.size(), 2000u);
  ChannelSignal quiet = board.Signal().Channel(0);
  quiet.amplitudeVolts = 0;
  board.Signal().SetChannel(0, quiet);
  ASSERT_TRUE(Measure(12, 3, 0));  // 1000 results
  const QImage alone = Bitmap().copy();
  EXPECT_EQ(CountPixels(alone, TGraph_2CH::kReference0), 0);

  files->answers.push_back(path);
  Action("ReferenceFile1")->trigger();
  EXPECT_TRUE(boxes.empty());
  EXPECT_GT(CountPixels(Bitmap(), TGraph_2CH::kReference0), 200);
  EXPECT_GT(CountPixels(Bitmap(), kRed), 200);
  // The axis holds the reference's first 1000 results (those under the data's positions).
  const auto [low, high] = std::minmax_element(theirs.begin(), theirs.begin() + 1000);
  const ValueAxis axis = form->Graph()->ShownValues();
  EXPECT_LE(axis.bottom, *low);
  EXPECT_GE(axis.bottom + axis.span, *high);
  // Its statistics, as its file gives them, below the data's own line.
  const auto lines = form->ReferenceLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "参照: velqoris-reference.DTA");
  const auto [min, max] = std::minmax_element(theirs.begin(), theirs.end());
  EXPECT_EQ(
      lines[1].rfind(
          "CH0 : 最大値：" + std::to_string(*max) + " / 最小値：" + std::to_string(*min) + " /", 0),
      0u)
      << lines[1];

  // The analysis window: plots behind, figures beside with their difference.
  Action("NoiseAnalysis1")->trigger();
  AnalysisWindow* analysis = form->Analysis();
  ASSERT_NE(analysis, nullptr);
  EXPECT_TRUE(analysis->Histogram(0)->HasReference());
  EXPECT_TRUE(analysis->SpectrumPlot(0)->HasReference());
  EXPECT_EQ(analysis->StabilityView()->AllanPlot(0)->Series().size(), 2u);
  QTableWidget* table = analysis->NoiseTable(0);
  ASSERT_EQ(table->columnCount(), 5);
  int compared = 0;
  for (int r = 0; r < table->rowCount(); ++r) {
    bool a = false, b = false, d = false;
    const double value = table->item(r, 1)->text().toDouble(&a);
    const double ref = table->item(r, 3)->text().toDouble(&b);
    const double diff = table->item(r, 4)->text().toDouble(&d);
    if (!a || !b) continue;
    ASSERT_TRUE(d) << r;
    EXPECT_NEAR(diff, value - ref, 1e-6 + 1e-9 * std::abs(value)) << r;
    ++compared;
  }
  EXPECT_GT(compared, 3);

  // Dropped: the designed picture of the data again, and no comparison.
  Action("ReferenceClear1")->trigger();
  EXPECT_EQ(Bitmap(), alone);
  EXPECT_TRUE(form->ReferenceLines().empty());
  EXPECT_FALSE(analysis->Histogram(0)->HasReference());
  EXPECT_EQ(analysis->NoiseTable(0)->columnCount(), 3);
}

TEST_F(ReferenceTest, ChosenFromTheHistory) {
  const std::string history = QDir::tempPath().toStdString() + "/velqoris-reference-history";
  QDir(QString::fromStdString(history)).removeRecursively();
  FormOptions options;
  options.historyFolder = history;
  Build(options);
  ASSERT_TRUE(Measure(12, 0, 2));
  ASSERT_TRUE(Measure(12, 1, 2));
  Action("ReferenceHistory1")->trigger();
  HistoryDialog* dialog = form->ReferenceDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitForList(*dialog));
  ASSERT_EQ(dialog->Runs().size(), 2u);
  dialog->OpenRow(1);  // the older: 100 results
  const auto lines = form->ReferenceLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(form->Data().Ch0.Count, 200);  // the data on display stays
  QDir(QString::fromStdString(history)).removeRecursively();
}

}  // namespace
}  // namespace velqoris::testing
