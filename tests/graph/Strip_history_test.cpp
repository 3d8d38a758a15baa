#include "graph/Strip_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velqoris {
namespace {

std::vector<std::int32_t> Triangle(std::int64_t from, int n) {
  std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) codes[i] = static_cast<std::int32_t>((from + i) % 1000);
  return codes;
}

// A span the finest ring holds: each column is the min/max of exactly the
// results whose place falls into it.
TEST(StripHistoryTest, FineSpansAreTheResultsThemselves) {
  TStripHistory history(4800 * 60);
  const auto codes = Triangle(0, 3000);
  history.Add(codes.data(), nullptr, 3000);
  const int columns = 100;
  const auto out = history.Columns(0, 2000, columns);
  for (int j = 0; j < columns; ++j) {
    std::int32_t lo = 1 << 30, hi = -1;
    for (int i = 1000 + j * 20; i < 1000 + (j + 1) * 20; ++i) {
      lo = std::min(lo, codes[i]);
      hi = std::max(hi, codes[i]);
    }
    ASSERT_TRUE(out[j].valid);
    EXPECT_EQ(out[j].min, lo) << j;
    EXPECT_EQ(out[j].max, hi) << j;
  }
  EXPECT_FALSE(history.Columns(1, 2000, columns)[0].valid);  // CH1 not recorded
  // Asking for more than was recorded leaves the columns before the start empty.
  EXPECT_FALSE(history.Columns(0, 6000, columns)[0].valid);
  EXPECT_TRUE(history.Columns(0, 6000, columns)[99].valid);
}

// An hour at 4800 sps: the storage is what it was after a second, and the
// hour's columns still find the one spike and the one dip.
TEST(StripHistoryTest, AnHourKeepsFlatStorageAndEveryExtreme) {
  const std::int64_t hour = 4800LL * 3600;
  TStripHistory history(hour);
  std::vector<std::int32_t> block(4800, 8388608);
  history.Add(block.data(), block.data(), 4800);
  const std::size_t afterASecond = history.StorageBytes();
  for (std::int64_t s = 1; s < 3600; ++s) {
    std::fill(block.begin(), block.end(), 8388608 + static_cast<std::int32_t>(s % 10));
    if (s == 1234) block[17] = 9000000;
    if (s == 2345) block[4000] = 8000000;
    history.Add(block.data(), block.data(), 4800);
  }
  EXPECT_EQ(history.StorageBytes(), afterASecond);
  EXPECT_LT(afterASecond, 1u << 20);
  const auto out = history.Columns(1, hour, 556);
  std::int32_t lo = 1 << 30, hi = -1;
  for (const auto& c : out) {
    if (!c.valid) continue;
    lo = std::min(lo, c.min);
    hi = std::max(hi, c.max);
  }
  EXPECT_EQ(hi, 9000000);
  EXPECT_EQ(lo, 8000000);
  // The spike sits 1234 s into the hour: column 1234 / 3600 x 556.
  EXPECT_EQ(out[190].max, 9000000);
}

}  // namespace
}  // namespace velqoris
