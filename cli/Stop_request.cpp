#include "cli/Stop_request.h"

#include <csignal>

namespace velqoris::cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnInterrupt(int /*signal*/) { stopRequested = 1; }

}  // namespace

void InstallStopHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the next Ctrl-C is the default one
  sigaction(SIGINT, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

}  // namespace velqoris::cli
