// The toolkit's own texts (file dialog words, standard buttons) in Japanese,
// from the translations the system installs for it.
#pragma once

class QCoreApplication;

namespace velqoris {

// True when the Japanese translations were found and installed.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace velqoris
