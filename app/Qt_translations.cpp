#include "app/Qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velqoris {

bool InstallQtTranslations(QCoreApplication& app) {
  // Every text the user sees is Japanese, whatever the system's language.
  auto* translator = new QTranslator(&app);
  const bool loaded =
      translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (!loaded || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace velqoris
