// The board protocol driving the virtual board in-process: connecting,
// configuring, runs at their pace, and every fault as the protocol reports it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {
namespace {

using namespace std::chrono_literals;

class TadcOnBoard : public ::testing::Test {
 protected:
  // The window's connect sequence; the name is what the board said.
  bool Identify(std::string& name) {
    char text[11] = {};
    if (!adc.Connect() || !adc.CheckBoard() || !adc.GetBoardName(text)) return false;
    name = text;
    return true;
  }
  bool Configure(int word, int gainIndex) {
    return adc.SetSinc4() && adc.SetBufferOff() && adc.SetChopOff() && adc.SetGain(gainIndex) &&
           adc.SetFilterWord(word);
  }
  // Polls a single-channel run the way the idle handler does, one poll per
  // 100 µs of virtual time, until `want` codes are in, a read fails or `limit` passes.
  bool Collect(std::vector<std::int32_t>& codes, std::size_t want, int n,
               Clock::Duration limit = 60s) {
    const auto end = clock.Now() + limit;
    std::int32_t block[100];
    while (codes.size() < want && clock.Now() < end) {
      int count = 0;
      if (!adc.ReadSingle(block, count, n)) {
        codes.insert(codes.end(), block, block + count);
        return false;
      }
      codes.insert(codes.end(), block, block + count);
      clock.Advance(100us);
    }
    return true;
  }

  ManualClock clock;
  VirtualBoard board{clock, 11};
  FakeEventHost host{clock, 100us};
  TADC adc{board, host};
};

TEST_F(TadcOnBoard, ConnectsIdentifiesAndConfigures) {
  std::string name;
  ASSERT_TRUE(Identify(name));
  EXPECT_EQ(name, "VELQORIS");
  char version[11] = {};
  ASSERT_TRUE(adc.GetVersion(version));
  EXPECT_STREQ(version, "1.00");
  EXPECT_EQ(board.InTransferSize(), 4096u);

  ASSERT_TRUE(adc.SetSinc3() && adc.SetBufferOn() && adc.SetChopOn() && adc.SetGain(4) &&
              adc.SetFilterWord(960));
  EXPECT_FALSE(board.Settings().sinc4);
  EXPECT_TRUE(board.Settings().buffer);
  EXPECT_TRUE(board.Settings().chop);
  EXPECT_EQ(board.Settings().Gain(), 64);
  EXPECT_EQ(board.Settings().filterWord, 960);
  EXPECT_FALSE(adc.SetFilterWord(0)) << "the board refuses word 0";
  EXPECT_FALSE(adc.SetFilterWord(2000));
}

TEST_F(TadcOnBoard, TwoChannelRunDeliversEveryFrameInOrderAtItsTime) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(1, 5));
  NoiseParameters quiet;
  quiet.scale = 0.0;
  board.Signal().SetNoise(quiet);
  board.Signal().SetChannel(1, ChannelSignal{1e-3, 5e-3, 0.3, 0.0});
  const auto started = clock.Now();
  ASSERT_TRUE(adc.StartConversion(2, 10000));

  std::vector<std::int32_t> ch0(10000), ch1(10000);
  std::size_t have = 0;
  while (have < 10000 && clock.Now() - started < 10s) {
    int count = 0;
    ASSERT_TRUE(adc.ReadDual(ch0.data() + have, ch1.data() + have, 50, count));
    ASSERT_TRUE(count == 0 || count == 50);
    have += static_cast<std::size_t>(count);
    // Never ahead of the converter: frame k is done at start + 1 ms + (k + 1) / 4800 s.
    const double elapsed = std::chrono::duration<double>(clock.Now() - started - 1ms).count();
    ASSERT_LE(static_cast<double>(have), std::max(0.0, elapsed * 4800.0) + 1e-6);
    clock.Advance(1ms);
  }
  ASSERT_EQ(have, 10000u);
  const double t0 = std::chrono::duration<double>(started + 1ms).count();
  for (std::size_t k = 0; k < have; k += 97) {
    const double t = t0 + static_cast<double>(k + 1) / 4800.0;
    // Through the Sinc4 filter at 4800 sps.
    EXPECT_EQ(ch0[k], SignalModel::CodeFor(board.Signal().FilteredVolts(0, t, 4, 4800.0), 128))
        << k;
    EXPECT_EQ(ch1[k], SignalModel::CodeFor(board.Signal().FilteredVolts(1, t, 4, 4800.0), 128))
        << k;
  }
  clock.Advance(1s);
  int count = 0;
  EXPECT_TRUE(adc.ReadDual(ch0.data(), ch1.data(), 1, count));
  EXPECT_EQ(count, 0) << "nothing after the requested frames";
  EXPECT_TRUE(adc.CheckBoard()) << "the board is idle again";
}

