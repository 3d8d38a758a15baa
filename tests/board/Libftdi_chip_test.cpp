// The libftdi backend under the real libftdi1, on the chip model with the
// virtual board's firmware behind it: whole runs through TADC at the board's
// rates on full- and high-speed chips, the chip's own top speed, a stop during
// a fast run, a passing USB error, a pulled cable, and an idle link.
#include <gtest/gtest.h>
#include <libusb.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "board/Ad7190.h"
#include "board/Libftdi_device.h"
#include "board/Libftdi_transport.h"
#include "board/Usb_backend.h"
#include "tests/board/Chip_model.h"
#include "tests/board/Fake_transport.h"
#include "tests/board/Fifo_sides.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

using namespace d2xx;
using std::chrono::milliseconds;
using testing::ChipModel;
using testing::Eventually;
using Duration = Clock::Duration;

constexpr std::uint16_t kFullSpeed = 0x6001;
constexpr std::uint16_t kHighSpeed = 0x6010;

double Ms(Duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Chip, board and host. The chip's time runs on its own; the host's clock
// creeps (1 ns a pass), so its waits end by the board's answer long before
// they could time out, and a link that never answers still fails.
struct Rig {
  explicit Rig(std::uint16_t product) : chip(product) {
    chip.SetSide(&side);
    chip.SetKernelDriver(true);  // as Linux leaves a freshly plugged chip
  }
  ~Rig() { adc.Disconnect(); }

  bool Identify() {
    char name[16] = {}, version[16] = {};
    return adc.Connect() && adc.CheckBoard() && adc.GetBoardName(name) &&
           std::string(name) == "VELQORIS" && adc.GetVersion(version);
  }
  bool Setup(int word) {
    return adc.SetSinc4() && adc.SetBufferOff() && adc.SetChopOff() && adc.SetGain(0) &&
           adc.SetFilterWord(word);
  }
  // Starts a run and forgets what the board sent before it.
  bool Start(int mode, int count) {
    chip.Locked([&] { side.sent.clear(); });
    return adc.StartConversion(mode, count);
  }
  // Reads like the window does: blocks of frames by rate, never waiting.
  // False at the first failed read. `after` runs once `frames` are in; when
  // it returns false, so does the collecting (with `total` frames in).
  bool Collect(int mode, int count, int block, std::vector<std::int32_t>& ch0,
               std::vector<std::int32_t>& ch1, int frames = -1,
               const std::function<bool()>& after = {}) {
    ch0.assign(static_cast<std::size_t>(count), -1);
    ch1.assign(static_cast<std::size_t>(count), -1);
    total = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (total < count) {
      if (after && frames >= 0 && total >= frames) {
        frames = -1;
        if (!after()) return true;
      }
      const int n = std::min(block, count - total);
      int got = 0;
      const bool ok = mode == 2 ? adc.ReadDual(ch0.data() + total, ch1.data() + total, n, got)
                                : adc.ReadSingle(ch0.data() + total, got, n);
      total += got;
      if (!ok) return false;
      if (got == 0) std::this_thread::yield();
      if (std::chrono::steady_clock::now() > giveUp) {
        ADD_FAILURE() << "stream stalled at " << total;
        return false;
      }
    }
    return true;
  }
  // What the board put on the wire since Start, as codes.
  void Sent(int mode, std::vector<std::int32_t>& ch0, std::vector<std::int32_t>& ch1) {
    std::string sent;
    chip.Locked([&] { sent = side.sent; });
    const std::size_t frame = mode == 2 ? 13 : 7;
    ASSERT_EQ(sent.size() % frame, 0u);
    ch0.clear();
    ch1.clear();
    for (std::size_t at = 0; at < sent.size(); at += frame) {
      ASSERT_EQ(sent[at + frame - 1], '\r');
      ch0.push_back(HexToCode(sent.data() + at));
      if (mode == 2) ch1.push_back(HexToCode(sent.data() + at + 6));
    }
  }

  int total = 0;
  ChipModel chip;
  VirtualBoard board{chip.Time(), 7};
  testing::VirtualBoardSide side{board};
  ManualClock hostClock;
  testing::FakeEventHost host{hostClock, Duration(1)};
  LibftdiDevice device;  // the real transport, on whatever chip is on the bus
  TADC adc{device, host};
};

TEST(LibftdiChipTest, OpensThroughLibftdiAndTakesTheChipFromTheKernelDriver) {
  {
    LibftdiDevice nothing;
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(nothing.FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);  // no chip on the bus
  }
  for (std::uint16_t product : {kFullSpeed, std::uint16_t{0x6015}, kHighSpeed}) {
    ChipModel chip(product);
    chip.SetKernelDriver(true);
    auto transport = LibftdiTransport::Open();
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(transport->PacketSize(), product == kHighSpeed ? 512 : 64);
    EXPECT_FALSE(chip.KernelDriverAttached());
    EXPECT_TRUE(chip.Claimed());
    EXPECT_EQ(chip.LatencyMs(), LibftdiTransport::kLatencyMs);
    EXPECT_GE(chip.ReceivePurges(), 1);
    transport.reset();
    EXPECT_FALSE(chip.Claimed());
  }
}

// The program's own backend finds the chip behind the kernel's driver.
TEST(LibftdiChipTest, ProgramBackendOpensTheChipWithLibftdi) {
  ChipModel chip(kFullSpeed);
  VirtualBoard board{chip.Time(), 3};
  testing::VirtualBoardSide side{board};
  chip.SetSide(&side);
  chip.SetKernelDriver(true);
  std::unique_ptr<Api> backend = OpenUsbBackend();
  auto* chain = dynamic_cast<BackendChain*>(backend.get());
  ASSERT_NE(chain, nullptr);
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(backend->FT_Open(0, &handle), FT_OK);
  EXPECT_EQ(chain->OpenedBy(), kLibftdiName);
  EXPECT_TRUE(chip.Claimed());
  EXPECT_EQ(backend->FT_Close(handle), FT_OK);
}

// A USB-serial adapter wired back to itself: it answers with what it was sent.
class LoopbackSide final : public testing::FifoSide {
 public:
  void FromHost(const std::uint8_t* data, std::size_t size) override {
    echo_.append(data, data + size);
  }
  std::size_t ToHost(std::uint8_t* out, std::size_t max) override {
    const std::size_t n = std::min(max, echo_.size());
    std::copy_n(echo_.begin(), n, out);
    echo_.erase(0, n);
    return n;
  }

 private:
  std::string echo_;
};

// A board beside other FTDI chips: one that is not the board keeps its kernel
// driver; among several boards the serial number or the user's choice decides.
TEST(LibftdiChipTest, OpensOnlyTheBoardAndByItsSerialNumber) {
  struct Case {
    const char* serial;  // asked for; "" = any
    const char* chosen;  // what the user picks when asked; nullptr = nobody asks
    int opened;          // board 0 or 1, -1 = none
    bool asked;
  };
  const Case cases[] = {
      {"", nullptr, 0, false},     {"", "VQ000002", 1, true}, {"VQ000002", "", 1, false},
      {"FT4A7B2C", "", -1, false}, {"", "", -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.serial) + "/" + (c.chosen ? c.chosen : "-"));
    LoopbackSide loop;
    ChipModel adapter(kFullSpeed, &loop);  // first on the bus
    adapter.SetSerial("FT4A7B2C");
    ChipModel chip0(kFullSpeed), chip1(kHighSpeed);
    VirtualBoard board0{chip0.Time(), 1}, board1{chip1.Time(), 2};
    testing::VirtualBoardSide side0{board0}, side1{board1};
    chip0.SetSide(&side0);
    chip1.SetSide(&side1);
    chip1.SetSerial("VQ000002");
    ChipModel* chips[] = {&chip0, &chip1};
    for (ChipModel* chip : {&adapter, &chip0, &chip1}) chip->SetKernelDriver(true);

    bool asked = false;
    BoardChoice choice;
    choice.serial = c.serial;
    if (c.chosen != nullptr)
      choice.choose = [&](const std::vector<std::string>& serials) {
        asked = true;
        EXPECT_EQ(serials, (std::vector<std::string>{"VQ000001", "VQ000002"}));
        return std::string(c.chosen);
      };
    auto backend = OpenUsbBackend(choice);
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(backend->FT_Open(0, &handle) == FT_OK, c.opened >= 0);
    EXPECT_EQ(asked, c.asked);
    EXPECT_FALSE(adapter.Claimed());
    EXPECT_TRUE(adapter.KernelDriverAttached());
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(chips[i]->Claimed(), i == c.opened) << i;
      EXPECT_EQ(chips[i]->KernelDriverAttached(), i != c.opened) << i;
    }
    if (c.opened < 0) continue;
    EXPECT_EQ(backend->FT_Close(handle), FT_OK);
    EXPECT_TRUE(chips[c.opened]->KernelDriverAttached());  // handed back on close
  }
}

