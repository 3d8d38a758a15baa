// The real window on an X display: a two-channel run, then a screenshot of
// the whole screen taken from outside the program, with red and blue trace
// pixels inside the plot. Runs under xvfb-run; skipped without a display.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <chrono>
#include <memory>

#include "app/Velqoris_main.h"
#include "board/Clock.h"
#include "graph/Paint_box.h"
#include "message/Message_box.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

int Count(const QImage& shot, const QRect& area, QRgb colour) {
  int n = 0;
  const QRect inside = area.intersected(shot.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      n += (shot.pixel(x, y) | 0xff000000) == colour ? 1 : 0;
    }
  }
  return n;
}

// Lets the window reach the screen: events run until `done` or a generous
// number of rounds (the X server's pace, not a measured time).
template <typename Done>
bool Settle(Done done) {
  for (int i = 0; i < 2000; ++i) {
    QCoreApplication::processEvents();
    if (done()) return true;
    QThread::msleep(5);
  }
  return false;
}

TEST(RealWindowTest, ARunShowsRedAndBlueTracesOnTheScreen) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display";
  dialogs::SetBoxHandler([](const dialogs::BoxRequest&) { return 0; });
  ManualClock clock;
  VirtualBoard board(clock, 11);
  FakeEventHost host(clock, std::chrono::microseconds(100));
  FormOptions options;
  options.eventHost = &host;
  options.idleTimer = false;
  TFormMain form(board, options);
  form.show();
  form.IdleHandler();
  ASSERT_TRUE(Settle([&] { return form.windowHandle() && form.windowHandle()->isExposed(); }));

  form.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(12);
  form.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(3);
  form.findChild<QComboBox*>("ComboBox3")->setCurrentIndex(2);
  auto* paintBox = form.findChild<TPaintBox*>("PaintBox1");
  int paints = 0;
  paintBox->onPaint = [&paints] { ++paints; };
  form.findChild<QPushButton*>("MeasureBtn")->click();
  for (int i = 0; i < 1000 && form.Run()->IsMeasuring(); ++i) {
    clock.Advance(std::chrono::milliseconds(11));
    form.IdleHandler();
  }
  ASSERT_FALSE(form.Run()->IsMeasuring());
  ASSERT_TRUE(form.Data().fCH0Data && form.Data().fCH1Data);
  paints = 0;
  ASSERT_TRUE(Settle([&] { return paints > 0; }));

  const QRect plot(paintBox->mapToGlobal(QPoint(0, 0)), paintBox->size());
  const QString path = QStringLiteral(VELQORIS_SCREENSHOT_PATH);
  QImage shot;
  int red = 0;
  int blue = 0;
  // The server may show the last frame a moment after Qt flushed it.
  for (int attempt = 0; attempt < 20 && (red == 0 || blue == 0); ++attempt) {
    QProcess import;
    import.start("import", {"-window", "root", path});
    ASSERT_TRUE(import.waitForFinished(60000));
    ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    ASSERT_TRUE(shot.load(path));
    red = Count(shot, plot, 0xffff0000);
    blue = Count(shot, plot, 0xff0000ff);
    if (red == 0 || blue == 0) Settle([] { return false; });
  }
  EXPECT_GT(red, 100);
  EXPECT_GT(blue, 100);
  // Outside the plot, no trace colour.
  const QRect right(plot.right() + 30, plot.top(), 100, plot.height());
  EXPECT_EQ(Count(shot, right, 0xffff0000), 0);
  dialogs::SetBoxHandler({});
}

}  // namespace
}  // namespace velqoris::testing
