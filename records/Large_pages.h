// Asks the system to back a large, not yet touched array with large pages:
// a long log's codes are filled once and then walked many times, and with
// small pages both the first touch and every later pass pay for it. Only a
// hint: where the system has no such advice nothing changes.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velqoris {

inline void AdviseLargePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only whole 2 MB pages inside the array.
  constexpr std::uintptr_t kLarge = std::uintptr_t{1} << 21;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (start + kLarge - 1) & ~(kLarge - 1);
  const std::uintptr_t end = (start + bytes) & ~(kLarge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace velqoris
