#include "datafile/Line_reader.h"

#include <cstring>

namespace velqoris {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

LineReader::LineReader(std::FILE* stream)
    : stream_(stream), buffer_(std::make_unique<char[]>(kBufferSize)) {}

bool LineReader::Fill() {
  if (stream_ == nullptr) return false;
  begin_ = 0;
  end_ = std::fread(buffer_.get(), 1, kBufferSize, stream_);
  return end_ > 0;
}

bool LineReader::ReadRawLine() {
  line_.clear();
  overlong_ = false;
  comment_ = false;
  bool gotAny = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) {
      if (gotAny) {
        ++number_;
        lastEnded_ = false;
      }
      atEnd_ = !gotAny;
      return gotAny;
    }
    if (!started_) {
      started_ = true;
      constexpr std::string_view kBom = "\xEF\xBB\xBF";
      if (std::string_view(buffer_.get(), end_).starts_with(kBom)) begin_ += kBom.size();
      if (begin_ == end_) continue;
    }
    const char* start = buffer_.get() + begin_;
    const std::size_t available = end_ - begin_;
    const void* lf = std::memchr(start, '\n', available);
    const std::size_t take =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : available;
    // A comment is known by the line's very first byte, before any CR is removed.
    if (!gotAny) comment_ = take > 0 && start[0] == ';';
    // Keep at most kMaxLine characters; the rest of the line is read and dropped.
    for (std::size_t i = 0; i < take && !overlong_; ++i) {
      const char c = start[i];
      if (c == '\r') continue;
      if (line_.size() < kMaxLine) {
        line_.push_back(c);
      } else {
        overlong_ = true;
      }
    }
    gotAny = true;
    begin_ += take;
    if (lf != nullptr) {
      ++begin_;  // the LF itself
      ++number_;
      return true;
    }
  }
}

bool LineReader::ReadLine() {
  for (;;) {
    if (!ReadRawLine()) return false;
    if (!comment_) return true;
  }
}

}  // namespace velqoris
