// The tool's option checks name the least results a sweep setting takes here.
#pragma once

#include "session/Run_buffer.h"

namespace velqoris {

struct Measurement {
  static constexpr int kMinKept = RunBuffer::kMinKept;
};

}  // namespace velqoris
