#include "session/Log_row_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace velqoris {

namespace {

constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::int64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

bool Ends(char c) { return c == ',' || c == '\n' || c == '\r'; }

// A run of digits from p on: its length in `count` (0 when p holds no digit)
// and its value appended to `value` (value × 10^count + digits); a run longer
// than `most` stops there with count = most + 1. Eight bytes are tested at
// once (a digit's high nibble is 3 and its low nibble plus 6 stays below 16)
// and their digits converted in three multiplications.
const char* Digits(const char* p, const char* end, std::int64_t& value, int& count, int most) {
  constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0FULL;
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
  constexpr std::uint64_t kSevens = 0x7F7F7F7F7F7F7F7FULL;
  count = 0;
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t wrong =
        ((w & kHigh) ^ 0x3030303030303030ULL) | (((w & kLow) + 0x0606060606060606ULL) & kHigh);
    // The high bit of every byte that is not a digit.
    const std::uint64_t flags = (wrong | ((wrong & kSevens) + kSevens)) & ~kSevens;
    const int run = flags == 0 ? 8 : __builtin_ctzll(flags) >> 3;
    if (run == 0) return p;
    if (count + run > most) {
      count = most + 1;
      return p;
    }
    // The run's digits in the top bytes, zeros (leading zeros) below.
    std::uint64_t d = (w & kLow) << (8 * (8 - run));
    d = ((d * 10) + (d >> 8)) & 0x00FF00FF00FF00FFULL;
    d = ((d * 100) + (d >> 16)) & 0x0000FFFF0000FFFFULL;
    d = ((d * 10000) + (d >> 32)) & 0xFFFFFFFFULL;
    value = value * kTens[run] + static_cast<std::int64_t>(d);
    count += run;
    p += run;
    if (run < 8) return p;
  }
  for (; p < end && *p >= '0' && *p <= '9'; ++p, ++count) {
    if (count == most) {
      count = most + 1;
      return p;
    }
    value = value * 10 + (*p - '0');
  }
  return p;
}

// "-123.456": at most 17 digits, at most 9 after the point. The division of
// two exact doubles rounds as a full parse does.
const char* Decimal(const char* p, const char* end, double& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::int64_t mantissa = 0;
  int whole = 0;
  int decimals = -1;
  p = Digits(p, end, mantissa, whole, 17);
  if (p < end && *p == '.' && whole <= 17) {
    p = Digits(p + 1, end, mantissa, decimals, 17 - whole);
  }
  const int digits = whole + std::max(decimals, 0);
  if (digits == 0 || digits > 17 || decimals > 9 || p == end || !Ends(*p)) return nullptr;
  value = static_cast<double>(mantissa) / kPowers[decimals < 0 ? 0 : decimals];
  if (negative) value = -value;
  return p;
}

const char* Integer(const char* p, const char* end, std::int32_t& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::int64_t v = 0;
  int digits = 0;
  p = Digits(p, end, v, digits, 10);
  if (digits == 0 || digits > 10 || p == end || !Ends(*p)) return nullptr;
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
