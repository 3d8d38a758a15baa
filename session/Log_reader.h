// Reads a long record for the stability analysis: a log CSV (with or without
// its '#' settings lines) or a .DTA data file, into one LogRecord. The CSV is
// parsed as a stream, chunk by chunk, with no allocation per line; codes are
// kept as int32, so a one-hour two-channel log at 4800 sps takes about 140 MB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datafile/File_fault.h"
#include "records/Log_record.h"
#include "session/Log_checks.h"
#include "session/Log_row_scan.h"

namespace velqoris {

enum class LogReadStatus {
  kOk,
  kCannotOpen,
  kNotALog,  // neither a log CSV header nor a data file
  kBadLine,  // a row that is not numbers where numbers belong
  kNoData,   // a valid file without results
  kBadDataFile,
  kBadHdf5,       // an HDF5 file that is not a whole log: `detail` says what
  kInconsistent,  // rows or settings that contradict each other (LogFault)
};

struct LogReadResult {
  LogReadStatus status = LogReadStatus::kOk;
  std::int64_t line = 0;  // the offending line (kBadLine, kNotALog, kBadDataFile)
  LogRecord record;
  std::string detail{};  // kBadHdf5: the reader's own text
  LogFault fault;        // kInconsistent: what contradicts what
  // A last row without its line end (a writer stopped mid-row) is left out:
  // its line number, 0 when the file ended on a whole row.
  std::int64_t cutLine = 0;
  // kCannotOpen: why (not found, a folder, not a regular file, the system's reason).
  FileFault openFault;
};

// The CSV parser, fed in chunks of any size.
class LogCsvParser {
 public:
  // sizeHint: the file's size, to reserve the code arrays once.
  explicit LogCsvParser(std::uint64_t sizeHint = 0);
  void Feed(std::string_view chunk);
  LogReadResult Finish();

  // A long file read by two threads: once this parser has its header and two
  // rows, Continuation() parses the rows of a later part of the file (a '#'
  // before its first row is a gap there, not settings), and Join() appends
  // them, as if this parser had read on.
  bool CanContinue() const { return haveHeader_ && !failed_ && rows_ >= 2; }
  LogCsvParser Continuation(std::uint64_t sizeHint) const;
  void Join(LogCsvParser&& later);

 private:
  void Line(std::string_view line);
  void SettingsLine(std::string_view text);
  bool Header(std::string_view line);
  bool Row(std::string_view line);
  bool Accept(const RowValues& v, std::size_t bytes);
  void FlushCarry();
  void Fail();
  LogReadResult Refused();

  LogReadResult result_;
  std::string carry_;  // a line split between two chunks
  std::uint64_t sizeHint_;
  std::int64_t lineNumber_ = 0;
  bool failed_ = false;
  bool haveHeader_ = false;
  RowColumns columns_;  // µV columns only while no settings line gives the gain
  std::int64_t rows_ = 0;
  bool gapPending_ = false;
  double firstTime_ = 0.0;
  double lastTime_ = 0.0;
  double firstPeriod_ = 0.0;
  // Rows before the first gap, for the rate from time_s.
  std::int64_t firstStretchRows_ = 0;
  double firstStretchEnd_ = 0.0;
  std::optional<double> settingsRate_;
  LogChecks checks_;
  std::vector<double> gapSpans_;  // time from the row before each gap to the one after
  bool continuation_ = false;     // parses a later part of a file (Continuation)
  bool gapBeforeFirstRow_ = false;
  std::int64_t firstRowLine_ = 0;
};

// A CSV this long is read by two threads, each half of it.
inline constexpr std::uint64_t kTwoThreadBytes = 64ull << 20;

// A log CSV, by its identification line a .DTA file, or by its signature an
// HDF5 log (its first board).
// board: the serial number of the board to read from an HDF5 log (empty: the
// first); other files hold one board.
LogReadResult ReadLogFile(const std::string& path, const std::string& board = {},
                          std::uint64_t twoThreadBytes = kTwoThreadBytes);

// The Japanese text of a failed read.
std::string LogReadMessage(const LogReadResult& result, const std::string& path);
// The note of a cut last row that was left out; "" when there was none.
std::string CutRowNote(const LogReadResult& result);

}  // namespace velqoris
