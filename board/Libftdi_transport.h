// The thin libftdi1 calls behind UsbTransport: channel A of the first FTDI
// device found, with the kernel's serial driver detached.
#pragma once

#include <memory>

#include "board/Usb_transport.h"

struct ftdi_context;

namespace velqoris {

class LibftdiTransport final : public UsbTransport {
 public:
  // Null when no device is found or it cannot be claimed.
  static std::unique_ptr<LibftdiTransport> Open();
  ~LibftdiTransport() override;
  LibftdiTransport(const LibftdiTransport&) = delete;
  LibftdiTransport& operator=(const LibftdiTransport&) = delete;

  int Read(std::uint8_t* buffer, int size) override;
  int Write(const std::uint8_t* data, int size) override;
  int Purge(bool receive, bool transmit) override;
  int SetReadChunk(int bytes) override;

 private:
  explicit LibftdiTransport(ftdi_context* context) : context_(context) {}
  ftdi_context* context_;
};

}  // namespace velqoris