// A system laid out as the kernel shows it: the adapter's interface "1-1:1.0"
// has the serial device ttyUSB0, and another program (pid 4242) may hold it.
struct FakeSystem {
  explicit FakeSystem(bool held) {
    namespace fs = std::filesystem;
    root = fs::temp_directory_path() / ("velqoris-sys-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "sys/bus/usb/devices/1-1:1.0/ttyUSB0");
    fs::create_directories(root / "proc/4242/fd");
    fs::create_directories(root / "dev");
    fs::create_symlink(held ? root / "dev/ttyUSB0" : fs::path("/dev/pts/7"),
                       root / "proc/4242/fd/5");
    roots = {(root / "sys").string(), (root / "proc").string(), (root / "dev").string()};
  }
  ~FakeSystem() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
  SystemRoots roots;
};

// The bench's FTDI chips, each left alone or asked as it should be, and the
// search told apart: a chip in another program's use, a chip that is not the
// board, an unknown serial, two boards.
TEST(LibftdiChipTest, AChipAnotherProgramHoldsIsLeftAloneAndTheSearchIsReported) {
  struct Case {
    const char* name;
    bool adapterHeld;
    int boards;         // boards after the adapter: 0, 1 or 2
    const char* asked;  // --device
    bool opened;
    std::vector<std::string> inUse, silent, answered;
  };
  const Case cases[] = {
      {"held adapter", true, 1, "", true, {"FT4A7B2C"}, {}, {"VQ000001"}},
      {"free adapter", false, 1, "", true, {}, {"FT4A7B2C"}, {"VQ000001"}},
      {"no board", false, 0, "", false, {}, {"FT4A7B2C"}, {}},
      {"no board, adapter held", true, 0, "", false, {"FT4A7B2C"}, {}, {}},
      {"unknown serial", false, 1, "VQ999999", false, {}, {}, {}},
      {"two boards", true, 2, "", true, {"FT4A7B2C"}, {}, {"VQ000001", "VQ000002"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system(c.adapterHeld);
    LoopbackSide loop;
    ChipModel adapter(kFullSpeed, &loop);  // first on the bus: "1-1"
    adapter.SetSerial("FT4A7B2C");
    adapter.SetKernelDriver(true);
    std::vector<std::unique_ptr<ChipModel>> chips;
    std::vector<std::unique_ptr<VirtualBoard>> boards;
    std::vector<std::unique_ptr<testing::VirtualBoardSide>> sides;
    for (int i = 0; i < c.boards; ++i) {
      chips.push_back(std::make_unique<ChipModel>(kFullSpeed));
      boards.push_back(std::make_unique<VirtualBoard>(chips.back()->Time(), i + 1));
      sides.push_back(std::make_unique<testing::VirtualBoardSide>(*boards.back()));
      chips.back()->SetSide(sides.back().get());
      chips.back()->SetSerial("VQ00000" + std::to_string(i + 1));
      chips.back()->SetKernelDriver(true);
    }
    BoardProbe probe;
    BoardChoice choice;
    choice.serial = c.asked;
    choice.report = [&](const BoardProbe& p) { probe = p; };
    choice.roots = system.roots;
    choice.choose = [](const std::vector<std::string>& serials) { return serials.front(); };
    auto backend = OpenUsbBackend(choice);
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(backend->FT_Open(0, &handle) == FT_OK, c.opened);
    ASSERT_TRUE(probe.done);
    std::vector<std::string> present = {"FT4A7B2C"};
    for (int i = 0; i < c.boards; ++i) present.push_back("VQ00000" + std::to_string(i + 1));
    EXPECT_EQ(probe.chips, present);
    EXPECT_EQ(probe.inUse, c.inUse);
    EXPECT_EQ(probe.silent, c.silent);
    EXPECT_EQ(probe.boards, c.answered);
    EXPECT_EQ(probe.chosen, c.opened ? "VQ000001" : "");
    // A held adapter is neither taken from its driver nor sent a byte.
    if (c.adapterHeld) {
      EXPECT_TRUE(adapter.OutTransfers().empty());
    }
    EXPECT_FALSE(adapter.Claimed());
    EXPECT_TRUE(adapter.KernelDriverAttached());
    if (handle != nullptr) {
      EXPECT_EQ(backend->FT_Close(handle), FT_OK);
    }
  }
}

// Faster than a packet per latency period, slower than a transfer fills in
// its time-out: every transfer times out, and keeps what it brought.
TEST(LibftdiChipTest, TimedOutTransfersKeepTheirBytesWithoutStatus) {
  ChipModel chip(kFullSpeed);
  testing::RateSource source(chip.Time(), 62400.0);
  chip.SetSide(&source);
  auto transport = LibftdiTransport::Open();
  ASSERT_NE(transport, nullptr);
  ASSERT_EQ(transport->SetReadChunk(4096), 0);
  std::vector<std::uint8_t> got;
  std::uint8_t buffer[4096];
  const std::size_t before = chip.InTransfers().size();
  while (got.size() < 20000) {
    const int r = transport->Read(buffer, sizeof buffer);
    ASSERT_GE(r, 0);
    got.insert(got.end(), buffer, buffer + r);
  }
  const auto transfers = chip.InTransfers();
  int timedOut = 0;
  for (std::size_t i = before; i < transfers.size(); ++i)
    timedOut += transfers[i].result == LIBUSB_ERROR_TIMEOUT ? 1 : 0;
  EXPECT_GT(timedOut, 10);
  for (std::size_t i = 0; i < got.size(); ++i)
    ASSERT_EQ(got[i], testing::RateSource::ByteAt(i)) << "byte " << i;
}

// More than the chip can carry: full packets back to back, none lost.
TEST(LibftdiChipTest, StreamAtTheChipsOwnLimitArrivesWhole) {
  for (std::uint16_t product : {kFullSpeed, kHighSpeed}) {
    ChipModel chip(product);
    testing::RateSource source(chip.Time(), 20e6);
    chip.SetSide(&source);
    LibftdiDevice device;
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(device.FT_Open(0, &handle), FT_OK);
    ASSERT_EQ(device.FT_SetUSBParameters(handle, 4096, 0), FT_OK);
    ASSERT_EQ(device.FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    std::uint64_t first = 0;
    chip.Locked([&] { first = source.purgedAt; });
    const Duration start = chip.Time().Now();
    std::vector<std::uint8_t> buffer(65536);
    std::uint64_t n = 0;
    while (n < 2'000'000) {
      DWORD got = 0;
      ASSERT_EQ(device.FT_Read(handle, buffer.data(), 65536, &got), FT_OK);
      for (DWORD k = 0; k < got; ++k)
        ASSERT_EQ(buffer[k], testing::RateSource::ByteAt(first + n + k)) << n + k;
      n += got;
      if (got == 0) std::this_thread::yield();
    }
    const double mbPerS = static_cast<double>(n) / 1e6 / (Ms(chip.Time().Now() - start) / 1e3);
    std::cout << "product " << std::hex << product << std::dec << ": " << mbPerS << " MB/s\n";
    EXPECT_GT(mbPerS, product == kFullSpeed ? 0.8 : 6.5);
    EXPECT_EQ(device.FT_Close(handle), FT_OK);
  }
}

// product, filter word (rate 4800 / word), mode
using RunCase = std::tuple<std::uint16_t, int, int>;
class LibftdiChipRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(LibftdiChipRunTest, TenThousandSamplesArriveIntactAndInOrder) {
  const auto [product, word, mode] = GetParam();
  constexpr int kCount = 10000;
  Rig rig(product);
  ASSERT_TRUE(rig.Identify());
  ASSERT_TRUE(rig.Setup(word));
  ASSERT_TRUE(rig.Start(mode, kCount));
  const int block = std::clamp(4800 / word / 100, 1, 50);
  std::vector<std::int32_t> ch0, ch1, sent0, sent1;
  ASSERT_TRUE(rig.Collect(mode, kCount, block, ch0, ch1));
  rig.Sent(mode, sent0, sent1);
  EXPECT_EQ(sent0.size(), static_cast<std::size_t>(kCount));
  EXPECT_TRUE(ch0 == sent0) << "channel 0 codes differ from what the board sent";
  if (mode == 2) {
    EXPECT_TRUE(ch1 == sent1) << "channel 1 codes differ";
  }
  rig.chip.Locked([&] {
    EXPECT_EQ(rig.board.SkippedConversions(), 0u);
    EXPECT_FALSE(rig.board.Running());
  });
  // The link is ready for the next run.
  EXPECT_TRUE(rig.adc.CheckBoard());
}

INSTANTIATE_TEST_SUITE_P(RatesChannelsPackets, LibftdiChipRunTest,
                         ::testing::Combine(::testing::Values(kFullSpeed, kHighSpeed),
                                            ::testing::Values(960, 12, 1),  // 5, 400, 4800 sps
                                            ::testing::Values(0, 2)));

// Chip time from `from` until `bytes` reached the chip.
Duration ArrivedAfter(const ChipModel& chip, const std::string& bytes, Duration from) {
  for (const auto& o : chip.OutTransfers())
    if (o.bytes == bytes && o.at >= from) return o.at - from;
  return Duration::max();
}

TEST(LibftdiChipTest, StopDuringAFastTwoChannelRunReachesTheChipWithin25ms) {
  for (std::uint16_t product : {kFullSpeed, kHighSpeed}) {
    Rig rig(product);
    ASSERT_TRUE(rig.Identify());
    ASSERT_TRUE(rig.Setup(1));
    ASSERT_TRUE(rig.Start(2, 10000));
    std::vector<std::int32_t> ch0, ch1;
    bool stopped = false;
    Duration asked{0};
    ASSERT_TRUE(rig.Collect(2, 10000, 50, ch0, ch1, 2000, [&] {
      // Catch the I/O thread inside a bulk IN transfer: the stop goes out beside it.
      rig.chip.HoldReads(true);
      EXPECT_TRUE(Eventually([&] { return rig.chip.ReadHeld(); }));
      asked = rig.chip.Time().Now();
      stopped = rig.adc.StopConversion();
      rig.chip.HoldReads(false);
      return false;
    }));
    EXPECT_TRUE(stopped);
    const Duration delay = ArrivedAfter(rig.chip, "AX\r", asked);
    std::cout << "product " << std::hex << product << std::dec << ": stop reached the chip "
              << Ms(delay) << " ms after it was sent, with a read in flight\n";
    EXPECT_LE(delay, milliseconds(25));
    Duration longest{0};
    for (const auto& in : rig.chip.InTransfers()) longest = std::max(longest, in.end - in.start);
    EXPECT_LE(longest, milliseconds(LibftdiTransport::kReadTimeoutMs));
    rig.chip.Locked([&] { EXPECT_FALSE(rig.board.Running()); });
  }
}

// One damaged transfer: the read that meets it fails, the stop still goes
// out, and the next run needs no reconnecting.
TEST(LibftdiChipTest, PassingErrorMidStreamLeavesAWorkingLink) {
  Rig rig(kFullSpeed);
  ASSERT_TRUE(rig.Identify());
  ASSERT_TRUE(rig.Setup(1));
  rig.chip.FailIn(LIBUSB_ERROR_IO, 13 * 3000);  // once 3000 frames are through
  ASSERT_TRUE(rig.Start(2, 10000));
  std::vector<std::int32_t> ch0, ch1, sent0, sent1;
  EXPECT_FALSE(rig.Collect(2, 10000, 50, ch0, ch1));
  EXPECT_LT(rig.total, 3000);
  int failed = 0;
  for (const auto& in : rig.chip.InTransfers()) failed += in.result == LIBUSB_ERROR_IO ? 1 : 0;
  EXPECT_EQ(failed, 1);
  EXPECT_LT(rig.total, 10000);
  EXPECT_TRUE(rig.adc.StopConversion());  // the window's stop after a failed read
  EXPECT_NE(ArrivedAfter(rig.chip, "AX\r", Duration(0)), Duration::max());
  EXPECT_TRUE(rig.adc.IsOpen());
  // The next start: settings (each purges first), then a whole run.
  ASSERT_TRUE(rig.Setup(1));
  ASSERT_TRUE(rig.Start(2, 1000));
  ASSERT_TRUE(rig.Collect(2, 1000, 50, ch0, ch1));
  rig.Sent(2, sent0, sent1);
  EXPECT_TRUE(ch0 == sent0 && ch1 == sent1);
}

TEST(LibftdiChipTest, PulledCableEndsTheRunWithoutHanging) {
  Rig rig(kFullSpeed);
  ASSERT_TRUE(rig.Identify());
  ASSERT_TRUE(rig.Setup(2));
  rig.chip.FailIn(LIBUSB_ERROR_NO_DEVICE, 7 * 3000);  // the cable, 3000 frames in
  ASSERT_TRUE(rig.Start(0, 10000));
  std::vector<std::int32_t> ch0, ch1;
  EXPECT_FALSE(rig.Collect(0, 10000, 24, ch0, ch1));
  EXPECT_LT(rig.total, 3000);
  EXPECT_FALSE(rig.adc.StopConversion());
  rig.adc.Disconnect();
  EXPECT_FALSE(rig.adc.IsOpen());
  EXPECT_FALSE(rig.adc.Connect());  // nothing on the bus
  // Plugged in again, the board is found and answers.
  rig.chip.Locked([&] {
    rig.board.Plug();
    rig.side.Reopen();
  });
  rig.chip.Plug();
  rig.chip.SetKernelDriver(true);
  EXPECT_TRUE(rig.Identify());
}

// Between runs the chip answers every poll with a status packet once per
// latency period: that, not a spin, paces the I/O thread. A reply still
// reaches the queue quickly.
TEST(LibftdiChipTest, IdleLinkIsQuietAndRepliesArriveWithin25ms) {
  for (std::uint16_t product : {kFullSpeed, kHighSpeed}) {
    Rig rig(product);
    ASSERT_TRUE(rig.Identify());
    const Duration t0 = rig.chip.Time().Now();
    ASSERT_TRUE(Eventually([&] { return rig.chip.Time().Now() > t0 + milliseconds(2500); }));
    int wakeUps = 0;
    for (const auto& in : rig.chip.InTransfers())
      if (in.end > t0 + milliseconds(500) && in.end <= t0 + milliseconds(1500)) ++wakeUps;
    ASSERT_TRUE(rig.adc.CheckBoard());
    Duration sentAt{0}, answered = Duration::max();
    for (const auto& o : rig.chip.OutTransfers())
      if (o.bytes == "?\r") sentAt = o.at;
    for (const auto& in : rig.chip.InTransfers())
      if (in.start >= sentAt && in.actual > 2) answered = std::min(answered, in.end);
    std::cout << "product " << std::hex << product << std::dec << ": " << wakeUps
              << " IN transfers a second while idle; a reply was in the queue "
              << Ms(answered - sentAt) << " ms after its command reached the chip\n";
    EXPECT_LE(wakeUps, 100);
    EXPECT_LE(answered - sentAt, milliseconds(25));
  }
}

}  // namespace
}  // namespace velqoris
