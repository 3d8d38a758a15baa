#include "datafile/Line_writer.h"

#include <charconv>

namespace velqoris {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

LineWriter::LineWriter(ReplacingFile& file, int lineLimit) : file_(file), lineLimit_(lineLimit) {
  pending_.reserve(kChunk + 64);
}

bool LineWriter::Begin() {
  if (ok_ && lineLimit_ >= 0 && lines_ >= lineLimit_) ok_ = false;
  return ok_;
}

bool LineWriter::End() {
  pending_ += "\r\n";
  ++lines_;
  if (pending_.size() >= kChunk) {
    ok_ = file_.Write(pending_);
    pending_.clear();
  }
  return ok_;
}

void LineWriter::Append(std::int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  pending_.append(digits, result.ptr);
}

bool LineWriter::Line(std::string_view text) {
  if (!Begin()) return false;
  pending_ += text;
  return End();
}

bool LineWriter::Line(std::string_view key, std::int32_t value) {
  if (!Begin()) return false;
  pending_ += key;
  Append(value);
  return End();
}

bool LineWriter::Line(std::int32_t value) {
  if (!Begin()) return false;
  Append(value);
  return End();
}

bool LineWriter::Line(std::int32_t first, char separator, std::int32_t second) {
  if (!Begin()) return false;
  Append(first);
  pending_ += separator;
  Append(second);
  return End();
}

bool LineWriter::Finish() {
  if (ok_ && !pending_.empty()) ok_ = file_.Write(pending_);
  pending_.clear();
  return ok_;
}

}  // namespace velqoris
