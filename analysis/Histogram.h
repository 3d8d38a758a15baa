// The code histogram of one channel's run, with the normal curve of the same
// mean and deviation. One bin per code while the span is at most kMaxBins
// codes, otherwise bins of a whole number of codes each (at most kMaxBins),
// so every bin covers the same number of codes.
#pragma once

#include <cstdint>
#include <vector>

namespace velqoris::analysis {

struct Histogram {
  static constexpr int kMaxBins = 200;

  // Bin i covers codes [firstCode + i × codesPerBin, firstCode + (i+1) × codesPerBin − 1].
  std::int64_t firstCode = 0;
  std::int64_t codesPerBin = 1;
  std::vector<int> counts;  // empty when there are no samples

  int total = 0;
  double mean = 0.0;   // codes
  double sigma = 0.0;  // population standard deviation, codes

  bool PerCode() const { return codesPerBin == 1; }
  int Bins() const { return static_cast<int>(counts.size()); }
  // Edges in codes, half a code outside the codes, so bars touch.
  double LowerEdge(int bin) const;
  double UpperEdge(int bin) const;
  double Centre(int bin) const { return 0.5 * (LowerEdge(bin) + UpperEdge(bin)); }
  int MaxCount() const;

  // The normal curve scaled to the bars: expected samples per bin at a code.
  // 0 everywhere when sigma is 0.
  double NormalCount(double code) const;
};

Histogram MakeHistogram(const std::int32_t* codes, int count);

}  // namespace velqoris::analysis
