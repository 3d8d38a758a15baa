// One copy on Windows: the system mutex "AD7190", the second program's exit
// code, the first copy's window brought forward through its pipe, and the box
// when the copy that holds the mutex cannot be reached.
#include <windows.h>

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <string>

#include "app/Single_instance.h"

namespace velqoris::testing {
namespace {

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

TEST(SingleInstanceWindowsTest, TheMutexAdmitsOneAndIsGoneWithItsHolder) {
  // A name of its own, so that a program running beside the test is left alone.
  const QString name = QStringLiteral("AD7190-test-%1").arg(::GetCurrentProcessId());
  {
    SingleInstance first(name);
    SingleInstance second(name);
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(MutexExists(name.toStdWString().c_str()));
  }
  // The system drops the mutex with its last handle.
  EXPECT_FALSE(MutexExists(name.toStdWString().c_str()));
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
  // Until its window shows, a second copy would get no answer (and a box).
  SingleInstance asking(QStringLiteral("AD7190"));
  ASSERT_TRUE(WaitHandlingMessages(
      [&] { return asking.OtherHasWindow() || first.state() == QProcess::NotRunning; }));
  ASSERT_EQ(first.state(), QProcess::Running);
}

void End(QProcess& p) {
  p.kill();
  p.waitForFinished(20000);
}

TEST(SecondCopyWindowsTest, ExitsWithOneWhileTheFirstRunsAndAKilledCopyLeavesNoMutex) {
  QProcess first;
  StartFirstCopy(first);
  // The first copy answers (its window comes forward): no box.
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
  const wchar_t* title;
  HWND window = nullptr;
};

// A visible top-level window of that process whose title begins so.
HWND WindowOf(DWORD process, const wchar_t* title) {
  Found found{process, title};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<Found*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t text[64] = {};
        ::GetWindowTextW(window, text, 64);
        if (owner == f->process && std::wstring(text).starts_with(f->title) &&
            ::IsWindowVisible(window)) {
          f->window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

// Waits for a window of the process so titled, or for the process to end.
HWND WaitForWindow(QProcess& p, const wchar_t* title) {
  HWND found = nullptr;
  WaitHandlingMessages([&] {
    found = WindowOf(static_cast<DWORD>(p.processId()), title);
    return found != nullptr || p.state() == QProcess::NotRunning;
  });
  return found;
}

// Starts a second copy on the Windows platform; its box, if it shows one.
HWND StartSecondCopy(QProcess& second) {
  StartDemo(second, QStringLiteral("windows"));
  if (!second.waitForStarted(20000)) return nullptr;
  return WaitForWindow(second, L"AD7190");
}

TEST(SecondCopyWindowsTest, TheFirstCopysMinimisedWindowComesForwardAndNoBoxShows) {
  QProcess first;
  StartDemo(first, QStringLiteral("windows"));
  ASSERT_TRUE(first.waitForStarted(20000));
  HWND main = WaitForWindow(first, L"VELQORIS / v2.10");
  ASSERT_NE(main, nullptr) << "the first copy shows no window";
  ::ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitHandlingMessages([&] { return ::IsIconic(main) != FALSE; }));

  QProcess second;
  HWND box = StartSecondCopy(second);
  EXPECT_EQ(box, nullptr) << "a box where the window itself came forward";
  if (box != nullptr) ::PostMessageW(box, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitHandlingMessages([&] { return second.state() == QProcess::NotRunning; }));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(WaitHandlingMessages([&] { return ::IsIconic(main) == FALSE; }));
  End(first);
}

TEST(SecondCopyWindowsTest, ACopyThatCannotBeReachedIsNamedInABox) {
  // This test holds the mutex, as a copy still starting would: nobody answers.
  SingleInstance holder(QStringLiteral("AD7190"), QStringLiteral("elsewhere"));
  ASSERT_TRUE(holder.Acquire());
  QProcess second;
  HWND box = StartSecondCopy(second);
  ASSERT_NE(box, nullptr) << "no box";
  ::PostMessageW(box, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitHandlingMessages([&] { return second.state() == QProcess::NotRunning; }));
  EXPECT_EQ(second.exitCode(), 1);
}

}  // namespace
}  // namespace velqoris::testing
