// The analysis window through the main window's 解析 menu on the virtual
// board: it opens, shows what the analysis library computes for the data on
// display, follows runs, loads, clears and the unit switch, stays idle during
// a run, and survives being closed and the main window closing first.
#include <QCoreApplication>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <numbers>

#include <algorithm>
#include <fstream>

#include "analysis/Channel_analysis.h"
#include "analysis/Figure_rows.h"
#include "app/Analysis_window.h"
#include "plots/Histogram_view.h"
#include "plots/Spectrum_view.h"
#include "tests/app/Window_fixture.h"
#include "virtualboard/Signal_options.h"

namespace velqoris::testing {
namespace {

class AnalysisWindowTest : public WindowTest {
 protected:
  AnalysisWindow* Open() {
    Action("NoiseAnalysis1")->trigger();
    return form->Analysis();
  }
  // The table's value column as the analysis library words it.
  static void ExpectTableShows(QTableWidget* table, const std::vector<analysis::FigureRow>& rows) {
    ASSERT_EQ(table->rowCount(), static_cast<int>(rows.size()));
    for (int i = 0; i < table->rowCount(); ++i) {
      if (table->columnSpan(i, 0) == 3) {  // a sentence across the row
        EXPECT_EQ(table->item(i, 0)->text().toStdString(), rows[i].label + ": " + rows[i].value);
        EXPECT_TRUE(rows[i].unit.empty());
        continue;
      }
      EXPECT_EQ(table->item(i, 0)->text().toStdString(), rows[i].label);
      EXPECT_EQ(table->item(i, 1)->text().toStdString(), rows[i].value);
      EXPECT_EQ(table->item(i, 2)->text().toStdString(), rows[i].unit);
    }
  }
  std::string Path(const std::string& name) const {
    return QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
  }
  QTemporaryDir dir;
};

TEST_F(AnalysisWindowTest, MenuFollowsTheYAxisMenuAndOpensANonModalJapaneseWindow) {
  QMenu* menu = Find<QMenu>("Analysis1");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), QString::fromUtf8("解析"));
  const QList<QAction*> top = form->findChild<QMenuBar*>("MainMenu1")->actions();
  ASSERT_EQ(top.size(), 4);
  EXPECT_EQ(top[2], Find<QMenu>("MenuY")->menuAction());
  EXPECT_EQ(top[3], menu->menuAction());
  EXPECT_EQ(Action("NoiseAnalysis1")->text(), QString::fromUtf8("ノイズ解析..."));

  EXPECT_EQ(form->Analysis(), nullptr);  // nothing is built before it is asked for
  AnalysisWindow* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_TRUE(w->isWindow());
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("ノイズ解析 - VELQORIS"));
  ASSERT_EQ(w->Pages()->count(), 3);
  EXPECT_EQ(w->Pages()->tabText(0), QString::fromUtf8("ヒストグラム"));
  EXPECT_EQ(w->Pages()->tabText(1), QString::fromUtf8("スペクトル"));
  EXPECT_EQ(w->Pages()->tabText(2), QString::fromUtf8("安定性"));
  EXPECT_TRUE(w->Note().startsWith(QString::fromUtf8("表示中のデータがありません")));
  EXPECT_EQ(w->NoiseTable(0)->horizontalHeaderItem(0)->text(), QString::fromUtf8("項目"));
  EXPECT_EQ(w->NoiseTable(0)->horizontalHeaderItem(1)->text(), QString::fromUtf8("値"));
  EXPECT_EQ(w->NoiseTable(0)->horizontalHeaderItem(2)->text(), QString::fromUtf8("単位"));
  EXPECT_EQ(w->findChild<QComboBox*>("WindowCombo")->currentText(),
            QString::fromUtf8(analysis::WindowLabel(analysis::kDefaultWindow)));
  // The main window still takes input: opening it twice gives the same window.
  EXPECT_EQ(Open(), w);
}

