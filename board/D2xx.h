// The D2XX-shaped device interface the link talks to: the seven calls it uses,
// with the library's status values. Backends: the vendor library loaded at run
// time, libftdi1, the virtual board, and the tests' scripted device.
#pragma once

#include <cstdint>

namespace velqoris::d2xx {

using FT_HANDLE = void*;
using FT_STATUS = std::uint32_t;
using DWORD = std::uint32_t;

enum : FT_STATUS {
  FT_OK = 0,
  FT_INVALID_HANDLE = 1,
  FT_DEVICE_NOT_FOUND = 2,
  FT_DEVICE_NOT_OPENED = 3,
  FT_IO_ERROR = 4,
  FT_INSUFFICIENT_RESOURCES = 5,
  FT_INVALID_PARAMETER = 6,
  FT_OTHER_ERROR = 18,
};

inline constexpr DWORD FT_PURGE_RX = 1;
inline constexpr DWORD FT_PURGE_TX = 2;

class Api {
 public:
  virtual ~Api() = default;
  virtual FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) = 0;
  virtual FT_STATUS FT_Close(FT_HANDLE handle) = 0;
  virtual FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead,
                            DWORD* bytesReturned) = 0;
  virtual FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite,
                             DWORD* bytesWritten) = 0;
  virtual FT_STATUS FT_Purge(FT_HANDLE handle, DWORD mask) = 0;
  virtual FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) = 0;
  virtual FT_STATUS FT_SetUSBParameters(FT_HANDLE handle, DWORD inTransferSize,
                                        DWORD outTransferSize) = 0;
};

}  // namespace velqoris::d2xx
