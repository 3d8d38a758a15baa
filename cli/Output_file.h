// Checks on the files a command writes, made before anything is written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velqoris::cli {

// True when both names lead to one file: the same device and inode when the
// file exists, else the same path once made absolute and normal.
bool SameFile(const std::string& a, const std::string& b);

// False, with the message on err, when one of outputs (empty ones skipped)
// is the input file: writing it would destroy the data being read.
bool OutputsSpareInput(const std::string& input, const std::vector<std::string>& outputs,
                       std::ostream& err);

// Whether a file can be written at path, found without changing an existing
// file and without leaving a new one behind.
bool CanWrite(const std::string& path);

}  // namespace velqoris::cli
