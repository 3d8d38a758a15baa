// The lock that lets one copy of the program run. On Linux (per user) the
// first copy holds an flock'ed lock file (the kernel drops it when the process
// dies, so a crashed copy never leaves it held) and answers a local socket on
// which a later copy asks whether it has a top-level window of a given title,
// and asks it to raise that window. On Windows the lock is the system's named
// mutex, and the window is found among all top-level windows by its title.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

namespace velqoris {

class SingleInstance final : public QObject {
 public:
  // `directory` empty: the user's runtime directory, else the temporary one
  // (Linux; a named mutex needs none).
  explicit SingleInstance(const QString& name, const QString& directory = QString());
  ~SingleInstance() override;

  // True when this copy now holds the lock (and serves the socket).
  bool Acquire();

  // Asked by a copy that did not get the lock; false when no answer came.
  bool OtherHasWindow(const QString& title);
  bool RaiseOther(const QString& title);

#ifdef _WIN32
 private:
  QString name_;
  void* mutex_ = nullptr;
};
#else
  QString LockPath() const { return base_ + QStringLiteral(".lock"); }
  QString SocketPath() const { return base_ + QStringLiteral(".sock"); }

 private:
  void Serve();
  QByteArray Ask(const QByteArray& request);

  QString base_;
  int fd_ = -1;
  std::unique_ptr<QLocalServer> server_;
};
#endif

}  // namespace velqoris
