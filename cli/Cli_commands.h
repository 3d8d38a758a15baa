// The commands of velqoris-cli. Each returns the process exit code
// (Exit_codes.h); results go to out, messages and progress to err.
#pragma once

#include <ostream>

#include "cli/Cli_options.h"

namespace velqoris::cli {

int RunMeasure(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal);
int RunStats(const Options& options, std::ostream& out, std::ostream& err);
// Creates the process's one QApplication on the offscreen platform: call once.
int RunPlot(const Options& options, std::ostream& err);
int RunExport(const Options& options, std::ostream& err);
int RunLog(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal);
int RunSweep(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal);
// Both create the process's one QApplication only when a picture is asked for.
int RunAnalyze(const Options& options, std::ostream& out, std::ostream& err);
int RunSpectrum(const Options& options, std::ostream& out, std::ostream& err);
// A log CSV or data file: Allan deviation, drift, averaged spectrum, 0.1–10 Hz noise.
int RunStability(const Options& options, std::ostream& out, std::ostream& err);
// Every board that answers: serial number and name line.
int RunBoards(const Options& options, std::ostream& out, std::ostream& err);
// Several logs or data files: noise figures side by side, spectra and Allan deviations overlaid.
int RunCompare(const Options& options, std::ostream& out, std::ostream& err);
// The SCPI server until Ctrl-C; creates the process's one QCoreApplication.
int RunServe(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace velqoris::cli
