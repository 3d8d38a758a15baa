// What a stability analysis must say of its 1/f corner: none where the noise
// has no 1/f part (a line is none), else the set corner within two of the
// stated standard errors, and those errors small enough to mean something.
#pragma once

#include <gtest/gtest.h>

#include "analysis/Welch_spectrum.h"

namespace velqoris::testing {

inline void ExpectCorner(const analysis::WelchSpectrum& w, double corner, double largestError,
                         const char* name) {
  if (corner == 0.0) {
    EXPECT_FALSE(w.flickerCornerHz) << name << ": " << *w.flickerCornerHz;
    return;
  }
  ASSERT_TRUE(w.flickerCornerHz && w.flickerCornerErrorHz) << name;
  EXPECT_NEAR(*w.flickerCornerHz, corner, 2.0 * *w.flickerCornerErrorHz)
      << name << " ± " << *w.flickerCornerErrorHz;
  EXPECT_LT(*w.flickerCornerErrorHz, largestError * corner) << name;
}

}  // namespace velqoris::testing
