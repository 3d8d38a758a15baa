// The command line of velqoris-cli: commands, options, the window's choices
// and defaults, and the usage texts, all made from the declaration in
// Cli_option_table. Plain C++.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/Spectrum_window.h"
#include "records/Measure_settings.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Slow_noise_options.h"

namespace velqoris::cli {

enum class Command {
  kMeasure,
  kStats,
  kPlot,
  kExport,
  kAnalyze,
  kSpectrum,
  kLog,
  kSweep,
  kStability,
  kBoards,
  kCompare,
  kServe
};

struct Options {
  Command command = Command::kMeasure;
  bool help = false;
  bool generalHelp = false;  // --help without a command
  // measure
  MeasureSettings settings;  // the window's defaults until an option says otherwise
  bool virtualBoard = false;
  std::string device;  // --device: the board's USB serial number; empty: the first board
  std::vector<std::string> devices;  // log, measure: every --device, in the order given
  int virtualBoards = 0;             // how many times --virtual was given
  std::string virtualFault;          // a fault of the virtual board to try the error paths with
  bool force = false;
  std::string out;
  // every command
  bool volt = false;
  // stats, plot, export
  std::string file;
  std::string png;
  std::string csv;
  // analyze, spectrum, measure --analyze
  bool json = false;
  bool analyze = false;
  analysis::SpectrumWindow window = analysis::kDefaultWindow;
  std::vector<SineOption> sines;  // the virtual board's test signal, per channel
  std::vector<MainsOption> mains;
  std::vector<DriftOption> drifts;  // the virtual board's drift and 1/f noise, per channel
  std::vector<FlickerOption> flickers;
  // log and sweep
  std::int64_t runCount = 0;    // --count: any number of results up to one start command
  std::int64_t durationMs = 0;  // log: --duration; sweep: --max-time per setting
  std::vector<int> rateSels;    // sweep: indices of kDataRates, in the order given
  std::vector<int> gainSels;    // sweep: indices of kGains, in the order given
  int logChannel = -1;          // stability: --channel 0|1; -1 every channel held
  // log: the HDF5 file (--h5) and the line-protocol target (--lp -|FILE|udp://HOST:PORT)
  std::string h5;
  std::string lp;
  std::vector<std::string> files;  // compare: every file named
  // serve
  int port = 5025;                   // 0: any free port
  std::string listen = "127.0.0.1";  // the address listened on
  std::string dataDir;               // where file commands write; beyond loopback, only there
};

// The most results one start command asks for (five hexadecimal digits).
inline constexpr std::int64_t kMaxRunCount = 1048575;
// A log stops short of this many results (its sample numbers stay in 32 bits).
inline constexpr std::int64_t kMaxLogResults = 2147483647;

struct ParseResult {
  bool ok = false;
  Options options;
  std::string error;  // for the usage error, in Japanese
  std::string usage;  // shown with the error: the command's own, or every command's
};

// args without the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// Every command's usage lines, or one command's.
std::string UsageText();
std::string UsageText(Command command);
// A command's --help: its usage, what it does, its options.
std::string HelpText(Command command);

// The names --virtual-fault accepts.
const std::vector<std::string>& VirtualFaultNames();

}  // namespace velqoris::cli
