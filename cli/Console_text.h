// The console the tool writes to. On Windows the arguments arrive in the
// local code page and the console shows that code page; the tool works in
// UTF-8 throughout, so there it takes its arguments as wide characters and
// switches the console to UTF-8. Its output streams carry the same bytes on
// every system (LF line ends, no conversion).
#pragma once

#include <string>
#include <vector>

namespace velqoris::cli {

// The arguments after the program's name, as UTF-8 text.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

void PrepareConsole();

// Standard error goes to a terminal (progress lines are then redrawn in place).
bool ErrorIsTerminal();

}  // namespace velqoris::cli
