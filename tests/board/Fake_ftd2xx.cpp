// A stand-in for the vendor library, loaded by the tests at run time. Its
// answers echo what it was given, so a test can see the arguments arrived.
// Built without FT_SetUSBParameters it stands for an incomplete library.
// On Windows a .def file names and numbers the exports.
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#define FAKE_EXPORT
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

using Status = unsigned int;
using Dword = unsigned int;  // 32 bits, as the slot handling must cope with

namespace {
int token = 0;
}

extern "C" {

FAKE_EXPORT Status FT_Open(int device, void** handle) {
  if (device != 0) return 2;
  *handle = &token;
  return 0;
}
FAKE_EXPORT Status FT_Close(void* handle) { return handle == &token ? 0 : 1; }
FAKE_EXPORT Status FT_Read(void* handle, void* buffer, Dword n, Dword* got) {
  if (handle != &token) return 1;
  const Dword k = n < 4 ? n : 4;
  std::memcpy(buffer, "fake", k);
  *got = k;
  return 0;
}
FAKE_EXPORT Status FT_Write(void* handle, void* buffer, Dword n, Dword* written) {
  if (handle != &token || buffer == nullptr) return 1;
  *written = n - 1;
  return 0;
}
FAKE_EXPORT Status FT_Purge(void* handle, Dword mask) {
  return handle == &token && mask == 3 ? 0 : 6;
}
FAKE_EXPORT Status FT_GetQueueStatus(void* handle, Dword* queued) {
  if (handle != &token) return 1;
  *queued = 1234;
  return 0;
}
#ifndef FAKE_INCOMPLETE
FAKE_EXPORT Status FT_SetUSBParameters(void* handle, Dword in, Dword out) {
  return handle == &token && in == 4096 && out == 0 ? 0 : 6;
}
#endif
}
