// The lock on Linux: an flock'ed file per user, beside the socket file.
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/Single_instance.h"

namespace velqoris {

SingleInstance::SingleInstance(const QString& name, const QString& directory) : name_(name) {
  QString dir = directory;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  base_ = QDir(dir).filePath(name + QLatin1Char('-') + QString::number(::getuid()));
  socket_ = base_ + QStringLiteral(".sock");
}

bool SingleInstance::Lock() {
  const QByteArray path = QFile::encodeName(LockPath());
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void SingleInstance::Unlock() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void BringToFront(QWidget& window) {
  window.showNormal();
  window.raise();
  window.activateWindow();
}

void AllowOtherToComeForward() {}

}  // namespace velqoris
