// A log written into an HDF5 file as results arrive: per board a group with
// its settings as attributes, an int32 dataset of codes per channel
// (unlimited, chunked about a second, shuffle + deflate) and the gaps table.
//
// Crash safety: the file is written in single-writer/multiple-reader mode,
// in which the library orders its metadata writes so that the file on disk
// is always whole. Rows collect in memory and go to the file at each flush
// (twice a second); after the data, each board's committed_rows attribute
// is raised, so after a kill or a crash every row up to the last flush reads
// back and a reader never trusts rows beyond it.
//
// Several boards may append from threads of their own: every call takes the
// writer's lock. Memory stays the same however long the log.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "h5log/H5_handle.h"
#include "h5log/H5_log_layout.h"

namespace velqoris::h5log {

class H5LogWriter {
 public:
  static constexpr auto kFlushInterval = std::chrono::milliseconds(500);

  H5LogWriter() = default;
  ~H5LogWriter();
  H5LogWriter(const H5LogWriter&) = delete;
  H5LogWriter& operator=(const H5LogWriter&) = delete;

  // Creates or truncates the file with one group per board; false when it cannot.
  bool Create(const std::string& path, const std::string& softwareVersion,
              const std::vector<H5BoardHeader>& boards);
  // Results of one board; a channel the board does not log may pass null.
  void Append(int board, const std::int32_t* codes0, const std::int32_t* codes1, int count);
  // A gap before the rows appended next (its firstSample is the rows so far).
  void Gap(int board, const H5Gap& gap);
  // Writes what waits; then raises each board's committed rows.
  bool Flush();
  // Flushes when kFlushInterval has passed since the last flush by `now`.
  void FlushIfDue(std::chrono::nanoseconds now);
  // Flushes and closes; false when any write failed.
  bool Close();

  bool Failed() const;
  std::int64_t Rows(int board) const;

 private:
  struct Board {
    H5Handle group;
    H5Handle codes[2];
    H5Handle gaps;
    H5Handle committed;
    bool channel[2] = {false, false};
    std::int64_t rows = 0;     // in the file
    std::int64_t gapRows = 0;  // in the file
    std::vector<std::int32_t> pending[2];
    std::vector<H5Gap> pendingGaps;
  };

  bool CreateBoard(int index, const H5BoardHeader& header);
  bool WritePending(Board& b);
  bool FlushLocked();

  mutable std::mutex mutex_;
  H5Handle file_;
  H5Handle gapType_;
  std::vector<Board> boards_;
  bool failed_ = false;
  std::chrono::nanoseconds lastFlush_{0};
};

// The compound type of a gaps-table row.
H5Handle GapRowType();

}  // namespace velqoris::h5log
