#include "plots/Window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace velqoris {

QStringList WindowFontCandidates() {
  return {// The designed font, under its Japanese and its English name.
          QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
          // Japanese Windows: MS UI Gothic has the designed widths; the newer UI
          // fonts draw a little wider and taller.
          QStringLiteral("MS UI Gothic"), QStringLiteral("Yu Gothic UI"),
          QStringLiteral("Meiryo UI"),
          // Linux.
          QStringLiteral("VL Gothic"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")};
}

QString WindowFontFamily() {
  // Installed families only: a substitute that the system would draw in its
  // place has other widths.
  const QStringList families = QFontDatabase::families();
  for (const QString& wanted : WindowFontCandidates()) {
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
