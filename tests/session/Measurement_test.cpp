// The window-free run class, as the command-line tool uses it.
#include <gtest/gtest.h>

#include "session/Measurement.h"
#include "board/Ad7190.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

class MeasurementTest : public ::testing::Test {
 protected:
  MeasurementTest() : run(adc, data, [](std::int32_t code) { return code * 0.5f; }) {}

  Measurement::StepResult StepAfter(std::chrono::milliseconds dt) {
    clock.Advance(dt);
    return run.MeasureStep();
  }
  bool Start(int spsSel, int countSel, int chSel) {
    data.Settings.spsSel = spsSel;
    data.Settings.DataCountSel = countSel;
    data.Settings.CHSel = chSel;
    if (run.ConnectBoard() != Measurement::ConnectResult::kOk) return false;
    if (!run.SetupBoard()) return false;
    run.BeginRun();
    return true;
  }

  ManualClock clock;
  VirtualBoard board{clock, 3};
  FakeEventHost host{clock, std::chrono::microseconds(100)};
  TADC adc{board, host};
  RunData data;
  Measurement run;
};

TEST_F(MeasurementTest, ConnectReportsEachKindOfFailureAndLeavesTheLinkClosed) {
  board.Faults().openFails = true;
  EXPECT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kNotFound);
  board.Faults().openFails = false;
  board.Faults().silentCommands = {"?"};
  EXPECT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kNoResponse);
  EXPECT_FALSE(board.IsOpen());
  board.Faults().silentCommands.clear();
  board.Faults().versionFails = true;
  EXPECT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kNoResponse);
  EXPECT_FALSE(board.IsOpen());
  board.Faults().versionFails = false;
  board.SetBoardName("velqoris");  // the comparison is case-sensitive
  EXPECT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kOtherName);
  EXPECT_FALSE(board.IsOpen());
  board.SetBoardName("VELQORIS");
  EXPECT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kOk);
  EXPECT_EQ(run.BoardName, "VELQORIS");
  EXPECT_EQ(run.BoardVersion, "1.00");
  EXPECT_TRUE(board.IsOpen());
}

TEST_F(MeasurementTest, SetupSendsTheSettingsInOrderThenStarts) {
  data.Settings.fSinc4 = 0;
  data.Settings.fBUF_ON = 1;
  data.Settings.fCHOP_ON = 1;
  data.Settings.GainSel = 5;
  ASSERT_TRUE(Start(0, 6, 2));
  const auto& c = board.Commands();
  ASSERT_GE(c.size(), 6u);
  const std::vector<std::string> tail(c.end() - 6, c.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"S3", "SB1", "SC1", "SG5", "SF0960", "A202710"}));
  EXPECT_EQ(run.TargetCount, 10000);
}

TEST_F(MeasurementTest, ASelectionOutsideItsListIsNeverSent) {
  ASSERT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kOk);
  const auto sent = board.Commands().size();
  for (auto bad : {std::pair{-1, 3}, std::pair{13, 3}, std::pair{1, 7}, std::pair{1, -1}}) {
    data.Settings.spsSel = bad.first;
    data.Settings.DataCountSel = bad.second;
    EXPECT_FALSE(run.SetupBoard());
  }
  data.Settings.spsSel = 1;
  data.Settings.DataCountSel = 3;
  data.Settings.GainSel = 6;
  EXPECT_FALSE(run.SetupBoard());
  data.Settings.GainSel = 0;
  data.Settings.CHSel = 3;
  EXPECT_FALSE(run.SetupBoard());
  EXPECT_EQ(board.Commands().size(), sent);
}

