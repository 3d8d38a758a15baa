// The instrument on a TCP port: one client at a time holds control (a second
// connection gets an error line and is closed), lines end with LF (CR LF
// taken), a line over the limit is discarded with -223. The client's input
// is read only while the instrument is ready for it and the answers not yet
// sent stay under the output limit, so a client that floods or never reads
// is held back by TCP rather than by the server's memory. Event-driven: no
// timer runs while nothing happens.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstddef>

#include "scpi/Instrument.h"

namespace velqoris::remote {

struct ServerLimits {
  std::size_t lineBytes = 64 * 1024;
  // Answers waiting to be sent before input is read again.
  std::size_t outputBytes = 1024 * 1024;
};

// The line a second client gets before it is closed.
inline constexpr const char* kControlTakenLine =
    "-200,\"Execution error;another client controls the instrument\"\n";

class ScpiServer : public QObject {
  Q_OBJECT

 public:
  ScpiServer(scpi::Instrument& instrument, ServerLimits limits = {}, QObject* parent = nullptr);
  ~ScpiServer() override;

  // False (and ErrorText says why) when the address cannot be listened on.
  bool Listen(const QHostAddress& address, quint16 port);
  void Close();
  bool IsListening() const { return server_.isListening(); }
  quint16 Port() const { return server_.serverPort(); }
  QString ErrorText() const { return server_.errorString(); }
  bool HasClient() const { return client_ != nullptr; }
  QString ClientName() const;
  // Takes control back from the client: its connection is closed.
  void DropClient();
  // Answers held for the client: sent but not yet taken by its system, and not yet sent.
  std::size_t PendingOutput() const;

 public slots:
  // The acquisition has news (a run or log ended): queued from its thread.
  void Resume();

 signals:
  void ClientChanged(bool connected);

 private:
  void OnNewConnection();
  void OnDisconnected();
  // Guarded: a command that lets events run (the window's board waits) may
  // bring the socket's signals back in; they are handled after it.
  void Pump();
  void PumpOnce();
  bool NextLine(QByteArray& line);
  void Send();

  scpi::Instrument& instrument_;
  ServerLimits limits_;
  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
  QByteArray input_;
  bool discarding_ = false;  // the rest of an over-long line is dropped up to its LF
  bool pumping_ = false;
  bool again_ = false;
  bool resumeWanted_ = false;
  bool disconnectWanted_ = false;
};

}  // namespace velqoris::remote
