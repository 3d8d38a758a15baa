#include "cli/Console_text.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/Console_writer.h"
#else
#include <unistd.h>
#endif

namespace velqoris::cli {

#ifdef _WIN32
namespace {

// Blanks from the cursor to the end of its line; the cursor stays.
void ClearToEndOfLine(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!::GetConsoleScreenBufferInfo(console, &info)) return;
  const DWORD count = static_cast<DWORD>(info.dwSize.X - info.dwCursorPosition.X);
  DWORD done = 0;
  ::FillConsoleOutputCharacterW(console, L' ', count, info.dwCursorPosition, &done);
  ::FillConsoleOutputAttribute(console, info.wAttributes, count, info.dwCursorPosition, &done);
}

}  // namespace

bool WriteStreamToConsole(std::ostream& stream, void* handle) {
  DWORD mode = 0;
  if (handle == nullptr || !::GetConsoleMode(handle, &mode)) return false;
  stream.flush();
  // Kept to the end of the process: the standard streams outlive every static.
  auto* console = new Utf8Console(
      [handle](const std::u16string& text) {
        DWORD written = 0;
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      },
      [handle] { ClearToEndOfLine(handle); });
  stream.rdbuf(new ConsoleStreambuf(*console));
  return true;
}
#endif

void PrepareConsole() {
#ifdef _WIN32
  // A file or a pipe gets the UTF-8 bytes as they are, LF line ends included.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  WriteStreamToConsole(std::cout, ::GetStdHandle(STD_OUTPUT_HANDLE));
  WriteStreamToConsole(std::cerr, ::GetStdHandle(STD_ERROR_HANDLE));
#endif
}

bool ErrorIsTerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

}  // namespace velqoris::cli
