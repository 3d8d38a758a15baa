#include "plots/Png_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>

namespace velqoris {

bool SavePng(const QImage& image, const std::string& path) {
  if (image.isNull()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  // Through Qt, so that a UTF-8 name is a wide-character name on Windows.
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const bool written = file.write(bytes) == bytes.size();
  file.close();
  return written && file.error() == QFileDevice::NoError;
}

}  // namespace velqoris
