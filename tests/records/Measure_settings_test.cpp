#include "records/Measure_settings.h"

#include <gtest/gtest.h>

namespace velqoris {
namespace {

TEST(MeasureSettings, DefaultsAreTenSpsThousandSamplesCh0GainOneSinc4) {
  MeasureSettings s;
  EXPECT_EQ(s.spsSel, 1);
  EXPECT_EQ(s.DataCountSel, 3);
  EXPECT_EQ(s.CHSel, 0);
  EXPECT_EQ(s.GainSel, 0);
  EXPECT_EQ(s.Gain, 1);
  EXPECT_EQ(s.fSinc4, 1);
  EXPECT_EQ(s.fBUF_ON, 0);
  EXPECT_EQ(s.fCHOP_ON, 0);
  EXPECT_EQ(*DataRate(s.spsSel), 10);
  EXPECT_EQ(*DataCount(s.DataCountSel), 1000);
}

TEST(SelectionLookup, OutOfRangeGivesNothing) {
  for (int bad : {-1, 13, 1000, INT32_MIN}) {
    EXPECT_FALSE(DataRate(bad));
    EXPECT_FALSE(ReadBlock(bad));
    EXPECT_EQ(FilterWord(bad), 0);
  }
  EXPECT_FALSE(DataCount(7));
  EXPECT_FALSE(DataCount(-1));
  EXPECT_FALSE(GainOf(6));
  EXPECT_FALSE(ValidChannel(3));
  EXPECT_FALSE(ValidChannel(-1));
  MeasureSettings s;
  EXPECT_TRUE(SelectionsValid(s));
  s.GainSel = 6;
  EXPECT_FALSE(SelectionsValid(s));
}

TEST(SelectionTables, FilterWordIsRateDivisorAndBlocksDivideEveryCount) {
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(FilterWord(i) * *DataRate(i), 4800) << i;
    for (int count : kDataCounts) EXPECT_EQ(count % *ReadBlock(i), 0) << i << " " << count;
  }
  EXPECT_EQ(*GainOf(4), 64);
  EXPECT_EQ(*GainOf(5), 128);
}

TEST(LiveDrawing, OnlySlowRatesWithAThousandSamplesOrMore) {
  MeasureSettings s;
  s.spsSel = 6;
  s.DataCountSel = 3;
  EXPECT_TRUE(LiveDrawing(s));
  s.spsSel = 7;
  EXPECT_FALSE(LiveDrawing(s));
  s.spsSel = 0;
  s.DataCountSel = 2;
  EXPECT_FALSE(LiveDrawing(s));
  s.DataCountSel = 6;
  EXPECT_TRUE(LiveDrawing(s));
}

}  // namespace
}  // namespace velqoris
