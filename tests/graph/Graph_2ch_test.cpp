#include "graph/Graph_2ch.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace velqoris {
namespace {

// The window's design size: paint box 560 x 369 at (72, 24), bitmap 558 x 367.
constexpr int kLeft = 72, kTop = 24, kBmpW = 558, kBmpH = 367;
constexpr int kGridRows[] = {0, 36, 73, 109, 146, 183, 219, 256, 292, 329, 366};
constexpr int kGridCols[] = {0, 55, 111, 167, 222, 278, 334, 389, 445, 501, 557};

struct Extent {
  int count = 0, minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
};

class GraphTest : public ::testing::Test {
 protected:
  GraphTest()
      : codes0(kSampleCapacity, 0),
        codes1(kSampleCapacity, 0),
        uv0(kSampleCapacity, 0.0f),
        uv1(kSampleCapacity, 0.0f) {
    window.resize(800, 460);
    // Digits 6 pixels wide, as in the window: seven of them fit a 50-pixel column.
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    window.setFont(font);
    paintBox = new TPaintBox(&window);
    paintBox->setGeometry(kLeft, kTop, 560, 369);
    for (auto& label : yLabels) label = new QLabel("8388608", &window);
    for (auto& label : xLabels) label = new QLabel("Label", &window);
    ch0 = {0, codes0.data(), uv0.data()};
    ch1 = {0, codes1.data(), uv1.data()};
    graph = std::make_unique<TGraph_2CH>(*paintBox, ch0, ch1, settings, yLabels, xLabels);
    graph->SetEventPump([this] { ++pumps; });
  }

  void FillRamp(std::vector<std::int32_t>& codes, SampleBuffer& buffer, int count,
                std::int32_t start, int step = 1) {
    for (int i = 0; i < count; ++i) codes[static_cast<std::size_t>(i)] = start + step * i;
    buffer.Count = count;
  }
  void Convert(SampleBuffer& buffer) {
    for (int i = 0; i < buffer.Count; ++i)
      buffer.Microvolts[i] = graph->CodeToMicrovolts(buffer.Codes[i]);
  }

  QRgb Pixel(int x, int y) const { return graph->Bitmap().pixel(x, y); }
  Extent Find(QRgb colour) const {
    Extent e;
    const QImage& image = graph->Bitmap();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == colour) {
          ++e.count;
          e.minX = std::min(e.minX, x);
          e.maxX = std::max(e.maxX, x);
          e.minY = std::min(e.minY, y);
          e.maxY = std::max(e.maxY, y);
        }
    return e;
  }
  int CodeY(std::int32_t code) const {
    const TAxisScale& a = graph->Axis();
    return static_cast<int>(kBmpH * (1.0 - static_cast<double>(code - a.CodeBottom) / a.CodeSpan));
  }
  std::vector<std::string> YTexts() const {
    std::vector<std::string> texts;
    for (QLabel* label : yLabels) texts.push_back(label->text().toStdString());
    return texts;
  }
  int YTop(int i) const {
    return kTop + 1 + (kBmpH * i) / 10 - yLabels[static_cast<std::size_t>(i)]->height() / 2;
  }

  QWidget window;
  TPaintBox* paintBox = nullptr;
  std::array<QLabel*, 11> yLabels{};
  std::array<QLabel*, 2> xLabels{};
  std::vector<std::int32_t> codes0, codes1;
  std::vector<float> uv0, uv1;
  SampleBuffer ch0, ch1;
  MeasureSettings settings;
  std::unique_ptr<TGraph_2CH> graph;
  int pumps = 0;
};

TEST_F(GraphTest, BitmapIsThePaintBoxLessTwo) {
  EXPECT_EQ(graph->Bitmap().width(), kBmpW);
  EXPECT_EQ(graph->Bitmap().height(), kBmpH);
}

TEST_F(GraphTest, EmptyGridOnWhite) {
  graph->DrawEmpty(false);
  for (int y : kGridRows) EXPECT_EQ(Pixel(20, y), TGraph_2CH::kGrid) << "row " << y;
  for (int x : kGridCols) EXPECT_EQ(Pixel(x, 20), TGraph_2CH::kGrid) << "column " << x;
  EXPECT_EQ(Pixel(20, 37), TGraph_2CH::kBackground);
  EXPECT_EQ(Pixel(56, 20), TGraph_2CH::kBackground);
  EXPECT_EQ(Pixel(300, 300), TGraph_2CH::kBackground);
  // Every pixel is grid or background; rows and columns cross at 10 x 10 pixels
  // (the last row and column stop short of each other).
  const Extent grid = Find(TGraph_2CH::kGrid);
  const Extent white = Find(TGraph_2CH::kBackground);
  EXPECT_EQ(grid.count + white.count, kBmpW * kBmpH);
  EXPECT_EQ(grid.count, 11 * (kBmpW - 1) + 11 * (kBmpH - 1) - 10 * 10);
}

