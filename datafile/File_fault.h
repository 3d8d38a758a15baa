// Why a data file call failed, kept as a value so that one place (message/)
// turns it into the user's text.
#pragma once

#include <cstdint>

namespace velqoris {

struct FileFault {
  enum class Kind {
    None,
    NotFound,     // the file to load does not exist
    NotReadable,  // it exists but cannot be opened (a folder: error EISDIR)
    NotRegular,   // a FIFO, a device or a socket: never read, it could block or never end
    BadContents,  // it was read and is not a correct data file
    NotWritten,   // a save could not create, write or replace the file
  };
  Kind kind = Kind::None;
  // errno of the system call that failed; 0 when none did.
  int error = 0;
  // BadContents: the line (from 1) that could not be read; 0 when not known.
  std::int64_t line = 0;
};

}  // namespace velqoris
