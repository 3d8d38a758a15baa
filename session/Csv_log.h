// The CSV file of a log, written as results arrive. Rows collect in memory
// and go to the file whole every half second (and whenever a megabyte is
// waiting), so a crash or a pulled cable loses at most the last second
// and never leaves half a row. Memory stays the same however long the log.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "board/Clock.h"

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
  // A line of its own between two start commands, beginning with '#'.
  void Note(const std::string& text);
  // Writes out what waits once the interval since the last write has passed.
  void FlushIfDue(Clock::Duration now);
  bool Flush();
  // Flushes and closes; false when any write failed.
  bool Close();

  bool Failed() const { return failed_; }
  std::size_t MaxPending() const { return maxPending_; }

 private:
  std::FILE* file_ = nullptr;
  std::string pending_;
  std::size_t maxPending_ = 0;
  bool ch0_ = false;
  bool ch1_ = false;
  bool failed_ = false;
  Clock::Duration lastFlush_{0};
};

}  // namespace velqoris
