// Opening a file to read it, only when it is a regular file: a FIFO would
// block the open or the reads, a device such as /dev/zero never ends, and a
// folder has no lines. The test is made on the opened file itself, so nothing
// can swap the file in between.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "datafile/File_fault.h"

namespace velqoris {

struct OpenedFile {
  std::FILE* stream = nullptr;  // owned by the caller; null on failure
  std::uint64_t size = 0;
  // NotFound, NotReadable (a folder: error EISDIR) or NotRegular when stream is null.
  FileFault fault;
};

// Opened in binary mode for reading.
OpenedFile OpenRegularFile(const std::string& path);

}  // namespace velqoris
