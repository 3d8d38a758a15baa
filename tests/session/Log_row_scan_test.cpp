// The in-place row scan against the standard library's parse: every field
// length its eight-byte digit runs meet, each row scanned alone (field by
// field) and with more rows after it (its 64-byte mask), and what it must
// leave to the general parser.
#include <gtest/gtest.h>

#include <charconv>
#include <cstddef>
#include <string>

#include "session/Log_row_scan.h"

namespace velqoris {
namespace {

RowColumns TimeAndCode() {
  RowColumns c;
  c.time = 1;
  c.code[0] = 2;
  return c;
}

const char* Scan(const std::string& row, RowValues& v) {
  return ScanLogRow(row.data(), row.data() + row.size(), TimeAndCode(), v);
}

// Rows enough to follow that the mask of the next 64 bytes can be taken.
const std::string kMoreRows(200, '\n');

struct Field {
  const char* time;
  const char* code;
};

TEST(LogRowScan, FieldsOfEveryLengthReadAsAFullParse) {
  for (const Field& f :
       {Field{"0", "0"}, Field{"7", "-1"}, Field{"0.5", "12"}, Field{".25", "8388608"},
        Field{"12.", "16777215"}, Field{"1234.567891", "12345678"},
        Field{"-3.27845716", "-8388608"}, Field{"12345678.9", "123456789"},
        Field{"0.000000001", "2147483647"}, Field{"123456789012345", "-2147483648"},
        Field{"1234567.12345678", "0000000012"}}) {
    const std::string alone = std::string("17,") + f.time + "," + f.code + ",x\n9,9,9,9\n";
    for (const std::string& row : {alone, alone + kMoreRows}) {
      RowValues v;
      const char* next = Scan(row, v);
      ASSERT_NE(next, nullptr) << row;
      // The scan stops at its own newline.
      EXPECT_EQ(next - row.data(), static_cast<std::ptrdiff_t>(row.find('\n') + 1));
      const std::string time = f.time;
      double seconds = 0.0;
      std::from_chars(time.data(), time.data() + time.size(), seconds);
      EXPECT_EQ(v.seconds, seconds) << row;
      const std::string code = f.code;
      std::int32_t value = 0;
      std::from_chars(code.data(), code.data() + code.size(), value);
      EXPECT_EQ(v.code[0], value) << row;
    }
  }
  // A CRLF row, and one longer than 64 bytes, are read all the same.
  for (const std::string& row :
       {std::string("1,0.5,8388608\r\n"), "1,0.5,8388608," + std::string(70, 'x') + "\n"}) {
    RowValues v;
    ASSERT_NE(Scan(row + kMoreRows, v), nullptr) << row;
    EXPECT_EQ(v.seconds, 0.5);
    EXPECT_EQ(v.code[0], 8388608);
  }
}

TEST(LogRowScan, LeavesToTheGeneralParserWhatItCannotReadExactly) {
  for (const Field& f : {Field{"123456789012345678", "1"},  // 18 digits
                         Field{"1234567890.12345678", "1"}, Field{"0.1234567890", "1"},
                         Field{"1e3", "1"}, Field{"1.2.3", "1"}, Field{"-", "1"}, Field{"", "1"},
                         Field{" 1", "1"}, Field{"1", "2147483648"}, Field{"1", "12345678901"},
                         Field{"1", "12a"}, Field{"1", "+5"}, Field{"1", ""}}) {
    const std::string row = std::string("1,") + f.time + "," + f.code + "\n";
    RowValues v;
    EXPECT_EQ(Scan(row, v), nullptr) << row;
    EXPECT_EQ(Scan(row + kMoreRows, v), nullptr) << row;
  }
  // No newline yet: the row may go on in the next chunk.
  RowValues v;
  EXPECT_EQ(Scan("1,0.5,8388608", v), nullptr);
  EXPECT_EQ(Scan("1,0.5,83886", v), nullptr);
  // A row that ends before its wanted fields, with rows after it.
  EXPECT_EQ(Scan("1,0.5\n" + kMoreRows, v), nullptr);
}

}  // namespace
}  // namespace velqoris
