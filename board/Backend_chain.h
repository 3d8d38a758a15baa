// D2XX backends tried in order when the device is opened: the first that opens
// it serves every call until it is closed; the next open starts from the top
// again. A backend is created when first needed, so a library that is never
// tried is never loaded.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/D2xx.h"

namespace velqoris {

class BackendChain final : public d2xx::Api {
 public:
  struct Backend {
    std::string name;
    // Null when the backend is not available (its library is missing).
    std::function<std::unique_ptr<d2xx::Api>()> make;
  };
  using OpenedNote = std::function<void(const std::string& name)>;

  explicit BackendChain(std::vector<Backend> order, OpenedNote opened = {});

  // The name of the backend holding the device; empty while none does.
  const std::string& OpenedBy() const;

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
  struct Slot {
    Backend backend;
    std::unique_ptr<d2xx::Api> api;
    bool tried = false;
  };
  d2xx::Api* Active() const;

  std::vector<Slot> slots_;
  OpenedNote opened_;
  int active_ = -1;
};

}  // namespace velqoris
