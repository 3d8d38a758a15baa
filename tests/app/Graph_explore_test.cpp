// The main graph under the mouse after a two-channel run of 10000 samples:
// wheel, Ctrl-wheel, drag and double-click through the paint box's events,
// the menu items of the view, and the statistics of the samples in view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "graph/Paint_box.h"
#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

class GraphExploreTest : public WindowTest {
 protected:
  TPaintBox* Box() const { return Find<TPaintBox>("PaintBox1"); }
  void Wheel(int x, int notches, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent e(QPointF(x, 180), QPointF(x, 180), QPoint(), QPoint(0, 120 * notches),
                  Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Box(), &e);
  }
  void Mouse(QEvent::Type type, int x) {
    QMouseEvent e(type, QPointF(x, 180), QPointF(x, 180), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(Box(), &e);
  }
  const TViewRange& Range() const { return form->Graph()->Range(); }
};

TEST_F(GraphExploreTest, WheelDragAndDoubleClickReturnToTheDesignedPicture) {
  ASSERT_TRUE(Measure(12, 6, 2));
  const QImage designed = Bitmap().copy();
  ASSERT_EQ(LabelText("Label16"), "10000");
  // Mid-plot (bitmap column 279 of 558): three notches, 10000 → 5000 → 2000 → 1000.
  Wheel(280, 3);
  EXPECT_EQ(Range().Span(), 1000);
  EXPECT_EQ(Range().First(), 4500);  // 4999.5 - 500, rounded
  EXPECT_EQ(LabelText("Label16"), "5501");
  EXPECT_NE(Bitmap(), designed);
  // A drag 100 pixels right shows 100 / 556 of the span earlier samples.
  Mouse(QEvent::MouseButtonPress, 300);
  Mouse(QEvent::MouseMove, 400);
  Mouse(QEvent::MouseButtonRelease, 400);
  EXPECT_EQ(Range().First(), 4500 - 180);
  Wheel(280, 1, Qt::ControlModifier);
  EXPECT_TRUE(Range().ManualY());

  // The statistics in view: those of samples 4320 … 5320 of each channel.
  const std::string stats = form->RangeStatsText();
  EXPECT_EQ(stats.rfind("表示範囲 4321 〜 5321\nCH0 : 最大値：", 0), 0u) << stats;
  const std::int32_t* codes = form->Data().Codes(1);
  const std::int32_t max1 = *std::max_element(codes + 4320, codes + 5321);
  EXPECT_NE(stats.find("\nCH1 : 最大値：" + std::to_string(max1) + " /"), std::string::npos)
      << stats;
  Action("MenuY_RangeStats")->trigger();
  EXPECT_EQ(PanelUtf8(2).rfind("表示範囲 CH0 : 最大値：", 0), 0u) << PanelUtf8(2);

  Mouse(QEvent::MouseButtonDblClick, 300);
  EXPECT_FALSE(Range().Zoomed());
  EXPECT_EQ(Bitmap(), designed);
  EXPECT_EQ(LabelText("Label16"), "10000");
}

TEST_F(GraphExploreTest, SecondsAxisAndTheMenuItemsOfTheView) {
  ASSERT_TRUE(Measure(12, 3, 0));  // 1000 samples at 4800 sps
  Action("MenuY_Seconds")->trigger();
  EXPECT_EQ(LabelText("Label15"), "0.00000");
  EXPECT_EQ(LabelText("Label16"), "0.20813s");  // sample 1000 at 999 / 4800 s
  Wheel(280, 1);
  ASSERT_TRUE(Range().Zoomed());
  Action("MenuY_Full")->trigger();
  EXPECT_FALSE(Range().Zoomed());
  EXPECT_EQ(Find<QMenu>("Data1")->actions().last(), Action("Record1"));
  EXPECT_EQ(Action("Record1")->text(), QString::fromUtf8("連続記録..."));
}

}  // namespace
}  // namespace velqoris::testing
