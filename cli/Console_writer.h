// Text for a Windows console. The console takes UTF-16; UTF-8 bytes written
// to it are read in its code page, and a character cut between two writes
// becomes two replacement marks. So output bound for a console goes through a
// stream buffer that converts whole characters only, keeping a cut one for
// the next write, and clears to the end of the line itself where the text
// asks for it with ESC [ K (older consoles print that sequence).
#pragma once

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace velqoris::cli {

// Splits UTF-8 text as it arrives, in pieces of any size, into whole
// characters and the requests to clear to the end of the line.
class Utf8Console {
 public:
  using Text = std::function<void(const std::u16string&)>;
  using ClearLine = std::function<void()>;
  Utf8Console(Text text, ClearLine clearLine);

  // Gives every whole character and every whole ESC [ K of `bytes`; what is
  // cut at its end waits for the next call.
  void Write(std::string_view bytes);
  // What waits (an incomplete character or escape), in bytes.
  std::size_t Pending() const { return pending_.size(); }

 private:
  Text text_;
  ClearLine clearLine_;
  std::string pending_;
};

// A stream buffer over a Utf8Console: everything written is handed on at
// each flush, so a character or a line is never split across two writes.
class ConsoleStreambuf final : public std::streambuf {
 public:
  explicit ConsoleStreambuf(Utf8Console& console);
  ~ConsoleStreambuf() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  static constexpr std::size_t kFlushSize = 64 * 1024;
  Utf8Console& console_;
  std::string buffer_;
};

}  // namespace velqoris::cli