TEST_F(GraphTest, GridLinesLeaveTheirEndPointsOut) {
  graph->DrawEmpty(false);
  // The bottom row stops before x = 557 and the last column before y = 366.
  EXPECT_EQ(Pixel(556, 366), TGraph_2CH::kGrid);
  EXPECT_EQ(Pixel(557, 365), TGraph_2CH::kGrid);
  EXPECT_EQ(Pixel(557, 366), TGraph_2CH::kBackground);
}

TEST_F(GraphTest, DrawEmptyCodeLabels) {
  graph->DrawEmpty(false);
  EXPECT_EQ(YTexts(), (std::vector<std::string>{"8388608", "8388598", "8388588", "8388578",
                                                "8388568", "8388558", "8388548", "8388538",
                                                "8388528", "8388518", "8388508"}));
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->x(), kLeft - 50);
    EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->y(), YTop(i)) << i;
  }
  EXPECT_EQ(xLabels[0]->text(), "1");
  EXPECT_EQ(xLabels[1]->text(), "1000");
  EXPECT_EQ(xLabels[0]->pos(), QPoint(kLeft, kTop + kBmpH + 10));
  EXPECT_EQ(xLabels[1]->x() + xLabels[1]->width(), kLeft + kBmpW);
  EXPECT_EQ(xLabels[1]->y(), kTop + kBmpH + 10);
}

TEST_F(GraphTest, DrawEmptyVoltLabelsAreRightAligned) {
  graph->DrawEmpty(true);
  EXPECT_EQ(yLabels[0]->text(), "14.90");
  EXPECT_EQ(yLabels[5]->text(), "0.00");
  EXPECT_EQ(yLabels[10]->text(), "-14.90");
  for (QLabel* label : yLabels) EXPECT_EQ(label->x() + label->width(), kLeft - 3);
  EXPECT_GT(yLabels[10]->width(), yLabels[5]->width());  // width follows the text

  settings.Gain = 128;
  graph->DrawEmpty(true);
  EXPECT_EQ(yLabels[0]->text(), "0.12");
  EXPECT_EQ(yLabels[10]->text(), "-0.12");
}

TEST_F(GraphTest, LabelsTooWideForTheirColumnStayWholeAndOffThePlot) {
  // Codes at both ends of the 32-bit range, as a data file may hold them.
  codes0[0] = std::numeric_limits<std::int32_t>::min();
  for (int i = 1; i < 20; ++i) codes0[static_cast<std::size_t>(i)] = kMidScaleCode;
  ch0.Count = 20;
  Convert(ch0);
  EXPECT_LT(uv0[0], 0.0f);  // the conversion does not wrap round
  for (const bool volt : {false, true}) {
    graph->DrawAll(volt);
    for (QLabel* label : yLabels) {
      EXPECT_GE(label->x(), 0) << label->text().toStdString();
      EXPECT_LE(label->x() + label->width(), kLeft) << label->text().toStdString();
    }
  }
  // A small span far from zero: the longest microvolt labels, "-199.99990mV" and
  // the like, are wider than the space left of the plot and start at the window's edge.
  settings.Gain = 1;
  for (int i = 0; i < 20; ++i) codes0[static_cast<std::size_t>(i)] = 7717522;
  Convert(ch0);
  graph->DrawAll(true);
  QLabel* widest = *std::max_element(yLabels.begin(), yLabels.end(),
                                     [](QLabel* a, QLabel* b) { return a->width() < b->width(); });
  ASSERT_GT(widest->width(), kLeft - 3);
  EXPECT_EQ(widest->x(), 0);
}

TEST_F(GraphTest, DrawAllWithNoDataKeepsYLabels) {
  for (QLabel* label : yLabels) label->setText("keep");
  graph->DrawAll(false);
  for (QLabel* label : yLabels) EXPECT_EQ(label->text(), "keep");
  EXPECT_EQ(xLabels[0]->text(), "1");
  EXPECT_EQ(xLabels[1]->text(), "100");
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
  EXPECT_EQ(Find(TGraph_2CH::kChannel1).count, 0);
  EXPECT_EQ(Pixel(20, 36), TGraph_2CH::kGrid);
}

