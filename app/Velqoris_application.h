// The application object: an exception that escapes an event handler is
// shown in a message box instead of ending the program.
#pragma once

#include <QApplication>

namespace velqoris {

class VelqorisApplication final : public QApplication {
 public:
  VelqorisApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace velqoris
