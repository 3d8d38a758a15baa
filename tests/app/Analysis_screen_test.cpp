// The analysis window on an X display, opened from the main window's menu
// after a two-channel run with a sine and 50 Hz pickup on CH1: screenshots of
// both pages taken from outside the program, with the bars and the spectrum
// trace on the screen. Runs under xvfb-run; skipped without a display.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QWindow>

#include <chrono>

#include "app/Analysis_window.h"
#include "plots/Histogram_view.h"
#include "app/Velqoris_main.h"
#include "board/Clock.h"
#include "message/Message_box.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

int CountNear(const QImage& shot, const QRect& area, QColor colour, int tolerance) {
  int n = 0;
  const QRect inside = area.intersected(shot.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      n += std::abs(c.red() - colour.red()) <= tolerance &&
                   std::abs(c.green() - colour.green()) <= tolerance &&
                   std::abs(c.blue() - colour.blue()) <= tolerance
               ? 1
               : 0;
    }
  }
  return n;
}

// Events run until `done` or a generous number of rounds (the X server's pace).
template <typename Done>
bool Settle(Done done) {
  for (int i = 0; i < 2000; ++i) {
    QCoreApplication::processEvents();
    if (done()) return true;
    QThread::msleep(5);
  }
  return false;
}

// The whole screen, once `seen` finds what it looks for or after 20 tries.
template <typename Seen>
QImage Shoot(const QString& path, Seen seen) {
  QImage shot;
  for (int attempt = 0; attempt < 20; ++attempt) {
    Settle([] { return false; });
    QProcess import;
    import.start("import", {"-window", "root", path});
    if (!import.waitForFinished(60000) || import.exitCode() != 0) return {};
    if (shot.load(path) && seen(shot)) break;
  }
  return shot;
}

TEST(AnalysisRealWindowTest, BothPagesReachTheScreen) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display";
  dialogs::SetBoxHandler([](const dialogs::BoxRequest&) { return 0; });
  ManualClock clock;
  VirtualBoard board(clock, 11);
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,13,0.01,-70,-80")));
  ApplySignalOption(board.Signal(), std::get<MainsOption>(ParseMainsOption("1,50,0.0001")));
  FakeEventHost host(clock, std::chrono::microseconds(100));
  FormOptions options;
  options.eventHost = &host;
  options.idleTimer = false;
  TFormMain form(board, options);
  form.show();
  form.IdleHandler();
  ASSERT_TRUE(Settle([&] { return form.windowHandle() && form.windowHandle()->isExposed(); }));

  form.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(7);  // 400 sps
  form.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(4);  // 2000
  form.findChild<QComboBox*>("ComboBox3")->setCurrentIndex(2);  // both
  form.findChild<QComboBox*>("ComboBox4")->setCurrentIndex(5);  // gain 128
  form.findChild<QPushButton*>("MeasureBtn")->click();
  for (int i = 0; i < 2000 && form.Run()->fMeasuring; ++i) {
    clock.Advance(std::chrono::milliseconds(20));
    form.IdleHandler();
  }
  ASSERT_FALSE(form.Run()->fMeasuring);

  form.findChild<QAction*>("NoiseAnalysis1")->trigger();
  AnalysisWindow* w = form.Analysis();
  ASSERT_NE(w, nullptr);
  w->move(20, 20);
  ASSERT_TRUE(Settle([&] { return w->windowHandle() && w->windowHandle()->isExposed(); }));

  const QRect bars(w->Histogram(0)->mapToGlobal(QPoint(0, 0)), w->Histogram(0)->size());
  const QImage histogram =
      Shoot(QStringLiteral(VELQORIS_ANALYSIS_SHOT_DIR "/analysis-screen-histogram.png"),
            [&](const QImage& s) { return CountNear(s, bars, QColor(150, 180, 220), 0) > 500; });
  EXPECT_GT(CountNear(histogram, bars, QColor(150, 180, 220), 0), 500);

  w->Pages()->setCurrentIndex(1);
  QWidget* plot = w->findChild<QWidget*>("SpectrumView1");
  ASSERT_NE(plot, nullptr);
  ASSERT_TRUE(Settle([&] { return plot->isVisible(); }));
  const QRect trace(plot->mapToGlobal(QPoint(0, 0)), plot->size());
  const QImage spectrum =
      Shoot(QStringLiteral(VELQORIS_ANALYSIS_SHOT_DIR "/analysis-screen-spectrum.png"),
            [&](const QImage& s) { return CountNear(s, trace, QColor(0, 70, 170), 40) > 300; });
  EXPECT_GT(CountNear(spectrum, trace, QColor(0, 70, 170), 40), 300);
  // The 50 Hz mark in green.
  EXPECT_GT(CountNear(spectrum, trace, QColor(0, 140, 0), 30), 10);
  dialogs::SetBoxHandler({});
}

}  // namespace
}  // namespace velqoris::testing
