// The lock that lets one copy of the program run, and the way a second copy
// reaches the first. The lock is the system's: on Windows the named mutex,
// on Linux (per user) an flock'ed file that the kernel drops when its holder
// dies, so a crashed copy never leaves it held. The copy that holds it also
// listens on a local socket (a named pipe on Windows, a socket file in the
// user's runtime folder on Linux), through which a later copy asks whether
// it shows its main window and asks it to bring that window forward.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace velqoris {

class SingleInstance final : public QObject {
 public:
  // `directory` empty: the user's runtime directory, else the temporary one
  // (where Linux keeps the lock file and the socket).
  explicit SingleInstance(const QString& name, const QString& directory = QString());
  ~SingleInstance() override;

  // True when this copy now holds the lock (and listens on the socket).
  bool Acquire();
  // Opens a data file a later copy was given; false when it cannot now.
  using FileOpener = std::function<bool(const std::string& path)>;
  // The window a later copy brings forward; until set, there is none.
  void ServeWindow(QWidget* window, FileOpener open = {});

  // Asked by a copy that did not get the lock; false when no answer came
  // (or the first copy shows no window yet, or cannot open the file now).
  bool OtherHasWindow();
  bool RaiseOther();
  bool OpenInOther(const std::string& path);

  // Where the first copy listens (a QLocalServer name or socket path).
  QString SocketName() const { return socket_; }
#ifndef _WIN32
  QString LockPath() const { return base_ + QStringLiteral(".lock"); }
#endif

 private:
  bool Lock();
  void Unlock();
  void Serve();
  QByteArray Ask(const QByteArray& request);

  QString name_;
  QString base_;
  QString socket_;
  int fd_ = -1;            // the lock file (Linux)
  void* mutex_ = nullptr;  // the named mutex (Windows)
  std::unique_ptr<QLocalServer> server_;
  QPointer<QWidget> window_;
  FileOpener open_;
};

// Shows the window normal-sized, raised and active, in front of other programs'.
void BringToFront(QWidget& window);
// Lets the copy that answers take the foreground from this one (Windows only).
void AllowOtherToComeForward();

}  // namespace velqoris
