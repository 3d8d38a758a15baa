// Reads a long record for the stability analysis: a log CSV (with or without
// its '#' settings lines) or a .DTA data file, into one LogRecord. The CSV is
// parsed as a stream, chunk by chunk, with no allocation per line; codes are
// kept as int32, so a one-hour two-channel log at 4800 sps takes about 140 MB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/Log_record.h"

namespace velqoris {

enum class LogReadStatus {
  kOk,
  kCannotOpen,
  kNotALog,  // neither a log CSV header nor a data file
  kBadLine,  // a row that is not numbers where numbers belong
  kNoData,   // a valid file without results
  kBadDataFile,
  kBadHdf5,  // an HDF5 file that is not a whole log: `detail` says what
};

struct LogReadResult {
  LogReadStatus status = LogReadStatus::kOk;
  std::int64_t line = 0;  // the offending line (kBadLine, kNotALog)
  LogRecord record;
  std::string detail{};  // kBadHdf5: the reader's own text
};

// The CSV parser, fed in chunks of any size.
class LogCsvParser {
 public:
  // sizeHint: the file's size, to reserve the code arrays once.
  explicit LogCsvParser(std::uint64_t sizeHint = 0);
  void Feed(std::string_view chunk);
  LogReadResult Finish();

 private:
  void Line(std::string_view line);
  void SettingsLine(std::string_view text);
  bool Header(std::string_view line);
  bool Row(std::string_view line);

  LogReadResult result_;
  std::string carry_;  // a line split between two chunks
  std::uint64_t sizeHint_;
  std::int64_t lineNumber_ = 0;
  bool failed_ = false;
  bool haveHeader_ = false;
  int timeColumn_ = -1;
  int codeColumn_[2] = {-1, -1};
  int uvColumn_[2] = {-1, -1};
  std::int64_t rows_ = 0;
  std::uint64_t rowBytes_ = 0;
  bool gapPending_ = false;
  double firstTime_ = 0.0;
  double lastTime_ = 0.0;
  double firstPeriod_ = 0.0;
  // Rows before the first gap, for the rate from time_s.
  std::int64_t firstStretchRows_ = 0;
  double firstStretchEnd_ = 0.0;
  std::optional<double> settingsRate_;
  // The row furthest from mid-scale per channel: its code and µV give the gain.
  double gainOffset_[2] = {0.0, 0.0};
  double gainMicrovolts_[2] = {0.0, 0.0};
  std::vector<double> gapSpans_;  // time from the row before each gap to the one after
};

// A log CSV, by its identification line a .DTA file, or by its signature an
// HDF5 log (its first board).
// board: the serial number of the board to read from an HDF5 log (empty: the
// first); other files hold one board.
LogReadResult ReadLogFile(const std::string& path, const std::string& board = {});

// The Japanese text of a failed read.
std::string LogReadMessage(const LogReadResult& result, const std::string& path);

}  // namespace velqoris
