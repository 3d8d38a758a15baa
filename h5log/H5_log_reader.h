// Reads a log written by H5LogWriter: every board's settings, its codes up
// to the committed rows (a file cut short by a crash reads back up to its
// last flush) and its gaps table. Refuses what is not a regular file or not
// such a log, bounds what it allocates by the rows the file vouches for, and
// names the part it could not read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "h5log/H5_log_layout.h"
#include "records/Log_record.h"

namespace velqoris::h5log {

// The first bytes of every HDF5 file.
inline constexpr std::string_view kHdf5Signature{"\x89HDF\r\n\x1a\n", 8};
// A regular file that begins with them (a FIFO or a device is never waited on).
bool HasHdf5Signature(const std::string& path);

enum class H5ReadStatus {
  kOk,
  kCannotOpen,  // missing, not a regular file, or not an HDF5 file the library opens
  kNotALog,     // an HDF5 file, but not a log of this program (or a newer format)
  kBadPart,     // a part of the log is missing or unreadable: `part` names it
  kTooLarge,    // more rows than a log may hold
  kNoBoard,     // the board asked for is not in the file
};

struct H5BoardLog {
  H5BoardHeader header;
  std::int64_t rows = 0;  // committed rows
  std::vector<H5Gap> gaps;
  LogRecord record;  // codes, rate, gain, settings and gaps as the analyses take them
};

struct H5ReadResult {
  H5ReadStatus status = H5ReadStatus::kOk;
  std::string part;  // e.g. "board0/ch1_code"
  std::string softwareVersion;
  std::vector<H5BoardLog> boards;
};

// board: the one board to read (its index), or -1 for every board; with a
// serial number, only the boards of that serial.
H5ReadResult ReadH5Log(const std::string& path, int board = -1, const std::string& serial = {});

// The Japanese text of a failed read.
std::string H5ReadMessage(const H5ReadResult& result, const std::string& path);

}  // namespace velqoris::h5log