TEST_F(TadcOnBoard, SlowRunArrivesOnePerPeriod) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(480, 0));  // 10 per second
  const auto started = clock.Now();
  ASSERT_TRUE(adc.StartConversion(0, 100));
  std::vector<std::int32_t> codes;
  ASSERT_TRUE(Collect(codes, 5, 1));
  EXPECT_EQ(codes.size(), 5u);
  EXPECT_GE(clock.Now() - started, 501ms);
  EXPECT_LT(clock.Now() - started, 502ms);
}

TEST_F(TadcOnBoard, NothingArrivesAfterStop) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(48, 0));
  ASSERT_TRUE(adc.StartConversion(1, 1000));
  std::vector<std::int32_t> codes;
  ASSERT_TRUE(Collect(codes, 10, 1));
  ASSERT_TRUE(adc.StopConversion());
  clock.Advance(5s);
  const std::size_t before = codes.size();
  ASSERT_TRUE(Collect(codes, 1000, 1, 2s));
  EXPECT_LE(codes.size(), before + 1) << "at most the frame already in the FIFO";
  EXPECT_FALSE(board.Running());
}

TEST_F(TadcOnBoard, IdentityFaultsAreSeenByTheConnectSequence) {
  std::string name;
  board.SetBoardName("OTHERBOARD");
  ASSERT_TRUE(Identify(name));
  EXPECT_NE(name, "VELQORIS");
  board.SetBoardName("VELQORIS-LONG");
  ASSERT_TRUE(Identify(name));
  EXPECT_EQ(name, "VELQORIS-L") << "ten characters at most";
  board.Faults().versionFails = true;
  char version[11] = {};
  EXPECT_FALSE(adc.GetVersion(version));
}

TEST_F(TadcOnBoard, SilenceAndRefusalFailTheCommand) {
  ASSERT_TRUE(adc.Connect());
  board.Faults().silentCommands.insert("?");
  const auto asked = clock.Now();
  EXPECT_FALSE(adc.CheckBoard());
  EXPECT_GE(clock.Now() - asked, 100ms) << "given up only after the wait interval";
  board.Faults().refusedCommands.insert("SG4");
  EXPECT_FALSE(adc.SetGain(4));
  EXPECT_TRUE(adc.SetGain(3));
  board.Faults().refusedCommands.insert("U?");
  char name[11] = {};
  EXPECT_FALSE(adc.GetBoardName(name));
}

TEST_F(TadcOnBoard, MissingCrFailsBothKindsOfReply) {
  ASSERT_TRUE(adc.Connect());
  board.Faults().replyWithoutCr = true;
  EXPECT_FALSE(adc.CheckBoard());
  char name[11] = {};
  EXPECT_FALSE(adc.GetBoardName(name));
  board.Faults().replyWithoutCr = false;
  EXPECT_TRUE(adc.CheckBoard());
}

TEST_F(TadcOnBoard, TricklingBytes) {
  ASSERT_TRUE(adc.Connect());
  board.Faults().trickle = true;
  // The acknowledgement is gathered byte by byte up to its CR.
  EXPECT_TRUE(adc.CheckBoard());
  char name[11] = {};
  EXPECT_TRUE(adc.GetBoardName(name)) << "a reply line is gathered byte by byte";
  EXPECT_STREQ(name, "VELQORIS");
  board.Faults().trickle = false;
  ASSERT_TRUE(Configure(1, 0));
  board.Faults().trickle = true;
  ASSERT_TRUE(adc.StartConversion(0, 20));
  std::vector<std::int32_t> codes;
  EXPECT_TRUE(Collect(codes, 20, 10));
  EXPECT_EQ(codes.size(), 20u) << "frames still arrive whole";
}

