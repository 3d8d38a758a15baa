// The process's resident memory, for benchmarks that report what a long run
// keeps (Linux: /proc/self/statm; 0 elsewhere).
#pragma once

#include <cstdio>

namespace velqoris {

inline long ResidentKilobytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

}  // namespace velqoris
