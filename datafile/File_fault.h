// Why a data file call failed, kept as a value so that one place (message/)
// turns it into the user's text.
#pragma once

namespace velqoris {

struct FileFault {
  enum class Kind {
    None,
    NotFound,     // the file to load does not exist
    NotReadable,  // it exists but cannot be opened
    BadContents,  // it was read and is not a correct data file
    NotWritten,   // a save could not create, write or replace the file
  };
  Kind kind = Kind::None;
  // errno of the system call that failed; 0 when none did.
  int error = 0;
};

}  // namespace velqoris
