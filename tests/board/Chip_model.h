// A model of an FTDI USB FIFO chip as libusb sees it, for tests that run the
// real libftdi1 and the libftdi backend over it (tests/board/Fake_libusb.cpp
// puts the libusb calls in front of it).
//
// What it does, as the chip does:
// - every packet towards the host starts with 2 status bytes; max-size packets
//   are 64 bytes on full-speed chips (0x6001, 0x6015), 512 on high-speed ones;
// - while the FIFO holds a packet's worth, full packets go back to back; a
//   part-filled packet goes out when the latency timer runs out, and with
//   nothing to send the chip still answers with a status-only packet then;
// - a bulk IN transfer ends when it is full, on a short packet, or at its
//   time-out, which returns LIBUSB_ERROR_TIMEOUT with what did arrive;
// - the purge requests empty the chip's buffer; a pulled cable makes every
//   call fail with LIBUSB_ERROR_NO_DEVICE from then on.
//
// Time is virtual. The host's waits are the only thing that takes time, so a
// bulk IN transfer moves the clock on to the moment it ends; the board behind
// the FIFO is paced by the same clock. No test depends on how fast it runs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "board/Clock.h"

namespace velqoris::testing {

// A clock several threads read while the chip moves it on.
class SharedClock final : public Clock {
 public:
  Duration Now() const override { return Duration(ns_.load()); }
  void AdvanceTo(Duration t) {
    if (t.count() > ns_.load()) ns_.store(t.count());
  }

 private:
  std::atomic<std::int64_t> ns_{0};
};

// The board's side of the FIFO: what its controller sends and receives.
class FifoSide {
 public:
  virtual ~FifoSide() = default;
  // Bytes the host wrote, as the chip hands them to the board.
  virtual void FromHost(const std::uint8_t* data, std::size_t size) = 0;
  // Up to `max` bytes the board has put into the FIFO by now.
  virtual std::size_t ToHost(std::uint8_t* out, std::size_t max) = 0;
  // The host purged the chip's receive buffer.
  virtual void Purged() {}
  // The cable was pulled: a bus-powered board goes down with the chip.
  virtual void PowerLost() {}
};

class ChipModel {
 public:
  using Duration = Clock::Duration;
  struct InTransfer {
    Duration start{0};
    Duration end{0};
    int length = 0;
    int actual = 0;
    int result = 0;
  };
  struct OutTransfer {
    Duration at{0};
    std::string bytes;
  };

  // The chip is on the bus while it exists; chips join the bus in the order made.
  explicit ChipModel(std::uint16_t productId = 0x6001, FifoSide* side = nullptr);
  ~ChipModel();
  ChipModel(const ChipModel&) = delete;
  ChipModel& operator=(const ChipModel&) = delete;
  static ChipModel* OnBus();  // the first
  static std::vector<ChipModel*> AllOnBus();

  const SharedClock& Time() const { return clock_; }
  void SetSide(FifoSide* side);
  std::uint16_t ProductId() const { return product_; }
  // The USB serial number string (from the chip's EEPROM).
  void SetSerial(std::string serial) { serial_ = std::move(serial); }
  const std::string& Serial() const { return serial_; }
  std::uint16_t BcdDevice() const;
  int PacketSize() const { return packetSize_; }
  std::size_t BufferSize() const { return bufferSize_; }

  // What a test does to the chip.
  void Unplug();
  void Plug();
  bool Plugged() const;
  // The kernel's serial driver holds the interface until it is detached.
  void SetKernelDriver(bool attached);
  // The bulk IN transfer that would carry payload byte number `after` (counted
  // from now) fails with this libusb code and loses what it carried;
  // LIBUSB_ERROR_NO_DEVICE pulls the cable there.
  void FailIn(int libusbError, std::uint64_t after = 0);
  // Holds every bulk IN transfer at its start (no time passes) until released,
  // so a test can act while a read is in flight.
  void HoldReads(bool hold);
  bool ReadHeld() const;
  // Moves time on while nothing else does (a host that is not reading).
  void Advance(Duration d);
  // Runs `fn` with the chip held still (to look at the board behind it).
  void Locked(const std::function<void()>& fn);

  // What the host did.
  int LatencyMs() const;
  bool Claimed() const;
  bool KernelDriverAttached() const;
  int ReceivePurges() const;
  std::vector<InTransfer> InTransfers() const;
  std::vector<OutTransfer> OutTransfers() const;

  // The libusb calls, behind the C functions of Fake_libusb.cpp.
  int BulkIn(std::uint8_t* data, int length, int* actual, unsigned timeoutMs);
  int BulkOut(const std::uint8_t* data, int length, int* actual);
  int Control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
              std::uint8_t* data, std::uint16_t length);
  int Open();
  void Close();
  int DetachKernelDriver();
  int Claim();
  int Release();

 private:
  void Fill();  // from the board, as far as the buffer has room
  void PowerOff();
  void Emit(std::uint8_t* out, int& got, std::size_t payload);

  mutable std::mutex mutex_;
  SharedClock clock_;
  FifoSide* side_;
  std::uint16_t product_;
  std::string serial_ = "VQ000001";
  int packetSize_;
  std::size_t bufferSize_;
  Duration packetTime_;
  bool plugged_ = true;
  bool kernelDriver_ = false;
  bool claimed_ = false;
  int openHandles_ = 0;
  int latencyMs_ = 16;  // the chip's power-on value
  Duration lastPacket_{0};
  std::deque<std::uint8_t> buffer_;
  int failCode_ = 0;
  std::uint64_t failAfter_ = 0;
  bool hold_ = false;
  int held_ = 0;
  std::condition_variable released_;
  int receivePurges_ = 0;
  std::vector<InTransfer> in_;
  std::vector<OutTransfer> out_;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace velqoris::testing
