#include "cli/Stop_request.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <initializer_list>
#endif

namespace velqoris::cli {

namespace {

#ifdef _WIN32

volatile LONG stopRequested = 0;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // The second one is the default one: it ends the program at once.
      return ::InterlockedExchange(&stopRequested, 1) == 0 ? TRUE : FALSE;
    case CTRL_CLOSE_EVENT:
      // The system ends the process when this returns (at the latest after 5 s):
      // meanwhile the run stops and closes its file as after Ctrl-C, and the
      // program's own exit ends this wait.
      ::InterlockedExchange(&stopRequested, 1);
      ::Sleep(4500);
      return TRUE;
    default:
      return FALSE;
  }
}

#else

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnInterrupt(int /*signal*/) { stopRequested = 1; }

#endif

}  // namespace

void InstallStopHandler() {
#ifdef _WIN32
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the next one is the default one
  // A terminal closed (SIGHUP) or a service manager's stop (SIGTERM) ends the
  // run as Ctrl-C does: stop command, file closed, statistics.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#endif
}

bool StopRequested() { return stopRequested != 0; }

}  // namespace velqoris::cli
