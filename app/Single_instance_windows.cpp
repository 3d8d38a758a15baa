#include "app/Single_instance.h"

#include <windows.h>

namespace velqoris {

namespace {

std::wstring Wide(const QString& text) { return text.toStdWString(); }

HWND TopLevelTitled(const QString& title) { return ::FindWindowW(nullptr, Wide(title).c_str()); }

}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString&) : name_(name) {}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

bool SingleInstance::Acquire() {
  if (mutex_ != nullptr) return true;
  const std::wstring name = Wide(name_);
  if (HANDLE other = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str())) {
    ::CloseHandle(other);
    return false;
  }
  // Owned from the start, inheritable; the system removes it when the process ends.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE mutex = ::CreateMutexW(&inheritable, TRUE, name.c_str());
  if (mutex == nullptr) return false;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {  // another copy was quicker
    ::CloseHandle(mutex);
    return false;
  }
  mutex_ = mutex;
  return true;
}

bool SingleInstance::OtherHasWindow(const QString& title) {
  return TopLevelTitled(title) != nullptr;
}

bool SingleInstance::RaiseOther(const QString& title) {
  HWND window = TopLevelTitled(title);
  if (window == nullptr) return false;
  // Asynchronous: the other copy restores its window when it handles its messages.
  ::ShowWindowAsync(window, SW_SHOWNORMAL);
  ::SetForegroundWindow(window);  // the system may only flash it when another program has the focus
  return true;
}

}  // namespace velqoris
