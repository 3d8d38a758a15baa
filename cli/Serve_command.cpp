// serve: the board as an SCPI instrument on a TCP port (remote/), until Ctrl-C.
#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>

#include "cli/Board_connection.h"
#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/Stop_request.h"
#include "remote/Acquisition_notice.h"
#include "remote/Scpi_server.h"
#include "scpi/Instrument.h"
#include "scpi/Session_acquisition.h"
#include "status/Status_text.h"

namespace velqoris::cli {

namespace {

// How often the event loop looks for Ctrl-C: rarely enough to cost nothing.
constexpr int kStopPollMs = 200;

std::string SerialOf(const Options& o) {
  if (o.virtualBoard) return "VIRTUAL";
  return o.device.empty() ? "0" : o.device;
}

}  // namespace

int RunServe(const Options& options, std::ostream& out, std::ostream& err) {
  QHostAddress address;
  if (!address.setAddress(QString::fromStdString(options.listen))) {
    err << "velqoris-cli: --listen のアドレス \"" << options.listen << "\" が読めません\n";
    return kExitUsage;
  }
  int argc = 1;
  char name[] = "velqoris-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);

  SteadyClock clock;
  const auto device = OpenDevice(options, clock);
  remote::AcquisitionNotice notice;
  scpi::SessionAcquisition acquisition(*device, clock, SerialOf(options),
                                       [&notice] { notice.Post(); });
  InstallStopHandler();
  if (const auto failed = acquisition.Connect())
    return ReportRunEnd(RunResult{*failed, 0, 0, {}}, err);
  const scpi::BoardIdentity id = acquisition.Identity();
  out << PairText(id.name, id.version) << '\n';

  scpi::FilePolicy files;
  files.confined = !address.isLoopback();
  files.dataDir = options.dataDir.empty() && !files.confined ? "." : options.dataDir;
  scpi::Instrument instrument(acquisition, "velqoris-cli", files);
  remote::ScpiServer server(instrument);
  QObject::connect(&notice, &remote::AcquisitionNotice::Arrived, &server,
                   &remote::ScpiServer::Resume);
  if (!server.Listen(address, static_cast<quint16>(options.port))) {
    err << "velqoris-cli: " << options.listen << " のポート " << options.port
        << " で待ち受けられません: " << server.ErrorText().toStdString() << '\n';
    return kExitBoard;
  }
  if (files.confined) {
    err << "注意: " << options.listen << " で待ち受けます。このポートに届く人は誰でも測定できます。"
        << (files.dataDir.empty() ? "ファイルのコマンドは使えません (--data-dir で許します)"
                                  : "ファイルは --data-dir の中だけに書きます")
        << '\n';
  }
  out << "TCPIP::" << address.toString().toStdString() << "::" << server.Port() << "::SOCKET"
      << std::endl;
  err << address.toString().toStdString() << " のポート " << server.Port()
      << " で待ち受けています (Ctrl-C で終了)\n"
      << std::flush;

  QTimer stopPoll;
  QObject::connect(&stopPoll, &QTimer::timeout, [&] {
    if (StopRequested()) application.quit();
  });
  stopPoll.start(kStopPollMs);
  application.exec();
  server.Close();
  return kExitOk;
}

}  // namespace velqoris::cli
