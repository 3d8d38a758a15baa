#include "remote/Scpi_server.h"

#include <string>

namespace velqoris::remote {

namespace {

constexpr qint64 kReadChunk = 16 * 1024;

}  // namespace

ScpiServer::ScpiServer(scpi::Instrument& instrument, ServerLimits limits, QObject* parent)
    : QObject(parent), instrument_(instrument), limits_(limits) {
  connect(&server_, &QTcpServer::newConnection, this, &ScpiServer::OnNewConnection);
}

ScpiServer::~ScpiServer() { Close(); }

bool ScpiServer::Listen(const QHostAddress& address, quint16 port) {
  return server_.listen(address, port);
}

void ScpiServer::Close() {
  server_.close();
  DropClient();
}

QString ScpiServer::ClientName() const {
  if (client_ == nullptr) return {};
  return client_->peerAddress().toString() + ":" + QString::number(client_->peerPort());
}

void ScpiServer::DropClient() {
  if (client_ != nullptr) client_->abort();
}

std::size_t ScpiServer::PendingOutput() const {
  const std::size_t socket =
      client_ != nullptr ? static_cast<std::size_t>(client_->bytesToWrite()) : 0;
  return socket + instrument_.OutputSize();
}

void ScpiServer::OnNewConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    if (client_ != nullptr) {
      socket->write(kControlTakenLine);
      socket->disconnectFromHost();
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      continue;
    }
    client_ = socket;
    // The kernel holds what the server does not take: a flooding client waits.
    client_->setReadBufferSize(static_cast<qint64>(limits_.lineBytes) + kReadChunk);
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(client_, &QTcpSocket::readyRead, this, &ScpiServer::Pump);
    connect(client_, &QTcpSocket::bytesWritten, this, &ScpiServer::Pump);
    connect(client_, &QTcpSocket::disconnected, this, &ScpiServer::OnDisconnected);
    emit ClientChanged(true);
    Pump();
  }
}

void ScpiServer::OnDisconnected() {
  if (client_ == nullptr) return;
  QTcpSocket* gone = client_;
  client_ = nullptr;
  gone->disconnect(this);
  gone->deleteLater();
  input_.clear();
  discarding_ = false;
  disconnectWanted_ = true;
  Pump();
  emit ClientChanged(false);
}

void ScpiServer::Resume() {
  resumeWanted_ = true;
  Pump();
}

void ScpiServer::Send() {
  if (client_ == nullptr || instrument_.OutputSize() == 0) return;
  const std::string out = instrument_.TakeOutput();
  client_->write(out.data(), static_cast<qint64>(out.size()));
}

bool ScpiServer::NextLine(QByteArray& line) {
  while (true) {
    const qsizetype end = input_.indexOf('\n');
    if (end >= 0) {
      line = input_.left(end);
      input_.remove(0, end + 1);
      if (discarding_) {
        discarding_ = false;
        continue;
      }
      if (line.endsWith('\r')) line.chop(1);
      if (static_cast<std::size_t>(line.size()) > limits_.lineBytes) {
        instrument_.LineTooLong(limits_.lineBytes);
        continue;
      }
      return true;
    }
    if (static_cast<std::size_t>(input_.size()) > limits_.lineBytes) {
      if (!discarding_) instrument_.LineTooLong(limits_.lineBytes);
      discarding_ = true;
      input_.clear();
    }
    if (client_ == nullptr || client_->bytesAvailable() == 0) return false;
    input_ += client_->read(kReadChunk);
  }
}

void ScpiServer::Pump() {
  if (pumping_) {
    again_ = true;
    return;
  }
  pumping_ = true;
  do {
    again_ = false;
    if (disconnectWanted_) {
      disconnectWanted_ = false;
      instrument_.Disconnect();
    }
    if (resumeWanted_) {
      resumeWanted_ = false;
      instrument_.Resume(limits_.outputBytes);
    }
    PumpOnce();
  } while (again_ || resumeWanted_ || disconnectWanted_);
  pumping_ = false;
}

void ScpiServer::PumpOnce() {
  while (client_ != nullptr) {
    Send();
    if (static_cast<std::size_t>(client_->bytesToWrite()) > limits_.outputBytes) return;
    if (!instrument_.Ready()) {
      instrument_.Continue(limits_.outputBytes);
      if (instrument_.OutputSize() > 0) continue;
      if (!instrument_.Ready()) return;  // waits for the run's end
    }
    QByteArray line;
    if (!NextLine(line)) {
      Send();  // errors of discarded lines have no answer, but a finished line might
      return;
    }
    instrument_.Input(std::string_view(line.constData(), static_cast<std::size_t>(line.size())),
                      limits_.outputBytes);
  }
}

}  // namespace velqoris::remote
