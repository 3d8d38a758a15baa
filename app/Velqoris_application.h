// The application object: an exception that escapes an event handler is
// shown in a message box instead of ending the program.
#pragma once

#include <QApplication>

#include <functional>

namespace velqoris {

class VelqorisApplication final : public QApplication {
 public:
  // Also loads the toolkit's own Japanese texts (dialog buttons and the like).
  VelqorisApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the exception being handled, from inside a catch block, the way the
// event loop shows one.
void ShowCurrentException();

// Runs body; an exception escaping it (before or after the event loop) is
// shown like one from the loop and the result is 0.
int RunShowingExceptions(const std::function<int()>& body);

}  // namespace velqoris
