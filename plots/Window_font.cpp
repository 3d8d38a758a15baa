#include "plots/Window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace velqoris {

QString WindowFontFamily() {
  const QStringList families = QFontDatabase::families();
  for (const QString& wanted : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("VL Gothic"),
                                QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}) {
    if (families.contains(wanted)) return wanted;
  }
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (!japanese.isEmpty()) return japanese.front();
  return QStringLiteral("ＭＳ Ｐゴシック");
}

QFont WindowFont(int pixelSize) {
  QFont font(WindowFontFamily());
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace velqoris
