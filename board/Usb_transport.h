// The few USB calls the I/O thread makes, so its queue and thread logic can be
// driven by a fake in the tests. Only the I/O thread calls a transport.
#pragma once

#include <cstdint>

namespace velqoris {

class UsbTransport {
 public:
  // Read result meaning "no answer within the USB time-out": idle, not an error.
  static constexpr int kTimedOut = -7;

  virtual ~UsbTransport() = default;
  // Bytes read (at most `size`), 0 when nothing came, kTimedOut, or another
  // negative value when the device failed or is gone.
  virtual int Read(std::uint8_t* buffer, int size) = 0;
  // Bytes written, or a negative value on failure.
  virtual int Write(const std::uint8_t* data, int size) = 0;
  // Empties the chip's buffers; 0 on success.
  virtual int Purge(bool receive, bool transmit) = 0;
  // The size of one USB IN request; 0 on success.
  virtual int SetReadChunk(int bytes) = 0;
};

}  // namespace velqoris
