// Each fault of the virtual board, seen through the raw device calls.
#include "virtualboard/Board_faults.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/virtualboard/Board_fixture.h"

namespace velqoris::testing {
namespace {

using d2xx::DWORD;
using d2xx::FT_OK;

TEST_F(BoardTest, SilentAndRefusedCommandsHaveNoEffect) {
  board.Faults().silentCommands.insert("SG4");
  board.Faults().refusedCommands.insert("SB1");
  EXPECT_EQ(Ask("SG4"), "");
  EXPECT_EQ(Ask("SB1"), "NG\r");
  EXPECT_EQ(board.Settings().gainIndex, 0);
  EXPECT_FALSE(board.Settings().buffer);
  EXPECT_EQ(Ask("SG3"), "OK\r") << "only the named command is affected";
  board.Faults().refusedCommands.insert("A000064");
  EXPECT_EQ(Ask("A000064"), "NG\r");
  EXPECT_FALSE(board.Running());
}

TEST_F(BoardTest, IdentityFaults) {
  board.SetBoardName("OTHERBOARD");
  EXPECT_EQ(Ask("U?"), "OTHERBOARD\r");
  board.SetBoardName("VELQORIS-LONG");
  EXPECT_EQ(Ask("U?"), "VELQORIS-LONG\r");
  board.Faults().versionFails = true;
  EXPECT_EQ(Ask("V?"), "NG\r");
}

TEST_F(BoardTest, RepliesWithoutCrAndStrayBytes) {
  board.Faults().replyWithoutCr = true;
  EXPECT_EQ(Ask("?"), "OK");
  EXPECT_EQ(Ask("U?"), "VELQORIS");
  board.Faults().replyWithoutCr = false;
  board.Faults().strayAfterAck = "\xFFZ";
  EXPECT_EQ(Ask("SG1"), "OK\r\xFFZ");
  EXPECT_EQ(Ask("U?"), "VELQORIS\r") << "only acknowledgements carry them";
}

TEST_F(BoardTest, TricklingShowsOneMoreBytePerPoll) {
  board.Faults().trickle = true;
  Send("U?");
  clock.Advance(2ms);
  EXPECT_EQ(Queued(), 1u);
  EXPECT_EQ(Queued(), 2u);
  char buffer[16] = {};
  DWORD got = 0;
  ASSERT_EQ(board.FT_Read(handle, buffer, sizeof buffer, &got), FT_OK);
  EXPECT_EQ(std::string(buffer, got), "VE") << "no more than was shown";
  EXPECT_EQ(Queued(), 1u);
  EXPECT_EQ(Drain(), "LQORIS\r");
}

TEST_F(BoardTest, FrameFaultsHitTheNamedFrame) {
  SetWord(1);
  board.Faults().lfFrame = 1;
  board.Faults().nonHexFrame = 2;
  Send("A000004");
  clock.Advance(10ms);
  const std::string bytes = Drain();
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(bytes[6], '\r');
  EXPECT_EQ(bytes[13], '\n');
  EXPECT_EQ(bytes[16], 'G');
  EXPECT_EQ(bytes[20], '\r');
  EXPECT_EQ(bytes.find('G'), 16u);
}

TEST_F(BoardTest, StalledStreamWaitsForStop) {
  SetWord(1);
  board.Faults().stallAfter = 3;
  Send("A00000A");
  clock.Advance(10s);
  EXPECT_EQ(Drain().size(), 3u * 7);
  EXPECT_TRUE(board.Running());
  Send("AX");
  EXPECT_FALSE(board.Running());
}

TEST_F(BoardTest, ReadErrorAfterFramesLastsUntilPurge) {
  SetWord(1);
  board.Faults().readErrorAfter = 2;
  Send("A00000A");
  clock.Advance(10ms);
  char buffer[64];
  DWORD got = 0;
  ASSERT_EQ(board.FT_Read(handle, buffer, 14, &got), FT_OK);
  EXPECT_EQ(got, 14u);
  DWORD n = 0;
  EXPECT_EQ(board.FT_GetQueueStatus(handle, &n), d2xx::FT_IO_ERROR);
  EXPECT_EQ(board.FT_Read(handle, buffer, 7, &got), d2xx::FT_IO_ERROR);
  EXPECT_EQ(got, 0u);
  ASSERT_EQ(board.FT_Purge(handle, 3), FT_OK);
  EXPECT_EQ(board.FT_GetQueueStatus(handle, &n), FT_OK) << "once per run";
}

TEST_F(BoardTest, UnpluggedBoardFailsEverythingUntilPluggedAndReopened) {
  Ask("SG5");
  board.Unplug();
  DWORD n = 0;
  char byte = '?';
  EXPECT_NE(board.FT_GetQueueStatus(handle, &n), FT_OK);
  EXPECT_NE(board.FT_Write(handle, &byte, 1, &n), FT_OK);
  EXPECT_NE(board.FT_Read(handle, &byte, 1, &n), FT_OK);
  EXPECT_NE(board.FT_Purge(handle, 3), FT_OK);
  EXPECT_NE(board.FT_SetUSBParameters(handle, 4096, 0), FT_OK);
  EXPECT_NE(board.FT_Close(handle), FT_OK);
  d2xx::FT_HANDLE again = nullptr;
  EXPECT_EQ(board.FT_Open(0, &again), d2xx::FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(again, nullptr);

  board.Plug();
  EXPECT_EQ(board.FT_GetQueueStatus(handle, &n), d2xx::FT_INVALID_HANDLE) << "stale handle";
  ASSERT_EQ(board.FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(board.Settings().gainIndex, 0) << "power was lost";
  EXPECT_EQ(Ask("?"), "OK\r");
}

TEST_F(BoardTest, FailingPurgeAndOpen) {
  board.Faults().purgeFails = true;
  EXPECT_EQ(board.FT_Purge(handle, 3), d2xx::FT_IO_ERROR);
  EXPECT_EQ(board.FT_Close(handle), FT_OK);
  board.Faults().openFails = true;
  EXPECT_NE(board.FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(handle, nullptr);
  board.Faults().openFails = false;
  EXPECT_EQ(board.FT_Open(0, &handle), FT_OK);
}

}  // namespace
}  // namespace velqoris::testing
