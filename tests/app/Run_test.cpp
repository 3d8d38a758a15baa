// Measurement runs end to end through the window on the virtual board.
#include <QCoreApplication>
#include <QMouseEvent>

#include <cmath>

#include "status/Status_text.h"
#include "tests/app/Window_fixture.h"
#include "tests/support/Connect_failures.h"

namespace velqoris::testing {
namespace {

// Max, min and population deviation around the truncated mean, computed here.
std::string ExpectedCodeStats(int ch, const std::int32_t* codes, int n) {
  std::int32_t mx = codes[0], mn = codes[0];
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    mx = std::max(mx, codes[i]);
    mn = std::min(mn, codes[i]);
    sum += codes[i];
  }
  const auto mean = static_cast<std::int64_t>(sum / n);
  double sq = 0;
  for (int i = 0; i < n; ++i) {
    const double d = static_cast<double>(codes[i] - mean);
    sq += d * d;
  }
  return CodeStatsText(ch, mx, mn, static_cast<float>(std::sqrt(sq / n)));
}

TEST_F(WindowTest, FastShortRunCompletesInTwoStepsWithoutLiveDrawing) {
  Choose(12, 0, 0);  // 4800 sps, 100 samples
  Press();
  EXPECT_EQ(PanelUtf8(0), "VELQORIS / 1.00");
  EXPECT_EQ(PanelUtf8(1), "計測中です");
  EXPECT_EQ(PanelUtf8(2), "測定開始処理中です。。。");
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定停止"));
  EXPECT_TRUE(MeasureBtn()->isEnabled());
  EXPECT_FALSE(Combo(1)->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("QuitBtn")->isEnabled());
  EXPECT_FALSE(Action("Save1")->isEnabled() && Find<QMenu>("Data1")->menuAction()->isEnabled());
  ASSERT_EQ(board.Commands().back(), "A000064");

  const QImage empty = Bitmap().copy();
  Pass(ms(12));  // 50 frames are in
  EXPECT_EQ(form->Run()->ReadCount(), 50);
  EXPECT_EQ(PanelUtf8(2), SampleText(50, form->Data().Codes(0)[49]));
  EXPECT_EQ(Bitmap(), empty);
  EXPECT_EQ(LabelText("Label16"), "1000");  // still the empty graph's
  Pass(ms(12));
  EXPECT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(form->Data().Ch0.Count, 100);
  EXPECT_EQ(form->Data().Ch1.Count, 0);
  EXPECT_TRUE(form->Data().fCH0Data);
  EXPECT_FALSE(form->Data().fCH1Data);
  EXPECT_EQ(PanelUtf8(1), "計測終了しました");
  EXPECT_EQ(PanelUtf8(2), ExpectedCodeStats(0, form->Data().Codes(0), 100));
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_TRUE(Combo(1)->isEnabled());
  EXPECT_GT(CountPixels(Bitmap(), kRed), 0);
  // Microvolts are filled with the settings' gain.
  EXPECT_FLOAT_EQ(form->Data().Ch0.Microvolts[7],
                  form->Graph()->CodeToMicrovolts(form->Data().Ch0.Codes[7]));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, SlowLongRunDrawsLiveBlocksAfterEveryHundredUpToNineHundred) {
  Choose(1, 3, 0);  // 10 sps, 1000 samples
  Press();
  std::vector<int> drawnAt;
  QString right = LabelText("Label16");
  QString left = LabelText("Label15");
  for (int i = 0; i < 2000 && form->Run()->IsMeasuring(); ++i) {
    Pass(ms(100));
    if (!form->Run()->IsMeasuring()) break;
    if (LabelText("Label16") != right || LabelText("Label15") != left) {
      right = LabelText("Label16");
      left = LabelText("Label15");
      drawnAt.push_back(form->Run()->ReadCount());
      // The block shows its own sample numbers.
      EXPECT_EQ(right.toInt(), form->Run()->ReadCount());
      EXPECT_EQ(left.toInt(), form->Run()->ReadCount() - 99);
      EXPECT_GT(CountPixels(Bitmap(), kRed), 0);
    }
  }
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(drawnAt, (std::vector<int>{100, 200, 300, 400, 500, 600, 700, 800, 900}));
  EXPECT_EQ(LabelText("Label15"), "1");
  EXPECT_EQ(LabelText("Label16"), "1000");
  EXPECT_EQ(form->Data().Ch0.Count, 1000);
}

TEST_F(WindowTest, OneChannelRunOnCh1ShowsTheNewestCh1Code) {
  Choose(12, 1, 1);
  Press();
  Pass(ms(12));
  ASSERT_EQ(form->Run()->ReadCount(), 50);
  const std::int32_t code = form->Data().Codes(1)[49];
  EXPECT_NE(code, 0);
  EXPECT_EQ(PanelUtf8(2), SampleText(50, code));
  ASSERT_TRUE(RunToEnd(ms(12)));
  EXPECT_FALSE(form->Data().fCH0Data);
  EXPECT_TRUE(form->Data().fCH1Data);
  EXPECT_EQ(form->Data().Ch1.Count, 200);
  EXPECT_FALSE(form->StatCH0());
  EXPECT_EQ(PanelUtf8(2), ExpectedCodeStats(1, form->Data().Codes(1), 200));
  EXPECT_EQ(CountPixels(Bitmap(), kRed), 0);
  EXPECT_GT(CountPixels(Bitmap(), kBlue), 0);
}

TEST_F(WindowTest, StopAfterNineDiscardsAndClearsTheInfoPanel) {
  Choose(1, 3, 0);
  Press();
  while (form->Run()->ReadCount() < 9) Pass(ms(100));
  ASSERT_EQ(form->Run()->ReadCount(), 9);
  Press();
  EXPECT_EQ(Commands("AX"), 1);
  EXPECT_FALSE(board.IsOpen());
  EXPECT_FALSE(form->Run()->IsBoardReady());
  EXPECT_FALSE(form->Run()->IsMeasuring());
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(form->Data().Ch0.Count, 0);
  EXPECT_EQ(PanelUtf8(1), "計測中止しました");
  EXPECT_EQ(PanelUtf8(2), "");
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_TRUE(Combo(1)->isEnabled());
}

TEST_F(WindowTest, StopAfterTenKeepsThemAndShowsTheirStatistics) {
  Choose(1, 3, 2);
  Press();
  while (form->Run()->ReadCount() < 10) Pass(ms(100));
  ASSERT_EQ(form->Run()->ReadCount(), 10);
  Press();
  EXPECT_EQ(form->Data().Ch0.Count, 10);
  EXPECT_EQ(form->Data().Ch1.Count, 10);
  EXPECT_TRUE(form->Data().fCH0Data && form->Data().fCH1Data);
  EXPECT_TRUE(form->StatCH0());
  EXPECT_EQ(PanelUtf8(1), "計測中止しました");
  EXPECT_EQ(PanelUtf8(2), ExpectedCodeStats(0, form->Data().Codes(0), 10));
  EXPECT_GT(CountPixels(Bitmap(), kRed), 0);
}

TEST_F(WindowTest, StopDisconnectsSoTheNextStartIdentifiesAgainWhileACompletedRunKeepsTheLink) {
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_TRUE(board.IsOpen());
  EXPECT_TRUE(form->Run()->IsBoardReady());
  EXPECT_EQ(Commands("U?"), 1);
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_EQ(Commands("U?"), 1);  // only the settings went out again
  EXPECT_EQ(Commands("S4"), 2);

  Choose(1, 3, 0);
  Press();
  Pass(ms(300));
  Press();  // stop
  EXPECT_FALSE(board.IsOpen());
  board.SetVersion("2.05");
  Choose(12, 0, 0);
  Press();
  EXPECT_EQ(Commands("U?"), 2);
  EXPECT_EQ(PanelUtf8(0), "VELQORIS / 2.05");
  ASSERT_TRUE(RunToEnd(ms(12)));
}

TEST_F(WindowTest, NoBoardShowsTheBoxAndTheStatus) {
  board.Faults().openFails = true;
  Press();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "VELQORIS が見つかりませんでした");
  EXPECT_EQ(boxes[0].caption, "VELQORIS Board");
  EXPECT_EQ(boxes[0].icon, dialogs::Icon::Error);
  EXPECT_EQ(PanelUtf8(0), "VELQORIS Board が見つかりませんでした");
  EXPECT_FALSE(form->Run()->IsBoardReady());
  EXPECT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_TRUE(Combo(1)->isEnabled() && MeasureBtn()->isEnabled());
  // Plugged in now, the next start works.
  board.Faults().openFails = false;
  boxes.clear();
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_TRUE(boxes.empty());
}

