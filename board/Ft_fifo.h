// The byte link to the board's USB FIFO: opens device 0, writes one command
// line at a time, and reads back what is queued, an exact block, or a reply
// gathered under a time-out. Knows nothing of the board's commands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/D2xx.h"
#include "board/Event_host.h"

namespace velqoris {

class Tft_FIFO {
 public:
  static constexpr std::uint32_t kReceiveSize = 10000;  // carry-over store
  static constexpr std::size_t kMaxCommand = 19;        // characters, CR not counted
  static constexpr std::size_t kAckSize = 4;
  static constexpr std::size_t kMaxReplyLine = 16;  // bytes, CR included

  Tft_FIFO(d2xx::Api& device, EventHost& host);
  ~Tft_FIFO();
  Tft_FIFO(const Tft_FIFO&) = delete;
  Tft_FIFO& operator=(const Tft_FIFO&) = delete;

  bool OpenDevice(std::uint32_t transferSize);
  bool Open();
  bool Purge();
  void Close();
  bool IsOpen() const { return open_; }
  d2xx::FT_STATUS LastStatus() const { return lastStatus_; }

  void SetTimeOut(int ms);
  void StartTimer();
  void StopTimer();
  void TimerExpired();
  bool TimedOut() const { return timedOut_; }
  int Interval() const { return interval_; }

  bool WriteCommand(const char* text);
  // Reads what is queued, never more than `capacity` bytes; the rest stays queued.
  bool ReadAvailable(std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t& got);
  // Delivers exactly `count` bytes or none (got = 0); what came in early is kept.
  bool ReadExact(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got);
  bool CommandOK(const char* text);
  // On success the reply area holds the line without its CR, NUL-terminated.
  bool CommandReply(const char* text, char* reply, std::size_t replyCapacity);

  std::uint32_t CarryOver() const { return carry_; }

 private:
  bool Fail(d2xx::FT_STATUS status);
  void CloseHandle();
  bool QueryQueue();
  std::uint32_t DeliverFromStore(std::uint8_t* buffer, std::uint32_t count);

  d2xx::Api& device_;
  EventHost& host_;
  d2xx::FT_HANDLE handle_ = nullptr;
  bool open_ = false;
  d2xx::FT_STATUS lastStatus_ = d2xx::FT_OK;
  std::uint32_t queued_ = 0;
  bool timedOut_ = false;
  std::uint8_t receive_[kReceiveSize] = {};
  std::uint32_t carry_ = 0;
  int interval_ = 500;
};

// 0..9 -> '0'..'9', 10..15 -> 'A'..'F', anything else -> 'X'.
char HexDigit(int value);

}  // namespace velqoris
