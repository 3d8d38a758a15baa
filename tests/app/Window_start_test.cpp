// The window as it starts: caption, defaults, layout, the idle timer's work,
// and the fatal start-up paths.
#include <QFrame>
#include <QMenu>
#include <QMenuBar>

#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

TEST_F(WindowTest, StartsWithCaptionDefaultsAndNoBoardContact) {
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("VELQORIS / v2.10"));
  EXPECT_EQ(Combo(1)->currentText(), "10 sps");
  EXPECT_EQ(Combo(2)->currentText(), "1000");
  EXPECT_EQ(Combo(3)->currentText(), "CH0 (Ain1-Ain2)");
  EXPECT_EQ(Combo(4)->currentText(), "1");
  EXPECT_TRUE(Radio("Sinc4_RB")->isChecked());
  EXPECT_FALSE(Radio("Sinc3_RB")->isChecked());
  EXPECT_TRUE(Radio("BUFOFF_RB")->isChecked());
  EXPECT_TRUE(Radio("CHOPOFF_RB")->isChecked());
  EXPECT_FALSE(Action("MenuY_Volt")->isChecked());
  EXPECT_EQ(MeasureBtn()->text(), QString::fromUtf8("測定開始"));

  const MeasureSettings& s = form->Data().Settings;
  EXPECT_EQ(s.spsSel, 1);
  EXPECT_EQ(s.DataCountSel, 3);
  EXPECT_EQ(s.CHSel, 0);
  EXPECT_EQ(s.GainSel, 0);
  EXPECT_EQ(s.Gain, 1);
  EXPECT_EQ(s.fSinc4, 1);
  EXPECT_EQ(s.fBUF_ON, 0);
  EXPECT_EQ(s.fCHOP_ON, 0);
  EXPECT_EQ(form->Data().Ch0.Count, 0);
  EXPECT_EQ(form->Data().Ch1.Count, 0);
  EXPECT_FALSE(form->Run()->IsBoardReady());
  EXPECT_FALSE(board.IsOpen());
  EXPECT_TRUE(board.Commands().empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, HasTheDesignedClientAreaAndPlaces) {
  EXPECT_EQ(form->ClientArea()->size(), QSize(792, 458));
  EXPECT_EQ(form->size(), QSize(792, 458 + Find<QMenuBar>("MainMenu1")->height()));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());  // fixed size
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Find<QWidget>("PaintBox1")->geometry(), QRect(72, 24, 560, 369));
  EXPECT_EQ(MeasureBtn()->geometry(), QRect(656, 342, 113, 33));
  EXPECT_EQ(Find<QPushButton>("QuitBtn")->geometry(), QRect(656, 376, 113, 33));
  EXPECT_EQ(Combo(4)->geometry(), QRect(656, 156, 65, 20));
  EXPECT_EQ(Find<QFrame>("Panel3")->geometry(), QRect(656, 236, 113, 52));
  EXPECT_EQ(Radio("BUFON_RB")->parentWidget()->objectName(), "Panel3");
  EXPECT_EQ(Radio("BUFON_RB")->geometry(), QRect(8, 29, 89, 17));
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(Combo(i)->isEditable());
  EXPECT_FALSE(form->StatusBar()->isSizeGripEnabled());
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(Find<QLabel>("Label12")->font().pixelSize(), 13);
}

TEST_F(WindowTest, MenusHoldTheirItems) {
  EXPECT_EQ(Find<QMenu>("File1")->title(), QString::fromUtf8("ファイル(&F)"));
  EXPECT_EQ(Action("Exit1")->text(), QString::fromUtf8("終了(&X)"));
  EXPECT_EQ(Find<QMenu>("Data1")->title(), QString::fromUtf8("データ(&D)"));
  EXPECT_EQ(Action("Save1")->text(), QString::fromUtf8("保存(&S)"));
  EXPECT_EQ(Action("Load1")->text(), QString::fromUtf8("読込み(&O)"));
  EXPECT_TRUE(Action("N1")->isSeparator());
  EXPECT_EQ(Action("DataClear")->text(), QString::fromUtf8("クリア"));
  EXPECT_EQ(Find<QMenu>("MenuY")->title(), QString::fromUtf8("Y軸表示"));
  EXPECT_TRUE(Action("MenuY_Volt")->isCheckable());
}

TEST_F(WindowTest, StatusBarSitsTwentyPixelsHighAtTheBottomAfterTheFirstIdlePass) {
  EXPECT_FALSE(form->ResizePending());
  EXPECT_EQ(form->StatusBar()->geometry(), QRect(0, 438, 792, 20));
}

TEST_F(WindowTest, IdleTimerRunsOnlyWhileThereIsWork) {
  Build();
  // Nothing left after the first pass.
  EXPECT_FALSE(form->FirstIdlePending());
  EXPECT_EQ(form->IdleInterval(), -1);
  Choose(12, 0, 2);
  Press();
  EXPECT_EQ(form->IdleInterval(), 5);  // half the 50-result block's time
  ASSERT_TRUE(RunToEnd(ms(12)));
  EXPECT_EQ(form->IdleInterval(), -1);
}

