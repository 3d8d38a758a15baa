// velqoris-cli: measurement, statistics, plot and export without the window.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/Cli_commands.h"
#include "app/cli/Cli_options.h"
#include "app/cli/Exit_codes.h"

int main(int argc, char** argv) {
  using namespace velqoris::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.ok) {
    std::cerr << "velqoris-cli: " << parsed.error << '\n' << UsageText();
    return kExitUsage;
  }
  const Options& o = parsed.options;
  if (o.help) {
    std::cout << (o.generalHelp ? UsageText() : HelpText(o.command));
    return kExitOk;
  }
  switch (o.command) {
    case Command::kMeasure:
      return RunMeasure(o, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    case Command::kStats:
      return RunStats(o, std::cout, std::cerr);
    case Command::kPlot:
      return RunPlot(o, std::cerr);
    case Command::kExport:
      return RunExport(o, std::cerr);
    case Command::kAnalyze:
      return RunAnalyze(o, std::cout, std::cerr);
    case Command::kSpectrum:
      return RunSpectrum(o, std::cout, std::cerr);
  }
  return kExitUsage;
}
