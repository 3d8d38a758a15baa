// Reads a data file line by line: whole lines, whatever their length, with
// every CR and LF removed; comment lines (first character ";") are skipped. A
// UTF-8 byte order mark at the start of the file (an editor's) is no part of
// the first line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace velqoris {

class LineReader {
 public:
  // No line of a correct file comes near this; a longer one is kept cut to it
  // and flagged, so it can never pass for a marker, a setting or a sample.
  static constexpr std::size_t kMaxLine = 4096;

  // The stream stays owned by the caller.
  explicit LineReader(std::FILE* stream);

  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line that is not a comment line; false at the end of the file
  // (or on a read error, which ends the file as well).
  bool ReadLine();

  std::string_view Line() const { return line_; }
  bool Overlong() const { return overlong_; }
  // The file's line number (from 1) of the last line read; after the end of
  // the file, the line that would come next (the last one when it lacked its
  // line end: the file was cut there).
  std::int64_t LineNumber() const { return atEnd_ && lastEnded_ ? number_ + 1 : number_; }

 private:
  bool ReadRawLine();  // one physical line, up to LF or end of file
  bool Fill();

  std::FILE* stream_;
  std::string line_;
  bool overlong_ = false;
  bool comment_ = false;
  bool started_ = false;
  bool atEnd_ = false;
  bool lastEnded_ = true;  // the last line read had its LF
  std::int64_t number_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace velqoris
