// データ → 連続表示 on the virtual board in virtual time: the graph on the
// last N results while it runs, the settings greyed, the statistics over
// the results on screen; 測定停止 makes them the data on display, the saved
// file and the history's, with the statistics the file gives.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Analysis_window.h"
#include "session/Live_window.h"
#include "tests/app/Run_file_reading.h"
#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

// The status line's codes statistics, computed here as the status line defines them.
std::string CodeStatsLine(const std::vector<std::int32_t>& k) {
  const auto [min, max] = std::minmax_element(k.begin(), k.end());
  double sum = 0;
  for (const auto c : k) sum += c;
  const auto mean = static_cast<std::int64_t>(sum / static_cast<double>(k.size()));
  double squares = 0;
  for (const auto c : k) squares += static_cast<double>(c - mean) * static_cast<double>(c - mean);
  const auto sd = static_cast<float>(std::sqrt(squares / static_cast<double>(k.size())));
  char deviation[32];
  std::snprintf(deviation, sizeof deviation, sd >= 10 ? "%.1f" : "%.2f", sd);
  return "CH0 : 最大値：" + std::to_string(*max) + " / 最小値：" + std::to_string(*min) +
         " / pp値：" + std::to_string(*max - *min) + " digit / 標準偏差：" + deviation + " digit";
}

class LiveViewTest : public WindowTest {};

TEST_F(LiveViewTest, RunsUntilStoppedAndTheResultsOnScreenBecomeTheData) {
  const std::string history = QDir::tempPath().toStdString() + "/velqoris-live-history";
  QDir(QString::fromStdString(history)).removeRecursively();
  FormOptions options;
  options.historyFolder = history;
  Build(options);
  Choose(12, 3, 0);  // 4800 sps, 1000 on screen, CH0
  Action("LiveView1")->trigger();
  ASSERT_TRUE(form->LiveRunning());
  EXPECT_EQ(MeasureBtn()->text().toStdString(), "測定停止");
  EXPECT_TRUE(MeasureBtn()->isEnabled());
  EXPECT_FALSE(Combo(1)->isEnabled());
  EXPECT_FALSE(Radio("Sinc3_RB")->isEnabled());
  EXPECT_EQ(PanelUtf8(1), "連続表示中です");
  // Two seconds of virtual time: far more results than the window holds.
  for (int i = 0; i < 200; ++i) Pass(ms(10));
  ASSERT_TRUE(form->LiveRunning());
  EXPECT_EQ(form->Data().Ch0.Count, 1000);
  EXPECT_EQ(LabelText("Label16").toStdString(), "1000");
  const std::vector<std::int32_t> onScreen(form->Data().Codes(0), form->Data().Codes(0) + 1000);
  EXPECT_EQ(PanelUtf8(2), CodeStatsLine(onScreen));

  Press();  // 測定停止
  EXPECT_FALSE(form->LiveRunning());
  EXPECT_TRUE(Combo(1)->isEnabled());
  EXPECT_EQ(PanelUtf8(1), "計測中止しました");
  ASSERT_EQ(form->Data().Ch0.Count, 1000);
  const std::vector<std::int32_t> kept(form->Data().Codes(0), form->Data().Codes(0) + 1000);
  EXPECT_EQ(kept, onScreen);  // not a result more or less than the picture showed
  EXPECT_EQ(PanelUtf8(2), CodeStatsLine(kept));
  // Saved, the file holds exactly those results, and so does the history.
  const std::string path = QDir::tempPath().toStdString() + "/velqoris-live.DTA";
  files->answers.push_back(path);
  Action("Save1")->trigger();
  EXPECT_EQ(FileCodes(path), kept);
  std::remove(path.c_str());
  const QStringList names = QDir(QString::fromStdString(history)).entryList({"*.DTA"}, QDir::Files);
  ASSERT_EQ(names.size(), 1);
  EXPECT_EQ(FileCodes(history + "/" + names[0].toStdString()), kept);
  QDir(QString::fromStdString(history)).removeRecursively();
  // The board was let go: an ordinary run identifies it again and runs.
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_EQ(form->Data().Ch0.Count, 100);
}

// One start command asks for at most 1,048,575 results: the live view goes
// on with the next one, and the picture keeps the latest results.
TEST_F(LiveViewTest, GoesOnPastOneStartCommand) {
  Choose(12, 0, 0);  // 4800 sps, 100 on screen, CH0
  Action("LiveView1")->trigger();
  const auto starts = [&] {
    int n = 0;
    for (const auto& c : board.Commands()) n += !c.empty() && c[0] == 'A' ? 1 : 0;
    return n;
  };
  EXPECT_EQ(starts(), 1);
  // 240 s of virtual time: more than the 218 s one start command lasts.
  for (int i = 0; i < 480 && form->LiveRunning(); ++i) Pass(ms(500));
  ASSERT_TRUE(form->LiveRunning());
  EXPECT_EQ(starts(), 2);
  EXPECT_EQ(form->Data().Ch0.Count, 100);
  Press();
  EXPECT_EQ(form->Data().Ch0.Count, 100);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(LiveViewTest, StoppedBeforeTenResultsKeepsNothing) {
  Choose(0, 3, 2);  // 5 sps
  Action("LiveView1")->trigger();
  ASSERT_TRUE(form->LiveRunning());
  for (int i = 0; i < 10; ++i) Pass(ms(100));  // one second: about five results
  Action("LiveView1")->trigger();              // the menu item stops it too
  EXPECT_FALSE(form->LiveRunning());
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(PanelUtf8(2), "");
}

}  // namespace
}  // namespace velqoris::testing
