// The chip model behaves like the chip: packets, latency timer, time-outs,
// purges, a pulled cable, the kernel's driver. Driven through the libusb calls
// that libftdi1 and the backend make.
#include "tests/board/Chip_model.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <vector>

#include "tests/board/Fifo_sides.h"

namespace velqoris::testing {
namespace {

using std::chrono::milliseconds;

class ChipModelTest : public ::testing::Test {
 protected:
  void Open(ChipModel& chip) {
    ASSERT_EQ(libusb_init(&ctx), 0);
    libusb_device** list = nullptr;
    ASSERT_EQ(libusb_get_device_list(ctx, &list), 1);
    ASSERT_EQ(libusb_open(list[0], &handle), 0);
    libusb_free_device_list(list, 1);
    ASSERT_EQ(libusb_claim_interface(handle, 0), 0);
    ASSERT_EQ(chip.Claimed(), true);
  }
  void TearDown() override {
    if (handle != nullptr) libusb_close(handle);
    if (ctx != nullptr) libusb_exit(ctx);
  }
  int In(std::vector<std::uint8_t>& data, int length, unsigned timeout, int* actual) {
    data.assign(static_cast<std::size_t>(length), 0);
    return libusb_bulk_transfer(handle, 0x81, data.data(), length, actual, timeout);
  }
  int SetLatency(int ms) {
    return libusb_control_transfer(handle, 0x40, 0x09, static_cast<std::uint16_t>(ms), 1, nullptr,
                                   0, 100);
  }
  // Payload of a transfer, checking that every packet starts with its status.
  static std::vector<std::uint8_t> Payload(const std::vector<std::uint8_t>& data, int actual,
                                           int packet) {
    std::vector<std::uint8_t> out;
    for (int at = 0; at < actual; at += packet) {
      EXPECT_GE(actual - at, 2);
      EXPECT_EQ(data[static_cast<std::size_t>(at)], 0x31);
      const int end = std::min(actual, at + packet);
      out.insert(out.end(), data.begin() + at + 2, data.begin() + end);
    }
    return out;
  }

