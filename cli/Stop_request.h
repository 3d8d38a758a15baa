// Ctrl-C during a run: the handler only sets a flag, which the run loop polls
// between steps and then stops the run as the window's stop button does. A
// second Ctrl-C ends the program at once. SIGTERM and SIGHUP (the terminal
// closed) do the same as Ctrl-C. On Windows Ctrl-Break does the same,
// and closing the console window stops the run before the system ends the program.
#pragma once

namespace velqoris::cli {

void InstallStopHandler();
bool StopRequested();

}  // namespace velqoris::cli
