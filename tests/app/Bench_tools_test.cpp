// The main graph as a bench tool: the statistics in view following the view,
// a rectangle zoom showing the rectangle, the two cursors read against the
// saved file, channels hidden and one value axis per channel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graph/Graph_navigator.h"
#include "graph/Number_pattern.h"
#include "graph/Paint_box.h"
#include "graph/Sample_axis.h"
#include "tests/app/Run_file_reading.h"
#include "tests/app/Window_fixture.h"
#include "virtualboard/Signal_options.h"

namespace velqoris::testing {
namespace {

class BenchToolsTest : public WindowTest {
 protected:
  TPaintBox* Box() const { return Find<TPaintBox>("PaintBox1"); }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent e(type, at, at, button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                  modifiers);
    QApplication::sendEvent(Box(), &e);
  }
  void Wheel(int x, int notches) {
    QWheelEvent e(QPointF(x, 180), QPointF(x, 180), QPoint(), QPoint(0, 120 * notches),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Box(), &e);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(Box(), &e);
  }
  const TViewRange& Range() const { return form->Graph()->Range(); }
  // The statistics line's extremes of codes first … last of a channel, found here.
  std::string Extremes(int ch, std::int64_t first, std::int64_t last) const {
    const std::int32_t* c = form->Data().Codes(ch);
    return "最大値：" + std::to_string(*std::max_element(c + first, c + last + 1)) + " / 最小値：" +
           std::to_string(*std::min_element(c + first, c + last + 1)) + " /";
  }
};

// A navigation fault: 表示範囲の統計 stayed as written after the view moved on.
TEST_F(BenchToolsTest, StatisticsInViewFollowTheViewOrClearThemselves) {
  ASSERT_TRUE(Measure(12, 6, 2));  // 10000 samples, both channels
  Action("MenuY_RangeStats")->trigger();
  EXPECT_NE(PanelUtf8(2).find(Extremes(0, 0, 9999)), std::string::npos) << PanelUtf8(2);
  struct Step {
    const char* what;
    std::function<void()> act;
  };
  const std::vector<Step> steps = {
      {"wheel", [&] { Wheel(280, 3); }},
      {"drag",
       [&] {
         Mouse(QEvent::MouseButtonPress, {300, 180});
         Mouse(QEvent::MouseMove, {400, 180});
         Mouse(QEvent::MouseButtonRelease, {400, 180});
       }},
      {"rectangle",
       [&] {
         Mouse(QEvent::MouseButtonPress, {100, 50}, Qt::LeftButton, Qt::ShiftModifier);
         Mouse(QEvent::MouseMove, {200, 300}, Qt::NoButton, Qt::ShiftModifier);
         Mouse(QEvent::MouseButtonRelease, {200, 300}, Qt::LeftButton, Qt::ShiftModifier);
       }},
      {"full view", [&] { Action("MenuY_Full")->trigger(); }},
  };
  for (const Step& step : steps) {
    step.act();
    const std::int64_t first = Range().First();
    const std::int64_t last = std::min<std::int64_t>(first + Range().Span(), 9999);
    EXPECT_EQ(PanelUtf8(2).rfind("表示範囲 CH0 : ", 0), 0u) << step.what;
    EXPECT_NE(PanelUtf8(2).find(Extremes(0, first, last)), std::string::npos)
        << step.what << ": " << PanelUtf8(2);
  }
  // Once the status bar shows the run's line again, the view no longer writes there.
  ClickStatusBar();
  const std::string runLine = PanelUtf8(2);
  EXPECT_EQ(runLine.rfind("CH1 : ", 0), 0u) << runLine;
  Wheel(280, 2);
  EXPECT_EQ(PanelUtf8(2), runLine);
}

// A navigation fault: a Shift rectangle showed up to 2.5 times the rectangle.
TEST_F(BenchToolsTest, TheRectangleZoomShowsTheRectangle) {
  ASSERT_TRUE(Measure(12, 6, 0));
  const int width = Bitmap().width();
  // Paint-box columns 101 … 201 are bitmap columns 100 … 200.
  const double from = Range().PositionAt(100, width);
  const double to = Range().PositionAt(200, width);
  const ValueAxis before = form->Graph()->ShownValues();
  Mouse(QEvent::MouseButtonPress, {101, 61}, Qt::LeftButton, Qt::ShiftModifier);
  Mouse(QEvent::MouseMove, {201, 151}, Qt::NoButton, Qt::ShiftModifier);
  Mouse(QEvent::MouseButtonRelease, {201, 151}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(Range().First(), std::llround(from));
  EXPECT_EQ(Range().Span(), std::llround(to) - std::llround(from));
  const double height = Bitmap().height();
  const ValueAxis after = form->Graph()->ShownValues();
  EXPECT_NEAR(after.span, before.span * 90 / height, 1e-6);
  EXPECT_NEAR(after.bottom, before.bottom + before.span * (1 - 150 / height), 1e-6);
}

TEST_F(BenchToolsTest, TwoCursorsReadTheSavedFile) {
  ASSERT_TRUE(Measure(6, 3, 2));  // 200 sps, 1000 samples, both channels
  const std::string path = QDir::tempPath().toStdString() + "/velqoris-cursors.DTA";
  files->answers.push_back(path);
  Action("Save1")->trigger();
  const auto file = DataFileLines(path);
  std::remove(path.c_str());
  ASSERT_EQ(file.size(), 1000u);
  TGraphNavigator& nav = *form->Navigator();
  // A click places A at the sample under it; a right-click places B.
  const int width = Bitmap().width();
  const auto sampleAt = [&](int boxX) { return std::llround(Range().PositionAt(boxX - 1, width)); };
  Mouse(QEvent::MouseButtonPress, {150, 100});
  Mouse(QEvent::MouseButtonRelease, {150, 100});
  ASSERT_EQ(nav.Cursor(0), sampleAt(150));
  Mouse(QEvent::MouseButtonPress, {400, 100}, Qt::RightButton);
  ASSERT_EQ(nav.Cursor(1), sampleAt(400));
  Key(Qt::Key_Right, Qt::ShiftModifier);  // B, the last placed, ten samples on
  Key(Qt::Key_Left);
  const std::int64_t a = *nav.Cursor(0);
  const std::int64_t b = *nav.Cursor(1);
  ASSERT_EQ(b, sampleAt(400) + 9);
  const auto lines = nav.CursorLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "A: No." + std::to_string(a + 1) + "  " + SecondsText(a / 200.0, 200) +
                          "s  CH0: " + std::to_string(file[a].first) +
                          "  CH1: " + std::to_string(file[a].second));
  const std::int64_t n = b - a;
  EXPECT_EQ(lines[2], "Δ " + std::to_string(n) + " 点  Δt " + SecondsText(n / 200.0, 200) +
                          "s  1/Δt " + FormatFixed(200.0 / n, 4) +
                          "Hz  ΔCH0: " + std::to_string(file[b].first - file[a].first) +
                          "  ΔCH1: " + std::to_string(file[b].second - file[a].second));
  // The statistics of the samples between the cursors, both ends included.
  std::vector<std::int32_t> ch0, ch1;
  for (std::int64_t i = a; i <= b; ++i) {
    ch0.push_back(file[i].first);
    ch1.push_back(file[i].second);
  }
  EXPECT_NE(
      lines[3].find("最大値：" + std::to_string(*std::max_element(ch0.begin(), ch0.end())) +
                    " / 最小値：" + std::to_string(*std::min_element(ch0.begin(), ch0.end()))),
      std::string::npos)
      << lines[3];
  EXPECT_EQ(lines[4].rfind(
                "CH1 : 最大値：" + std::to_string(*std::max_element(ch1.begin(), ch1.end())), 0),
            0u)
      << lines[4];
  // Cursor A dragged: pressed on its line, moved, let go.
  const int column = static_cast<int>(form->Graph()->ColumnOfSample(a)) + 1;
  Mouse(QEvent::MouseButtonPress, {column, 200});
  Mouse(QEvent::MouseMove, {column + 50, 200});
  Mouse(QEvent::MouseButtonRelease, {column + 50, 200});
  EXPECT_EQ(nav.Cursor(0), sampleAt(column + 50));
  EXPECT_FALSE(Range().Zoomed());  // the drag moved the cursor, not the view
  Key(Qt::Key_Escape);
  EXPECT_TRUE(nav.CursorLines().empty());
}

// Pixel rows of the plot holding a colour.
std::pair<int, int> RowsOf(const QImage& image, QRgb colour) {
  int top = image.height(), bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) | 0xff000000) != colour) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return {top, bottom};
}

