#include "plots/Png_file.h"

#include <QBuffer>
#include <QByteArray>
#include <string_view>

#include "datafile/Replacing_file.h"

namespace velqoris {

bool SavePng(const QImage& image, const std::string& path, int* error) {
  if (error != nullptr) *error = 0;
  if (image.isNull()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  const int failed = ReplaceWholeFile(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (error != nullptr) *error = failed;
  return failed == 0;
}

}  // namespace velqoris
