// Windows open whole on the screen's usable area: the fitting itself on
// screens small and large, and the analysis and recording windows as the
// main window opens them on the screen the test runs on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <algorithm>

#include "app/Analysis_window.h"
#include "app/Recording_window.h"
#include "app/Window_placement.h"
#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

TEST(FitInsideTest, AFrameEndsWithinTheUsableAreaShrunkOnlyWhereItIsLarger) {
  struct Case {
    const char* what;
    QRect frame;
    QRect available;
    QRect fitted;
  };
  const Case cases[] = {
      // The analysis window (1200 x 960 inside its frame) centred over the
      // main window of a 1600 x 1200 screen with a 40-pixel task bar.
      {"taller than the space above it",
       {184, -32, 1216, 1000},
       {0, 0, 1600, 1160},
       {184, 0, 1216, 1000}},
      {"on an 800 x 600 screen", {184, -32, 1216, 1000}, {0, 0, 800, 570}, {0, 0, 800, 570}},
      {"past the right and bottom edges",
       {1500, 1100, 400, 300},
       {0, 0, 1600, 1160},
       {1200, 860, 400, 300}},
      {"a task bar at the top", {100, 10, 400, 300}, {0, 40, 1920, 1040}, {100, 40, 400, 300}},
      {"on a second screen to the right",
       {1800, 100, 400, 300},
       {1920, 0, 1280, 1024},
       {1920, 100, 400, 300}},
      {"already inside", {359, 187, 808, 520}, {0, 0, 1600, 1160}, {359, 187, 808, 520}},
  };
  for (const Case& c : cases) {
    const QRect fitted = FitInside(c.frame, c.available);
    EXPECT_EQ(fitted, c.fitted) << c.what;
    EXPECT_TRUE(c.available.contains(fitted)) << c.what;
  }
}

// Lets the system show the window (a program's pace, not a clock).
bool WaitShown(QWidget* w) {
  for (int i = 0; i < 500; ++i) {
    QCoreApplication::processEvents();
    if (w->isVisible() && w->windowHandle() != nullptr && w->windowHandle()->isExposed()) {
      for (int k = 0; k < 5; ++k) QCoreApplication::processEvents();
      return true;
    }
    QThread::msleep(10);
  }
  return false;
}

class WindowPlacementTest : public WindowTest {
 protected:
  // The window's frame lies on the usable area of the screen it is on.
  static void ExpectOnScreen(const QWidget& w, const char* what) {
    const QRect available = w.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(w.frameGeometry()))
        << what << ": frame " << w.frameGeometry().x() << "," << w.frameGeometry().y() << " "
        << w.frameGeometry().width() << "x" << w.frameGeometry().height() << " on "
        << available.width() << "x" << available.height();
  }
};

TEST_F(WindowPlacementTest, TheAnalysisAndRecordingWindowsOpenWholeOnTheScreen) {
  // The program shows its main window so, at its designed place if that fits.
  ShowOnScreen(*form, FirstPlace::kAsMoved);
  ASSERT_TRUE(WaitShown(form.get()));
  ExpectOnScreen(*form, "main window");
  form->NoiseAnalysis1Click();
  AnalysisWindow* analysis = form->Analysis();
  ASSERT_NE(analysis, nullptr);
  ASSERT_TRUE(WaitShown(analysis));  // and the check with the real frame
  ExpectOnScreen(*analysis, "analysis window");
  // Not made smaller than the screen (and a title bar) asks.
  const QRect available = analysis->screen()->availableGeometry();
  const int frame = kAssumedFrame.top() + kAssumedFrame.bottom();
  EXPECT_GE(analysis->frameGeometry().height(), std::min(available.height() - frame, 960));

  form->Record1Click();
  RecordingWindow* recorder = form->Recorder();
  ASSERT_NE(recorder, nullptr);
  ASSERT_TRUE(WaitShown(recorder));
  ExpectOnScreen(*recorder, "recording window");
  analysis->close();
  recorder->close();
}

}  // namespace
}  // namespace velqoris::testing
