// The virtual board through the raw device calls: its command table, the
// pace and extent of a run, purging and the bounded FIFO.
#include "virtualboard/Virtual_board.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/virtualboard/Board_fixture.h"

namespace velqoris::testing {
namespace {

using d2xx::DWORD;
using d2xx::FT_OK;

TEST_F(BoardTest, AnswersEveryCommandOfItsTable) {
  const std::vector<std::pair<std::string, std::string>> table = {{"?", "OK\r"},
                                                                  {"U?", "VELQORIS\r"},
                                                                  {"V?", "1.00\r"},
                                                                  {"S3", "OK\r"},
                                                                  {"S4", "OK\r"},
                                                                  {"SB0", "OK\r"},
                                                                  {"SB1", "OK\r"},
                                                                  {"SC0", "OK\r"},
                                                                  {"SC1", "OK\r"},
                                                                  {"SG0", "OK\r"},
                                                                  {"SG5", "OK\r"},
                                                                  {"SF0001", "OK\r"},
                                                                  {"SF0960", "OK\r"},
                                                                  {"SF1023", "OK\r"},
                                                                  {"AX", ""},
                                                                  {"SG6", "NG\r"},
                                                                  {"SG", "NG\r"},
                                                                  {"SG00", "NG\r"},
                                                                  {"SF0000", "NG\r"},
                                                                  {"SF1024", "NG\r"},
                                                                  {"SF960", "NG\r"},
                                                                  {"SF09600", "NG\r"},
                                                                  {"SF09a0", "NG\r"},
                                                                  {"s4", "NG\r"},
                                                                  {"S5", "NG\r"},
                                                                  {"SB2", "NG\r"},
                                                                  {"SC", "NG\r"},
                                                                  {"", "NG\r"},
                                                                  {"X", "NG\r"},
                                                                  {"? ", "NG\r"},
                                                                  {"A300064", "NG\r"},
                                                                  {"A00064", "NG\r"},
                                                                  {"A000064F", "NG\r"},
                                                                  {"A00006f", "NG\r"},
                                                                  {"A000000", "NG\r"},
                                                                  {"U?\n", "NG\r"},
                                                                  {std::string(40, 'S'), "NG\r"}};
  for (const auto& [command, reply] : table) {
    EXPECT_EQ(Ask(command), reply) << "command \"" << command << "\"";
  }
}

TEST_F(BoardTest, SettingsTakeEffectOnlyWhenAcknowledged) {
  Ask("S3");
  Ask("SB1");
  Ask("SC1");
  Ask("SG4");
  Ask("SF0960");
  EXPECT_FALSE(board.Settings().sinc4);
  EXPECT_TRUE(board.Settings().buffer);
  EXPECT_TRUE(board.Settings().chop);
  EXPECT_EQ(board.Settings().Gain(), 64);
  EXPECT_EQ(board.Settings().filterWord, 960);
  Ask("SG9");
  Ask("SF2000");
  EXPECT_EQ(board.Settings().gainIndex, 4);
  EXPECT_EQ(board.Settings().filterWord, 960);
}

TEST_F(BoardTest, RepliesComeAfterTheControllerLatencyAndNeverUnasked) {
  clock.Advance(1s);
  EXPECT_EQ(Queued(), 0u);
  Send("?");
  clock.Advance(999us);
  EXPECT_EQ(Queued(), 0u);
  clock.Advance(1us);
  EXPECT_EQ(Drain(), "OK\r");
}

TEST_F(BoardTest, CommandsMaySplitAcrossWritesOrShareOne) {
  Write("S");
  Write("G");
  clock.Advance(5ms);
  EXPECT_EQ(Queued(), 0u);
  Write("3\r?\rU?\r");
  clock.Advance(2ms);
  EXPECT_EQ(Drain(), "OK\rOK\rVELQORIS\r");
  EXPECT_EQ(board.Settings().gainIndex, 3);
}

TEST_F(BoardTest, RunDeliversExactlyTheRequestedFramesAtThePace) {
  SetWord(48);  // 100 per second: one frame every 10 ms
  Send("A000064");
  const auto firstDue = 1ms + 10ms;
  clock.Advance(firstDue - 1ns);
  EXPECT_EQ(Queued(), 0u);
  clock.Advance(1ns);
  EXPECT_EQ(Queued(), 7u);
  clock.Advance(500ms);
  EXPECT_EQ(Queued(), 51u * 7);
  clock.Advance(10s);
  const std::string bytes = Drain();
  EXPECT_EQ(bytes.size(), 100u * 7);
  EXPECT_EQ(Codes(bytes, 1).size(), 100u);
  EXPECT_FALSE(board.Running());
  EXPECT_EQ(Ask("?"), "OK\r") << "idle again after the run";
}

TEST_F(BoardTest, ModesChooseTheChannelAndTheFrameForm) {
  SetWord(1);
  Ask("SG5");
  Send("A20000A");
  clock.Advance(10ms);
  const auto pairs = Codes(Drain(), 2);
  ASSERT_EQ(pairs.size(), 20u);
  Send("A10000A");
  clock.Advance(10ms);
  const auto ch1 = Codes(Drain(), 1);
  ASSERT_EQ(ch1.size(), 10u);
  // CH0 sits near zero input, CH1 carries a millivolt signal.
  const std::int32_t mid = 8388608;
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    EXPECT_LT(std::abs(pairs[i] - mid), 5000);
    EXPECT_GT(std::abs(pairs[i + 1] - mid), 5000);
  }
  EXPECT_GT(std::abs(ch1[0] - mid), 5000);
}

TEST_F(BoardTest, StopEndsTheRunAtOnceAndOnlyStopIsHeardMeanwhile) {
  SetWord(48);
  Send("A000064");
  clock.Advance(1ms + 35ms);  // three frames done
  Send("?");                  // not for a converting controller
  clock.Advance(5ms);         // the fourth
  Send("AX");
  EXPECT_FALSE(board.Running());
  clock.Advance(10s);
  EXPECT_EQ(Drain().size(), 4u * 7);
  EXPECT_EQ(Ask("?"), "OK\r");
}

TEST_F(BoardTest, PurgeEmptiesTheFifoButNotTheRunOrTheControllersReplies) {
  SetWord(48);
  Send("A000064");
  clock.Advance(1ms + 50ms);
  ASSERT_EQ(Queued(), 5u * 7);
  ASSERT_EQ(board.FT_Purge(handle, d2xx::FT_PURGE_RX | d2xx::FT_PURGE_TX), FT_OK);
  EXPECT_EQ(Queued(), 0u);
  clock.Advance(20ms);
  EXPECT_EQ(Queued(), 2u * 7);
  Send("AX");
  Drain();

  Write("SG");
  ASSERT_EQ(board.FT_Purge(handle, d2xx::FT_PURGE_TX), FT_OK);
  EXPECT_EQ(Ask("2"), "NG\r") << "the half-written line went with the purge";
  Send("?");
  ASSERT_EQ(board.FT_Purge(handle, d2xx::FT_PURGE_RX), FT_OK);
  clock.Advance(2ms);
  EXPECT_EQ(Drain(), "OK\r") << "a reply still in the controller arrives after the purge";
}

TEST_F(BoardTest, AnAbsentHostStallsTheStreamWithoutGrowingTheFifo) {
  SetWord(1);
  Send("A2075F8");  // 30200 pairs at 4800 per second
  clock.Advance(1h);
  const DWORD queued = Queued();
  EXPECT_LE(queued, VirtualBoard::kFifoCapacity);
  EXPECT_EQ(queued % 13, 0u);
  EXPECT_GT(board.SkippedConversions(), 0u);
  // Reading again lets the run finish with exactly the frames it was asked for.
  std::size_t frames = Drain().size() / 13;
  for (int ms = 0; ms < 10000 && board.Running(); ++ms) {
    clock.Advance(1ms);
    frames += Drain().size() / 13;
  }
  frames += Drain().size() / 13;
  EXPECT_EQ(frames, 30200u);
  EXPECT_FALSE(board.Running());
}

TEST_F(BoardTest, HandlesAndParametersAreChecked) {
  d2xx::FT_HANDLE second = nullptr;
  EXPECT_NE(board.FT_Open(0, &second), FT_OK) << "already open";
  EXPECT_EQ(board.FT_Open(1, &second), d2xx::FT_DEVICE_NOT_FOUND);
  DWORD n = 0;
  int other = 0;
  EXPECT_EQ(board.FT_GetQueueStatus(&other, &n), d2xx::FT_INVALID_HANDLE);
  EXPECT_EQ(board.FT_GetQueueStatus(handle, nullptr), d2xx::FT_INVALID_PARAMETER);
  EXPECT_EQ(board.FT_SetUSBParameters(handle, 4096, 0), FT_OK);
  EXPECT_EQ(board.InTransferSize(), 4096u);
  EXPECT_EQ(board.FT_SetUSBParameters(handle, 100, 0), d2xx::FT_INVALID_PARAMETER);
  EXPECT_EQ(board.FT_SetUSBParameters(handle, 0, 0), d2xx::FT_INVALID_PARAMETER);
  EXPECT_EQ(board.FT_Close(handle), FT_OK);
  EXPECT_EQ(board.FT_Close(handle), d2xx::FT_INVALID_HANDLE);
  EXPECT_EQ(board.FT_Open(0, &second), FT_OK);
  EXPECT_NE(second, handle) << "a new open gives a new handle";
  EXPECT_EQ(board.FT_GetQueueStatus(handle, &n), d2xx::FT_INVALID_HANDLE);
}

}  // namespace
}  // namespace velqoris::testing
