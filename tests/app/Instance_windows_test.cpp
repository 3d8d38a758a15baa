// One copy on Windows: the system mutex, the window found by its exact title
// among all top-level windows, the second program's exit code, its box and
// the raising of that window.
#include <windows.h>

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <string>

#include "app/Single_instance.h"

namespace velqoris::testing {
namespace {

// A top-level window of the system's own class, as another program's would be.
class NativeWindow {
 public:
  explicit NativeWindow(const std::wstring& title)
      : hwnd_(::CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 240, 120,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  ~NativeWindow() { ::DestroyWindow(hwnd_); }
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;
  HWND Handle() const { return hwnd_; }
  void Minimize() const { ::ShowWindow(hwnd_, SW_SHOWMINIMIZED); }

 private:
  HWND hwnd_;
};

// Our windows answer other programs only while this thread handles its messages.
void HandleMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

bool MutexExists(const wchar_t* name) {
  HANDLE handle = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
  if (handle != nullptr) ::CloseHandle(handle);
  return handle != nullptr;
}

template <typename Done>
bool WaitHandlingMessages(Done done) {
  for (int i = 0; i < 6000; ++i) {
    HandleMessages();
    if (done()) return true;
    QThread::msleep(10);
  }
  return false;
}

TEST(SingleInstanceWindowsTest, TheMutexAdmitsOneAndTheWindowIsFoundByItsExactTitle) {
  // A name of its own, so that a program running beside the test is left alone.
  const QString name = QStringLiteral("AD7190-test-%1").arg(::GetCurrentProcessId());
  {
    SingleInstance first(name);
    SingleInstance second(name);
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    NativeWindow longer((name + QStringLiteral(" ")).toStdWString());
    EXPECT_FALSE(second.OtherHasWindow(name));
    NativeWindow exact(name.toStdWString());
    exact.Minimize();
    HandleMessages();
    ASSERT_TRUE(::IsIconic(exact.Handle()));
    EXPECT_TRUE(second.OtherHasWindow(name));
    EXPECT_TRUE(second.RaiseOther(name));
    ASSERT_TRUE(WaitHandlingMessages([&] { return !::IsIconic(exact.Handle()); }));
  }
  // The system drops the mutex with its last handle.
  SingleInstance next(name);
  EXPECT_TRUE(next.Acquire());
}

void StartDemo(QProcess& p, const QString& platform) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", platform);
  p.setProcessEnvironment(env);
  p.start(VELQORIS_DEMO_PATH, {});
}

void StartFirstCopy(QProcess& first) {
  StartDemo(first, QStringLiteral("offscreen"));
  ASSERT_TRUE(first.waitForStarted(20000));
  ASSERT_TRUE(WaitHandlingMessages(
      [&] { return MutexExists(L"AD7190") || first.state() == QProcess::NotRunning; }));
  ASSERT_EQ(first.state(), QProcess::Running);
}

void End(QProcess& p) {
  p.kill();
  p.waitForFinished(20000);
}

TEST(SecondCopyWindowsTest, ExitsWithOneWhileTheFirstRunsAndAKilledCopyLeavesNoMutex) {
  QProcess first;
  StartFirstCopy(first);
  // No window is titled "AD7190" (the first copy's is "VELQORIS / v2.10"): no box.
  QProcess second;
  StartDemo(second, QStringLiteral("offscreen"));
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(first.state(), QProcess::Running);
  End(first);
  EXPECT_TRUE(WaitHandlingMessages([] { return !MutexExists(L"AD7190"); }));
}

struct Found {
  DWORD process;
  HWND window = nullptr;
};

// The second copy's box: a top-level window of that process titled "AD7190".
HWND BoxOf(DWORD process) {
  Found found{process};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<Found*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t title[16] = {};
        ::GetWindowTextW(window, title, 16);
        if (owner == f->process && std::wstring(title) == L"AD7190" && ::IsWindowVisible(window)) {
          f->window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

TEST(SecondCopyWindowsTest, AWindowTitledAD7190GetsTheBoxThenComesToTheFront) {
  NativeWindow target(L"AD7190");
  target.Minimize();
  QProcess first;
  StartFirstCopy(first);
  QProcess second;
  StartDemo(second, QStringLiteral("windows"));
  ASSERT_TRUE(second.waitForStarted(20000));
  HWND box = nullptr;
  ASSERT_TRUE(WaitHandlingMessages([&] {
    box = BoxOf(static_cast<DWORD>(second.processId()));
    return box != nullptr || second.state() == QProcess::NotRunning;
  }));
  ASSERT_NE(box, nullptr) << "no box";
  EXPECT_TRUE(::IsIconic(target.Handle()));  // raised only once the box is closed
  ::PostMessageW(box, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitHandlingMessages([&] { return second.state() == QProcess::NotRunning; }));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(WaitHandlingMessages([&] { return !::IsIconic(target.Handle()); }));
  End(first);
}

}  // namespace
}  // namespace velqoris::testing
