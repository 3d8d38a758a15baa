#include "app/Single_instance.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velqoris {

namespace {

constexpr int kAnswerTimeoutMs = 2000;
const QByteArray kFind = "find ";
const QByteArray kRaise = "raise ";

QWidget* TopLevelTitled(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isWindow() && w->windowTitle() == title) return w;
  }
  return nullptr;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString& directory) {
  QString dir = directory;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  base_ = QDir(dir).filePath(name + QLatin1Char('-') + QString::number(::getuid()));
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
  if (fd_ >= 0) ::close(fd_);
}

bool SingleInstance::Acquire() {
  if (fd_ >= 0) return true;
  const QByteArray path = QFile::encodeName(LockPath());
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  // Whatever socket is left belongs to a copy that is gone: we hold the lock.
  QLocalServer::removeServer(SocketPath());
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] { Serve(); });
  server_->listen(SocketPath());
  return true;
}

void SingleInstance::Serve() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
      if (!socket->canReadLine()) return;
      const QByteArray line = socket->readLine(256).trimmed();
      QByteArray answer = "0\n";
      if (line.startsWith(kFind)) {
        if (TopLevelTitled(QString::fromUtf8(line.mid(kFind.size())))) answer = "1\n";
      } else if (line.startsWith(kRaise)) {
        if (QWidget* w = TopLevelTitled(QString::fromUtf8(line.mid(kRaise.size())))) {
          w->showNormal();
          w->raise();
          w->activateWindow();
          answer = "1\n";
        }
      }
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
  socket.connectToServer(SocketPath());
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

bool SingleInstance::OtherHasWindow(const QString& title) {
  return Ask(kFind + title.toUtf8()) == "1";
}

bool SingleInstance::RaiseOther(const QString& title) {
  return Ask(kRaise + title.toUtf8()) == "1";
}

}  // namespace velqoris
