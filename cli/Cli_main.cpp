// velqoris-cli: measurement, statistics, plot and export without the window.
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli_commands.h"
#include "cli/Cli_options.h"
#include "cli/Console_text.h"
#include "cli/Exit_codes.h"

namespace {

// The tool says what went wrong in its own Japanese texts; Qt's English
// warnings (runtime directory, libpng) stay off stderr. Critical and fatal
// ones are still shown.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  }
}

// A result that did not reach stdout (a full disk, a closed pipe) is a failed write.
int CheckedStdout(int code) {
  std::cout.flush();
  const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (!failed) return code;
  std::cerr << "velqoris-cli: 標準出力に書き込めませんでした" << std::endl;
  return code == velqoris::cli::kExitOk ? velqoris::cli::kExitOutput : code;
}

int RunCommand(const velqoris::cli::Options& o) {
  using namespace velqoris::cli;
  if (o.help) {
    std::cout << (o.generalHelp ? UsageText() : HelpText(o.command));
    return kExitOk;
  }
  switch (o.command) {
    case Command::kMeasure:
      return RunMeasure(o, std::cout, std::cerr, ErrorIsTerminal());
    case Command::kStats:
      return RunStats(o, std::cout, std::cerr);
    case Command::kPlot:
      return RunPlot(o, std::cerr);
    case Command::kExport:
      return RunExport(o, std::cerr);
    case Command::kLog:
      return RunLog(o, std::cout, std::cerr, ErrorIsTerminal());
    case Command::kSweep:
      return RunSweep(o, std::cout, std::cerr, ErrorIsTerminal());
    case Command::kAnalyze:
      return RunAnalyze(o, std::cout, std::cerr);
    case Command::kSpectrum:
      return RunSpectrum(o, std::cout, std::cerr);
    case Command::kStability:
      return RunStability(o, std::cout, std::cerr);
    case Command::kBoards:
      return RunBoards(o, std::cout, std::cerr);
    case Command::kCompare:
      return RunCompare(o, std::cout, std::cerr);
    case Command::kServe:
      return RunServe(o, std::cout, std::cerr);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velqoris::cli;
  qInstallMessageHandler(QuietQtMessages);
  PrepareConsole();
  const std::vector<std::string> args = Utf8Arguments(argc, argv);
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.ok) {
    std::cerr << "velqoris-cli: " << parsed.error << '\n' << parsed.usage;
    return kExitUsage;
  }
  return CheckedStdout(RunCommand(parsed.options));
}
