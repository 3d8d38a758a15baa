// The server with real sockets on loopback: control by one client, the line
// limit, a client that stops reading, a client that goes away mid-run.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <functional>

#include "board/Clock.h"
#include "remote/Acquisition_notice.h"
#include "remote/Scpi_server.h"
#include "scpi/Session_acquisition.h"
#include "tests/scpi/Fake_acquisition.h"
#include "tests/support/Event_wait.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::remote {
namespace {

using testing::Until;

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0)); }
  std::unique_ptr<QTcpSocket> Client() {
    auto c = std::make_unique<QTcpSocket>();
    c->connectToHost(QHostAddress::LocalHost, server.Port());
    // A refused client may be closed again before this looks.
    EXPECT_TRUE(Until(
        [&] { return c->state() == QAbstractSocket::ConnectedState || c->bytesAvailable() > 0; }));
    return c;
  }
  static std::string Line(QTcpSocket& c) {
    Until([&] { return c.canReadLine(); });
    return c.readLine().toStdString();
  }
  static std::string Ask(QTcpSocket& c, const std::string& line) {
    c.write((line + "\n").c_str());
    return Line(c);
  }

  scpi::FakeAcquisition acquisition;
  scpi::Instrument instrument{acquisition, "test", {}};
  ServerLimits limits{1024, 64 * 1024};
  ScpiServer server{instrument, limits};
};

TEST_F(ServerTest, ASecondClientIsToldAndClosedWhileTheFirstKeepsControl) {
  auto first = Client();
  ASSERT_TRUE(Until([&] { return server.HasClient(); }));
  auto second = Client();
  EXPECT_EQ(Line(*second), kControlTakenLine);
  EXPECT_TRUE(Until([&] { return second->state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(Ask(*first, "*IDN?"), "VELQORIS,test,VIRTUAL,2.10/1.00\n");
  first->disconnectFromHost();
  ASSERT_TRUE(Until([&] { return !server.HasClient(); }));
  auto third = Client();
  EXPECT_EQ(Ask(*third, "SAMP:RATE?\r"), "10\n");
}

TEST_F(ServerTest, AnOverLongLineIsDiscardedWithItsError) {
  auto c = Client();
  c->write(std::string(5000, 'A').c_str());
  c->write(";*IDN?\n*OPC?\n");
  EXPECT_EQ(Line(*c), "1\n");
  EXPECT_EQ(Ask(*c, "SYST:ERR?"), "-223,\"Too much data;line over 1024 bytes discarded\"\n");
  EXPECT_EQ(Ask(*c, "SYST:ERR?"), "0,\"No error\"\n");
}

TEST_F(ServerTest, GarbageAndNulBytesGetErrorsNotACrash) {
  auto c = Client();
  const char garbage[] = {'\xff', '\0', '\x01', '#', '\n', '*', 'I', 'D', '\0', '?', '\n'};
  c->write(garbage, sizeof garbage);
  EXPECT_EQ(Ask(*c, "SYST:ERR:COUN?"), "2\n");
  EXPECT_EQ(Ask(*c, "SYST:ERR?").substr(0, 5), "-101,");
}

TEST_F(ServerTest, AClientThatDoesNotReadCannotGrowTheServersMemory) {
  instrument.Input("INIT");
  acquisition.Finish(RunEnd::kComplete, 10000);
  instrument.Resume();
  auto c = Client();
  c->setReadBufferSize(1);
  std::string flood;
  for (int i = 0; i < 2000; ++i) flood += "FETC:CODE?\n";
  c->write(flood.c_str());
  std::size_t most = 0;
  Until(
      [&] {
        most = std::max(most, server.PendingOutput());
        return false;
      },
      1500);
  // One answer (about 80 kB) over the limit at the most.
  EXPECT_GT(most, limits.outputBytes / 2);
  EXPECT_LT(most, limits.outputBytes + 200 * 1024);
}

TEST(ServerOnVirtualBoard, AClientGoingAwayMidRunLeavesTheBoardIdle) {
  SteadyClock clock;
  VirtualBoard board(clock);
  AcquisitionNotice notice;
  int ends = 0;
  QObject::connect(&notice, &AcquisitionNotice::Arrived, [&] { ++ends; });
  scpi::SessionAcquisition acquisition(board, clock, "VIRTUAL", [&] { notice.Post(); });
  scpi::Instrument instrument(acquisition, "test", {});
  ScpiServer server(instrument);
  QObject::connect(&notice, &AcquisitionNotice::Arrived, &server, &ScpiServer::Resume);
  ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0));
  {
    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(Until([&] { return server.HasClient(); }));
    c.write("SAMP:RATE 200;COUN 10000;:READ?\n");
    ASSERT_TRUE(Until([&] { return instrument.RunPending(); }));
    QElapsedTimer t;
    t.start();
    Until([&] { return t.elapsed() > 300; });
    c.abort();
  }
  ASSERT_TRUE(Until([&] { return ends == 1 && !server.HasClient(); }));
  EXPECT_FALSE(instrument.RunPending());
  EXPECT_FALSE(board.Running());
  EXPECT_FALSE(board.IsOpen());
}

}  // namespace
}  // namespace velqoris::remote

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