TEST_F(GraphTest, DrawAllCodeLabelsAndTraces) {
  FillRamp(codes0, ch0, 21, 8388600);
  graph->DrawAll(false);
  EXPECT_EQ(yLabels[0]->text(), "8388634");
  EXPECT_EQ(yLabels[10]->text(), "8388584");
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->x(), kLeft - 50);
    EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->y(), YTop(i));
  }
  EXPECT_EQ(Pixel(1, CodeY(8388600)), TGraph_2CH::kChannel0);  // first sample at x = 1
  EXPECT_EQ(Find(TGraph_2CH::kChannel1).count, 0);
}

TEST_F(GraphTest, PendingEventsRunBetweenGridAndTraces) {
  FillRamp(codes0, ch0, 100, 8388600);
  int redSeen = -1;
  QRgb gridSeen = 0;
  graph->SetEventPump([&] {
    redSeen = Find(TGraph_2CH::kChannel0).count;
    gridSeen = Pixel(20, 36);
  });
  graph->DrawAll(false);
  EXPECT_EQ(redSeen, 0);
  EXPECT_EQ(gridSeen, TGraph_2CH::kGrid);
  EXPECT_GT(Find(TGraph_2CH::kChannel0).count, 0);
}

TEST_F(GraphTest, ShortRunFillsTheLeftHalf) {
  FillRamp(codes0, ch0, 50, 8388600);
  graph->DrawAll(false);
  EXPECT_EQ(xLabels[1]->text(), "100");
  // dx = 556 / 99; sample 49 lands at x = trunc(49 dx) + 1 = 276, not painted itself.
  const Extent red = Find(TGraph_2CH::kChannel0);
  EXPECT_EQ(red.minX, 1);
  EXPECT_EQ(red.maxX, 275);
  EXPECT_NE(Pixel(276, CodeY(8388649)), TGraph_2CH::kChannel0);
}

TEST_F(GraphTest, ChannelNeedsTenSamples) {
  FillRamp(codes0, ch0, 9, 8388600);
  graph->DrawAll(false);
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
  ch0.Count = 10;
  graph->DrawAll(false);
  EXPECT_GT(Find(TGraph_2CH::kChannel0).count, 0);
}

TEST_F(GraphTest, RedAndBlueTracesBlueOnTop) {
  settings.CHSel = 2;
  FillRamp(codes0, ch0, 1000, 8390000, 1);  // upper part of the axis
  FillRamp(codes1, ch1, 1000, 8389000, 0);  // a flat line below
  graph->DrawAll(false);
  const Extent red = Find(TGraph_2CH::kChannel0);
  const Extent blue = Find(TGraph_2CH::kChannel1);
  ASSERT_GT(red.count, 0);
  ASSERT_GT(blue.count, 0);
  EXPECT_LT(red.maxY, blue.minY);
  EXPECT_EQ(blue.minY, blue.maxY);
  EXPECT_EQ(blue.minX, 1);
  EXPECT_GE(blue.maxX, kBmpW - 4);

  // Where both pass through the same pixels, channel 1 wins.
  FillRamp(codes0, ch0, 1000, 8389000, 0);
  graph->DrawAll(false);
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
}

TEST_F(GraphTest, ChannelOneAloneSpansTheFullWidth) {
  settings.CHSel = 1;
  FillRamp(codes1, ch1, 1000, 8388000);
  graph->DrawAll(false);
  EXPECT_EQ(xLabels[1]->text(), "1000");
  const Extent blue = Find(TGraph_2CH::kChannel1);
  EXPECT_EQ(blue.minX, 1);
  EXPECT_GE(blue.maxX, kBmpW - 4);
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
}

TEST_F(GraphTest, VoltModeUsesMicrovoltAxis) {
  FillRamp(codes0, ch0, 21, 8388600);
  Convert(ch0);
  graph->DrawAll(true);
  EXPECT_EQ(yLabels[0]->text(), "6.0uV");
  EXPECT_EQ(yLabels[10]->text(), "-4.0uV");
  for (QLabel* label : yLabels) EXPECT_EQ(label->x() + label->width(), kLeft - 3);
  // -2.384 uV on a 10 uV axis from -4: y = trunc(367 * (1 - 1.616 / 10)).
  const double fraction = (static_cast<double>(uv0[0]) + 4.0) / 10.0;
  EXPECT_EQ(Pixel(1, static_cast<int>(kBmpH * (1.0 - fraction))), TGraph_2CH::kChannel0);
}

