// The per-user lock that lets one copy of the program run. The first copy
// holds an flock'ed lock file (the kernel drops it when the process dies, so a
// crashed copy never leaves it held) and answers a local socket on which a
// later copy asks whether it has a top-level window of a given title, and
// asks it to raise that window.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

namespace velqoris {

class SingleInstance final : public QObject {
 public:
  // `directory` empty: the user's runtime directory, else the temporary one.
  explicit SingleInstance(const QString& name, const QString& directory = QString());
  ~SingleInstance() override;

  // True when this copy now holds the lock (and serves the socket).
  bool Acquire();

  // Asked by a copy that did not get the lock; false when no answer came.
  bool OtherHasWindow(const QString& title);
  bool RaiseOther(const QString& title);

  QString LockPath() const { return base_ + QStringLiteral(".lock"); }
  QString SocketPath() const { return base_ + QStringLiteral(".sock"); }

 private:
  void Serve();
  QByteArray Ask(const QByteArray& request);

  QString base_;
  int fd_ = -1;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace velqoris
