#include "tests/support/Fault_tools.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velqoris::testing {

SmallDisk::SmallDisk(int kilobytes) {
  std::random_device random;
  const auto dir =
      std::filesystem::temp_directory_path() / ("velqoris-disk-" + std::to_string(random()));
  std::error_code ec;
  std::filesystem::create_directory(dir, ec);
  folder_ = dir.string();
#ifdef _WIN32
  (void)kilobytes;
  why_ = "no tmpfs on Windows";
#else
  const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0777";
  if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    why_ = std::string("a tmpfs cannot be mounted here (root is needed): ") + std::strerror(errno);
  }
#endif
}

SmallDisk::~SmallDisk() {
#ifndef _WIN32
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
#endif
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void SmallDisk::FillLeaving(std::uint64_t leave) const {
  const auto space = std::filesystem::space(folder_);
  if (space.available <= leave) return;
  std::ofstream filler(Path("filler"), std::ios::binary);
  const std::string block(4096, 'x');
  for (std::uint64_t left = space.available - leave; left > 0;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
    filler.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
}

#ifndef _WIN32
namespace {

// A "Vm...:" line of /proc/self/status, in kB; -1 when missing.
long StatusKilobytes(const char* key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(key)) return std::atol(line.c_str() + std::strlen(key));
  }
  return -1;
}

}  // namespace
#endif

long GrowthKilobytesOf(const std::function<void()>& work) {
#ifdef _WIN32
  (void)work;
  return -1;
#else
  int pipe[2];
  if (::pipe(pipe) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    // The peak starts again from what the child holds now.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKilobytes("VmRSS:");
    work();
    const long peak = StatusKilobytes("VmHWM:");
    const long growth = before < 0 || peak < 0 ? -1 : peak - before;
    (void)!::write(pipe[1], &growth, sizeof growth);
    std::_Exit(0);
  }
  ::close(pipe[1]);
  long growth = -1;
  if (child < 0 || ::read(pipe[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  ::close(pipe[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return growth;
#endif
}

bool EndsWithin(std::chrono::seconds limit, const std::function<void()>& work) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ended = done->get_future();
  std::thread([work, done] {
    work();
    done->set_value();
  }).detach();
  return ended.wait_for(limit) == std::future_status::ready;
}

}  // namespace velqoris::testing
