#include "app/Velqoris_application.h"

#include <exception>
#include <string>

#include "app/Qt_translations.h"
#include "message/Message_box.h"

namespace velqoris {

VelqorisApplication::VelqorisApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("VELQORIS"));
  InstallQtTranslations(*this);
}

bool VelqorisApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowCurrentException();
  }
  return false;
}

void ShowCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    dialogs::ShowError(e.what(), "VELQORIS");
  } catch (...) {
    dialogs::ShowError("不明な例外が発生しました", "VELQORIS");
  }
}

int RunShowingExceptions(const std::function<int()>& body) {
  try {
    return body();
  } catch (...) {
    ShowCurrentException();
  }
  return 0;
}

}  // namespace velqoris