class WindowConnectTest : public WindowTest,
                          public ::testing::WithParamInterface<ConnectFailure> {};

TEST_P(WindowConnectTest, TheBoxNamesTheCauseAndPanelZeroSaysNotFound) {
  GetParam().apply(board);
  Press();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, GetParam().boxText);
  // Panel 0 ends on the not-found text whatever the cause.
  EXPECT_EQ(PanelUtf8(0), "VELQORIS Board が見つかりませんでした");
  EXPECT_FALSE(board.IsOpen());
  EXPECT_FALSE(form->Run()->IsBoardReady());
  EXPECT_FALSE(form->Run()->IsMeasuring());
  EXPECT_TRUE(MeasureBtn()->isEnabled());
  if (GetParam().result == RunEnd::kOtherBoard) {
    EXPECT_EQ(Commands("V?"), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Failures, WindowConnectTest, ::testing::ValuesIn(ConnectFailures()),
                         ConnectFailureName);

TEST_F(WindowTest, ARefusedSettingShowsOnlyTheStatusAndIdentifiesAgainNextTime) {
  Combo(4)->setCurrentIndex(4);
  board.Faults().refusedCommands = {"SG4"};
  Press();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(PanelUtf8(0), "VELQORIS Board がエラーです");
  EXPECT_FALSE(form->Run()->IsBoardReady());
  EXPECT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(Commands("SF0480"), 0);  // nothing after the refused step
  EXPECT_TRUE(Combo(1)->isEnabled());
  board.Faults().refusedCommands.clear();
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_EQ(Commands("U?"), 2);
  EXPECT_EQ(form->Data().Settings.Gain, 64);
}

TEST_F(WindowTest, APulledCableEndsTheRunAndTheNextStartAfterPluggingInWorks) {
  ASSERT_TRUE(Measure(12, 0, 0));
  Choose(1, 3, 0);
  Press();
  Pass(ms(300));
  board.Unplug();
  for (int i = 0; i < 100 && form->Run()->IsMeasuring(); ++i) Pass(ms(100));
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(PanelUtf8(2), "計測エラーで終了");
  EXPECT_FALSE(form->Run()->IsBoardReady());
  board.Plug();
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Commands("U?"), 2);  // identified again on the new handle
  EXPECT_EQ(form->Data().Ch0.Count, 100);
}

