#include "app/Single_instance.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

#include <utility>

namespace velqoris {

namespace {

constexpr int kAnswerTimeoutMs = 2000;
// A path of up to 32767 UTF-16 units, as UTF-8, after the request word.
constexpr qint64 kMaxLine = 4 * 32768;
const QByteArray kFind = "find";
const QByteArray kRaise = "raise";
const QByteArray kOpen = "open ";

}  // namespace

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
  Unlock();
}

bool SingleInstance::Acquire() {
  if (server_) return true;
  if (!Lock()) return false;
  // Whatever socket is left belongs to a copy that is gone: we hold the lock.
  QLocalServer::removeServer(socket_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] { Serve(); });
  server_->listen(socket_);
  return true;
}

void SingleInstance::Serve() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
      if (!socket->canReadLine()) return;
      const QByteArray line = socket->readLine(kMaxLine).trimmed();
      const bool shown = window_ && window_->isVisible();
      bool done = false;
      if (line == kFind) done = shown;
      if (line == kRaise && shown) {
        BringToFront(*window_);
        done = true;
      }
      if (line.startsWith(kOpen) && shown) {
        BringToFront(*window_);
        done = open_ && open_(line.mid(kOpen.size()).toStdString());
      }
      const QByteArray answer = done ? "1\n" : "0\n";
      socket->write(answer);
      socket->flush();
    });
  }
}

QByteArray SingleInstance::Ask(const QByteArray& request) {
  QLocalSocket socket;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
    if (socket.canReadLine()) loop.quit();
  });
  QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
  socket.connectToServer(socket_);
  if (socket.state() == QLocalSocket::UnconnectedState) return {};
  socket.write(request + '\n');
  socket.flush();
  // The other copy answers from its event loop; this loop keeps ours alive
  // meanwhile (in tests both ends live in one process).
  if (!socket.canReadLine()) {
    timer.start(kAnswerTimeoutMs);
    loop.exec();
  }
  if (!socket.canReadLine()) return {};
  return socket.readLine(16).trimmed();
}

void SingleInstance::ServeWindow(QWidget* window, FileOpener open) {
  window_ = window;
  open_ = std::move(open);
}

bool SingleInstance::OtherHasWindow() { return Ask(kFind) == "1"; }

bool SingleInstance::RaiseOther() {
  AllowOtherToComeForward();
  return Ask(kRaise) == "1";
}

bool SingleInstance::OpenInOther(const std::string& path) {
  AllowOtherToComeForward();
  return Ask(kOpen + QByteArray::fromStdString(path)) == "1";
}

}  // namespace velqoris