TEST_F(GraphTest, DrawAxesShowsHeldDataWithoutTraces) {
  FillRamp(codes0, ch0, 21, 8388600);
  Convert(ch0);
  graph->DrawAll(true);
  graph->DrawAxes(true);  // the microvolt axis of the last full drawing
  EXPECT_EQ(yLabels[0]->text(), "6.0uV");
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
  EXPECT_EQ(xLabels[1]->text(), "100");

  FillRamp(codes0, ch0, 300, 8000000, 100);
  graph->DrawAxes(false);  // code labels rescan the data
  EXPECT_EQ(yLabels[10]->text().toStdString(), std::to_string(graph->Axis().CodeBottom));
  EXPECT_EQ(graph->Axis().MaxCode, 8000000 + 299 * 100);
  EXPECT_EQ(xLabels[1]->text(), "300");
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
  EXPECT_EQ(pumps, 1);  // only DrawAll lets events run
}

TEST_F(GraphTest, LiveBlockWithZeroCounts) {
  for (int i = 0; i < 400; ++i) {
    codes0[static_cast<std::size_t>(i)] = 8388000 + (i % 7) * 3;
    codes1[static_cast<std::size_t>(i)] = 8388000 - (i % 5) * 2;
  }
  codes0[100] = 0;  // outside the block: must not widen the axis
  for (int chSel : {0, 1, 2}) {
    settings.CHSel = chSel;
    graph->DrawBlock(false, 200, 299);
    EXPECT_EQ(xLabels[0]->text(), "201");
    EXPECT_EQ(xLabels[1]->text(), "300");
    for (int i = 0; i < 11; ++i) {
      EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->x(), kLeft - 67);
      EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->y(), YTop(i));
    }
    EXPECT_LE(graph->Axis().CodeSpan, 50);
    const Extent red = Find(TGraph_2CH::kChannel0);
    const Extent blue = Find(TGraph_2CH::kChannel1);
    EXPECT_EQ(red.count > 0, chSel != 1) << chSel;
    EXPECT_EQ(blue.count > 0, chSel != 0) << chSel;
    const Extent& drawn = chSel == 0 ? red : blue;
    EXPECT_EQ(drawn.minX, 1);
    EXPECT_GE(drawn.maxX, kBmpW - 3);
    if (chSel == 0) {
      // Each of the 99 segments starts where its sample lies.
      const float dx = static_cast<float>(556.0 / 99);
      for (int i = 200; i < 299; ++i) {
        const int x = static_cast<int>((i - 200) * static_cast<double>(dx)) + 1;
        EXPECT_EQ(Pixel(x, CodeY(codes0[static_cast<std::size_t>(i)])), TGraph_2CH::kChannel0) << i;
      }
    }
  }
  EXPECT_EQ(ch0.Count, 0);
  EXPECT_EQ(codes0[200], 8388000 + (200 % 7) * 3);  // the graph never writes a buffer
}

TEST_F(GraphTest, LiveBlockInVolts) {
  settings.CHSel = 0;
  for (int i = 0; i < 100; ++i) {
    codes0[static_cast<std::size_t>(i)] = 8388608 + i;
    uv0[static_cast<std::size_t>(i)] = graph->CodeToMicrovolts(8388608 + i);
  }
  graph->DrawBlock(true, 0, 99);
  EXPECT_EQ(yLabels[0]->text().right(2), "uV");
  for (QLabel* label : yLabels) EXPECT_EQ(label->x() + label->width(), kLeft - 3);
  EXPECT_GT(Find(TGraph_2CH::kChannel0).count, 0);
}

TEST_F(GraphTest, OddBlockRangesStayInsideTheArrays) {
  graph->DrawBlock(false, 5, 5);
  EXPECT_EQ(Find(TGraph_2CH::kChannel0).count, 0);
  graph->DrawBlock(false, kSampleCapacity - 50, kSampleCapacity + 1000);
  EXPECT_EQ(xLabels[1]->text().toStdString(), std::to_string(kSampleCapacity));
  graph->DrawBlock(false, -20, 10);
  EXPECT_EQ(xLabels[0]->text(), "1");
}