TEST_F(WindowTest, FirstIdlePassDrawsTheEmptyGraph) {
  form.reset();
  FormOptions options;
  options.eventHost = &host;
  options.idleTimer = false;
  form = std::make_unique<TFormMain>(board, options);
  form->show();
  EXPECT_TRUE(form->FirstIdlePending());
  EXPECT_EQ(form->IdleInterval(), 0);
  form->IdleHandler();
  EXPECT_FALSE(form->FirstIdlePending());
  EXPECT_EQ(LabelText("Label15"), "1");
  EXPECT_EQ(LabelText("Label16"), "1000");
  EXPECT_EQ(CountPixels(Bitmap(), kRed), 0);
  EXPECT_EQ(Find<QWidget>("PaintBox1")->size(), Bitmap().size() + QSize(2, 2));
}

TEST_F(WindowTest, ChangingAControlChangesNeitherSettingsNorGraphNorStatus) {
  ASSERT_TRUE(Measure(12, 0, 0));
  const MeasureSettings before = form->Data().Settings;
  const QImage picture = Bitmap().copy();
  const QString p0 = Panel(0), p1 = Panel(1), p2 = Panel(2);
  Combo(1)->setCurrentIndex(3);
  Combo(2)->setCurrentIndex(6);
  Combo(3)->setCurrentIndex(2);
  Combo(4)->setCurrentIndex(5);
  Radio("Sinc3_RB")->click();
  Radio("BUFON_RB")->click();
  Radio("CHOPON_RB")->click();
  const MeasureSettings& after = form->Data().Settings;
  EXPECT_EQ(after.spsSel, before.spsSel);
  EXPECT_EQ(after.DataCountSel, before.DataCountSel);
  EXPECT_EQ(after.CHSel, before.CHSel);
  EXPECT_EQ(after.GainSel, before.GainSel);
  EXPECT_EQ(after.fSinc4, before.fSinc4);
  EXPECT_EQ(after.fBUF_ON, before.fBUF_ON);
  EXPECT_EQ(after.fCHOP_ON, before.fCHOP_ON);
  EXPECT_EQ(Bitmap(), picture);
  EXPECT_EQ(Panel(0), p0);
  EXPECT_EQ(Panel(1), p1);
  EXPECT_EQ(Panel(2), p2);
  // The radio pairs are independent groups.
  EXPECT_TRUE(Radio("Sinc3_RB")->isChecked());
  EXPECT_TRUE(Radio("BUFON_RB")->isChecked());
  EXPECT_TRUE(Radio("CHOPON_RB")->isChecked());
}

TEST_F(WindowTest, ResizeRedrawsAndPlacesTheStatusBarAgain) {
  ASSERT_TRUE(Measure(12, 0, 2));
  ASSERT_GT(CountPixels(Bitmap(), kBlue), 0);
  form->setFixedSize(900, form->height() + 100);
  EXPECT_TRUE(form->ResizePending());
  EXPECT_EQ(Find<QWidget>("PaintBox1")->geometry(), QRect(72, 24, 560 + 108, 369 + 100));
  EXPECT_EQ(Bitmap().size(), QSize(560 + 108 - 2, 369 + 100 - 2));
  EXPECT_GT(CountPixels(Bitmap(), kRed), 0);
  EXPECT_GT(CountPixels(Bitmap(), kBlue), 0);
  // Right-anchored controls follow the right edge, bottom-anchored ones the bottom.
  EXPECT_EQ(MeasureBtn()->geometry(), QRect(656 + 108, 342, 113, 33));
  form->IdleHandler();
  EXPECT_EQ(form->StatusBar()->geometry(), QRect(0, 558 - 20, 900, 20));

  Action("DataClear")->trigger();
  form->setFixedSize(792, form->height() - 100);
  EXPECT_EQ(CountPixels(Bitmap(), kRed), 0);
  EXPECT_EQ(CountPixels(Bitmap(), kBlue), 0);
  EXPECT_EQ(LabelText("Label16"), "1000");
}

TEST_F(WindowTest, QuitAndExitCloseTheWindow) {
  ASSERT_TRUE(form->isVisible());
  Find<QPushButton>("QuitBtn")->click();
  EXPECT_FALSE(form->isVisible());
  form->show();
  Action("Exit1")->trigger();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowTest, AnObjectThatCannotBeCreatedIsReportedAndClosesTheWindow) {
  for (const char* stage : {"myStatus", "AD7190", "FILE", "TGraph_2CH"}) {
    boxes.clear();
    FormOptions options;
    options.failCreation = stage;
    Build(options);
    EXPECT_FALSE(form->Constructed()) << stage;
    ASSERT_EQ(boxes.size(), 1u) << stage;
    EXPECT_EQ(boxes[0].text, std::string("致命的なメモリエラーです:") + stage);
    EXPECT_EQ(boxes[0].caption, "VELQORIS Board");
    EXPECT_EQ(boxes[0].icon, dialogs::Icon::Error);
    // A half-built window ignores its controls and idle passes.
    form->IdleHandler();
    form->MeasureBtnClick();
    EXPECT_TRUE(board.Commands().empty());
  }
  boxes.clear();
  FormOptions options;
  options.failCreation = "Z_Message";
  Build(options);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "致命的なメモリエラーです:Z_Message");
  EXPECT_EQ(boxes[0].caption, "VELQORIS Board");
}

}  // namespace
}  // namespace velqoris::testing
