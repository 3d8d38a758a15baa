#include "cli/Console_writer.h"

#include <utility>

namespace velqoris::cli {

namespace {

constexpr std::string_view kClearLine = "\x1b[K";

// Bytes of the UTF-8 sequence that `lead` begins; 1 for a stray byte.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  c -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

}  // namespace

Utf8Console::Utf8Console(Text text, ClearLine clearLine)
    : text_(std::move(text)), clearLine_(std::move(clearLine)) {}

void Utf8Console::Write(std::string_view bytes) {
  pending_.append(bytes);
  std::u16string out;
  std::size_t i = 0;
  const std::size_t n = pending_.size();
  while (i < n) {
    const auto lead = static_cast<unsigned char>(pending_[i]);
    if (lead == 0x1b) {
      const std::string_view rest = std::string_view(pending_).substr(i);
      if (rest.size() < kClearLine.size() && kClearLine.starts_with(rest)) break;  // cut
      if (rest.starts_with(kClearLine)) {
        if (!out.empty()) text_(out);
        out.clear();
        clearLine_();
        i += kClearLine.size();
        continue;
      }
    }
    const std::size_t length = SequenceLength(lead);
    if (length == 1) {
      // ASCII, or a byte no character begins with: shown as the replacement mark.
      out.push_back(lead < 0x80 ? static_cast<char16_t>(lead) : u'\uFFFD');
      ++i;
      continue;
    }
    std::size_t have = 1;
    while (have < length && i + have < n &&
           Continuation(static_cast<unsigned char>(pending_[i + have]))) {
      ++have;
    }
    if (have < length && i + have == n) break;  // the rest comes with the next write
    if (have < length) {
      out.push_back(u'\uFFFD');
      i += have;
      continue;
    }
    char32_t c = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      c = (c << 6) | (static_cast<unsigned char>(pending_[i + k]) & 0x3F);
    }
    AppendUtf16(out, c);
    i += length;
  }
  pending_.erase(0, i);
  if (!out.empty()) text_(out);
}

ConsoleStreambuf::ConsoleStreambuf(Utf8Console& console) : console_(console) {}

ConsoleStreambuf::~ConsoleStreambuf() { sync(); }

ConsoleStreambuf::int_type ConsoleStreambuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  buffer_.push_back(traits_type::to_char_type(c));
  return c;
}

std::streamsize ConsoleStreambuf::xsputn(const char* s, std::streamsize n) {
  buffer_.append(s, static_cast<std::size_t>(n));
  // A long text without a flush still reaches the console in pieces.
  if (buffer_.size() >= kFlushSize) sync();
  return n;
}

int ConsoleStreambuf::sync() {
  if (!buffer_.empty()) console_.Write(buffer_);
  buffer_.clear();
  return 0;
}

}  // namespace velqoris::cli