TEST_F(WindowTest, AReadErrorEndsTheRunDiscardingResultsAndKeepingTheLink) {
  ASSERT_TRUE(Measure(12, 0, 2));  // old data on display
  const QImage before = Bitmap().copy();
  Choose(1, 3, 0);
  Press();
  board.Faults().readErrorAfter = 30;
  for (int i = 0; i < 100 && form->Run()->IsMeasuring(); ++i) Pass(ms(100));
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(PanelUtf8(2), "計測エラーで終了");
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(form->Data().Ch0.Count, 0);
  EXPECT_EQ(form->Data().Ch1.Count, 0);
  EXPECT_TRUE(form->Run()->IsBoardReady());
  EXPECT_TRUE(board.IsOpen());
  EXPECT_EQ(Commands("AX"), 1);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_TRUE(Combo(1)->isEnabled());
  EXPECT_NE(Bitmap(), before);  // the axes of the new run stayed
  board.Faults().readErrorAfter.reset();
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_EQ(Commands("U?"), 1);
}

TEST_F(WindowTest, AStalledStreamEndsTheRunWithTheMeasureErrorAndKeepsTheLink) {
  board.Faults().stallAfter = 12;
  Choose(1, 3, 0);  // 10 sps: the run waits 2.2 s for a result
  Press();
  for (int i = 0; i < 100 && form->Run()->IsMeasuring(); ++i) Pass(ms(100));
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(form->Run()->ReadCount(), 12);
  EXPECT_EQ(PanelUtf8(2), "計測エラーで終了");
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_TRUE(form->Run()->IsBoardReady());
  EXPECT_EQ(Commands("AX"), 1);
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, TheRunStateDecidesWhatTheButtonDoesAndIsAnnounced) {
  using State = TFormMain::RunState;
  std::vector<State> states;
  QObject::connect(form.get(), &TFormMain::RunStateChanged,
                   [&](State state) { states.push_back(state); });
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_EQ(states, (std::vector<State>{State::kStarting, State::kMeasuring, State::kEnding,
                                        State::kIdle}));
  EXPECT_EQ(form->State(), State::kIdle);
  // The caption only shows the state: a caption set by hand changes nothing.
  MeasureBtn()->setText(QString::fromUtf8("測定停止"));
  Press();
  EXPECT_EQ(form->State(), State::kMeasuring);
  EXPECT_TRUE(form->Run()->IsMeasuring());
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定停止"));
  Press();
  EXPECT_EQ(form->State(), State::kIdle);
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_EQ(Commands("AX"), 1);
}