TEST_F(TadcOnBoard, BadFramesInARun) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(1, 0));
  board.Faults().lfFrame = 4;
  ASSERT_TRUE(adc.StartConversion(0, 9));
  std::vector<std::int32_t> codes;
  EXPECT_FALSE(Collect(codes, 9, 3));
  EXPECT_EQ(codes.size(), 4u) << "the frames before the bad one are kept";
  ASSERT_TRUE(adc.StopConversion());

  // A non-hex digit decodes as 0: the protocol cannot tell.
  board.Faults().lfFrame.reset();
  board.Faults().nonHexFrame = 0;
  NoiseParameters quiet;
  quiet.scale = 0.0;
  board.Signal().SetNoise(quiet);
  board.Signal().SetChannel(0, ChannelSignal{0x00A000 / SignalModel::CodesPerVolt(1), 0, 0, 0});
  ASSERT_TRUE(adc.StartConversion(0, 2));
  codes.clear();
  ASSERT_TRUE(Collect(codes, 2, 1));
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(codes[0], 0x800000);
  EXPECT_EQ(codes[1], 0x80A000);
}

TEST_F(TadcOnBoard, StalledStreamJustWaits) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(1, 0));
  board.Faults().stallAfter = 20;
  ASSERT_TRUE(adc.StartConversion(0, 100));
  std::vector<std::int32_t> codes;
  EXPECT_TRUE(Collect(codes, 100, 10, 5s));
  EXPECT_EQ(codes.size(), 20u);
  EXPECT_TRUE(adc.StopConversion());
  EXPECT_FALSE(board.Running());
}

TEST_F(TadcOnBoard, ReadErrorEndsTheRunButNotTheLink) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(2, 0));
  board.Faults().readErrorAfter = 40;
  ASSERT_TRUE(adc.StartConversion(2, 1000));
  std::vector<std::int32_t> ch0(1000), ch1(1000);
  std::size_t have = 0;
  bool failed = false;
  for (int poll = 0; poll < 10000 && !failed; ++poll) {
    int count = 0;
    failed = !adc.ReadDual(ch0.data() + have, ch1.data() + have, 20, count);
    have += static_cast<std::size_t>(count);
    clock.Advance(1ms);
  }
  EXPECT_TRUE(failed);
  EXPECT_EQ(have, 40u);
  EXPECT_EQ(adc.LastStatus(), d2xx::FT_IO_ERROR);
  EXPECT_TRUE(adc.StopConversion());
  EXPECT_TRUE(adc.IsOpen());
  EXPECT_TRUE(adc.CheckBoard()) << "the purge before the next command clears it";
}

TEST_F(TadcOnBoard, UnpluggingClosesTheLinkUntilPluggedBack) {
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(Configure(1, 0));
  ASSERT_TRUE(adc.StartConversion(0, 1000));
  clock.Advance(10ms);
  board.Unplug();
  std::int32_t codes[10];
  int count = 0;
  EXPECT_FALSE(adc.ReadSingle(codes, count, 10));
  EXPECT_FALSE(adc.SetSinc4());
  EXPECT_FALSE(adc.IsOpen()) << "the failed purge closed it";
  EXPECT_FALSE(adc.Connect());
  board.Plug();
  std::string name;
  ASSERT_TRUE(Identify(name));
  EXPECT_EQ(name, "VELQORIS");
}

TEST_F(TadcOnBoard, FailingOpenAndPurge) {
  board.Faults().openFails = true;
  EXPECT_FALSE(adc.Connect());
  board.Faults().openFails = false;
  board.Faults().purgeFails = true;
  EXPECT_FALSE(adc.Connect());
  EXPECT_FALSE(adc.IsOpen());
  EXPECT_FALSE(board.IsOpen()) << "the link let go of the device";
  board.Faults().purgeFails = false;
  EXPECT_TRUE(adc.Connect());
}

TEST_F(TadcOnBoard, StrayBytesAfterAnAcknowledgementAreTolerated) {
  ASSERT_TRUE(adc.Connect());
  board.Faults().strayAfterAck = "XYZ\r";
  EXPECT_TRUE(adc.CheckBoard());
  char name[11] = {};
  EXPECT_TRUE(adc.GetBoardName(name)) << "the purge before a command drops them";
  EXPECT_STREQ(name, "VELQORIS");
  ASSERT_TRUE(Configure(1, 0));
  ASSERT_TRUE(adc.StartConversion(0, 10));
  std::vector<std::int32_t> codes;
  EXPECT_TRUE(Collect(codes, 10, 10));
  EXPECT_EQ(codes.size(), 10u);
}

}  // namespace
}  // namespace velqoris::testing
