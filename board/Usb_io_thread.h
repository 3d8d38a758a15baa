// Owns a USB transport on one thread of its own: reads into a receive queue
// whose count the caller reads without waiting, and runs the caller's purges
// and settings between reads. A full queue stops the reading, so no byte is
// dropped. Writes go out from the caller's thread at once, beside a read in
// flight, so a command never waits for the chip's next packet.
//
// Errors: a device that is gone fails every call until it is opened again. A
// read that fails otherwise lost bytes, so reading stops and the queue calls
// report it until a purge succeeds; writes still go out meanwhile (the stop
// command after a failed read). A failed write fails only that call.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "board/D2xx.h"
#include "board/Receive_queue.h"
#include "board/Usb_transport.h"

namespace velqoris {

class UsbIoThread {
 public:
  static constexpr int kMinChunk = 64;
  static constexpr int kMaxChunk = 65536;

  UsbIoThread(std::unique_ptr<UsbTransport> transport, std::size_t queueCapacity,
              int readChunk = 4096);
  // Stops and joins the thread, then releases the transport.
  ~UsbIoThread();
  UsbIoThread(const UsbIoThread&) = delete;
  UsbIoThread& operator=(const UsbIoThread&) = delete;

  d2xx::FT_STATUS Write(const void* data, d2xx::DWORD size, d2xx::DWORD* written);
  d2xx::FT_STATUS Purge(bool receive, bool transmit);
  // A multiple of 64 from 64 to 65536, else FT_INVALID_PARAMETER.
  d2xx::FT_STATUS SetReadChunk(d2xx::DWORD bytes);
  // Takes what is queued, up to `size` bytes; never waits for more.
  d2xx::FT_STATUS Read(void* dest, d2xx::DWORD size, d2xx::DWORD* got);
  d2xx::FT_STATUS Queued(d2xx::DWORD* count) const;
  // FT_OK, or the error the queue calls report now.
  d2xx::FT_STATUS Error() const;
  bool Gone() const { return gone_.load(); }

 private:
  struct Op {
    std::function<d2xx::FT_STATUS()> work;
    d2xx::FT_STATUS result = d2xx::FT_OK;
    bool done = false;
  };
  d2xx::FT_STATUS Run(std::function<d2xx::FT_STATUS()> work);
  void Loop();
  void WakeReader();

  std::unique_ptr<UsbTransport> transport_;
  ReceiveQueue queue_;
  std::vector<std::uint8_t> scratch_;
  int chunk_;  // I/O thread only
  std::atomic<bool> gone_{false};
  std::atomic<bool> readFailed_{false};  // until the next successful purge

  std::mutex writeMutex_;  // one caller's write at a time
  std::mutex mutex_;
  std::condition_variable wake_;  // to the I/O thread
  std::condition_variable done_;  // to callers
  std::deque<Op*> ops_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace velqoris
