#include "app/Board_chooser.h"

#include <QApplication>
#include <QInputDialog>
#include <QStringList>

namespace velqoris {

std::string ChooseBoardInWindow(const std::vector<std::string>& serials) {
  QStringList items;
  for (const std::string& serial : serials) items << QString::fromStdString(serial);
  bool ok = false;
  const QString chosen = QInputDialog::getItem(
      QApplication::activeWindow(), QString::fromUtf8("ボードの選択"),
      QString::fromUtf8("複数のボードが見つかりました。使うボードのシリアル番号を選んでください:"),
      items, 0, false, &ok);
  return ok ? chosen.toStdString() : std::string();
}

}  // namespace velqoris
