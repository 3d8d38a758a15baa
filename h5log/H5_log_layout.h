// The names and shapes of a log in HDF5, shared by the writer and the reader
// (README.md lays them out for people and other programs).
#pragma once

#include <cstdint>
#include <string>

namespace velqoris::h5log {

inline constexpr const char* kFormatName = "VELQORIS log";
inline constexpr int kFormatVersion = 1;

// Root attributes.
inline constexpr const char* kFormatAttr = "format";
inline constexpr const char* kFormatVersionAttr = "format_version";
inline constexpr const char* kSoftwareAttr = "software_version";
inline constexpr const char* kBoardsAttr = "boards";

// One group per board: "board0", "board1", ...
std::string BoardGroupName(int board);

// Attributes of a board's group.
inline constexpr const char* kSerialAttr = "serial";
inline constexpr const char* kBoardLineAttr = "board";
inline constexpr const char* kStartAttr = "start";
inline constexpr const char* kStartNsAttr = "start_unix_ns";
inline constexpr const char* kRateAttr = "rate_sps";
inline constexpr const char* kGainAttr = "gain";
inline constexpr const char* kFilterAttr = "filter";
inline constexpr const char* kChopAttr = "chop";
inline constexpr const char* kBufferAttr = "buffer";
inline constexpr const char* kMicrovoltsAttr = "uV_per_code";
inline constexpr const char* kCommittedAttr = "committed_rows";

// Datasets of a board's group.
inline constexpr const char* kCodeDataset[2] = {"ch0_code", "ch1_code"};
inline constexpr const char* kGapsDataset = "gaps";

// A row of the gaps table: the results missing before a start command.
struct H5Gap {
  std::int64_t firstSample = 0;   // index (from 0) of the first sample after the gap
  std::int32_t startCommand = 0;  // the start command's number, from 1
  double secondsLost = 0.0;       // time without results, beyond one sample period
  double startSeconds = 0.0;      // the start command's time from the log's first one
};

// What a board's group says about how it was taken.
struct H5BoardHeader {
  std::string serial;
  std::string boardLine;         // name and firmware as the status bar shows them
  std::string start;             // ISO 8601 with the UTC offset
  std::int64_t startUnixNs = 0;  // the host's clock when the first start command went out
  double rateSps = 0.0;
  int gain = 1;
  bool sinc4 = true;
  bool chop = false;
  bool buffer = false;
  bool channel[2] = {true, false};
  double microvoltsPerCode = 0.0;
};

// Samples per chunk: about a quarter second, never tiny.
std::int64_t ChunkRows(double rateSps);

}  // namespace velqoris::h5log
