// CSV text as the plots write it: fields quoted where they need it, rows
// ended by a line feed, and files optionally opened by a UTF-8 byte-order
// mark so that spreadsheet programs on Japanese Windows read the text right.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace velqoris {

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// One row of fields, quoted where a comma, quote or line break needs it.
QString CsvRow(const QStringList& fields);
// A number as a CSV field: the fewest digits that read back exactly.
QString CsvNumber(double value);

// Whether CSV files get the byte-order mark (one choice for the program's run).
void SetCsvByteOrderMark(bool on);
bool CsvByteOrderMark();

// Writes text (UTF-8, with the mark when chosen) in place of the file at path,
// all of it or nothing; `error` receives the errno of a failed write.
bool WriteCsvFile(const std::string& path, const QString& text, int* error = nullptr);

}  // namespace velqoris
