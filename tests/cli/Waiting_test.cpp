// A log waits for the board's next block on the clock: a whole 5 s log at the
// highest rate on two channels stays well under half a second of CPU time.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

TEST(CliWaitTest, AFiveSecondLogAtTheHighestRateKeepsNoCoreBusy) {
  TempDir dir;
  const std::string path = dir.Path("log.csv");
  const CliResult r = RunCli(
      {"log", "--virtual", "--rate", "4800", "--channel", "2", "--duration", "5s", "--csv", path});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::cout << "CPU time of a 5 s log at 4800 sps x 2: " << r.cpuSeconds << " s\n";
  EXPECT_LT(r.cpuSeconds, 0.5);
}

}  // namespace
}  // namespace velqoris::testing
