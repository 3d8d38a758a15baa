#include "app/Velqoris_application.h"

#include <exception>
#include <string>

#include "message/Message_box.h"

namespace velqoris {

VelqorisApplication::VelqorisApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("VELQORIS"));
}

bool VelqorisApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    dialogs::ShowError(e.what(), "VELQORIS");
  } catch (...) {
    dialogs::ShowError("Unknown exception", "VELQORIS");
  }
  return false;
}

}  // namespace velqoris
