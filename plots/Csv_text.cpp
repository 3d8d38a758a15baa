#include "plots/Csv_text.h"

#include <QLocale>

#include "datafile/Replacing_file.h"

namespace velqoris {

namespace {

bool byteOrderMark = false;

}  // namespace

QString CsvRow(const QStringList& fields) {
  QStringList quoted;
  for (QString f : fields) {
    if (f.contains(',') || f.contains('"') || f.contains('\n')) {
      f = '"' + f.replace('"', QStringLiteral("\"\"")) + '"';
    }
    quoted << f;
  }
  return quoted.join(',') + '\n';
}

QString CsvNumber(double value) {
  return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

void SetCsvByteOrderMark(bool on) { byteOrderMark = on; }
bool CsvByteOrderMark() { return byteOrderMark; }

bool WriteCsvFile(const std::string& path, const QString& text, int* error) {
  ReplacingFile file(path);
  const QByteArray bytes = text.toUtf8();
  const bool written =
      file.Open() && (!byteOrderMark || file.Write(kUtf8Bom)) &&
      file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) &&
      file.Commit();
  if (error != nullptr) *error = written ? 0 : file.Error();
  return written;
}

}  // namespace velqoris
