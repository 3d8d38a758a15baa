#include "board/Ft_fifo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "tests/support/Fake_event_host.h"
#include "tests/support/Scripted_device.h"

namespace velqoris {
namespace {

using testing::FakeEventHost;
using testing::ScriptedDevice;
using Call = ScriptedDevice::Call;

std::string Bytes(const std::uint8_t* data, std::uint32_t n) {
  return std::string(reinterpret_cast<const char*>(data), n);
}

class FifoTest : public ::testing::Test {
 protected:
  ManualClock clock;
  FakeEventHost host{clock, std::chrono::milliseconds(1)};
  ScriptedDevice device;
  Tft_FIFO link{device, host};

  void OpenLink() { ASSERT_TRUE(link.Open()); }
};

TEST_F(FifoTest, OpenSetsTransferSizeAndPurgesOnce) {
  EXPECT_FALSE(link.IsOpen());
  OpenLink();
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(device.InTransferSize(), 4096u);
  EXPECT_EQ(device.OutTransferSize(), 0u);
  ASSERT_EQ(device.PurgeMasks().size(), 1u);
  EXPECT_EQ(device.PurgeMasks()[0], 3u);

  // Opening an open link neither reopens nor purges.
  EXPECT_TRUE(link.Open());
  EXPECT_EQ(device.Count(Call::Open), 1);
  EXPECT_EQ(device.PurgeMasks().size(), 1u);
}

TEST_F(FifoTest, OpenFailuresLeaveTheLinkClosed) {
  device.Inject(Call::Open, d2xx::FT_DEVICE_NOT_FOUND);
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.LastStatus(), d2xx::FT_DEVICE_NOT_FOUND);

