// Pictures of the bench tools to look at (build/…/tests/app/bench-*.png),
// the window grabbed as the user sees it: the live view running and
// stopped, the two cursors, one axis per channel, a reference run behind the
// data and in the analysis window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTabWidget>
#include <cstdio>

#include "app/Analysis_window.h"
#include "graph/Graph_navigator.h"
#include "graph/Paint_box.h"
#include "tests/app/Window_fixture.h"
#include "virtualboard/Signal_options.h"

namespace velqoris::testing {
namespace {

class BenchPicturesTest : public WindowTest {
 protected:
  void Shoot(QWidget* w, const char* name) {
    QApplication::processEvents();
    const QString path = QStringLiteral(VELQORIS_SHOT_DIR "/") + QString::fromLatin1(name);
    EXPECT_TRUE(w->grab().save(path)) << name;
  }
  void Hover(int x, int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(Find<TPaintBox>("PaintBox1"), &e);
  }
};

TEST_F(BenchPicturesTest, LiveCursorsChannelsAndReference) {
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,13,0.01")));
  Choose(12, 4, 2);  // 4800 sps, 2000 on screen, both channels
  Action("LiveView1")->trigger();
  for (int i = 0; i < 150; ++i) Pass(ms(10));
  Shoot(form.get(), "bench-live-running.png");
  Press();
  Shoot(form.get(), "bench-live-stopped.png");
  const std::string path = QDir::tempPath().toStdString() + "/velqoris-bench-pictures.DTA";
  files->answers.push_back(path);
  Action("Save1")->trigger();

  form->Navigator()->SetCursor(0, 400);
  form->Navigator()->SetCursor(1, 1150);
  Hover(300, 200);
  Shoot(form.get(), "bench-cursors.png");
  form->Navigator()->SetCursor(0, std::nullopt);
  form->Navigator()->SetCursor(1, std::nullopt);
  Action("MenuY_PerChannel")->trigger();
  Shoot(form.get(), "bench-per-channel.png");
  Action("MenuY_PerChannel")->trigger();

  // The reference: the run just saved; the data: a quieter sine of another frequency.
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,29,0.006")));
  ASSERT_TRUE(Measure(12, 4, 2));
  files->answers.push_back(path);
  Action("ReferenceFile1")->trigger();
  Shoot(form.get(), "bench-reference.png");
  Action("NoiseAnalysis1")->trigger();
  AnalysisWindow* w = form->Analysis();
  w->resize(1200, 800);
  for (int page = 0; page < 3; ++page) {
    w->Pages()->setCurrentIndex(page);
    const char* names[] = {"bench-reference-histogram.png", "bench-reference-spectrum.png",
                           "bench-reference-stability.png"};
    Shoot(w, names[page]);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace velqoris::testing