TEST_F(BenchToolsTest, ChannelsHiddenAndOneAxisPerChannel) {
  // CH1 a 10 mV sine, CH0 a few codes of noise: on one axis CH0 is a flat line.
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,13,0.01")));
  ASSERT_TRUE(Measure(12, 3, 2));
  const int h = Bitmap().height();
  const auto flat = RowsOf(Bitmap(), kRed);
  EXPECT_LE(flat.second - flat.first, 3);

  Action("MenuY_PerChannel")->trigger();
  const auto red = RowsOf(Bitmap(), kRed);
  const auto blue = RowsOf(Bitmap(), kBlue);
  const int middle = (h - 1) / 2;
  EXPECT_GE(red.first, 0);
  EXPECT_LT(red.second, middle);                  // CH0 in the upper half …
  EXPECT_GT(red.second - red.first, middle / 4);  // … standing out of its noise
  EXPECT_GE(blue.first, middle);                  // CH1 in the lower half
  // The labels: CH0's axis above the middle line, CH1's from it down.
  const std::int32_t* c0 = form->Data().Codes(0);
  const std::int32_t* c1 = form->Data().Codes(1);
  EXPECT_GE(std::stol(LabelText("Label1").toStdString()), *std::max_element(c0, c0 + 1000));
  EXPECT_GE(std::stol(LabelText("Label6").toStdString()), *std::max_element(c1, c1 + 1000));
  EXPECT_LE(std::stol(LabelText("Label11").toStdString()), *std::min_element(c1, c1 + 1000));
  EXPECT_LT(
      std::stol(LabelText("Label1").toStdString()) - std::stol(LabelText("Label5").toStdString()),
      1000);

  // CH1 hidden: CH0 alone on the whole plot, no blue.
  Action("MenuY_PerChannel")->trigger();
  Action("MenuY_Ch1")->trigger();
  EXPECT_EQ(CountPixels(Bitmap(), kBlue), 0);
  const auto alone = RowsOf(Bitmap(), kRed);
  EXPECT_GT(alone.second - alone.first, h / 4);
  Action("MenuY_Ch1")->trigger();
  EXPECT_EQ(RowsOf(Bitmap(), kRed), flat);  // the designed picture again
}

}  // namespace
}  // namespace velqoris::testing
