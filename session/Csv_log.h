// The CSV file of a log, written as results arrive. Rows collect in memory
// and go to the file whole every half second (and whenever a megabyte is
// waiting), so a crash or a pulled cable loses at most the last second.
// A write that fails part-way (a full disk) leaves the file cut back to its
// last whole row; the rows counted, and their statistics, are those in the
// file. Memory stays the same however long the log.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Clock.h"
#include "datafile/Appending_file.h"
#include "stats/Running_stats.h"

namespace velqoris {

class CsvLog {
 public:
  static constexpr auto kFlushInterval = std::chrono::milliseconds(500);
  static constexpr std::size_t kFlushBytes = 1 << 20;

  CsvLog() = default;
  ~CsvLog();
  CsvLog(const CsvLog&) = delete;
  CsvLog& operator=(const CsvLog&) = delete;

  // Creates or truncates the file and writes the settings lines ("# " and
  // each of `settings`, see Log_header.h), then the header line: sample,
  // time_s, then code and microvolts per channel. False when it cannot.
  bool Open(const std::string& path, bool ch0, bool ch1, Clock::Duration now,
            const std::vector<std::string>& settings = {});
  // One result: sample number (from 1), seconds from the start, codes and microvolts.
  void Row(std::int64_t sample, double seconds, std::int32_t code0, float uv0, std::int32_t code1,
           float uv1);
  // A line of its own beginning with '#': a gap between two start commands, the end.
  void Note(const std::string& text);
  // Writes out what waits once the interval since the last write has passed.
  void FlushIfDue(Clock::Duration now);
  bool Flush();
  // Flushes and closes; false when any write failed.
  bool Close();
  // Flushes, writes "# " and endNote as the last line (even after a failed
  // write, when it fits) and closes; false when any row could not be written.
  bool Finish(const std::string& endNote);

  bool Failed() const { return failed_; }
  // errno of the first failed write (ENOSPC on a full disk); 0 while none failed.
  int Error() const { return file_.Error(); }
  // Rows that reached the file, and the statistics of their codes.
  std::int64_t RowsInFile() const { return rowsInFile_; }
  const RunningStats& Stats(int channel) const { return stats_[channel == 1 ? 1 : 0]; }
  std::size_t MaxPending() const { return maxPending_; }

 private:
  // Where a waiting row ends in pending_, with its codes.
  struct RowMark {
    std::size_t end;
    std::int32_t code[2];
  };

  AppendingFile file_;
  std::string pending_;
  std::vector<RowMark> rows_;
  std::size_t maxPending_ = 0;
  std::int64_t rowsInFile_ = 0;
  RunningStats stats_[2];
  bool ch0_ = false;
  bool ch1_ = false;
  bool failed_ = false;
  Clock::Duration lastFlush_{0};
};

}  // namespace velqoris
