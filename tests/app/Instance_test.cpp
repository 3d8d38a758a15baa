// One copy per user: the lock, the question to the first copy, the exit code
// of a second program, and exceptions that escape an event handler.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Program_entry.h"
#include "app/Single_instance.h"
#include "message/Message_box.h"

namespace velqoris::testing {
namespace {

// A name of its own, so that a program running beside the test is left alone.
QString LockName() {
  return QStringLiteral("AD7190-test-%1").arg(QCoreApplication::applicationPid());
}

TEST(SingleInstanceTest, OnlyOneHolderAndItBringsItsMainWindowForward) {
  QTemporaryDir dir;
  SingleInstance first(LockName(), dir.path());
  SingleInstance second(LockName(), dir.path());
  ASSERT_TRUE(first.Acquire());
  EXPECT_FALSE(second.Acquire());
  // Before the first copy shows its window there is nothing to bring forward.
  EXPECT_FALSE(second.OtherHasWindow());
  EXPECT_FALSE(second.RaiseOther());
  // The main window, whatever its title.
  QWidget main;
  main.setWindowTitle("VELQORIS / v2.10");
  first.ServeWindow(&main);
  main.show();
  main.showMinimized();
  EXPECT_TRUE(second.OtherHasWindow());
  EXPECT_TRUE(second.RaiseOther());
  EXPECT_FALSE(main.isMinimized());
  // Another name is another lock.
  SingleInstance other(LockName() + "x", dir.path());
  EXPECT_TRUE(other.Acquire());
}

TEST(SingleInstanceTest, AFileGivenToALaterCopyIsOpenedByTheFirst) {
  QTemporaryDir dir;
  SingleInstance first(LockName(), dir.path());
  SingleInstance second(LockName(), dir.path());
  ASSERT_TRUE(first.Acquire());
  QWidget main;
  std::vector<std::string> opened;
  bool busy = false;
  first.ServeWindow(&main, [&](const std::string& path) {
    if (busy) return false;
    opened.push_back(path);
    return true;
  });
  main.show();
  const std::string path = "/home/山田/測定/run 1.DTA";
  EXPECT_TRUE(second.OpenInOther(path));
  busy = true;  // a run goes on: the file is refused, the window still comes forward
  EXPECT_FALSE(second.OpenInOther("/tmp/other.DTA"));
  EXPECT_EQ(opened, std::vector<std::string>{path});
}

#ifndef _WIN32
TEST(SingleInstanceTest, TheLockIsFreeOnceItsHolderIsGone) {
  QTemporaryDir dir;
  {
    SingleInstance first("AD7190", dir.path());
    ASSERT_TRUE(first.Acquire());
  }
  SingleInstance next("AD7190", dir.path());
  EXPECT_TRUE(next.Acquire());
  // Nobody answers a copy that did not get the lock and finds no socket.
  SingleInstance late("AD7190", dir.path());
  EXPECT_FALSE(late.Acquire());
  QFile::remove(next.SocketName());
  EXPECT_FALSE(late.OtherHasWindow());
}

// Starts the demo program with its lock and socket in `dir`.
void StartDemo(QProcess& p, const QTemporaryDir& dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(VELQORIS_DEMO_PATH, {});
}

// Waits for the first copy to show its window (a program starting, not a
// clock): until then a second copy would get no answer, and a box.
bool WaitForWindow(SingleInstance& where, QProcess& p) {
  for (int i = 0; i < 3000; ++i) {
    if (where.OtherHasWindow()) return true;
    if (p.state() == QProcess::NotRunning) return false;
    QThread::msleep(10);
  }
  return false;
}

TEST(SecondCopyTest, ExitsWithOneWhileTheFirstRunsAndAKilledCopyLeavesNoLock) {
  QTemporaryDir dir;
  SingleInstance where("AD7190", dir.path());
  QProcess first;
  StartDemo(first, dir);
  ASSERT_TRUE(first.waitForStarted(20000));
  ASSERT_TRUE(WaitForWindow(where, first));

  QProcess second;
  StartDemo(second, dir);
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(first.state(), QProcess::Running);

  // A crash: the kernel drops the lock, and the next copy starts.
  first.kill();
  ASSERT_TRUE(first.waitForFinished(20000));
  QProcess third;
  StartDemo(third, dir);
  ASSERT_TRUE(third.waitForStarted(20000));
  ASSERT_TRUE(WaitForWindow(where, third));
  EXPECT_EQ(third.state(), QProcess::Running);
  third.terminate();
  if (!third.waitForFinished(20000)) {
    third.kill();
    third.waitForFinished(20000);
  }
}

#endif

class Throwing final : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("broken handler");
    return QObject::event(e);
  }
};

TEST(ApplicationTest, AnExceptionFromAnEventHandlerIsShownNotFatal) {
  std::vector<dialogs::BoxRequest> boxes;
  dialogs::SetBoxHandler([&](const dialogs::BoxRequest& r) {
    boxes.push_back(r);
    return 0;
  });
  Throwing target;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&target, &event);
  dialogs::SetBoxHandler({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "broken handler");
  EXPECT_EQ(boxes[0].icon, dialogs::Icon::Error);
}

}  // namespace
}  // namespace velqoris::testing