TEST_F(AnalysisWindowTest, ShowsTheLibrarysFiguresOfBothChannelsAfterARunAndNothingDuringIt) {
  AnalysisWindow* w = Open();
  Choose(11, 1, 2);  // 2400 sps, 200 samples, both channels
  Press();
  EXPECT_FALSE(Find<QMenu>("Analysis1")->menuAction()->isEnabled());
  EXPECT_EQ(w->Note(), QString::fromUtf8("測定中です。測定が終わると解析します。"));
  EXPECT_EQ(w->Noise(0), nullptr);
  const int before = w->Computations();
  // Idle steps of the run compute nothing.
  for (int i = 0; i < 200 && form->Run()->IsMeasuring(); ++i) {
    Pass(ms(5));
    if (form->Run()->IsMeasuring()) {
      EXPECT_EQ(w->Computations(), before);
    }
  }
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_TRUE(Find<QMenu>("Analysis1")->menuAction()->isEnabled());
  EXPECT_EQ(w->Computations(), before + 1);

  const RunData& d = form->Data();
  for (int ch = 0; ch < 2; ++ch) {
    ASSERT_NE(w->Noise(ch), nullptr) << ch;
    const auto expected = analysis::AnalyzeChannelNoise(d.Codes(ch), 200, d.Settings);
    EXPECT_EQ(w->Noise(ch)->figures.count, 200);
    EXPECT_DOUBLE_EQ(*w->Noise(ch)->figures.rmsCodes, *expected.figures.rmsCodes);
    EXPECT_EQ(w->Noise(ch)->histogram.counts, expected.histogram.counts);
    ExpectTableShows(w->NoiseTable(ch), analysis::NoiseFigureRows(expected.figures));
    const auto spectrum = analysis::AnalyzeChannelSpectrum(d.Codes(ch), 200, d.Settings);
    ExpectTableShows(w->SpectrumTable(ch),
                     analysis::SpectrumFigureRows(spectrum.spectrum, spectrum.figures));
    EXPECT_TRUE(w->Histogram(ch)->HasHistogram());
    EXPECT_TRUE(w->SpectrumPlot(ch)->HasSpectrum());
    EXPECT_FALSE(w->findChild<QGroupBox*>(QStringLiteral("NoiseBox%1").arg(ch))->isHidden());
  }
  EXPECT_TRUE(w->Note().contains(QString::fromUtf8("2400 sps")));
  // The typical figure and the ratio are in the table, with numbers.
  const auto rows = analysis::NoiseFigureRows(w->Noise(0)->figures);
  const auto typical = std::find_if(rows.begin(), rows.end(), [](const analysis::FigureRow& r) {
    return r.label == "代表値との比 (実測 ÷ 代表値)";
  });
  ASSERT_NE(typical, rows.end());
  EXPECT_NE(typical->value, analysis::kAbsentValue);
}

TEST_F(AnalysisWindowTest, FollowsLoadClearAndTheUnitSwitch) {
  ASSERT_TRUE(Measure(12, 0, 1));  // a CH1 run, saved, then other data on display
  files->answers.push_back(Path("ch1"));
  Action("Save1")->trigger();
  const std::vector<std::int32_t> saved(form->Data().Codes(1), form->Data().Codes(1) + 100);
  ASSERT_TRUE(Measure(12, 1, 0));

  AnalysisWindow* w = Open();
  ASSERT_NE(w->Noise(0), nullptr);
  EXPECT_EQ(w->Noise(1), nullptr);
  EXPECT_EQ(w->Noise(0)->figures.count, 200);
  EXPECT_TRUE(w->findChild<QGroupBox*>("NoiseBox1")->isHidden());  // only the data's channel

  files->answers.push_back(Path("ch1.DTA"));
  Action("Load1")->trigger();
  EXPECT_EQ(w->Noise(0), nullptr);
  ASSERT_NE(w->Noise(1), nullptr);
  const auto expected = analysis::AnalyzeNoise(saved.data(), 100, form->Data().Settings);
  EXPECT_DOUBLE_EQ(*w->Noise(1)->figures.meanCode, *expected.meanCode);
  EXPECT_FALSE(w->Histogram(1)->AxisInMicrovolts());
  EXPECT_EQ(w->Histogram(1)->AxisTitle(), QString::fromUtf8("コード (digit)"));

  Action("MenuY_Volt")->trigger();
  EXPECT_TRUE(w->Histogram(1)->AxisInMicrovolts());
  EXPECT_EQ(w->Histogram(1)->AxisTitle(), QString::fromUtf8("電圧 (uV)"));
  Action("MenuY_Volt")->trigger();
  EXPECT_FALSE(w->Histogram(1)->AxisInMicrovolts());

  // A file that is not correct leaves the data on display, and its figures here.
  {
    std::ofstream bad(Path("bad.DTA"));
    bad << "not a data file\n";
  }
  files->answers.push_back(Path("bad.DTA"));
  Action("Load1")->trigger();
  EXPECT_NE(w->Noise(1), nullptr);

  files->answers.push_back(Path("ch1.DTA"));
  Action("Load1")->trigger();
  ASSERT_NE(w->Noise(1), nullptr);
  Action("DataClear")->trigger();
  EXPECT_EQ(w->Noise(0), nullptr);
  EXPECT_EQ(w->Noise(1), nullptr);
  EXPECT_FALSE(w->Histogram(0)->HasHistogram());
  EXPECT_EQ(w->NoiseTable(0)->rowCount(), 0);
  EXPECT_TRUE(w->Note().startsWith(QString::fromUtf8("表示中のデータがありません")));
}

