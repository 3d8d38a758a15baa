#include "board/Ad7190.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/Fake_event_host.h"
#include "tests/support/Scripted_device.h"

namespace velqoris {
namespace {

using testing::FakeEventHost;
using testing::ScriptedDevice;
using Call = ScriptedDevice::Call;

class AdcTest : public ::testing::Test {
 protected:
  ManualClock clock;
  FakeEventHost host{clock, std::chrono::milliseconds(1)};
  ScriptedDevice device;
  TADC adc{device, host};

  void Connect() { ASSERT_TRUE(adc.Connect()); }
  std::size_t Purges() const { return device.PurgeMasks().size(); }
};

TEST_F(AdcTest, ConnectAndDisconnect) {
  Connect();
  EXPECT_EQ(Purges(), 2u);  // the open's and Connect's own
  EXPECT_EQ(device.InTransferSize(), 4096u);
  EXPECT_TRUE(adc.Connect());  // already open: only the purge
  EXPECT_EQ(device.Count(Call::Open), 1);
  EXPECT_EQ(Purges(), 3u);

  adc.Disconnect();
  EXPECT_FALSE(adc.IsOpen());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_TRUE(device.Written().empty());  // no command sent
  adc.Disconnect();                       // closed: nothing happens
  EXPECT_EQ(device.Count(Call::Close), 1);
}

TEST_F(AdcTest, SettingCommandTextsByteForByte) {
  Connect();
  struct Case {
    bool (TADC::*op)();
    const char* text;
  };
  const Case cases[] = {{&TADC::CheckBoard, "?\r"},    {&TADC::SetSinc3, "S3\r"},
                        {&TADC::SetSinc4, "S4\r"},     {&TADC::SetBufferOff, "SB0\r"},
                        {&TADC::SetBufferOn, "SB1\r"}, {&TADC::SetChopOff, "SC0\r"},
                        {&TADC::SetChopOn, "SC1\r"}};
  for (const auto& c : cases) {
    device.Feed("stale");  // the purge before the command empties the queue
    device.QueueReply("OK\r");
    const std::size_t purges = Purges();
    EXPECT_TRUE((adc.*c.op)()) << c.text;
    EXPECT_EQ(device.Writes().back(), c.text);
    EXPECT_EQ(Purges(), purges + 1) << c.text;
  }
  device.QueueReply("OK\r");
  EXPECT_TRUE(adc.SetGain(4));
  EXPECT_EQ(device.Writes().back(), "SG4\r");
  device.QueueReply("OK\r");
  EXPECT_TRUE(adc.SetFilterWord(960));
  EXPECT_EQ(device.Writes().back(), "SF0960\r");
  device.QueueReply("OK\r");
  EXPECT_TRUE(adc.SetFilterWord(10000));
  EXPECT_EQ(device.Writes().back(), "SF0000\r");
  EXPECT_EQ(adc.Interval(), 100);
}

TEST_F(AdcTest, SettingRefusedOrUnanswered) {
  Connect();
  device.QueueReply("NG\r");
  EXPECT_FALSE(adc.SetSinc4());
  const auto start = clock.Now();
  EXPECT_FALSE(adc.SetChopOn());  // silence
  EXPECT_EQ(clock.Now() - start, std::chrono::milliseconds(100));

  device.Inject(Call::Purge, d2xx::FT_IO_ERROR);
  EXPECT_FALSE(adc.SetSinc3());
  EXPECT_FALSE(adc.IsOpen());
  EXPECT_EQ(device.Writes().size(), 2u);  // the failed purge sent nothing
}

TEST_F(AdcTest, BadGainSendsNothingEvenWithoutDevice) {
  EXPECT_FALSE(adc.SetGain(6));
  EXPECT_FALSE(adc.SetGain(-1));
  EXPECT_EQ(device.Count(Call::Purge), 0);
  Connect();
  EXPECT_FALSE(adc.SetGain(6));
  EXPECT_TRUE(device.Written().empty());
  EXPECT_EQ(Purges(), 2u);
}

TEST_F(AdcTest, NothingWorksWithoutDevice) {
  char name[11];
  int count = 7;
  std::int32_t codes[4];
  EXPECT_FALSE(adc.CheckBoard());
  EXPECT_FALSE(adc.SetSinc4());
  EXPECT_FALSE(adc.SetFilterWord(960));
  EXPECT_FALSE(adc.GetBoardName(name));
  EXPECT_FALSE(adc.StartConversion(0, 100));
  EXPECT_FALSE(adc.StopConversion());
  EXPECT_FALSE(adc.ReadSingle(codes, count, 1));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(device.Count(Call::Write), 0);
}

TEST_F(AdcTest, QueriesCopyAtMostTenCharacters) {
  Connect();
  char name[11];
  device.QueueReply("VELQORIS\r");
  EXPECT_TRUE(adc.GetBoardName(name));
  EXPECT_STREQ(name, "VELQORIS");
  EXPECT_EQ(device.Writes().back(), "U?\r");

  device.QueueReply("ABCDEFGHIJKL\r");
  char guarded[16];
  std::memset(guarded, '#', sizeof guarded);
  EXPECT_TRUE(adc.GetVersion(guarded));
  EXPECT_STREQ(guarded, "ABCDEFGHIJ");
  EXPECT_EQ(guarded[11], '#');
  EXPECT_EQ(device.Writes().back(), "V?\r");
}

TEST_F(AdcTest, QueryRefusals) {
  Connect();
  char name[11] = "unchanged";
  device.QueueReply("NG\r");
  EXPECT_FALSE(adc.GetBoardName(name));
  device.QueueReply("NAME\r");
  EXPECT_FALSE(adc.GetBoardName(name));
  device.QueueReply("XG12\r");  // 'G' second alone is enough
  EXPECT_FALSE(adc.GetVersion(name));
  EXPECT_FALSE(adc.GetVersion(name));  // silence
  EXPECT_STREQ(name, "unchanged");

  // An empty line after a refusal is not judged by the refusal's leftovers.
  device.QueueReply("NG\r");
  EXPECT_FALSE(adc.GetBoardName(name));
  device.QueueReply("\r");
  EXPECT_TRUE(adc.GetBoardName(name));
  EXPECT_STREQ(name, "");
}

TEST_F(AdcTest, StartAndStop) {
  Connect();
  EXPECT_TRUE(adc.StartConversion(2, 10000));
  EXPECT_EQ(device.Writes().back(), "A202710\r");
  EXPECT_EQ(adc.Interval(), 1000);
  EXPECT_TRUE(adc.StartConversion(0, 100));
  EXPECT_EQ(device.Writes().back(), "A000064\r");
  EXPECT_TRUE(adc.StartConversion(1, 0x100000));
  EXPECT_EQ(device.Writes().back(), "A100000\r");

  const std::size_t writes = device.Writes().size();
  EXPECT_FALSE(adc.StartConversion(3, 100));
  EXPECT_FALSE(adc.StartConversion(-1, 100));
  EXPECT_EQ(device.Writes().size(), writes);

  const std::size_t purges = Purges();
  device.Feed("0000001\r");  // frames still streaming stay queued
  EXPECT_TRUE(adc.StopConversion());
  EXPECT_EQ(device.Writes().back(), "AX\r");
  EXPECT_EQ(Purges(), purges);
  EXPECT_EQ(device.Queued(), "0000001\r");
  EXPECT_EQ(adc.Interval(), 100);

  adc.Disconnect();
  EXPECT_FALSE(adc.StopConversion());
  EXPECT_EQ(device.Writes().size(), writes + 1);
}

TEST_F(AdcTest, ReadSingleWholeBlocksOnly) {
  Connect();
  std::int32_t codes[4] = {};
  int count = -1;
  device.Feed("800000\rFFFFFF");  // 13 bytes for n = 2
  EXPECT_TRUE(adc.ReadSingle(codes, count, 2));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(device.Queued().size(), 13u);

  device.Feed("\r");
  EXPECT_TRUE(adc.ReadSingle(codes, count, 2));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(codes[0], 8388608);
  EXPECT_EQ(codes[1], 16777215);
}

TEST_F(AdcTest, ReadSingleStopsAtABadFrame) {
  Connect();
  std::int32_t codes[3] = {-1, -1, -1};
  int count = 0;
  device.Feed("000001\r000002\n000003\r");
  EXPECT_FALSE(adc.ReadSingle(codes, count, 3));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(codes[0], 1);
  EXPECT_EQ(codes[1], -1);
}

TEST_F(AdcTest, ReadDualDecodesBothChannels) {
  Connect();
  std::int32_t ch0[2] = {}, ch1[2] = {};
  int count = 0;
  device.Feed("8000007FFFFF\r");
  EXPECT_TRUE(adc.ReadDual(ch0, ch1, 1, count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ch0[0], 8388608);
  EXPECT_EQ(ch1[0], 8388607);

  device.Feed("000001abcdef\r000002000003X");
  EXPECT_FALSE(adc.ReadDual(ch0, ch1, 2, count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ch1[0], 0xABCDEF);
}

TEST_F(AdcTest, ShortDeviceReadsNeverMisalignFrames) {
  Connect();
  device.SetReadLimit(4);
  std::string stream;
  for (int i = 0; i < 30; ++i) {
    char frame[8];
    std::snprintf(frame, sizeof frame, "%06X", 0x800000 + i);
    stream += frame;
    stream += '\r';
  }
  device.Feed(stream);
  std::int32_t codes[40] = {};
  int total = 0;
  for (int pass = 0; pass < 200 && total < 30; ++pass) {
    int count = 0;
    ASSERT_TRUE(adc.ReadSingle(codes + total, count, 5));
    total += count;
  }
  ASSERT_EQ(total, 30);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(codes[i], 0x800000 + i);
}

TEST_F(AdcTest, BlockSizeIsBoundedByTheFrameBuffer) {
  Connect();
  device.Feed(std::string(2000, '0'));
  std::int32_t codes[200];
  std::int32_t other[200];
  int count = 0;
  EXPECT_FALSE(adc.ReadSingle(codes, count, TADC::kMaxSingleFrames + 1));
  EXPECT_FALSE(adc.ReadDual(codes, other, TADC::kMaxDualFrames + 1, count));
  EXPECT_FALSE(adc.ReadSingle(codes, count, 0));
  EXPECT_EQ(device.Count(Call::Read), 0);
  EXPECT_EQ(TADC::kMaxSingleFrames, 100);
  EXPECT_EQ(TADC::kMaxDualFrames, 53);
}

TEST(AdcFormatTest, FormatDecimal4) {
  char out[5] = {};
  FormatDecimal4(0, out);
  EXPECT_STREQ(out, "0000");
  FormatDecimal4(960, out);
  EXPECT_STREQ(out, "0960");
  FormatDecimal4(9999, out);
  EXPECT_STREQ(out, "9999");
  FormatDecimal4(10000, out);
  EXPECT_STREQ(out, "0000");
}

TEST(AdcFormatTest, FormatHex5) {
  char out[6] = {};
  FormatHex5(100, out);
  EXPECT_STREQ(out, "00064");
  FormatHex5(10000, out);
  EXPECT_STREQ(out, "02710");
  FormatHex5(1048575, out);
  EXPECT_STREQ(out, "FFFFF");
  FormatHex5(1048576, out);
  EXPECT_STREQ(out, "00000");
}

TEST(AdcFormatTest, HexToCode) {
  EXPECT_EQ(HexToCode("800000"), 8388608);
  EXPECT_EQ(HexToCode("FFFFFF"), 16777215);
  EXPECT_EQ(HexToCode("ffffff"), 16777215);
  EXPECT_EQ(HexToCode("000000"), 0);
  EXPECT_EQ(HexToCode("00G001"), 1);
  EXPECT_EQ(HexToCode("7fFfFf"), 8388607);
}

TEST(AdcFormatTest, GainFactor) {
  const int expected[] = {1, 8, 16, 32, 64, 128};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(TADC::GainFactor(i), expected[i]);
  EXPECT_EQ(TADC::GainFactor(6), 1);
  EXPECT_EQ(TADC::GainFactor(-1), 1);
}

}  // namespace
}  // namespace velqoris