TEST_F(WindowTest, StartingWithOldDataKeepsItsGridWithoutTraces) {
  ASSERT_TRUE(Measure(12, 0, 2));
  const QString topLabel = LabelText("Label1");
  ASSERT_GT(CountPixels(Bitmap(), kRed), 0);
  ASSERT_GT(CountPixels(Bitmap(), kBlue), 0);
  Choose(1, 3, 2);
  Press();
  EXPECT_EQ(CountPixels(Bitmap(), kRed), 0);
  EXPECT_EQ(CountPixels(Bitmap(), kBlue), 0);
  EXPECT_EQ(LabelText("Label1"), topLabel);
  EXPECT_NE(LabelText("Label1"), "8388608");
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("VELQORIS / v2.10"));
}

TEST_F(WindowTest, TwoChannelRunsEndOnCh0AndTheStatusBarSwitchesChannels) {
  ASSERT_TRUE(Measure(12, 1, 2));
  EXPECT_EQ(PanelUtf8(1), "計測終了しました");
  EXPECT_TRUE(form->StatCH0());
  const std::string ch0 = ExpectedCodeStats(0, form->Data().Codes(0), 200);
  const std::string ch1 = ExpectedCodeStats(1, form->Data().Codes(1), 200);
  EXPECT_EQ(PanelUtf8(2), ch0);
  ClickStatusBar();
  EXPECT_EQ(PanelUtf8(2), ch1);
  EXPECT_FALSE(form->StatCH0());
  ClickStatusBar();
  EXPECT_EQ(PanelUtf8(2), ch0);

  // The unit switch keeps the channel shown.
  ClickStatusBar();
  Action("MenuY_Volt")->trigger();
  EXPECT_EQ(Panel(2).left(3), "CH1");
  EXPECT_TRUE(Panel(2).contains("[uV]"));
  EXPECT_FALSE(form->StatCH0());
  Action("MenuY_Volt")->trigger();
  EXPECT_EQ(PanelUtf8(2), ch1);
}

TEST_F(WindowTest, TheStatusBarClickDoesNothingForOneChannelOrNoData) {
  ClickStatusBar();
  EXPECT_EQ(PanelUtf8(2), "");
  ASSERT_TRUE(Measure(12, 0, 0));
  const QString shown = Panel(2);
  ClickStatusBar();
  EXPECT_EQ(Panel(2), shown);
  EXPECT_TRUE(form->StatCH0());
}

TEST_F(WindowTest, StatisticsFollowTheUnitAtTheEndOfTheRun) {
  Action("MenuY_Volt")->trigger();
  ASSERT_TRUE(Measure(12, 0, 0));
  EXPECT_TRUE(Panel(2).startsWith("CH0"));
  EXPECT_TRUE(Panel(2).contains("[uV]"));
  Action("MenuY_Volt")->trigger();
  EXPECT_EQ(PanelUtf8(2), ExpectedCodeStats(0, form->Data().Codes(0), 100));
}

TEST_F(WindowTest, OnlyALeftClickOnTheStatusBarSwitchesTheChannel) {
  ASSERT_TRUE(Measure(12, 0, 2));
  const QString ch0 = Panel(2);
  for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton, Qt::BackButton}) {
    ClickStatusBar(other);
    EXPECT_EQ(Panel(2), ch0);
    EXPECT_TRUE(form->StatCH0());
  }
  ClickStatusBar(Qt::LeftButton);
  EXPECT_TRUE(Panel(2).startsWith("CH1"));
}

// Presses and releases the mouse on the measure button through the event
// queue, so that the click arrives whenever the window next lets events run.
void PostClick(QPushButton* button) {
  const QPointF at(button->width() / 2.0, button->height() / 2.0);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
  }
}

TEST_F(WindowTest, AStopClickDuringTheEndOfRunRedrawStopsNothing) {
  Choose(12, 0, 0);  // two steps of 50
  Press();
  Pass(ms(12));
  ASSERT_EQ(form->Run()->ReadCount(), 50);
  // The last results arrive; the full redraw lets the queued click run.
  PostClick(MeasureBtn());
  Pass(ms(12));
  QCoreApplication::removePostedEvents(MeasureBtn());
  ASSERT_FALSE(form->Run()->IsMeasuring());
  EXPECT_EQ(Commands("AX"), 0);
  EXPECT_TRUE(board.IsOpen());
  EXPECT_TRUE(form->Run()->IsBoardReady());
  EXPECT_EQ(PanelUtf8(1), "計測終了しました");
  EXPECT_EQ(PanelUtf8(2), ExpectedCodeStats(0, form->Data().Codes(0), 100));
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));
  EXPECT_EQ(form->Data().Ch0.Count, 100);
}

}  // namespace
}  // namespace velqoris::testing
