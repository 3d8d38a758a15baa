// D2XX calls over libftdi1. Device 0 is channel A of the first FTDI device;
// one I/O thread reads and purges (the libftdi context is not thread-safe), so
// the queue status answers at once without touching USB. Writes go out from
// the caller's thread through libusb, which allows it beside the reads.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "board/D2xx.h"
#include "board/Usb_io_thread.h"
#include "board/Usb_transport.h"

namespace velqoris {

class LibftdiDevice final : public d2xx::Api {
 public:
  using TransportFactory = std::function<std::unique_ptr<UsbTransport>()>;
  static constexpr std::size_t kQueueCapacity = 1 << 18;

  // The default factory opens the real device; tests pass a fake.
  explicit LibftdiDevice(TransportFactory factory = {}, std::size_t queueCapacity = kQueueCapacity);
  ~LibftdiDevice() override;

  d2xx::FT_STATUS FT_Open(int deviceNumber, d2xx::FT_HANDLE* handle) override;
  d2xx::FT_STATUS FT_Close(d2xx::FT_HANDLE handle) override;
  d2xx::FT_STATUS FT_Read(d2xx::FT_HANDLE handle, void* buffer, d2xx::DWORD bytesToRead,
                          d2xx::DWORD* bytesReturned) override;
  d2xx::FT_STATUS FT_Write(d2xx::FT_HANDLE handle, const void* buffer, d2xx::DWORD bytesToWrite,
                           d2xx::DWORD* bytesWritten) override;
  d2xx::FT_STATUS FT_Purge(d2xx::FT_HANDLE handle, d2xx::DWORD mask) override;
  d2xx::FT_STATUS FT_GetQueueStatus(d2xx::FT_HANDLE handle, d2xx::DWORD* rxBytes) override;
  d2xx::FT_STATUS FT_SetUSBParameters(d2xx::FT_HANDLE handle, d2xx::DWORD inTransferSize,
                                      d2xx::DWORD outTransferSize) override;

 private:
  UsbIoThread* Find(d2xx::FT_HANDLE handle) const;

  TransportFactory factory_;
  std::size_t queueCapacity_;
  std::unique_ptr<UsbIoThread> io_;
};

}  // namespace velqoris
