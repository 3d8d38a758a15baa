// The console the tool writes to. The tool works in UTF-8 throughout; its
// output streams carry the same bytes on every system (LF line ends, no
// conversion) when they go to a file or a pipe. On Windows the arguments
// arrive as wide characters, and a stream that goes to a console is written
// to it as UTF-16, whole characters at a time, so the console's code page is
// never changed (nothing to give back when the tool ends).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "datafile/Utf8_path.h"

namespace velqoris::cli {

// The arguments after the program's name, as UTF-8 text (datafile/'s).
using ::velqoris::Utf8Arguments;

void PrepareConsole();

// Standard error goes to a terminal (progress lines are then redrawn in place).
bool ErrorIsTerminal();

#ifdef _WIN32
// From now on `stream` writes to the console behind `handle` (a HANDLE) as
// UTF-16; false, and nothing changed, when the handle is not a console.
bool WriteStreamToConsole(std::ostream& stream, void* handle);
#endif

}  // namespace velqoris::cli
