// stats and export: a data file loaded as the window loads it.
#include <cstdio>
#include <sstream>
#include <string>

#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/No_data.h"
#include "cli/Output_file.h"
#include "message/Message_text.h"
#include "session/Held_data.h"
#ifdef VELQORIS_HAVE_HDF5
#include "session/H5_log_file.h"
#endif

namespace velqoris::cli {

namespace {

int BadFile(const HeldData& held, const std::string& path, std::ostream& err) {
  err << FileFaultMessage(held.fault, path) << '\n';
  return kExitBadFile;
}

std::string Microvolts(float value) {
  // 9 significant digits give the stored float32 back exactly.
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

}  // namespace

int RunStats(const Options& options, std::ostream& out, std::ostream& err) {
  HeldData held;
  if (!held.Load(options.file)) return BadFile(held, options.file, err);
  if (!held.data.HasData()) return NoData(options.file, err);
  held.Compute();
  for (const std::string& line : held.StatsLines(options.volt)) out << line << '\n';
  out << std::flush;
  return kExitOk;
}

int RunExport(const Options& options, std::ostream& err) {
  if (!OutputsSpareInput(options.file, {options.csv}, err)) return kExitOutput;
  if (!OutputsAllowed({{"CSV", options.csv}}, options.force, err)) return kExitOutput;
#ifdef VELQORIS_HAVE_HDF5
  // An HDF5 log goes out as the CSV its log would have written.
  if (h5log::HasHdf5Signature(options.file)) {
    const h5log::H5ReadResult log =
        h5log::ReadH5Log(options.file, options.device.empty() ? 0 : -1, options.device);
    if (log.status != h5log::H5ReadStatus::kOk) {
      err << h5log::H5ReadMessage(log, options.file) << '\n';
      return kExitBadFile;
    }
    if (WriteH5LogAsCsv(log.boards.front(), options.csv)) return kExitOk;
    err << "CSV ファイルに書き込めませんでした: " << options.csv << '\n';
    return kExitOutput;
  }
#endif
  HeldData held;
  if (!held.Load(options.file)) return BadFile(held, options.file, err);
  if (!held.data.HasData()) return NoData(options.file, err);
  held.Compute();
  const RunData& d = held.data;
  const bool ch0 = d.fCH0Data;
  const bool ch1 = d.fCH1Data;
  std::ostringstream csv;
  csv << "sample";
  if (ch0) csv << ",ch0_code,ch0_uV";
  if (ch1) csv << ",ch1_code,ch1_uV";
  csv << '\n';
  const int count = ch0 ? d.Ch0.Count : d.Ch1.Count;
  for (int i = 0; i < count; ++i) {
    csv << i + 1;
    if (ch0) csv << ',' << d.Ch0.Codes[i] << ',' << Microvolts(d.Ch0.Microvolts[i]);
    if (ch1) csv << ',' << d.Ch1.Codes[i] << ',' << Microvolts(d.Ch1.Microvolts[i]);
    csv << '\n';
  }
  return WriteOutputFile("CSV", options.csv, csv.str(), err) ? kExitOk : kExitOutput;
}

}  // namespace velqoris::cli
