// What sits behind the chip model's FIFO in the tests: the virtual board's
// firmware (commands answered, runs streamed, paced by the chip's clock), or
// a plain source of numbered bytes at a fixed rate.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "board/Clock.h"
#include "board/D2xx.h"
#include "tests/board/Chip_model.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

class VirtualBoardSide final : public FifoSide {
 public:
  explicit VirtualBoardSide(VirtualBoard& board) : board_(board) { Reopen(); }
  // After the board lost power.
  void Reopen() {
    board_.FT_Open(0, &handle_);
    board_.FT_SetUSBParameters(handle_, 4096, 0);
  }
  void FromHost(const std::uint8_t* data, std::size_t size) override {
    d2xx::DWORD written = 0;
    board_.FT_Write(handle_, data, static_cast<d2xx::DWORD>(size), &written);
  }
  std::size_t ToHost(std::uint8_t* out, std::size_t max) override {
    d2xx::DWORD queued = 0, got = 0;
    if (board_.FT_GetQueueStatus(handle_, &queued) != d2xx::FT_OK || queued == 0) return 0;
    board_.FT_Read(handle_, out, std::min<d2xx::DWORD>(queued, static_cast<d2xx::DWORD>(max)),
                   &got);
    sent.append(reinterpret_cast<const char*>(out), got);
    return got;
  }
  // Between the controller and the chip nothing is buffered but the FIFO.
  void Purged() override { board_.FT_Purge(handle_, d2xx::FT_PURGE_RX); }
  void PowerLost() override { board_.Unplug(); }

  // Every byte the board put on the wire (the test clears it when it likes).
  std::string sent;

 private:
  VirtualBoard& board_;
  d2xx::FT_HANDLE handle_ = nullptr;
};

// Byte i is i mod 251, so a lost, doubled or reordered byte shows.
class RateSource final : public FifoSide {
 public:
  RateSource(const Clock& clock, double bytesPerSecond)
      : clock_(clock), rate_(bytesPerSecond), from_(clock.Now()) {}
  static std::uint8_t ByteAt(std::uint64_t i) { return static_cast<std::uint8_t>(i % 251); }

  void FromHost(const std::uint8_t*, std::size_t) override {}
  std::size_t ToHost(std::uint8_t* out, std::size_t max) override {
    const double seconds = std::chrono::duration<double>(clock_.Now() - from_).count();
    const auto due = static_cast<std::uint64_t>(seconds * rate_);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(due - made, max));
    for (std::size_t k = 0; k < n; ++k) out[k] = ByteAt(made + k);
    made += n;
    return n;
  }
  void Purged() override { purgedAt = made; }
  // A stalled source drops nothing: it sends later what it could not then.
  std::uint64_t made = 0;
  std::uint64_t purgedAt = 0;  // what was made when the chip was last purged

 private:
  const Clock& clock_;
  double rate_;
  Clock::Duration from_;
};

}  // namespace velqoris::testing
