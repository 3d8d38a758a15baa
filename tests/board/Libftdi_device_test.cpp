#include "board/Libftdi_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "board/Ad7190.h"
#include "tests/board/Fake_transport.h"
#include "tests/support/Fake_event_host.h"

namespace velqoris {
namespace {

using namespace d2xx;
using testing::Eventually;
using testing::FakeEventHost;
using testing::FakeTransport;
using testing::TransportState;

class LibftdiDeviceTest : public ::testing::Test {
 protected:
  std::shared_ptr<TransportState> state = std::make_shared<TransportState>();
  int made = 0;
  LibftdiDevice device{[this]() -> std::unique_ptr<UsbTransport> {
    ++made;
    return std::make_unique<FakeTransport>(state);
  }};
};

TEST_F(LibftdiDeviceTest, NoDeviceFound) {
  LibftdiDevice none([] { return std::unique_ptr<UsbTransport>(); });
  FT_HANDLE handle = reinterpret_cast<FT_HANDLE>(1);
  EXPECT_EQ(none.FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
}

TEST_F(LibftdiDeviceTest, HandlesAreChecked) {
  FT_HANDLE handle = nullptr;
  DWORD n = 0;
  EXPECT_EQ(device.FT_GetQueueStatus(nullptr, &n), FT_INVALID_HANDLE);
  EXPECT_EQ(device.FT_Open(1, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(made, 0);
  ASSERT_EQ(device.FT_Open(0, &handle), FT_OK);
  ASSERT_NE(handle, nullptr);
  FT_HANDLE again = nullptr;
  EXPECT_NE(device.FT_Open(0, &again), FT_OK);  // in use
  int other = 0;
  EXPECT_EQ(device.FT_Purge(&other, 3), FT_INVALID_HANDLE);
  EXPECT_EQ(device.FT_SetUSBParameters(handle, 100, 0), FT_INVALID_PARAMETER);
  EXPECT_EQ(device.FT_SetUSBParameters(handle, 4096, 0), FT_OK);
  EXPECT_EQ(device.FT_Close(handle), FT_OK);
  EXPECT_TRUE(state->destroyed);
  EXPECT_EQ(device.FT_Close(handle), FT_INVALID_HANDLE);
  EXPECT_EQ(device.FT_GetQueueStatus(handle, &n), FT_INVALID_HANDLE);
}

// The whole chain: protocol, link, D2XX calls, I/O thread, transport. The
// host's clock stands still, so a wait can only end by the reply arriving.
TEST_F(LibftdiDeviceTest, BoardSessionOverTheIoThread) {
  ManualClock clock;
  FakeEventHost host(clock, std::chrono::nanoseconds(0));
  TADC adc(device, host);
  ASSERT_TRUE(adc.Connect());
  {
    std::lock_guard lock(state->mutex);
    EXPECT_EQ(state->chunks, std::vector<int>{4096});
    EXPECT_EQ(state->purges.size(), 2u);
    state->replyOnWrite = "OK\r";
  }
  EXPECT_TRUE(adc.SetGain(4));
  EXPECT_TRUE(adc.SetFilterWord(960));
  {
    std::lock_guard lock(state->mutex);
    state->replyOnWrite = "";
  }
  ASSERT_TRUE(adc.StartConversion(0, 100));
  state->Push("800000\r000001\r");
  std::int32_t codes[2] = {};
  int total = 0;
  ASSERT_TRUE(Eventually([&] {
    int count = 0;
    EXPECT_TRUE(adc.ReadSingle(codes + total, count, 1));
    total += count;
    return total == 2;
  }));
  EXPECT_EQ(codes[0], 8388608);
  EXPECT_EQ(codes[1], 1);
  std::lock_guard lock(state->mutex);
  ASSERT_EQ(state->writes.size(), 3u);
  EXPECT_EQ(state->writes[0], "SG4\r");
  EXPECT_EQ(state->writes[1], "SF0960\r");
  EXPECT_EQ(state->writes[2], "A000064\r");
}

TEST_F(LibftdiDeviceTest, PulledOutMidRunFailsTheNextRead) {
  ManualClock clock;
  FakeEventHost host(clock, std::chrono::milliseconds(1));
  TADC adc(device, host);
  ASSERT_TRUE(adc.Connect());
  ASSERT_TRUE(adc.StartConversion(0, 100));
  state->Script({-4});
  std::int32_t codes[1];
  int count = 0;
  ASSERT_TRUE(Eventually([&] { return !adc.ReadSingle(codes, count, 1); }));
  EXPECT_EQ(count, 0);
  EXPECT_NE(adc.LastStatus(), FT_OK);
  EXPECT_FALSE(adc.StopConversion());
  adc.Disconnect();  // the failing purge closes it; no hang
  EXPECT_FALSE(adc.IsOpen());
  EXPECT_TRUE(state->destroyed);
}

}  // namespace
}  // namespace velqoris