TEST_F(MeasurementTest, StepsCollectWholeBlocksAndCompleteExactly) {
  ASSERT_TRUE(Start(11, 0, 2));  // 2400 sps: 20 per step
  EXPECT_EQ(run.MeasureStep(), Measurement::StepResult::kWaiting);
  int steps = 0;
  Measurement::StepResult r{};
  do {
    r = StepAfter(std::chrono::milliseconds(10));
    if (r == Measurement::StepResult::kProgress) {
      EXPECT_EQ(run.ReadCount % 20, 0);
    }
    ++steps;
  } while (r != Measurement::StepResult::kComplete && steps < 100);
  EXPECT_EQ(r, Measurement::StepResult::kComplete);
  EXPECT_EQ(run.ReadCount, 100);
  EXPECT_EQ(data.Ch0.Count, 100);
  EXPECT_EQ(data.Ch1.Count, 100);
  EXPECT_EQ(run.MeasureStep(), Measurement::StepResult::kIdle);
  // Nothing written past the run.
  EXPECT_EQ(data.Codes(0)[100], 0);
  EXPECT_EQ(data.Codes(1)[100], 0);
  run.ConvertAll();
  run.CalcStats();
  EXPECT_FLOAT_EQ(data.Ch1.Microvolts[99], data.Ch1.Codes[99] * 0.5f);
  EXPECT_GT(data.CodeMeanCH0, 0);
}

TEST_F(MeasurementTest, LiveBlocksOnlyForSlowLongRunsAndOneAtATime) {
  ASSERT_TRUE(Start(6, 3, 1));  // 200 sps, 1000: 2 per step, live
  int first = -1, last = -1;
  while (run.ReadCount < 250) StepAfter(std::chrono::milliseconds(10));
  EXPECT_TRUE(run.NextLiveBlock(first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 99);
  EXPECT_TRUE(run.NextLiveBlock(first, last));
  EXPECT_EQ(first, 100);
  EXPECT_FALSE(run.NextLiveBlock(first, last));
  EXPECT_FLOAT_EQ(data.Ch1.Microvolts[150], data.Ch1.Codes[150] * 0.5f);
  EXPECT_FLOAT_EQ(data.Ch0.Microvolts[150], 0.0f);  // not the run's channel
  run.StopRun();

  ASSERT_TRUE(Start(7, 3, 0));  // 400 sps: too fast to draw live
  while (run.ReadCount < 200) StepAfter(std::chrono::milliseconds(20));
  EXPECT_FALSE(run.NextLiveBlock(first, last));
}

TEST_F(MeasurementTest, PollsAboutTwicePerBlock) {
  const auto poll = [&](int spsSel) {
    data.Settings.spsSel = spsSel;
    return run.PollIntervalMs();
  };
  EXPECT_EQ(poll(12), 5);  // 50 at 4800 sps: 10.4 ms a block
  EXPECT_EQ(poll(11), 4);  // 20 at 2400 sps
  EXPECT_EQ(poll(6), 5);   // 2 at 200 sps
  EXPECT_EQ(poll(1), 50);  // 1 at 10 sps, capped
  EXPECT_EQ(poll(0), 50);
  EXPECT_EQ(poll(-1), 1);  // no rate selected: the fastest poll
}

TEST_F(MeasurementTest, AStalledStreamWaitsUntilStopped) {
  board.Faults().stallAfter = 12;
  ASSERT_TRUE(Start(1, 3, 0));
  for (int i = 0; i < 50; ++i) StepAfter(std::chrono::milliseconds(100));
  EXPECT_TRUE(run.fMeasuring);
  EXPECT_EQ(run.ReadCount, 12);
  EXPECT_TRUE(run.StopRun());
  EXPECT_EQ(data.Ch0.Count, 12);
  EXPECT_FALSE(board.IsOpen());
  EXPECT_FALSE(run.fBoardReady);
}

TEST_F(MeasurementTest, AFrameWithoutItsCrEndsTheRunWithAnError) {
  board.Faults().lfFrame = 5;
  ASSERT_TRUE(Start(1, 3, 2));
  Measurement::StepResult r{};
  for (int i = 0; i < 20 && run.fMeasuring; ++i) r = StepAfter(std::chrono::milliseconds(100));
  EXPECT_EQ(r, Measurement::StepResult::kError);
  EXPECT_FALSE(data.HasData());
  EXPECT_EQ(board.Commands().back(), "AX");
}

}  // namespace
}  // namespace velqoris::testing
