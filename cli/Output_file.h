// Checks on the files a command writes, made before anything is written.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velqoris::cli {

// True when both names lead to one file: the same device and inode when the
// file exists, else the same path once made absolute and normal.
bool SameFile(const std::string& a, const std::string& b);

// False, with the message on err, when one of outputs (empty ones skipped)
// is the input file: writing it would destroy the data being read.
bool OutputsSpareInput(const std::string& input, const std::vector<std::string>& outputs,
                       std::ostream& err);

// Why an output file may not or cannot be written at `path`, found before any
// board is contacted, so a long run never ends in a refusal; "" when it can.
// An existing file needs `force`; a folder, a missing folder or one that does
// not let us write is refused with the system's reason.
// `kind` ("CSV", "PNG") words a refusal as that file's; "" as a data file's.
std::string OutputRefusal(const std::string& path, bool force, std::string_view kind = {});

// Why the disk that would hold `path` cannot take `bytes` more; "" when it
// can, or when the system cannot tell.
std::string SpaceRefusal(const std::string& path, std::uint64_t bytes);

// An output of a command: its kind ("CSV", "PNG") and path ("" when not asked for).
struct Output {
  std::string_view kind;
  const std::string& path;
};

// OutputRefusal for every output of a command (empty ones skipped): false,
// with the first refusal on err, when one may not or cannot be written.
bool OutputsAllowed(const std::vector<Output>& outputs, bool force, std::ostream& err);

// A whole output file through the replacing path, so that a failure (a full
// disk) leaves an existing file as it was: false, with
// "KIND ファイルに書き込めませんでした: PATH: REASON" on err, when it fails.
bool WriteOutputFile(std::string_view kind, const std::string& path, std::string_view bytes,
                     std::ostream& err);

}  // namespace velqoris::cli
