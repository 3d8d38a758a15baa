// Runs the real velqoris-cli executable with pipes on its output streams.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/Temp_files.h"

namespace velqoris::testing {

struct CliResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
  double cpuSeconds = 0;  // the child's user and system time
};

// onErr sees the error stream read so far, each time it grows, with the
// child's pid (to interrupt it).
CliResult RunCli(const std::vector<std::string>& args,
                 const std::function<void(const std::string& err, pid_t pid)>& onErr = {});

// Ctrl-C for the child: SIGINT on Linux, the console's Ctrl-C event on Windows.
void Interrupt(pid_t pid);

}  // namespace velqoris::testing
