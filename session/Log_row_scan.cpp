#include "session/Log_row_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velqoris {

namespace {

constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::int64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

bool Ends(char c) { return c == ',' || c == '\n' || c == '\r'; }

// The high bit of every byte of w that is not a digit (a digit's high nibble
// is 3 and its low nibble plus 6 stays below 16).
std::uint64_t NotDigits(std::uint64_t w) {
  constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0FULL;
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
  constexpr std::uint64_t kSevens = 0x7F7F7F7F7F7F7F7FULL;
  const std::uint64_t wrong =
      ((w & kHigh) ^ 0x3030303030303030ULL) | (((w & kLow) + 0x0606060606060606ULL) & kHigh);
  return (wrong | ((wrong & kSevens) + kSevens)) & ~kSevens;
}

// The value of the first `count` (1 … 8) digits of w, first digit first.
std::int64_t DigitValue(std::uint64_t w, int count) {
  // The digits in the top bytes, zeros (leading zeros) below.
  std::uint64_t d = (w & 0x0F0F0F0F0F0F0F0FULL) << (8 * (8 - count));
  d = ((d * 10) + (d >> 8)) & 0x00FF00FF00FF00FFULL;
  d = ((d * 100) + (d >> 16)) & 0x0000FFFF0000FFFFULL;
  d = ((d * 10000) + (d >> 32)) & 0xFFFFFFFFULL;
  return static_cast<std::int64_t>(d);
}

// A run of digits from p on: its length in `count` (0 when p holds no digit)
// and its value appended to `value` (value × 10^count + digits); a run longer
// than `most` stops there with count = most + 1. Eight bytes are tested at
// once (a digit's high nibble is 3 and its low nibble plus 6 stays below 16)
// and their digits converted in three multiplications.
const char* Digits(const char* p, const char* end, std::int64_t& value, int& count, int most) {
  count = 0;
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t flags = NotDigits(w);
    const int run = flags == 0 ? 8 : __builtin_ctzll(flags) >> 3;
    if (run == 0) return p;
    if (count + run > most) {
      count = most + 1;
      return p;
    }
    value = value * kTens[run] + DigitValue(w, run);
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

// The quick way for a row as the log writes it, whole within the next 64
// bytes (and 8 more readable after them): one mask of its commas and its
// newline, then every field read from where the mask puts it, none waiting on
// the one before. Codes of at most 8 digits, numbers of at most 8 digits
// either side of the point. False: the field-by-field scan decides.
#if defined(__SSE2__)
std::uint64_t ByteMask(const char* p, char c) {
  const __m128i sought = _mm_set1_epi8(c);
  std::uint64_t mask = 0;
  for (int i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    mask |= static_cast<std::uint64_t>(
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, sought))))
            << (16 * i);
  }
  return mask;
}

// Up to 8 digits, exactly the bytes [p, p + count).
bool ShortDigits(const char* p, int count, std::int64_t& value) {
  if (count < 1 || count > 8) return false;
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  const std::uint64_t inside = count == 8 ? ~0ULL : (1ULL << (8 * count)) - 1;
  if ((NotDigits(w) & inside) != 0) return false;
  value = DigitValue(w, count);
  return true;
}

bool QuickInteger(const char* p, int length, std::int32_t& value) {
  const bool negative = length > 0 && *p == '-';
  std::int64_t v = 0;
  if (!ShortDigits(p + negative, length - negative, v)) return false;
  value = static_cast<std::int32_t>(negative ? -v : v);
  return true;
}

bool QuickDecimal(const char* p, int length, double& value) {
  const bool negative = length > 0 && *p == '-';
  p += negative;
  length -= negative;
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  const std::uint64_t flags = NotDigits(w);
  const int whole = flags == 0 ? 8 : __builtin_ctzll(flags) >> 3;
  if (whole > length) return false;
  std::int64_t mantissa = 0;
  if (whole > 0 && !ShortDigits(p, whole, mantissa)) return false;
  int decimals = 0;
  if (whole < length) {
    if (p[whole] != '.') return false;
    decimals = length - whole - 1;
    std::int64_t fraction = 0;
    if (decimals > 0 && !ShortDigits(p + whole + 1, decimals, fraction)) return false;
    mantissa = mantissa * kTens[decimals] + fraction;
  }
  if (whole + decimals == 0 || decimals > 9) return false;
  value = static_cast<double>(mantissa) / kPowers[decimals];
  if (negative) value = -value;
  return true;
}

const char* QuickRow(const char* p, const char* end, const RowColumns& c, RowValues& v) {
  if (end - p < 72) return nullptr;
  const std::uint64_t newlines = ByteMask(p, '\n');
  if (newlines == 0) return nullptr;
  const int rowEnd = __builtin_ctzll(newlines);
  if (rowEnd > 0 && p[rowEnd - 1] == '\r') return nullptr;
  const std::uint64_t upTo = rowEnd == 63 ? ~0ULL : (2ULL << rowEnd) - 1;
  std::uint64_t fields = (ByteMask(p, ',') | newlines) & upTo;
  int wanted = 0;
  for (int column : {c.time, c.code[0], c.code[1], c.microvolts[0], c.microvolts[1]}) {
    wanted += column >= 0;
  }
  int start = 0;
  for (int field = 0; fields != 0 && wanted > 0; ++field) {
    const int stop = __builtin_ctzll(fields);
    fields &= fields - 1;
    const char* f = p + start;
    const int length = stop - start;
    start = stop + 1;
    bool read = true;
    if (field == c.time) {
      read = QuickDecimal(f, length, v.seconds);
    } else if (field == c.code[0] || field == c.code[1]) {
      read = QuickInteger(f, length, v.code[field == c.code[0] ? 0 : 1]);
    } else if (field == c.microvolts[0] || field == c.microvolts[1]) {
      const int ch = field == c.microvolts[0] ? 0 : 1;
      read = QuickDecimal(f, length, v.microvolts[ch]);
      v.hasMicrovolts[ch] = true;
    } else {
      continue;
    }
    if (!read) return nullptr;
    --wanted;
  }
  return wanted == 0 ? p + rowEnd + 1 : nullptr;
}
#endif

}  // namespace

const char* ScanLogRow(const char* p, const char* end, const RowColumns& c, RowValues& v) {
#if defined(__SSE2__)
  if (const char* next = QuickRow(p, end, c, v)) return next;
  v = RowValues{};
#endif
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
