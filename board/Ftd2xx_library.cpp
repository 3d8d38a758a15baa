#include "board/Ftd2xx_library.h"

#include <atomic>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>
#define VELQORIS_D2XX_CALL __stdcall
#else
#include <dlfcn.h>
#define VELQORIS_D2XX_CALL
#endif

namespace velqoris {

using namespace d2xx;

namespace {
// The library's status and by-value counts are declared `unsigned long` here:
// wide enough whether its own types are 32 or 64 bits, and the values fit in
// 32. Counts it writes back go into a zeroed 64-bit slot for the same reason
// (read back on little-endian hosts, which are the ones it ships for).
using LibStatus = unsigned long;
using LibCount = unsigned long;
using OpenFn = LibStatus(VELQORIS_D2XX_CALL*)(int, void**);
using CloseFn = LibStatus(VELQORIS_D2XX_CALL*)(void*);
using ReadFn = LibStatus(VELQORIS_D2XX_CALL*)(void*, void*, LibCount, void*);
using WriteFn = LibStatus(VELQORIS_D2XX_CALL*)(void*, void*, LibCount, void*);
using PurgeFn = LibStatus(VELQORIS_D2XX_CALL*)(void*, LibCount);
using QueueFn = LibStatus(VELQORIS_D2XX_CALL*)(void*, void*);
using ParamsFn = LibStatus(VELQORIS_D2XX_CALL*)(void*, LibCount, LibCount);

FT_STATUS NarrowStatus(LibStatus status) { return static_cast<FT_STATUS>(status & 0xFFFFFFFFu); }
DWORD NarrowCount(std::uint64_t slot) { return static_cast<DWORD>(slot & 0xFFFFFFFFu); }

template <typename Fn, typename Raw>
Fn As(Raw raw) {
  // Through a plain function-pointer type, so no cast joins unrelated types.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(raw));
}

std::atomic<Ftd2xxLibrary::LoadOutcome> lastLoad{Ftd2xxLibrary::LoadOutcome::kNotTried};

template <typename Library>
std::unique_ptr<Library> Outcome(std::unique_ptr<Library> library,
                                 Ftd2xxLibrary::LoadOutcome outcome) {
  lastLoad = outcome;
  return library;
}

}  // namespace

Ftd2xxLibrary::LoadOutcome Ftd2xxLibrary::LastLoad() { return lastLoad; }

struct Ftd2xxLibrary::Functions {
  OpenFn open = nullptr;
  CloseFn close = nullptr;
  ReadFn read = nullptr;
  WriteFn write = nullptr;
  PurgeFn purge = nullptr;
  QueueFn queue = nullptr;
  ParamsFn params = nullptr;
  bool Complete() const { return open && close && read && write && purge && queue && params; }
};

#ifdef _WIN32

std::unique_ptr<Ftd2xxLibrary> Ftd2xxLibrary::Load(const char* name) {
  // The name as wide characters: a folder's name may be Japanese.
  const int n = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1u, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name, -1, wide.data(), n);
  HMODULE module = LoadLibraryW(wide.c_str());
  if (module == nullptr) return Outcome<Ftd2xxLibrary>(nullptr, LoadOutcome::kMissing);
  auto fn = std::make_unique<Functions>();
  auto get = [module](int ordinal) { return GetProcAddress(module, MAKEINTRESOURCEA(ordinal)); };
  fn->open = As<OpenFn>(get(1));
  fn->close = As<CloseFn>(get(2));
  fn->read = As<ReadFn>(get(3));
  fn->write = As<WriteFn>(get(4));
  fn->purge = As<PurgeFn>(get(16));
  fn->queue = As<QueueFn>(get(18));
  fn->params = As<ParamsFn>(get(33));
  if (!fn->Complete()) {
    FreeLibrary(module);
    return Outcome<Ftd2xxLibrary>(nullptr, LoadOutcome::kIncomplete);
  }
  return Outcome(std::unique_ptr<Ftd2xxLibrary>(new Ftd2xxLibrary(module, std::move(fn))),
                 LoadOutcome::kLoaded);
}

Ftd2xxLibrary::~Ftd2xxLibrary() { FreeLibrary(static_cast<HMODULE>(module_)); }

#else

std::unique_ptr<Ftd2xxLibrary> Ftd2xxLibrary::Load(const char* name) {
  void* module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return Outcome<Ftd2xxLibrary>(nullptr, LoadOutcome::kMissing);
  auto fn = std::make_unique<Functions>();
  auto get = [module](const char* symbol) { return dlsym(module, symbol); };
  fn->open = As<OpenFn>(get("FT_Open"));
  fn->close = As<CloseFn>(get("FT_Close"));
  fn->read = As<ReadFn>(get("FT_Read"));
  fn->write = As<WriteFn>(get("FT_Write"));
  fn->purge = As<PurgeFn>(get("FT_Purge"));
  fn->queue = As<QueueFn>(get("FT_GetQueueStatus"));
  fn->params = As<ParamsFn>(get("FT_SetUSBParameters"));
  if (!fn->Complete()) {
    dlclose(module);
    return Outcome<Ftd2xxLibrary>(nullptr, LoadOutcome::kIncomplete);
  }
  return Outcome(std::unique_ptr<Ftd2xxLibrary>(new Ftd2xxLibrary(module, std::move(fn))),
                 LoadOutcome::kLoaded);
}

Ftd2xxLibrary::~Ftd2xxLibrary() { dlclose(module_); }

#endif

Ftd2xxLibrary::Ftd2xxLibrary(void* module, std::unique_ptr<Functions> functions)
    : module_(module), fn_(std::move(functions)) {}

FT_STATUS Ftd2xxLibrary::FT_Open(int deviceNumber, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  *handle = nullptr;
  return NarrowStatus(fn_->open(deviceNumber, handle));
}

FT_STATUS Ftd2xxLibrary::FT_Close(FT_HANDLE handle) { return NarrowStatus(fn_->close(handle)); }

FT_STATUS Ftd2xxLibrary::FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead,
                                 DWORD* bytesReturned) {
  std::uint64_t slot = 0;
  const FT_STATUS status = NarrowStatus(fn_->read(handle, buffer, bytesToRead, &slot));
  if (bytesReturned) *bytesReturned = NarrowCount(slot);
  return status;
}

FT_STATUS Ftd2xxLibrary::FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite,
                                  DWORD* bytesWritten) {
  std::uint64_t slot = 0;
  // The library's prototype takes a non-const buffer but only reads it.
  const FT_STATUS status =
      NarrowStatus(fn_->write(handle, const_cast<void*>(buffer), bytesToWrite, &slot));
  if (bytesWritten) *bytesWritten = NarrowCount(slot);
  return status;
}

FT_STATUS Ftd2xxLibrary::FT_Purge(FT_HANDLE handle, DWORD mask) {
  return NarrowStatus(fn_->purge(handle, mask));
}

FT_STATUS Ftd2xxLibrary::FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
  std::uint64_t slot = 0;
  const FT_STATUS status = NarrowStatus(fn_->queue(handle, &slot));
  if (rxBytes) *rxBytes = NarrowCount(slot);
  return status;
}

FT_STATUS Ftd2xxLibrary::FT_SetUSBParameters(FT_HANDLE handle, DWORD inTransferSize,
                                             DWORD outTransferSize) {
  return NarrowStatus(fn_->params(handle, inTransferSize, outTransferSize));
}

}  // namespace velqoris
