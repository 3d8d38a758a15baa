// The lock on Windows: the system's named mutex; the socket is a named pipe
// whose name carries the user's, so that two users' copies never meet.
#include <windows.h>

#include <string>

#include "app/Single_instance.h"

namespace velqoris {

namespace {

QString UserName() {
  wchar_t name[256] = {};
  DWORD length = 256;
  if (!::GetUserNameW(name, &length)) return QStringLiteral("user");
  return QString::fromWCharArray(name);
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString& directory) : name_(name) {
  // A test gives a folder of its own: the pipe then carries that too.
  const QString place = directory.isEmpty() ? QString() : QLatin1Char('-') + directory;
  socket_ = QStringLiteral("velqoris-%1-%2%3").arg(name, UserName(), place);
  socket_.replace(QLatin1Char('\\'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
}

bool SingleInstance::Lock() {
  const std::wstring name = name_.toStdWString();
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

void SingleInstance::Unlock() {
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
  mutex_ = nullptr;
}

void BringToFront(QWidget& window) {
  window.showNormal();
  window.raise();
  window.activateWindow();
  // The copy that asked has let this one take the foreground.
  ::SetForegroundWindow(reinterpret_cast<HWND>(window.winId()));
}

void AllowOtherToComeForward() { ::AllowSetForegroundWindow(ASFW_ANY); }

}  // namespace velqoris