TEST_F(AnalysisWindowTest, AClosedWindowComputesNothingAndCatchesUpWhenReopened) {
  AnalysisWindow* w = Open();
  w->close();
  EXPECT_FALSE(w->isVisible());
  const int before = w->Computations();
  ASSERT_TRUE(Measure(12, 0, 0));
  Action("MenuY_Volt")->trigger();
  ASSERT_TRUE(Measure(12, 1, 1));
  EXPECT_EQ(w->Computations(), before);

  EXPECT_EQ(Open(), w);
  EXPECT_EQ(w->Computations(), before + 1);
  EXPECT_EQ(w->Noise(0), nullptr);
  ASSERT_NE(w->Noise(1), nullptr);
  EXPECT_EQ(w->Noise(1)->figures.count, 200);
  EXPECT_TRUE(w->Histogram(1)->AxisInMicrovolts());
}

TEST_F(AnalysisWindowTest, AStoppedRunIsAnalysedAtTheCountItKeptAndAnErrorLeavesNothing) {
  AnalysisWindow* w = Open();
  Choose(5, 3, 0);  // 100 sps, 1000 samples
  Press();
  while (form->Run()->ReadCount() < 137) Pass(ms(10));
  Press();
  const int kept = form->Data().Ch0.Count;
  ASSERT_GE(kept, 137);
  ASSERT_NE(w->Noise(0), nullptr);
  EXPECT_EQ(w->Noise(0)->figures.count, kept);
  ASSERT_NE(w->Spectrum(0), nullptr);
  EXPECT_EQ(w->Spectrum(0)->spectrum.n, kept);  // the whole record, not a power of two

  Choose(5, 3, 0);
  Press();
  board.Faults().readErrorAfter = 30;
  ASSERT_TRUE(RunToEnd(ms(20)));
  board.Faults().readErrorAfter.reset();
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(w->Noise(0), nullptr);
  EXPECT_FALSE(w->Note().startsWith(QString::fromUtf8("測定中です")));
}

TEST_F(AnalysisWindowTest, MainWindowClosingFirstTakesTheOpenAnalysisWindowWithIt) {
  AnalysisWindow* w = Open();
  ASSERT_TRUE(Measure(12, 0, 2));
  QPointer<AnalysisWindow> alive(w);
  // The program ends with its main window, whatever analysis window is open.
  // The application decides that only inside its event loop; the second
  // timer ends a loop that would otherwise keep running, so a failure cannot hang.
  int lastClosed = 0;
  const auto connection =
      QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&lastClosed] { ++lastClosed; });
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10000);
  const int exitCode = QCoreApplication::exec();
  guard.stop();
  QObject::disconnect(connection);
  EXPECT_EQ(lastClosed, 1);
  EXPECT_EQ(exitCode, 0);
  form.reset();
  EXPECT_TRUE(alive.isNull());
}

TEST_F(AnalysisWindowTest, ClosingTheMainWindowDuringARunWithTheWindowOpenIsSafe) {
  Open();
  Choose(1, 3, 2);  // a slow run, left running
  Press();
  Pass(ms(300));
  ASSERT_TRUE(form->Run()->IsMeasuring());
  form.reset();
  SUCCEED();
}

