// What the log command prints and how long it runs, shared by the log of one
// board into its CSV and the log of several boards into HDF5, CSV and line protocol.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/Cli_options.h"
#include "session/Acquisition.h"
#include "session/Csv_sink.h"
#include "session/Stats_sink.h"

namespace velqoris::cli {

// Total results of the log: --count, or the duration at the nominal rate.
std::int64_t LogTotal(const Options& options);
void PrintStats(const RunningStats& ch0, const RunningStats& ch1, const MeasureSettings& s,
                bool volt, std::ostream& out);
void PrintGaps(const Acquisition& log, std::ostream& out);
// What the log's CSV holds, on err: the rows written, or why it stopped and
// how many whole rows it keeps. False when the file failed.
bool ReportCsvLog(const CsvSink& csv, RunEnd end, const std::string& path, std::ostream& err);

// Several boards, each on a thread of its own, and the HDF5 and line-protocol
// outputs; RunLog has checked the log's length.
int RunBoardLogs(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace velqoris::cli
