// データ → リモート制御: a client on loopback runs the window's own run, the
// controls are grey while it holds control, and the switch is remembered.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/Window_remote.h"
#include "datafile/Utf8_path.h"
#include "session/Run_history.h"
#include "tests/app/Window_fixture.h"
#include "tests/support/Event_wait.h"
#include "tests/support/Temp_files.h"

namespace velqoris::testing {
namespace {

class RemoteWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    FormOptions o;
    o.remoteSwitchFile = dir.Path("remote-control");
    o.remotePort = 0;
    o.historyFolder = dir.Path("history");
    Build(o);
  }
  TempDir dir;
};

TEST_F(RemoteWindowTest, AClientRunsTheWindowsRunWhileTheControlsAreGrey) {
  ASSERT_EQ(form->Remote(), nullptr);
  Action("Remote1")->trigger();
  ASSERT_NE(form->Remote(), nullptr);
  ASSERT_TRUE(form->Remote()->Listening());
  EXPECT_TRUE(Action("Remote1")->isChecked());
  EXPECT_TRUE(Utf8PathExists(dir.Path("remote-control")));

  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, form->Remote()->Port());
  ASSERT_TRUE(Until([&] { return form->Remote()->ClientHolds(); }));
  EXPECT_FALSE(MeasureBtn()->isEnabled());
  EXPECT_FALSE(Combo(1)->isEnabled());
  EXPECT_NE(LabelText("RemoteState").indexOf(QString::fromUtf8("リモート制御中")), -1);

  client.write("SAMP:RATE 4800;COUN 100;:ROUT:CHAN 0;:READ?\n");
  ASSERT_TRUE(Until([&] { return form->Run()->IsMeasuring(); }));
  EXPECT_EQ(Combo(1)->currentIndex(), 12);
  EXPECT_FALSE(MeasureBtn()->isEnabled());
  ASSERT_TRUE(RunToEnd(ms(20)));
  ASSERT_TRUE(Until([&] { return client.canReadLine(); }));
  EXPECT_EQ(client.readLine().count(','), 99);
  EXPECT_EQ(form->Data().Ch0.Count, 100);
  // The remote run is kept like any run: one .DTA beside the folder's own record.
  const auto runs = std::count_if(
      std::filesystem::directory_iterator(dir.Path("history")),
      std::filesystem::directory_iterator(),
      [](const std::filesystem::directory_entry& e) { return e.path().extension() == ".DTA"; });
  EXPECT_EQ(runs, 1);

  client.disconnectFromHost();
  ASSERT_TRUE(Until([&] { return !form->Remote()->ClientHolds(); }));
  EXPECT_TRUE(MeasureBtn()->isEnabled());
  EXPECT_TRUE(Combo(1)->isEnabled());

  Action("Remote1")->trigger();
  EXPECT_EQ(form->Remote(), nullptr);
  EXPECT_FALSE(Utf8PathExists(dir.Path("remote-control")));
}

// The window's run state returning to idle is the client's end of the run,
// however it ended.
TEST_F(RemoteWindowTest, AClientsRunThatFailsQueuesItsErrorAndLeavesTheWindowIdle) {
  Action("Remote1")->trigger();
  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, form->Remote()->Port());
  ASSERT_TRUE(Until([&] { return form->Remote()->ClientHolds(); }));
  const struct {
    std::function<void(BoardFaults&)> fault;
    const char* error;
  } cases[] = {{[](BoardFaults& f) { f.openFails = true; }, "-241"},
               {[](BoardFaults& f) { f.readErrorAfter = 30; }, "-240"}};
  for (const auto& c : cases) {
    board.Faults() = BoardFaults{};
    c.fault(board.Faults());
    client.write("SAMP:RATE 4800;COUN 1000;:READ?;:SYST:ERR?;*CLS\n");
    ASSERT_TRUE(
        Until([&] { return form->State() != TFormMain::RunState::kIdle || client.canReadLine(); }));
    ASSERT_TRUE(RunToEnd(ms(20)));
    ASSERT_TRUE(Until([&] { return client.canReadLine(); }));
    EXPECT_EQ(client.readLine().left(4).toStdString(), c.error);
    EXPECT_EQ(form->State(), TFormMain::RunState::kIdle);
  }
}

TEST_F(RemoteWindowTest, IsOnAtStartWhenItWasLeftOn) {
  Action("Remote1")->trigger();
  FormOptions o;
  o.remoteSwitchFile = dir.Path("remote-control");
  o.remotePort = 0;
  Build(o);
  ASSERT_NE(form->Remote(), nullptr);
  EXPECT_TRUE(Action("Remote1")->isChecked());
}

}  // namespace
}  // namespace velqoris::testing
