// The sweep's picture: every typical and measured figure gets its mark.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>

#include "plots/Sweep_plot.h"
#include "session/Sweep_run.h"
#include "tests/session/Long_run_fixture.h"

namespace velqoris::testing {
namespace {

constexpr int k4800 = 12;
constexpr int kGain8 = 1, kGain128 = 5;

class SweepRunTest : public LongRunTest {
 protected:
  void SetUp() override { Connect(k4800, 0); }

  SweepPlan Plan(int count) {
    SweepPlan plan;
    plan.count = count;
    return plan;
  }
};

int SeriesPixels(const QImage& image) {
  int n = 0;
  for (int y = 60; y <= 500; ++y) {
    for (int x = 90; x <= 650; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) >
          40) {
        ++n;
      }
    }
  }
  return n;
}

TEST_F(SweepRunTest, ThePictureMarksEveryFigureEvenALoneOne) {
  SweepPlan plan = Plan(100);
  plan.rateSels = {k4800};
  plan.gainSels = {kGain8, kGain128};
  int typicalOnly = 0;
  {
    // One rate, every setting refused: the typical figures are still drawn.
    device.Faults().refusedCommands = {"SG1", "SG5"};
    SweepRun sweep(run, plan);
    ASSERT_TRUE(sweep.Run({}, {}, {}, {}));
    ASSERT_EQ(sweep.Cell(0, 0).end, RunEnd::kRefused);
    typicalOnly = SeriesPixels(SweepPicture(sweep));
    EXPECT_GT(typicalOnly, 2 * 20) << "a marker for each gain's typical figure";
  }
  {
    device.Faults().refusedCommands.clear();
    SweepRun sweep(run, plan);
    ASSERT_TRUE(sweep.Run({}, {}, {}, {}));
    ASSERT_EQ(sweep.Cell(0, 1).end, RunEnd::kComplete);
    // The measured dots come on top.
    EXPECT_GT(SeriesPixels(SweepPicture(sweep)), typicalOnly + 2 * 20);
  }
}

}  // namespace
}  // namespace velqoris::testing
