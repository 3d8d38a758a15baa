// Faults caused for real, for the tests of what the program does under them:
// a small file system that fills up, the peak memory of a piece of work, and
// a generous guard on the time a piece of work may take.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace velqoris::testing {

// A tmpfs of `kilobytes` mounted on a fresh folder for as long as it lives.
// Mounting needs root (the CI runs the tests as root); where it cannot be
// mounted, Mounted() is false and Why() says why, for the test's skip message.
class SmallDisk {
 public:
  explicit SmallDisk(int kilobytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  // Fills the disk up to `leave` bytes with a file of its own.
  void FillLeaving(std::uint64_t leave) const;

 private:
  std::string folder_;
  std::string why_;
  bool mounted_ = false;
};

// How far (kB) the resident memory rose above where it was while `work` ran,
// in a child process of its own so that nothing the test did before counts;
// -1 where there is no fork or no peak to read.
long GrowthKilobytesOf(const std::function<void()>& work);

// True when `work` ends within `limit`. A guard against a hang (a FIFO, an
// endless device), not a speed target: the limit is many times the time needed.
bool EndsWithin(std::chrono::seconds limit, const std::function<void()>& work);

}  // namespace velqoris::testing
