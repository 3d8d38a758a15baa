// The acquisition core stepwise with the data on display as its sink, as the
// window and the tool's measure run it.
#include <gtest/gtest.h>

#include "board/Ad7190.h"
#include "session/Acquisition.h"
#include "session/Run_buffer.h"
#include "session/Stats_sink.h"
#include "tests/support/Connect_failures.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

// Microvolts at gain 1, worked out apart from the program's conversion.
float Microvolts(std::int32_t code) {
  return static_cast<float>((code - 8388608.0) * 2500000.0 / 8388607.0);
}

class AcquisitionTest : public ::testing::Test {
 protected:
  Acquisition::Pass StepAfter(std::chrono::milliseconds dt) {
    clock.Advance(dt);
    return run.Step();
  }
  bool SetUpRun() {
    const auto count = DataCount(data.Settings.DataCountSel).value_or(0);
    return !run.Start({data.Settings, count}, {&buffer}).has_value();
  }
  bool Start(int spsSel, int countSel, int chSel) {
    data.Settings.spsSel = spsSel;
    data.Settings.DataCountSel = countSel;
    data.Settings.CHSel = chSel;
    if (run.Connect()) return false;
    return SetUpRun();
  }

  ManualClock clock;
  VirtualBoard board{clock, 3};
  FakeEventHost host{clock, std::chrono::microseconds(100)};
  TADC adc{board, host};
  RunData data;
  RunBuffer buffer{data};
  Acquisition run{adc, clock, host};
};

class AcquisitionConnectTest : public AcquisitionTest,
                               public ::testing::WithParamInterface<ConnectFailure> {};

TEST_P(AcquisitionConnectTest, EachFailureIsReportedAndLeavesTheLinkClosed) {
  GetParam().apply(board);
  EXPECT_EQ(run.Connect(), GetParam().result);
  EXPECT_FALSE(board.IsOpen());
  EXPECT_FALSE(run.IsBoardReady());
}

INSTANTIATE_TEST_SUITE_P(Failures, AcquisitionConnectTest, ::testing::ValuesIn(ConnectFailures()),
                         ConnectFailureName);

TEST_F(AcquisitionTest, ConnectIdentifiesTheBoard) {
  EXPECT_EQ(run.Connect(), std::nullopt);
  EXPECT_TRUE(run.IsBoardReady());
  EXPECT_EQ(run.BoardName(), "VELQORIS");
  EXPECT_EQ(run.BoardVersion(), "1.00");
  EXPECT_TRUE(board.IsOpen());
}

TEST_F(AcquisitionTest, SetupSendsTheSettingsInOrderThenStarts) {
  data.Settings.fSinc4 = 0;
  data.Settings.fBUF_ON = 1;
  data.Settings.fCHOP_ON = 1;
  data.Settings.GainSel = 5;
  ASSERT_TRUE(Start(0, 6, 2));
  const auto& c = board.Commands();
  ASSERT_GE(c.size(), 6u);
  const std::vector<std::string> tail(c.end() - 6, c.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"S3", "SB1", "SC1", "SG5", "SF0960", "A202710"}));
  EXPECT_EQ(run.TargetCount(), 10000);
}

TEST_F(AcquisitionTest, ASelectionOutsideItsListIsNeverSent) {
  const auto sent = [&] {
    EXPECT_EQ(run.Connect(), std::nullopt);
    return board.Commands().size();
  };
  for (auto bad : {std::pair{-1, 3}, std::pair{13, 3}, std::pair{1, 7}, std::pair{1, -1}}) {
    data.Settings.spsSel = bad.first;
    data.Settings.DataCountSel = bad.second;
    const auto before = sent();
    EXPECT_FALSE(SetUpRun());
    EXPECT_EQ(board.Commands().size(), before);
  }
  data.Settings.spsSel = 1;
  data.Settings.DataCountSel = 3;
  data.Settings.GainSel = 6;
  auto before = sent();
  EXPECT_FALSE(SetUpRun());
  EXPECT_EQ(board.Commands().size(), before);
  data.Settings.GainSel = 0;
  data.Settings.CHSel = 3;
  before = sent();
  EXPECT_FALSE(SetUpRun());
  EXPECT_EQ(board.Commands().size(), before);
  EXPECT_EQ(run.Result().end, RunEnd::kRefused);
}

