#include "status/Mystatus.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

#include "status/Status_text.h"

namespace velqoris {
namespace {

class MystatusTest : public ::testing::Test {
 protected:
  int TextWidth(const std::string& text) const {
    return QFontMetrics(bar.font()).horizontalAdvance(QString::fromStdString(text));
  }

  QStatusBar bar;
  TmyStatus status{bar, "VELQORIS Board", 2};
};

TEST_F(MystatusTest, StartsWithThreeEmptyNarrowPanels) {
  EXPECT_EQ(bar.findChildren<QLabel*>().size(), 3);
  for (int panel = 0; panel < 3; ++panel) {
    EXPECT_TRUE(status.PanelText(panel).isEmpty());
    EXPECT_EQ(status.PanelWidth(panel), 50);
  }
}

TEST_F(MystatusTest, ShortTextGetsTheMinimumWidth) {
  ASSERT_LE(TextWidth("OK"), 100);
  status.SetPanelText("OK", 1);
  EXPECT_EQ(status.PanelText(1), "OK");
  EXPECT_EQ(status.PanelWidth(1), 105);
  status.SetPanelText("", 1);
  EXPECT_EQ(status.PanelWidth(1), 105);
}

TEST_F(MystatusTest, LongTextGetsItsWidthPlusFive) {
  const std::string text = CodeStatsText(0, 8388700, 8388600, 1.5f);
  const int width = TextWidth(text);
  ASSERT_GT(width, 100);
  status.ShowCodeStats(0, 8388700, 8388600, 1.5f);
  EXPECT_EQ(status.PanelText(2), QString::fromStdString(text));
  EXPECT_EQ(status.PanelWidth(2), width + 5);
  // Each write resizes to the new text.
  status.ClearInfo();
  EXPECT_EQ(status.PanelWidth(2), 105);
}

TEST_F(MystatusTest, MarkupInTextsIsShownAsIs) {
  status.ShowPair("<b>x</b>", "1.0");
  auto* label = bar.findChildren<QLabel*>().at(0);
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(status.PanelText(0), "<b>x</b> / 1.0");
}

TEST_F(MystatusTest, EachOperationWritesItsPanel) {
  status.ShowBoardNotFound();
  EXPECT_EQ(status.PanelText(0), QString::fromUtf8("VELQORIS Board が見つかりませんでした"));
  status.ShowBoardNoResponse();
  EXPECT_EQ(status.PanelText(0), QString::fromUtf8("VELQORIS Board 応答しませんでした"));
  status.ShowBoardError();
  EXPECT_EQ(status.PanelText(0), QString::fromUtf8("VELQORIS Board がエラーです"));
  status.ShowPair("VELQORIS", "2.10");
  EXPECT_EQ(status.PanelText(0), "VELQORIS / 2.10");

  status.ShowMeasuring();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("計測中です"));
  status.ShowMeasureEnd();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("計測終了しました"));
  status.ShowMeasureStop();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("計測中止しました"));
  status.ShowFileLoaded();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("データファイル読み込みました"));
  status.ShowFileSaved();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("データファイルを保存しました"));

  status.ShowStarting();
  EXPECT_EQ(status.PanelText(2), QString::fromUtf8("測定開始処理中です。。。"));
  status.ShowMeasureError();
  EXPECT_EQ(status.PanelText(2), QString::fromUtf8("計測エラーで終了"));
  status.ShowSample(3, 8388608);
  EXPECT_EQ(status.PanelText(2), QString::fromUtf8("データ番号：3 / AD変換値：8388608"));
  status.ShowSample2(5, 8388608, 8388607);
  EXPECT_EQ(status.PanelText(2), QString::fromUtf8("データ番号：5 / AD変換値：8388608 / 8388607"));
  status.ShowVoltStats(1, 1.0f, -1.0f, 0.5f);
  EXPECT_EQ(status.PanelText(2), QString::fromStdString(VoltStatsText(1, 1.0f, -1.0f, 0.5f)));
  status.ClearInfo();
  EXPECT_TRUE(status.PanelText(2).isEmpty());
  // The other panels were left alone.
  EXPECT_EQ(status.PanelText(0), "VELQORIS / 2.10");
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("データファイルを保存しました"));
}

TEST(MystatusLastPanel, WritesAboveTheLastPanelAreIgnored) {
  QStatusBar bar;
  TmyStatus status(bar, "VELQORIS Board", 1);
  status.ShowStarting();
  status.ShowSample(1, 2);
  status.SetPanelText("x", 2);
  EXPECT_TRUE(status.PanelText(2).isEmpty());
  EXPECT_EQ(status.PanelWidth(2), 50);
  status.ShowMeasuring();
  EXPECT_EQ(status.PanelText(1), QString::fromUtf8("計測中です"));
}

TEST(MystatusLastPanel, PanelsThatDoNotExistAreIgnored) {
  QStatusBar bar;
  TmyStatus status(bar, "B", 7);
  status.SetPanelText("x", 3);
  status.SetPanelText("y", -1);
  for (int panel = 0; panel < 3; ++panel) EXPECT_TRUE(status.PanelText(panel).isEmpty());
  EXPECT_TRUE(status.PanelText(3).isEmpty());
  EXPECT_EQ(status.PanelWidth(-1), 0);
}

TEST(MystatusLifetime, WritingAfterTheBarIsGoneDoesNothing) {
  auto* bar = new QStatusBar;
  TmyStatus status(*bar, "B", 2);
  delete bar;
  status.ShowMeasuring();
  EXPECT_TRUE(status.PanelText(1).isEmpty());
  EXPECT_EQ(status.PanelWidth(1), 0);
}

// A bar too narrow for the statistics line: fewer decimals, a smaller type, then
// whole fields dropped from the end; a number is never cut, the tooltip keeps the line.
TEST(MystatusNarrowBar, StatisticsLineIsNeverCutInsideANumber) {
  const std::string full = CodeStatsText(0, 16777215, 0, 2372459.5f);
  const std::string noDecimals = CodeStatsText(0, 16777215, 0, 2372459.5f, 0);
  for (int barWidth : {1200, 760, 600, 450}) {
    SCOPED_TRACE(barWidth);
    QStatusBar bar;
    bar.setSizeGripEnabled(false);
    bar.setFixedWidth(barWidth);
    bar.show();
    TmyStatus status{bar, "VELQORIS", 2};
    status.ShowPair("VELQORIS", "2.10");
    status.ShowMeasureEnd();
    status.ShowCodeStats(0, 16777215, 0, 2372459.5f);
    const std::string shown = status.PanelText(2).toStdString();
    const bool whole =
        shown == full || shown == noDecimals ||
        (noDecimals.rfind(shown, 0) == 0 && noDecimals.substr(shown.size(), 3) == " / ");
    EXPECT_TRUE(whole) << shown;
    int used = 0;
    for (int panel = 0; panel < 3; ++panel) used += status.PanelWidth(panel);
    EXPECT_LE(used, barWidth);
    EXPECT_EQ(status.PanelToolTip(2).toStdString(), shown == full ? "" : full);
  }
}

}  // namespace
}  // namespace velqoris