  libusb_context* ctx = nullptr;
  libusb_device_handle* handle = nullptr;
};

TEST_F(ChipModelTest, FastStreamFillsPacketsBackToBackAndTimesOutWithWhatArrived) {
  for (std::uint16_t product : {std::uint16_t{0x6001}, std::uint16_t{0x6010}}) {
    ChipModel chip(product);
    RateSource source(chip.Time(), 62400.0);  // two channels at 4800 sps
    chip.SetSide(&source);
    Open(chip);
    ASSERT_EQ(SetLatency(2), 0);
    const int packet = chip.PacketSize();
    std::vector<std::uint8_t> data;
    int actual = -1;
    // 4096 bytes take ~65 ms in 64-byte packets: the 20 ms time-out comes first.
    const int r = In(data, 8 * 512, 20, &actual);
    if (packet == 64) {
      EXPECT_EQ(r, LIBUSB_ERROR_TIMEOUT);
      EXPECT_GT(actual, 15 * 64);
      EXPECT_EQ(actual % 64, 0);  // full packets only
    } else {
      // 510 bytes take ~8 ms, so the 2 ms latency timer sends short packets.
      EXPECT_EQ(r, LIBUSB_SUCCESS);
      EXPECT_LT(actual, 512);
    }
    const auto payload = Payload(data, actual, packet);
    for (std::size_t i = 0; i < payload.size(); ++i)
      ASSERT_EQ(payload[i], RateSource::ByteAt(i)) << i;
    const auto transfers = chip.InTransfers();
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_LE(transfers[0].end - transfers[0].start, milliseconds(20));
    TearDown();
    handle = nullptr;
    ctx = nullptr;
  }
}

TEST_F(ChipModelTest, LatencyTimerSendsShortAndStatusOnlyPackets) {
  ChipModel chip(0x6015);
  RateSource source(chip.Time(), 35.0);  // 5 frames of 7 bytes a second
  chip.SetSide(&source);
  Open(chip);
  ASSERT_EQ(SetLatency(12), 0);
  std::vector<std::uint8_t> data;
  int actual = -1;
  int statusOnly = 0, withData = 0;
  std::vector<std::uint8_t> payload;
  while (chip.Time().Now() < milliseconds(1000)) {
    ASSERT_EQ(In(data, 4096, 0, &actual), LIBUSB_SUCCESS);  // no time-out: ends on a short packet
    ASSERT_GE(actual, 2);
    ASSERT_LT(actual, 64);
    if (actual == 2)
      ++statusOnly;
    else
      ++withData;
    const auto p = Payload(data, actual, 64);
    payload.insert(payload.end(), p.begin(), p.end());
  }
  // One packet per latency period, data or not.
  const auto transfers = chip.InTransfers();
  EXPECT_NEAR(static_cast<double>(transfers.size()), 1000.0 / 12, 2);
  for (std::size_t i = 1; i < transfers.size(); ++i)
    EXPECT_EQ(transfers[i].end - transfers[i - 1].end, milliseconds(12));
  EXPECT_GT(statusOnly, 40);
  EXPECT_GT(withData, 20);
  for (std::size_t i = 0; i < payload.size(); ++i) ASSERT_EQ(payload[i], RateSource::ByteAt(i));
}

TEST_F(ChipModelTest, PurgeEmptiesTheChipAndAPartSizedRequestOverflows) {
  ChipModel chip(0x6001);
  RateSource source(chip.Time(), 1000.0);
  chip.SetSide(&source);
  Open(chip);
  chip.Advance(milliseconds(100));  // 100 bytes waiting, 256 fit in the chip
  std::vector<std::uint8_t> data;
  int actual = -1;
  EXPECT_EQ(In(data, 32, 100, &actual), LIBUSB_ERROR_OVERFLOW);
  ASSERT_EQ(libusb_control_transfer(handle, 0x40, 0, 2, 1, nullptr, 0, 100), 0);  // receive purge
  EXPECT_EQ(chip.ReceivePurges(), 1);
  const std::uint64_t purgedUpTo = source.made;
  std::vector<std::uint8_t> payload;
  while (payload.empty()) {  // a status packet first: the latency timer has run out
    ASSERT_EQ(In(data, 4096, 100, &actual), LIBUSB_SUCCESS);
    payload = Payload(data, actual, 64);
  }
  EXPECT_EQ(payload[0], RateSource::ByteAt(purgedUpTo));  // nothing from before the purge
}

TEST_F(ChipModelTest, PulledCableFailsEverythingFromThenOn) {
  ChipModel chip(0x6001);
  Open(chip);
  chip.Unplug();
  std::vector<std::uint8_t> data;
  int actual = -1;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(In(data, 64, 10, &actual), LIBUSB_ERROR_NO_DEVICE);
  EXPECT_EQ(actual, 0);
  const std::uint8_t cmd[] = {'?', '\r'};
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x02, const_cast<std::uint8_t*>(cmd), 2, &actual, 10),
            LIBUSB_ERROR_NO_DEVICE);
  EXPECT_EQ(SetLatency(2), LIBUSB_ERROR_NO_DEVICE);
  libusb_device** list = nullptr;
  EXPECT_EQ(libusb_get_device_list(ctx, &list), 0);
  libusb_free_device_list(list, 1);
}

TEST_F(ChipModelTest, KernelDriverHoldsTheInterfaceUntilDetached) {
  ChipModel chip(0x6001);
  chip.SetKernelDriver(true);
  ASSERT_EQ(libusb_init(&ctx), 0);
  libusb_device** list = nullptr;
  ASSERT_EQ(libusb_get_device_list(ctx, &list), 1);
  ASSERT_EQ(libusb_open(list[0], &handle), 0);
  libusb_free_device_list(list, 1);
  EXPECT_EQ(libusb_claim_interface(handle, 0), LIBUSB_ERROR_BUSY);
  EXPECT_EQ(libusb_detach_kernel_driver(handle, 0), 0);
  EXPECT_EQ(libusb_claim_interface(handle, 0), 0);
}

}  // namespace
}  // namespace velqoris::testing