TEST_F(AcquisitionTest, StepsCollectWholeBlocksAndCompleteExactly) {
  ASSERT_TRUE(Start(11, 0, 2));  // 2400 sps: 20 per step
  EXPECT_EQ(run.Step(), Acquisition::Pass::kWaiting);
  int steps = 0;
  Acquisition::Pass r{};
  do {
    r = StepAfter(std::chrono::milliseconds(10));
    if (r == Acquisition::Pass::kBlock) {
      EXPECT_EQ(run.ReadCount() % 20, 0);
    }
    ++steps;
  } while (r != Acquisition::Pass::kEnded && steps < 100);
  EXPECT_EQ(r, Acquisition::Pass::kEnded);
  EXPECT_EQ(run.Result().end, RunEnd::kComplete);
  EXPECT_EQ(run.ReadCount(), 100);
  EXPECT_EQ(data.Ch0.Count, 100);
  EXPECT_EQ(data.Ch1.Count, 100);
  EXPECT_EQ(run.Step(), Acquisition::Pass::kIdle);
  // Nothing written past the run.
  EXPECT_EQ(data.Codes(0)[100], 0);
  EXPECT_EQ(data.Codes(1)[100], 0);
  data.ConvertAll();
  data.CalcStats();
  EXPECT_FLOAT_EQ(data.Ch1.Microvolts[99], Microvolts(data.Ch1.Codes[99]));
  EXPECT_GT(data.CodeMeanCH0, 0);
}

TEST_F(AcquisitionTest, LiveBlocksOnlyForSlowLongRunsAndOneAtATime) {
  ASSERT_TRUE(Start(6, 3, 1));  // 200 sps, 1000: 2 per step, live
  int first = -1, last = -1;
  while (run.ReadCount() < 250) StepAfter(std::chrono::milliseconds(10));
  EXPECT_TRUE(buffer.NextLiveBlock(first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 99);
  EXPECT_TRUE(buffer.NextLiveBlock(first, last));
  EXPECT_EQ(first, 100);
  EXPECT_FALSE(buffer.NextLiveBlock(first, last));
  EXPECT_FLOAT_EQ(data.Ch1.Microvolts[150], Microvolts(data.Ch1.Codes[150]));
  EXPECT_FLOAT_EQ(data.Ch0.Microvolts[150], 0.0f);  // not the run's channel
  run.Stop();

  ASSERT_TRUE(Start(7, 3, 0));  // 400 sps: too fast to draw live
  while (run.ReadCount() < 200) StepAfter(std::chrono::milliseconds(20));
  EXPECT_FALSE(buffer.NextLiveBlock(first, last));
}

TEST_F(AcquisitionTest, PollsAboutTwicePerBlock) {
  const auto poll = [](int spsSel) { return Acquisition::PollIntervalMs(spsSel); };
  EXPECT_EQ(poll(12), 5);  // 50 at 4800 sps: 10.4 ms a block
  EXPECT_EQ(poll(11), 4);  // 20 at 2400 sps
  EXPECT_EQ(poll(6), 5);   // 2 at 200 sps
  EXPECT_EQ(poll(1), 50);  // 1 at 10 sps, capped
  EXPECT_EQ(poll(0), 50);
  EXPECT_EQ(poll(-1), 1);  // no rate selected: the fastest poll
}

TEST_F(AcquisitionTest, StopAfterNineDiscardsAndAfterTenKeepsThem) {
  for (const int stopAt : {9, 10}) {
    ASSERT_TRUE(Start(1, 3, 2));
    while (run.ReadCount() < stopAt) StepAfter(std::chrono::milliseconds(100));
    run.Stop();
    EXPECT_EQ(run.Result().end, RunEnd::kStopped);
    EXPECT_EQ(buffer.Kept(), stopAt == 10);
    EXPECT_EQ(data.Ch0.Count, stopAt == 10 ? 10 : 0);
    EXPECT_EQ(data.Ch1.Count, stopAt == 10 ? 10 : 0);
    EXPECT_FALSE(board.IsOpen());
    EXPECT_FALSE(run.IsBoardReady());
  }
}

TEST_F(AcquisitionTest, AnOpenEndedRunChainsStartCommandsUntilStopped) {
  data.Settings.spsSel = 12;
  data.Settings.CHSel = 0;
  ASSERT_EQ(run.Connect(), std::nullopt);
  StatsSink stats;
  std::vector<int> gaps;
  struct GapSink final : Sink {
    std::vector<int>& starts;
    explicit GapSink(std::vector<int>& s) : starts(s) {}
    bool Take(const Block&) override { return true; }
    void Gap(int start, double) override { starts.push_back(start); }
  } gapSink(gaps);
  const auto end = run.Run({data.Settings, Acquisition::kUntilStopped, 1000}, {&stats, &gapSink},
                           [&] { return run.ReadCount() >= 3500; });
  EXPECT_EQ(end, RunEnd::kStopped);
  EXPECT_EQ(run.StartCommands(), 4);
  EXPECT_EQ(gaps, (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(stats.Stats(0).Count(), run.ReadCount());
  EXPECT_EQ(board.Commands().back(), "AX");
}

}  // namespace
}  // namespace velqoris::testing