TEST_F(AnalysisWindowTest, TheVirtualBoardsSineAndMainsPickupShowInTheSpectrum) {
  const auto sine = std::get<SineOption>(ParseSineOption("1,13,1.0,-70,-80"));
  const auto mains = std::get<MainsOption>(ParseMainsOption("1,50,0.001"));
  ApplySignalOption(board.Signal(), sine);
  ApplySignalOption(board.Signal(), mains);
  AnalysisWindow* w = Open();
  ASSERT_TRUE(Measure(7, 4, 1));  // 400 sps, 2000 samples: 0.2 Hz bins, 50 Hz on a bin

  const analysis::SpectrumAnalysis* s = w->Spectrum(1);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->figures.fundamental.has_value());
  EXPECT_NEAR(*s->figures.fundamental->frequencyHz, 13.0, 0.2);
  // 1 V peak of the ±2.5 V range at gain 1: 20 log10(0.4) = -7.96 dBFS.
  EXPECT_NEAR(s->figures.fundamental->dbfs, -7.96, 0.1);
  ASSERT_GE(s->figures.harmonics.size(), 2u);
  EXPECT_NEAR(s->figures.harmonics[0].dbfs, -7.96 - 70, 1.0);
  EXPECT_NEAR(s->figures.harmonics[1].dbfs, -7.96 - 80, 1.5);
  // 1 mV peak: 20 log10(0.0004) = -67.96 dBFS, less the Sinc4 filter's droop
  // at 50 Hz of 400 sps: 80 log10(sinc(1/8)) = -0.90 dB.
  const double droop = 80.0 * std::log10(std::sin(std::numbers::pi / 8) / (std::numbers::pi / 8));
  ASSERT_TRUE(s->figures.Mains50Dbfs().has_value());
  EXPECT_NEAR(*s->figures.Mains50Dbfs(), -67.96 + droop, 0.5);

  // Another window function is computed at once; the view's choices only redraw.
  const int before = w->Computations();
  w->findChild<QComboBox*>("WindowCombo")->setCurrentIndex(1);
  EXPECT_EQ(w->Computations(), before + 1);
  EXPECT_EQ(w->Spectrum(1)->spectrum.window, analysis::SpectrumWindow::kHann);
  EXPECT_NEAR(w->Spectrum(1)->figures.fundamental->dbfs, -7.96, 0.1);
  w->findChild<QComboBox*>("ScaleCombo")->setCurrentIndex(1);
  w->findChild<QComboBox*>("FrequencyAxisCombo")->setCurrentIndex(1);
  EXPECT_EQ(w->Computations(), before + 1);
  EXPECT_EQ(w->SpectrumPlot(1)->Scale(), SpectrumScale::kDensity);
  EXPECT_TRUE(w->SpectrumPlot(1)->LogFrequency());
  EXPECT_EQ(w->SpectrumPlot(1)->ValueTitle(), QString::fromUtf8("ノイズ密度 (nV/√Hz)"));
}

// Pictures of both pages to look at (build/…/tests/app/analysis-*.png): CH0
// shorted, CH1 with a sine, its harmonics and 50 Hz pickup.
TEST_F(AnalysisWindowTest, PicturesOfBothPages) {
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,13,0.01,-70,-80")));
  ApplySignalOption(board.Signal(), std::get<MainsOption>(ParseMainsOption("1,50,0.0001")));
  Combo(4)->setCurrentIndex(5);  // gain 128: ±19.5 mV
  AnalysisWindow* w = Open();
  ASSERT_TRUE(Measure(7, 4, 2));
  const auto shoot = [w](int page, const char* name) {
    w->Pages()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    const QString path = QStringLiteral(VELQORIS_SHOT_DIR "/") + QString::fromLatin1(name);
    EXPECT_TRUE(w->grab().save(path)) << name;
  };
  shoot(0, "analysis-histogram.png");
  shoot(1, "analysis-spectrum.png");
  w->SpectrumTable(1)->scrollToBottom();
  shoot(1, "analysis-spectrum-rows.png");
  w->findChild<QComboBox*>("ScaleCombo")->setCurrentIndex(1);
  w->findChild<QComboBox*>("FrequencyAxisCombo")->setCurrentIndex(1);
  shoot(1, "analysis-density-log.png");
  Action("MenuY_Volt")->trigger();
  shoot(0, "analysis-histogram-uv.png");
}

