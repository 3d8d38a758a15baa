#include "session/Log_row_scan.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace velqoris {

namespace {

constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

bool Ends(char c) { return c == ',' || c == '\n' || c == '\r'; }

// "-123.456": at most 17 digits, at most 9 after the point. The division of
// two exact doubles rounds as a full parse does.
const char* Decimal(const char* p, const char* end, double& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::int64_t mantissa = 0;
  int digits = 0;
  int decimals = -1;
  for (; p < end && !Ends(*p); ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++digits > 17) return nullptr;
      mantissa = mantissa * 10 + (c - '0');
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return nullptr;
    }
  }
  if (digits == 0 || decimals > 9 || p == end) return nullptr;
  value = static_cast<double>(mantissa) / kPowers[decimals < 0 ? 0 : decimals];
  if (negative) value = -value;
  return p;
}

const char* Integer(const char* p, const char* end, std::int32_t& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::int64_t v = 0;
  int digits = 0;
  for (; p < end && !Ends(*p); ++p) {
    if (*p < '0' || *p > '9' || ++digits > 10) return nullptr;
    v = v * 10 + (*p - '0');
  }
  if (digits == 0 || p == end) return nullptr;
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return nullptr;
  value = static_cast<std::int32_t>(v);
  return p;
}

// The first ',' or '\n' from p on (end when none), eight bytes at a time:
// a byte equal to the one sought becomes zero, and the lowest zero byte of a
// word is found exactly by the borrow trick.
const char* NextDelimiter(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  for (; end - p >= 8; p += 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t comma = w ^ (kOnes * ',');
    const std::uint64_t newline = w ^ (kOnes * '\n');
    const std::uint64_t zero =
        ((comma - kOnes) & ~comma & kHighs) | ((newline - kOnes) & ~newline & kHighs);
    if (zero != 0) return p + (__builtin_ctzll(zero) >> 3);
  }
  while (p < end && *p != ',' && *p != '\n') ++p;
  return p;
}

}  // namespace

const char* ScanLogRow(const char* p, const char* end, const RowColumns& c, RowValues& v) {
  int wanted = 0;
  for (int column : {c.time, c.code[0], c.code[1], c.microvolts[0], c.microvolts[1]}) {
    wanted += column >= 0;
  }
  for (int field = 0;; ++field) {
    if (field == c.time) {
      p = Decimal(p, end, v.seconds);
      --wanted;
    } else if (field == c.code[0] || field == c.code[1]) {
      p = Integer(p, end, v.code[field == c.code[0] ? 0 : 1]);
      --wanted;
    } else if (field == c.microvolts[0] || field == c.microvolts[1]) {
      const int ch = field == c.microvolts[0] ? 0 : 1;
      p = Decimal(p, end, v.microvolts[ch]);
      v.hasMicrovolts[ch] = true;
      --wanted;
    } else if (wanted == 0) {
      // Nothing more is wanted from this row: on to its end.
      const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      return newline != nullptr ? static_cast<const char*>(newline) + 1 : nullptr;
    } else {
      p = NextDelimiter(p, end);
      if (p == end) return nullptr;
    }
    if (p == nullptr) return nullptr;
    if (*p == ',') {
      ++p;
      continue;
    }
    // The end of the row: every wanted field must have been there.
    if (wanted > 0) return nullptr;
    if (*p == '\r') ++p;
    return p < end && *p == '\n' ? p + 1 : nullptr;
  }
}

}  // namespace velqoris
