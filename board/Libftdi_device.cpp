#include "board/Libftdi_device.h"

#include <utility>

#include "board/Libftdi_transport.h"

namespace velqoris {

using namespace d2xx;

LibftdiDevice::LibftdiDevice(TransportFactory factory, std::size_t queueCapacity)
    : factory_(std::move(factory)), queueCapacity_(queueCapacity) {
  if (!factory_) factory_ = [] { return std::unique_ptr<UsbTransport>(LibftdiTransport::Open()); };
}

LibftdiDevice::~LibftdiDevice() = default;

// The handle is the I/O thread itself: a stale or foreign handle matches nothing.
UsbIoThread* LibftdiDevice::Find(FT_HANDLE handle) const {
  return io_ && handle == io_.get() ? io_.get() : nullptr;
}

FT_STATUS LibftdiDevice::FT_Open(int deviceNumber, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  *handle = nullptr;
  if (deviceNumber != 0) return FT_DEVICE_NOT_FOUND;
  if (io_) return FT_DEVICE_NOT_OPENED;  // already in use
  std::unique_ptr<UsbTransport> transport = factory_();
  if (!transport) return FT_DEVICE_NOT_FOUND;
  io_ = std::make_unique<UsbIoThread>(std::move(transport), queueCapacity_);
  *handle = io_.get();
  return FT_OK;
}

FT_STATUS LibftdiDevice::FT_Close(FT_HANDLE handle) {
  if (Find(handle) == nullptr) return FT_INVALID_HANDLE;
  io_.reset();  // joins the thread before the device is released
  return FT_OK;
}

FT_STATUS LibftdiDevice::FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead,
                                 DWORD* bytesReturned) {
  UsbIoThread* io = Find(handle);
  if (io == nullptr) {
    if (bytesReturned) *bytesReturned = 0;
    return FT_INVALID_HANDLE;
  }
  return io->Read(buffer, bytesToRead, bytesReturned);
}

FT_STATUS LibftdiDevice::FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite,
                                  DWORD* bytesWritten) {
  UsbIoThread* io = Find(handle);
  if (io == nullptr) {
    if (bytesWritten) *bytesWritten = 0;
    return FT_INVALID_HANDLE;
  }
  return io->Write(buffer, bytesToWrite, bytesWritten);
}

FT_STATUS LibftdiDevice::FT_Purge(FT_HANDLE handle, DWORD mask) {
  UsbIoThread* io = Find(handle);
  if (io == nullptr) return FT_INVALID_HANDLE;
  return io->Purge((mask & FT_PURGE_RX) != 0, (mask & FT_PURGE_TX) != 0);
}

FT_STATUS LibftdiDevice::FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
  UsbIoThread* io = Find(handle);
  if (io == nullptr) {
    if (rxBytes) *rxBytes = 0;
    return FT_INVALID_HANDLE;
  }
  return io->Queued(rxBytes);
}

FT_STATUS LibftdiDevice::FT_SetUSBParameters(FT_HANDLE handle, DWORD inTransferSize,
                                             DWORD /*outTransferSize*/) {
  UsbIoThread* io = Find(handle);
  if (io == nullptr) return FT_INVALID_HANDLE;
  return io->SetReadChunk(inTransferSize);
}

}  // namespace velqoris