TEST_F(GraphTest, ResizeDrawsNothingAndMovesNoLabel) {
  FillRamp(codes0, ch0, 200, 8388600);
  graph->DrawAll(false);
  const QImage before = graph->Bitmap().copy();
  std::vector<QPoint> positions;
  for (QLabel* label : yLabels) positions.push_back(label->pos());
  const QPoint right = xLabels[1]->pos();
  const std::vector<std::string> texts = YTexts();

  paintBox->setGeometry(kLeft, kTop, 402, 302);
  graph->Resize();
  EXPECT_EQ(graph->Bitmap().size(), QSize(400, 300));
  EXPECT_EQ(graph->Bitmap().copy(0, 0, 400, 300), before.copy(0, 0, 400, 300));
  for (int i = 0; i < 11; ++i)
    EXPECT_EQ(yLabels[static_cast<std::size_t>(i)]->pos(), positions[static_cast<std::size_t>(i)]);
  EXPECT_EQ(xLabels[1]->pos(), right);
  EXPECT_EQ(YTexts(), texts);

  graph->DrawAll(false);
  EXPECT_EQ(xLabels[1]->y(), kTop + 300 + 10);
  EXPECT_EQ(xLabels[1]->x() + xLabels[1]->width(), kLeft + 400);
  EXPECT_EQ(Pixel(399, 299), TGraph_2CH::kBackground);  // the new corner end point
  EXPECT_EQ(Pixel(398, 299), TGraph_2CH::kGrid);
}

TEST_F(GraphTest, PaintBoxShowsTheBitmapInsideItsMargin) {
  graph->DrawEmpty(false);
  int painted = 0;
  paintBox->onPaint = [&] { ++painted; };
  const QImage shown = paintBox->grab().toImage();
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(paintBox->DestRect(), QRect(1, 1, kBmpW, kBmpH));
  EXPECT_EQ(shown.pixel(1, 1), TGraph_2CH::kGrid);  // bitmap (0, 0)
  EXPECT_EQ(shown.pixel(1 + 20, 1 + 20), TGraph_2CH::kBackground);
  EXPECT_EQ(shown.pixel(1 + 56, 1 + 36), TGraph_2CH::kGrid);
  graph->Repaint();
  EXPECT_EQ(paintBox->Picture(), &graph->Bitmap());
}

TEST_F(GraphTest, DestroyedGraphLeavesNoPictureBehind) {
  graph->DrawEmpty(false);
  graph.reset();
  EXPECT_EQ(paintBox->Picture(), nullptr);
  paintBox->grab();  // paints without the bitmap
}

// Zoomed in both ways and in volts, then back: the designed picture and
// labels again, pixel for pixel, with the legend and cursor nowhere in it.
TEST_F(GraphTest, ZoomedAndBackIsTheDesignedPictureAgain) {
  settings.CHSel = 2;
  FillRamp(codes0, ch0, 10000, 8380000, 3);
  FillRamp(codes1, ch1, 10000, 8390000, -1);
  Convert(ch0);
  Convert(ch1);
  for (const bool volt : {false, true}) {
    graph->DrawAll(volt);
    const QImage designed = graph->Bitmap().copy();
    const std::vector<std::string> labels = YTexts();
    const QString right = xLabels[1]->text();
    graph->Range().WheelX(0.3, 8);
    graph->Range().WheelY(0.5, 2, graph->ShownValues(), volt);
    graph->DrawAll(volt);
    EXPECT_NE(graph->Bitmap(), designed);
    // 20 positions about 0.3 x 9999 = 2999.7: 2994 … 3014, one-based 3015.
    EXPECT_EQ(xLabels[1]->text(), "3015");
    graph->Range().Reset();
    graph->DrawAll(volt);
    EXPECT_EQ(graph->Bitmap(), designed);
    EXPECT_EQ(YTexts(), labels);
    EXPECT_EQ(xLabels[1]->text(), right);
  }
}

TEST_F(GraphTest, GettersForwardToTheScale) {
  FillRamp(codes0, ch0, 10, 8388600);
  FillRamp(codes1, ch1, 10, 100);
  EXPECT_EQ(graph->MaxCodeCh0(), 8388609);
  EXPECT_EQ(graph->MinCodeCh0(), 8388600);
  EXPECT_EQ(graph->MaxCodeCh1(), 109);
  EXPECT_EQ(graph->MinCodeCh1(), 100);
  EXPECT_FLOAT_EQ(graph->MaxMicrovoltsCh0(), graph->CodeToMicrovolts(8388609));
  EXPECT_FLOAT_EQ(graph->MinMicrovoltsCh0(), graph->CodeToMicrovolts(8388600));
  EXPECT_FLOAT_EQ(graph->MaxMicrovoltsCh1(), graph->CodeToMicrovolts(109));
  EXPECT_FLOAT_EQ(graph->MinMicrovoltsCh1(), graph->CodeToMicrovolts(100));
}

}  // namespace
}  // namespace velqoris
