// D2XX calls through the vendor's own library, loaded at run time. A library
// that is missing, or lacks one of the seven functions, gives no backend.
#pragma once

#include <memory>

#include "board/D2xx.h"

namespace velqoris {

class Ftd2xxLibrary final : public d2xx::Api {
 public:
#ifdef _WIN32
  static constexpr const char* kDefaultName = "FTD2XX.DLL";
#else
  static constexpr const char* kDefaultName = "libftd2xx.so";
#endif
  // Null when the library or any of its functions is missing. `name` is UTF-8.
  static std::unique_ptr<Ftd2xxLibrary> Load(const char* name = kDefaultName);

  // How the last Load() in this process went, so that a board not found can
  // be told apart from a driver not installed.
  enum class LoadOutcome { kNotTried, kLoaded, kMissing, kIncomplete };
  static LoadOutcome LastLoad();
  ~Ftd2xxLibrary() override;
  Ftd2xxLibrary(const Ftd2xxLibrary&) = delete;
  Ftd2xxLibrary& operator=(const Ftd2xxLibrary&) = delete;

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

  struct Functions;

 private:
  Ftd2xxLibrary(void* module, std::unique_ptr<Functions> functions);
  void* module_;
  std::unique_ptr<Functions> fn_;
};

}  // namespace velqoris
