#include "board/Backend_chain.h"

#include <utility>

namespace velqoris {

using namespace d2xx;

BackendChain::BackendChain(std::vector<Backend> order, OpenedNote opened)
    : opened_(std::move(opened)) {
  for (Backend& backend : order) slots_.push_back({std::move(backend), nullptr, false});
}

const std::string& BackendChain::OpenedBy() const {
  static const std::string none;
  return active_ < 0 ? none : slots_[static_cast<std::size_t>(active_)].backend.name;
}

Api* BackendChain::Active() const {
  return active_ < 0 ? nullptr : slots_[static_cast<std::size_t>(active_)].api.get();
}

FT_STATUS BackendChain::FT_Open(int deviceNumber, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  *handle = nullptr;
  if (active_ >= 0) return FT_DEVICE_NOT_OPENED;  // already in use
  FT_STATUS first = FT_DEVICE_NOT_FOUND;
  bool failed = false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[i];
    if (!slot.tried) {
      slot.tried = true;
      if (slot.backend.make) slot.api = slot.backend.make();
    }
    if (!slot.api) continue;
    const FT_STATUS status = slot.api->FT_Open(deviceNumber, handle);
    if (status == FT_OK) {
      active_ = static_cast<int>(i);
      if (opened_) opened_(slot.backend.name);
      return FT_OK;
    }
    *handle = nullptr;
    if (!failed) first = status;
    failed = true;
  }
  return first;
}

FT_STATUS BackendChain::FT_Close(FT_HANDLE handle) {
  Api* api = Active();
  if (api == nullptr) return FT_INVALID_HANDLE;
  const FT_STATUS status = api->FT_Close(handle);
  active_ = -1;
  return status;
}

FT_STATUS BackendChain::FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead,
                                DWORD* bytesReturned) {
  if (Api* api = Active()) return api->FT_Read(handle, buffer, bytesToRead, bytesReturned);
  if (bytesReturned) *bytesReturned = 0;
  return FT_INVALID_HANDLE;
}

FT_STATUS BackendChain::FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite,
                                 DWORD* bytesWritten) {
  if (Api* api = Active()) return api->FT_Write(handle, buffer, bytesToWrite, bytesWritten);
  if (bytesWritten) *bytesWritten = 0;
  return FT_INVALID_HANDLE;
}

FT_STATUS BackendChain::FT_Purge(FT_HANDLE handle, DWORD mask) {
  Api* api = Active();
  return api ? api->FT_Purge(handle, mask) : FT_INVALID_HANDLE;
}

FT_STATUS BackendChain::FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
  if (Api* api = Active()) return api->FT_GetQueueStatus(handle, rxBytes);
  if (rxBytes) *rxBytes = 0;
  return FT_INVALID_HANDLE;
}

FT_STATUS BackendChain::FT_SetUSBParameters(FT_HANDLE handle, DWORD inTransferSize,
                                            DWORD outTransferSize) {
  Api* api = Active();
  return api ? api->FT_SetUSBParameters(handle, inTransferSize, outTransferSize)
             : FT_INVALID_HANDLE;
}

}  // namespace velqoris