  device.Inject(Call::SetUSBParameters, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(device.IsOpen());  // closed again

  device.Inject(Call::Purge, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(link.LastStatus(), d2xx::FT_IO_ERROR);
}

TEST_F(FifoTest, FailedPurgeClosesAndEveryTransferFailsUntilReopened) {
  OpenLink();
  device.Inject(Call::Purge, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.Purge());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(device.IsOpen());

  device.Feed("OK\r");
  std::uint8_t buf[16];
  std::uint32_t got = 99;
  char reply[24];
  EXPECT_FALSE(link.WriteCommand("?"));
  EXPECT_FALSE(link.ReadAvailable(buf, sizeof buf, got));
  EXPECT_EQ(got, 0u);
  EXPECT_FALSE(link.ReadExact(buf, 3, got));
  EXPECT_FALSE(link.CommandOK("?"));
  EXPECT_FALSE(link.CommandReply("U?", reply, sizeof reply));
  EXPECT_TRUE(device.Written().empty());

  OpenLink();
  EXPECT_TRUE(link.WriteCommand("?"));
}

TEST_F(FifoTest, CloseAndDestructionPurgeThenClose) {
  OpenLink();
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.PurgeMasks().size(), 2u);

  ScriptedDevice other;
  {
    Tft_FIFO scoped(other, host);
    ASSERT_TRUE(scoped.Open());
    other.Feed("left over");
  }
  EXPECT_EQ(other.PurgeMasks().size(), 2u);
  EXPECT_EQ(other.Count(Call::Close), 1);
  EXPECT_FALSE(other.IsOpen());
  EXPECT_TRUE(other.Queued().empty());
}

TEST_F(FifoTest, CommandLengthLimitAndLineFormat) {
  OpenLink();
  EXPECT_TRUE(link.WriteCommand("SB1"));
  EXPECT_EQ(device.Writes().back(), std::string("\x53\x42\x31\x0D"));

  const std::string nineteen(19, 'A');
  EXPECT_TRUE(link.WriteCommand(nineteen.c_str()));
  EXPECT_EQ(device.Writes().back(), nineteen + "\r");
  EXPECT_EQ(device.Writes().back().size(), 20u);

  const std::string twenty(20, 'A');
  EXPECT_FALSE(link.WriteCommand(twenty.c_str()));
  EXPECT_EQ(device.Writes().size(), 2u);
  EXPECT_FALSE(link.WriteCommand(nullptr));
}

TEST_F(FifoTest, ShortWriteIsAFailedWrite) {
  OpenLink();
  device.SetWriteLimit(2);
  EXPECT_FALSE(link.WriteCommand("SB1"));
  EXPECT_NE(link.LastStatus(), d2xx::FT_OK);
  EXPECT_FALSE(link.CommandOK("S4"));
  device.SetWriteLimit(std::nullopt);
  device.Inject(Call::Write, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.WriteCommand("SB1"));
  EXPECT_EQ(link.LastStatus(), d2xx::FT_IO_ERROR);
}

TEST_F(FifoTest, CommandOkAcknowledgements) {
  OpenLink();
  device.QueueReply("OK\r");
  EXPECT_TRUE(link.CommandOK("S4"));
  EXPECT_FALSE(host.TimerArmed());

  device.QueueReply("NG\r");
  EXPECT_FALSE(link.CommandOK("S4"));

  // Only "OK", then silence: still a refusal, after the whole wait.
  link.SetTimeOut(100);
  device.QueueReply("OK");
  const auto start = clock.Now();
  EXPECT_FALSE(link.CommandOK("S4"));
  EXPECT_EQ(clock.Now() - start, std::chrono::milliseconds(100));
}

TEST_F(FifoTest, CommandOkWaitsForACrInALaterRead) {
  OpenLink();
  int pass = 0;
  host.onPass = [&] {
    if (++pass == 3) device.Feed("OK");
    if (pass == 6) device.Feed("\r");
  };
  EXPECT_TRUE(link.CommandOK("S4"));
  host.onPass = nullptr;
  // Nothing is left behind to spoil the next reply.
  EXPECT_EQ(device.Queued(), "");
  device.QueueReply("OK\r");
  EXPECT_TRUE(link.CommandOK("SB1"));
}

TEST_F(FifoTest, CommandOkSilenceEndsWhenTheTimerFires) {
  OpenLink();
  link.SetTimeOut(100);
  const auto start = clock.Now();
  EXPECT_FALSE(link.CommandOK("S4"));
  EXPECT_EQ(clock.Now() - start, std::chrono::milliseconds(100));
  EXPECT_FALSE(host.TimerArmed());
  EXPECT_FALSE(link.TimedOut());  // cleared by StopTimer
}

TEST_F(FifoTest, CommandOkGathersAcrossPasses) {
  OpenLink();
  int pass = 0;
  host.onPass = [&] {
    if (++pass == 3) device.Feed("O");
    if (pass == 6) device.Feed("K\r");
  };
  EXPECT_TRUE(link.CommandOK("?"));
}

TEST_F(FifoTest, CommandOkNeverWritesPastItsAckArea) {
  OpenLink();
  const std::string flood = "OK\r" + std::string(5000, 'Z');
  device.QueueReply(flood);
  EXPECT_TRUE(link.CommandOK("?"));
  ASSERT_FALSE(device.ReadRequests().empty());
  for (auto asked : device.ReadRequests()) EXPECT_LE(asked, Tft_FIFO::kAckSize);
  EXPECT_EQ(device.Queued().size(), flood.size() - Tft_FIFO::kAckSize);
}

TEST_F(FifoTest, CommandReplyLines) {
  OpenLink();
  char reply[24];
  device.QueueReply("ABCD\r");
  EXPECT_TRUE(link.CommandReply("U?", reply, sizeof reply));
  EXPECT_STREQ(reply, "ABCD");

  device.QueueReply(std::string(16, 'X'));
  EXPECT_FALSE(link.CommandReply("U?", reply, sizeof reply));

  const auto start = clock.Now();
  link.SetTimeOut(100);
  EXPECT_FALSE(link.CommandReply("U?", reply, sizeof reply));
  EXPECT_EQ(clock.Now() - start, std::chrono::milliseconds(100));
  EXPECT_FALSE(host.TimerArmed());
}

TEST_F(FifoTest, CommandReplyStaysInsideTheReplyArea) {
  OpenLink();
  char area[40];
  std::memset(area, '#', sizeof area);
  device.QueueReply(std::string(5000, 'Y') + "\r");
  EXPECT_FALSE(link.CommandReply("U?", area, 24));
  for (std::size_t i = 24; i < sizeof area; ++i) EXPECT_EQ(area[i], '#') << i;
  EXPECT_EQ(area[23], '\0');

  // A line split over several reads is joined.
  ASSERT_TRUE(link.Purge());
  int pass = 0;
  host.onPass = [&] {
    if (++pass == 2) device.Feed("VE");
    if (pass == 4) device.Feed("R1\r");
  };
  EXPECT_TRUE(link.CommandReply("V?", area, 24));
  EXPECT_STREQ(area, "VER1");
}

TEST_F(FifoTest, ReadAvailableIsBoundedByCapacity) {
  OpenLink();
  std::uint8_t buf[8];
  std::uint32_t got = 99;
  EXPECT_TRUE(link.ReadAvailable(buf, sizeof buf, got));
  EXPECT_EQ(got, 0u);

  device.Feed("0123456789abc");
  EXPECT_TRUE(link.ReadAvailable(buf, sizeof buf, got));
  EXPECT_EQ(got, 8u);
  EXPECT_EQ(Bytes(buf, got), "01234567");
  EXPECT_EQ(device.Queued(), "89abc");

  device.Inject(Call::QueueStatus, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.ReadAvailable(buf, sizeof buf, got));
  device.Inject(Call::Read, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.ReadAvailable(buf, sizeof buf, got));
  EXPECT_EQ(got, 0u);
}

TEST_F(FifoTest, ReadExactWholeBlocksOnly) {
  OpenLink();
  std::uint8_t buf[7];
  std::uint32_t got = 99;
  device.Feed("ABCDEF");
  EXPECT_TRUE(link.ReadExact(buf, 7, got));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(device.Queued(), "ABCDEF");
  EXPECT_EQ(device.Count(Call::Read), 0);

  device.Feed("GHIJKLMNOPQRST");  // 20 queued
  EXPECT_TRUE(link.ReadExact(buf, 7, got));
  EXPECT_EQ(got, 7u);
  EXPECT_EQ(Bytes(buf, 7), "ABCDEFG");
  EXPECT_EQ(device.Queued().size(), 13u);
  EXPECT_EQ(link.CarryOver(), 0u);

  device.Inject(Call::Read, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(link.ReadExact(buf, 7, got));
  EXPECT_EQ(got, 0u);
}

TEST_F(FifoTest, ShortReadsAreKeptInOrder) {
  OpenLink();
  // The device hands over fewer bytes than it reported queued.
  device.SetReadLimit(5);
  device.Feed("0000001\r0000002\r0000003\r");
  std::uint8_t buf[8];
  std::uint32_t got = 0;
  std::string delivered;
  for (int i = 0; i < 20 && delivered.size() < 24; ++i) {
    ASSERT_TRUE(link.ReadExact(buf, 8, got));
    ASSERT_TRUE(got == 0 || got == 8);
    delivered += Bytes(buf, got);
  }
  EXPECT_EQ(delivered, "0000001\r0000002\r0000003\r");
  EXPECT_EQ(link.CarryOver(), 0u);
}

TEST_F(FifoTest, CarryOverComesFirstAndIsBoundedByTheStore) {
  OpenLink();
  device.SetReadLimit(3);
  device.Feed("abcde");
  std::uint8_t buf[Tft_FIFO::kReceiveSize];
  std::uint32_t got = 0;
  EXPECT_TRUE(link.ReadExact(buf, 5, got));  // short read: 3 kept
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(link.CarryOver(), 3u);
  device.SetReadLimit(std::nullopt);

  // The rest of the queue is taken behind the stored bytes, never past the store.
  device.Feed(std::string(Tft_FIFO::kReceiveSize + 500, 'x'));
  EXPECT_TRUE(link.ReadExact(buf, 4, got));
  EXPECT_EQ(Bytes(buf, 4), "abcd");
  for (auto asked : device.ReadRequests()) EXPECT_LE(asked, Tft_FIFO::kReceiveSize);
  EXPECT_EQ(link.CarryOver(), Tft_FIFO::kReceiveSize - 4);
  EXPECT_TRUE(link.ReadExact(buf, 2, got));
  EXPECT_EQ(Bytes(buf, 2), "ex");

  EXPECT_FALSE(link.ReadExact(buf, Tft_FIFO::kReceiveSize + 1, got));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(link.Purge());
  EXPECT_EQ(link.CarryOver(), 0u);
}

TEST_F(FifoTest, WaitTimerFollowsTheInterval) {
  EXPECT_EQ(link.Interval(), 500);
  link.StartTimer();
  EXPECT_TRUE(host.TimerArmed());
  link.SetTimeOut(100);
  EXPECT_FALSE(host.TimerArmed());
  EXPECT_EQ(link.Interval(), 100);
  link.StartTimer();
  for (int i = 0; i < 100; ++i) host.ProcessEvents();
  EXPECT_TRUE(link.TimedOut());
  EXPECT_FALSE(host.TimerArmed());
  link.StartTimer();
  EXPECT_FALSE(link.TimedOut());
  link.StopTimer();
  EXPECT_FALSE(host.TimerArmed());
}

TEST(HexDigitTest, Digits) {
  EXPECT_EQ(HexDigit(0), '0');
  EXPECT_EQ(HexDigit(9), '9');
  EXPECT_EQ(HexDigit(10), 'A');
  EXPECT_EQ(HexDigit(15), 'F');
  EXPECT_EQ(HexDigit(16), 'X');
  EXPECT_EQ(HexDigit(-1), 'X');
}

}  // namespace
}  // namespace velqoris
