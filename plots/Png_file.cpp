#include "plots/Png_file.h"

#include <QBuffer>
#include <QByteArray>
#include <fstream>

namespace velqoris::cli {

bool SavePng(const QImage& image, const std::string& path) {
  if (image.isNull()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.constData(), bytes.size());
  file.close();
  return !file.fail();
}

}  // namespace velqoris::cli
