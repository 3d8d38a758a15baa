#include "datafile/Regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#ifdef _WIN32
#include <io.h>

#include <filesystem>
#include <system_error>

#include "datafile/Utf8_path.h"
#else
#include <unistd.h>
#endif

namespace velqoris {
namespace {

OpenedFile Failed(FileFault::Kind kind, int error) {
  OpenedFile file;
  file.fault = {kind, error};
  return file;
}

OpenedFile FailedOpen(int error) {
  return Failed(error == ENOENT ? FileFault::Kind::NotFound : FileFault::Kind::NotReadable, error);
}

}  // namespace

#ifdef _WIN32

OpenedFile OpenRegularFile(const std::string& path) {
  // Windows does not open a folder as a file: say what it is.
  std::error_code ec;
  if (std::filesystem::is_directory(PathFromUtf8(path), ec))
    return Failed(FileFault::Kind::NotReadable, EISDIR);
  std::FILE* stream = OpenUtf8(path, "rb");
  if (stream == nullptr) return FailedOpen(errno);
  struct _stat64 info {};
  if (::_fstat64(::_fileno(stream), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(stream);
    return Failed(FileFault::Kind::NotRegular, 0);
  }
  OpenedFile file;
  file.stream = stream;
  file.size = static_cast<std::uint64_t>(info.st_size);
  return file;
}

#else

OpenedFile OpenRegularFile(const std::string& path) {
  // Non-blocking, so that opening a FIFO without a writer returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FailedOpen(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return FailedOpen(error);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return S_ISDIR(info.st_mode) ? Failed(FileFault::Kind::NotReadable, EISDIR)
                                 : Failed(FileFault::Kind::NotRegular, 0);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    const int error = errno;
    ::close(fd);
    return FailedOpen(error);
  }
  OpenedFile file;
  file.stream = stream;
  file.size = static_cast<std::uint64_t>(info.st_size);
  return file;
}

#endif

}  // namespace velqoris
