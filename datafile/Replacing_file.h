// A file written beside the one it replaces: the bytes go to a temporary file
// in the same folder, which takes the real name only once all of it is on
// disk. Until then, and after any failure, the old file stays as it was. A
// device or a FIFO given as the path (/dev/stdout) is written in place.
#pragma once

#include <string>
#include <string_view>

namespace velqoris {

class ReplacingFile {
 public:
  explicit ReplacingFile(std::string path);
  ~ReplacingFile();  // removes the temporary file unless committed

  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file; false when the folder does not allow it.
  bool Open();
  // Every byte or false; the first failure sticks.
  bool Write(std::string_view bytes);
  // Flushes to disk and renames over the path; false (old file untouched) on any failure.
  bool Commit();

  const std::string& TemporaryPath() const { return temporary_; }
  // errno of the first system call that failed; 0 while none did.
  int Error() const { return error_; }

 private:
  void Discard();

  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  bool direct_ = false;  // a device or FIFO, written in place
  bool failed_ = false;
  int error_ = 0;
};

// Writes a whole file through a ReplacingFile: 0, or the errno of the first
// failure (EIO when the system gave none), with the old file as it was.
int ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace velqoris
