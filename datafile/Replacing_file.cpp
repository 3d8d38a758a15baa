#include "datafile/Replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>

#include "datafile/Utf8_path.h"
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velqoris {
namespace {

std::atomic<unsigned> temporaryCounter{0};

#ifdef _WIN32

constexpr const char* kSeparators = "/\\";

int CreateTemporary(const std::string& name) {
  // Binary: the file's CR LF line ends are written as they are, never doubled.
  return ::_wopen(PathFromUtf8(name).c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int ProcessId() { return ::_getpid(); }
int WriteSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return ::_write(fd, data, chunk);
}
bool FlushToDisk(int fd) { return ::_commit(fd) == 0; }
bool CloseFile(int fd) { return ::_close(fd) == 0; }
void RemoveFile(const std::string& name) { ::_wunlink(PathFromUtf8(name).c_str()); }
// The rename reaches the disk before the call returns.
bool MoveOver(const std::string& from, const std::string& to) {
  if (::MoveFileExW(PathFromUtf8(from).c_str(), PathFromUtf8(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  // The system's reason, in the errno terms the messages speak.
  switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    case ERROR_WRITE_PROTECT:
      errno = EROFS;
      break;
    default:
      errno = EIO;
  }
  return false;
}
void SyncFolder(const std::string&) {}
std::string Target(std::string path) { return path; }
void KeepPermissions(int, const std::string&) {}
int OpenSpecial(const std::string&) { return -1; }

#else

constexpr const char* kSeparators = "/";

int CreateTemporary(const std::string& name) {
  // 0666 under the umask, as a newly created file would get.
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int ProcessId() { return static_cast<int>(::getpid()); }
ssize_t WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
bool FlushToDisk(int fd) { return ::fsync(fd) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }
void RemoveFile(const std::string& name) { ::unlink(name.c_str()); }
bool MoveOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

// Durability of the rename itself; a folder that cannot be synced changes nothing.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A link is followed, so that the file it names is replaced and the link stays.
std::string Target(std::string path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

// A device or a FIFO named as the output (/dev/stdout, a pipe) is written as
// it is: renaming a file over it would destroy it. -1 for anything else.
int OpenSpecial(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return -1;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  return fd >= 0 ? fd : -2;
}

// Replacing a file keeps its permissions.
void KeepPermissions(int fd, const std::string& path) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    ::fchmod(fd, old.st_mode & 07777);
  }
}

#endif

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string path) : path_(Target(std::move(path))) {}

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open() {
  if (fd_ >= 0 || path_.empty()) return false;
  if (const int special = OpenSpecial(path_); special != -1) {
    if (special < 0) {
      error_ = errno;
      return false;
    }
    fd_ = special;
    direct_ = true;
    return true;
  }
  const std::string folder = FolderOf(path_);
  const std::string prefix = folder + "/.velqoris-" + std::to_string(ProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
    const int fd = CreateTemporary(name);
    if (fd >= 0) {
      fd_ = fd;
      temporary_ = std::move(name);
      break;
    }
    if (errno != EEXIST) {
      error_ = errno;
      return false;
    }
  }
  if (fd_ < 0) {
    error_ = EEXIST;
    return false;
  }
  KeepPermissions(fd_, path_);
  return true;
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  while (!bytes.empty()) {
    const auto n = WriteSome(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      failed_ = true;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ReplacingFile::Commit() {
  if (fd_ < 0 || failed_) {
    Discard();
    return false;
  }
  int error = 0;
  if (!direct_ && !FlushToDisk(fd_)) error = errno;
  if (!CloseFile(fd_) && error == 0) error = errno;
  fd_ = -1;
  if (direct_) {
    error_ = error;
    return error == 0;
  }
  if (error == 0 && !MoveOver(temporary_, path_)) error = errno;
  if (error != 0) {
    error_ = error;
    Discard();
    return false;
  }
  temporary_.clear();
  SyncFolder(FolderOf(path_));
  return true;
}

int ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  ReplacingFile file(path);
  if (file.Open() && file.Write(bytes) && file.Commit()) return 0;
  return file.Error() != 0 ? file.Error() : EIO;
}

void ReplacingFile::Discard() {
  if (fd_ >= 0) {
    CloseFile(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    RemoveFile(temporary_);
    temporary_.clear();
  }
  failed_ = true;
}

}  // namespace velqoris
