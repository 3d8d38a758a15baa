#include "stats/Code_extremes.h"

namespace velqoris {

CodeExtremes FindExtremes(const std::int32_t* codes, int first, int last) {
  CodeExtremes e;
  if (codes == nullptr || first > last) return e;
  e.max = e.min = codes[first];
  for (int i = first; i <= last; ++i) {
    if (codes[i] > e.max) e.max = codes[i];
    if (codes[i] < e.min) e.min = codes[i];
  }
  return e;
}

}  // namespace velqoris
