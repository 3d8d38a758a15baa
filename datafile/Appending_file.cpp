#include "datafile/Appending_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>

#include "datafile/Utf8_path.h"
#else
#include <unistd.h>
#endif

#include <cerrno>

namespace velqoris {
namespace {

#ifdef _WIN32
int CreateOrEmpty(const std::string& path) {
  return ::_wopen(PathFromUtf8(path).c_str(),
                  _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return ::_write(fd, data, chunk);
}
bool CutTo(int fd, std::uint64_t size) {
  return ::_chsize_s(fd, static_cast<long long>(size)) == 0 &&
         ::_lseeki64(fd, static_cast<long long>(size), SEEK_SET) >= 0;
}
bool CloseFile(int fd) { return ::_close(fd) == 0; }
#else
int CreateOrEmpty(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}
long long WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
bool CutTo(int fd, std::uint64_t size) {
  return ::ftruncate(fd, static_cast<off_t>(size)) == 0 &&
         ::lseek(fd, static_cast<off_t>(size), SEEK_SET) >= 0;
}
bool CloseFile(int fd) { return ::close(fd) == 0; }
#endif

}  // namespace

AppendingFile::~AppendingFile() { Close(); }

bool AppendingFile::Create(const std::string& path) {
  Close();
  error_ = 0;
  size_ = 0;
  fd_ = CreateOrEmpty(path);
  if (fd_ < 0) error_ = errno != 0 ? errno : EACCES;
  return fd_ >= 0;
}

std::size_t AppendingFile::Append(std::string_view bytes) {
  if (fd_ < 0 || bytes.empty()) return 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    // A short write is continued; only a failed one ends the append.
    const long long n = WriteSome(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (error_ == 0) error_ = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (done < bytes.size()) {
    // Back to the end of the last whole line that was written.
    const std::size_t lineEnd = bytes.substr(0, done).rfind('\n');
    const std::size_t keep = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
    if (keep != done && !CutTo(fd_, size_ + keep) && error_ == 0) error_ = errno;
    done = keep;
  }
  size_ += done;
  return done;
}

bool AppendingFile::Close() {
  if (fd_ < 0) return error_ == 0;
  if (!CloseFile(fd_) && error_ == 0) error_ = errno;
  fd_ = -1;
  return error_ == 0;
}

}  // namespace velqoris