// A strong tone at 100 Hz with harmonics and mains pickup on CH1, both
// channels at 4800 sps: at the default size, which fits a 1280 × 1024
// screen, every figure row is in sight under a plot of useful height.
TEST_F(AnalysisWindowTest, TheDefaultSizeShowsEveryFigureRowUnderItsPlot) {
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,100,1.0,-60,-70")));
  ApplySignalOption(board.Signal(), std::get<MainsOption>(ParseMainsOption("1,50,0.001")));
  AnalysisWindow* w = Open();
  // As on a screen with room for it (the test's own screen may be smaller),
  // once the window has been fitted to this one.
  QCoreApplication::processEvents();
  w->resize(AnalysisWindow::DefaultSize());
  ASSERT_TRUE(Measure(12, 6, 2));
  EXPECT_LE(w->width(), 1280 - 20);
  EXPECT_LE(w->height(), 1024 - 60);  // room for a title bar and a panel
  const auto allRowsShown = [](QTableWidget* t) {
    QCoreApplication::processEvents();
    const int last = t->rowCount() - 1;
    return last >= 0 && t->visualItemRect(t->item(last, 0)).bottom() < t->viewport()->height() &&
           t->verticalScrollBar()->maximum() == 0;
  };
  for (int ch = 0; ch < 2; ++ch) {
    w->Pages()->setCurrentIndex(0);
    EXPECT_TRUE(allRowsShown(w->NoiseTable(ch))) << ch;
    EXPECT_GE(w->Histogram(ch)->height(), 250) << ch;
    w->Pages()->setCurrentIndex(1);
    EXPECT_TRUE(allRowsShown(w->SpectrumTable(ch))) << ch;
    EXPECT_GE(w->SpectrumPlot(ch)->height(), 250) << ch;
  }
  const auto shoot = [w](int page, const char* name) {
    w->Pages()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    const QString path = QStringLiteral(VELQORIS_SHOT_DIR "/") + QString::fromLatin1(name);
    EXPECT_TRUE(w->grab().save(path)) << name;
  };
  shoot(1, "analysis-tone-spectrum.png");
  w->findChild<QComboBox*>("ScaleCombo")->setCurrentIndex(1);
  w->findChild<QComboBox*>("FrequencyAxisCombo")->setCurrentIndex(1);
  shoot(1, "analysis-tone-density-log.png");
  Action("MenuY_Volt")->trigger();
  shoot(0, "analysis-tone-histogram-uv.png");
}

// A log opened in the window: read off the UI thread, every page filled from
// the whole log, the data on display back at a click; a bad file only says so.
TEST_F(AnalysisWindowTest, OpensALogWholeAndGoesBackToTheDataOnDisplay) {
  AnalysisWindow* w = Open();
  const auto wait = [&] {
    for (int i = 0; i < 2000 && w->LogLoading(); ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(5);
    }
    QCoreApplication::processEvents();
  };
  {
    std::ofstream bad(Path("bad.csv"));
    bad << "sample,time_s,ch1_code,ch1_uV\n1,0,x,0\n";
  }
  w->OpenLog(Path("bad.csv"));
  wait();
  EXPECT_FALSE(w->ShowingLog());
  EXPECT_TRUE(w->Note().contains(QString::fromUtf8("2 行目が読めません")))
      << w->Note().toStdString();
#ifndef _WIN32
  // A FIFO is refused at once, never waited on.
  ASSERT_EQ(::mkfifo(Path("fifo.csv").c_str(), 0600), 0);
  w->OpenLog(Path("fifo.csv"));
  wait();
  EXPECT_FALSE(w->ShowingLog());
  EXPECT_TRUE(w->Note().contains(QString::fromUtf8("通常のファイルではありません")))
      << w->Note().toStdString();
#endif

  {
    std::ofstream log(Path("log.csv"));
    log << "sample,time_s,ch1_code,ch1_uV\n";
    for (int i = 0; i < 30000; ++i) {
      log << i + 1 << ',' << i / 100.0 << ',' << 8388608 + (i % 7) * 100 << ",0\n";
    }
    log << "30001,300.01,83";  // where a killed writer stopped: left out, and said
  }
  w->OpenLog(Path("log.csv"));
  wait();
  ASSERT_TRUE(w->ShowingLog()) << w->Note().toStdString();
  EXPECT_EQ(w->Noise(0), nullptr);
  ASSERT_NE(w->Noise(1), nullptr);
  EXPECT_EQ(w->Noise(1)->figures.count, 30000);
  ASSERT_NE(w->Stability(1), nullptr);
  EXPECT_DOUBLE_EQ(w->Stability(1)->rateSps, 100.0);
  EXPECT_EQ(w->Spectrum(1)->spectrum.n, w->Stability(1)->spectrum.segmentLength);
  EXPECT_TRUE(w->Note().startsWith(QString::fromUtf8("ログ: ")));
  EXPECT_TRUE(w->Note().contains(QString::fromUtf8("最後の行 (30002 行目) は途中で切れていた")))
      << w->Note().toStdString();
  const auto* windowCombo = w->findChild<QComboBox*>("WindowCombo");
  EXPECT_EQ(windowCombo->currentText(),
            QString::fromUtf8(analysis::WindowLabel(analysis::SpectrumWindow::kHann)));
  Find<QPushButton>("BackToDataButton")->click();
  EXPECT_EQ(windowCombo->currentText(),
            QString::fromUtf8(analysis::WindowLabel(analysis::kDefaultWindow)));
  EXPECT_FALSE(w->ShowingLog());
  EXPECT_EQ(w->Noise(1), nullptr);
  EXPECT_TRUE(w->Note().startsWith(QString::fromUtf8("表示中のデータがありません")));
}

}  // namespace
}  // namespace velqoris::testing
