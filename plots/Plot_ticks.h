// Tick positions and texts for the analysis window's plots: 1-2-5 steps on a
// linear axis, decades (with 2 and 5 between when few) on a logarithmic one.
// Plain C++.
#pragma once

#include <string>
#include <vector>

namespace velqoris {

struct Ticks {
  std::vector<double> values;
  int decimals = 0;  // enough to tell neighbouring ticks apart
};

// At most maxTicks ticks (at least 2) on multiples of a 1-2-5 step inside lo … hi.
Ticks LinearTicks(double lo, double hi, int maxTicks);

// Ticks of a logarithmic axis over lo … hi (both > 0): each decade, and 2 and
// 5 times it while that keeps at most maxTicks.
Ticks LogTicks(double lo, double hi, int maxTicks);

// A tick's text with the ticks' decimals.
std::string TickText(double value, int decimals);
// A logarithmic tick's own text: "0.2", "5", "100", and "1e4" style from 10^4 on.
std::string LogTickText(double value);

// Which tick texts to draw on a horizontal axis: each centred on its tick
// (centres and widths in pixels), wholly inside lo … hi and at least gap
// from the text drawn before it. A text that does not fit is left out.
std::vector<bool> TextsThatFit(const std::vector<double>& centres,
                               const std::vector<double>& widths, double lo, double hi, double gap);

}  // namespace velqoris
