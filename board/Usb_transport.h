// The few USB calls the I/O thread makes, so its queue and thread logic can be
// driven by a fake in the tests. Only the I/O thread calls a transport, except
// Write, which the caller's thread makes while a Read may be in flight.
#pragma once

#include <cstdint>

namespace velqoris {

class UsbTransport {
 public:
  // Read result meaning "no answer within the USB time-out": idle, not an error.
  static constexpr int kTimedOut = -7;
  // The device is gone (cable pulled): every later call fails the same way.
  static constexpr int kGone = -4;

  virtual ~UsbTransport() = default;
  // Bytes read (at most `size`), 0 or kTimedOut when nothing came, kGone, or
  // another negative value for a transfer that failed and lost what it carried.
  virtual int Read(std::uint8_t* buffer, int size) = 0;
  // Bytes written, kGone, or another negative value on failure.
  virtual int Write(const std::uint8_t* data, int size) = 0;
  // Empties the chip's buffers; 0 on success, kGone or another negative value.
  virtual int Purge(bool receive, bool transmit) = 0;
  // The size of one USB IN request; 0 on success.
  virtual int SetReadChunk(int bytes) = 0;
};

}  // namespace velqoris
