// One row of a log CSV as the log command writes it ("12,0.002500,8391234,
// 1.23456789,…"), scanned in place in one walk over its characters: the
// columns wanted are parsed as they pass, the others skipped. A row in any
// other form (spaces, quotes, exponents, a missing field, no newline yet)
// is left to the general parser. About four times faster than splitting.
#pragma once

#include <cstdint>

namespace velqoris {

struct RowColumns {
  int time = -1;
  int code[2] = {-1, -1};
  int microvolts[2] = {-1, -1};  // -1: not wanted
};

struct RowValues {
  double seconds = 0.0;
  std::int32_t code[2] = {0, 0};
  double microvolts[2] = {0.0, 0.0};
  bool hasMicrovolts[2] = {false, false};
};

// The position after the row's '\n', or nullptr: the general parser decides.
const char* ScanLogRow(const char* p, const char* end, const RowColumns& columns, RowValues& v);

}  // namespace velqoris
