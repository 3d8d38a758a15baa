// Room on the disk a file is to be written to, asked before a long run so
// that it is not measured only to be lost on a full disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velqoris {

// Bytes an ordinary user may still write in the folder that would hold
// `path`; nothing when the system cannot tell.
std::optional<std::uint64_t> FreeSpaceFor(const std::string& path);

// Bytes of the files the program writes, at most: a .DTA of `count` samples
// and a log CSV of `rows` rows, one or two channels.
std::uint64_t DataFileBytes(std::int64_t count, int channels);
std::uint64_t LogCsvBytes(std::int64_t rows, int channels);

}  // namespace velqoris
