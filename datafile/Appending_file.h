// A file that grows by whole lines, as a log does. Each Append writes every
// byte it is given or, when the system stops part-way (a full disk), cuts the
// file back to the last line end that reached it: a reader never finds half
// a line, whatever fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velqoris {

class AppendingFile {
 public:
  AppendingFile() = default;
  ~AppendingFile();
  AppendingFile(const AppendingFile&) = delete;
  AppendingFile& operator=(const AppendingFile&) = delete;

  // Creates the file or empties an existing one; false (Error() says why) when it cannot.
  bool Create(const std::string& path);
  // How many of `bytes` are in the file now: all of them, or those up to and
  // including the last '\n' that was written before the write failed.
  std::size_t Append(std::string_view bytes);
  // False when the close failed or any Append did.
  bool Close();

  bool IsOpen() const { return fd_ >= 0; }
  // errno of the first system call that failed; 0 while none did.
  int Error() const { return error_; }
  std::uint64_t Size() const { return size_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  std::uint64_t size_ = 0;
};

}  // namespace velqoris
