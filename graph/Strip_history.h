// What a strip chart keeps of a recording of any length: for each channel,
// rings of min/max buckets, the finest one bucket per result, each next one
// four times coarser, as many as the longest span needs. Older results live
// on only inside coarser buckets, so memory is the same after a minute or
// after a day; the file holds every result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velqoris {

class TStripHistory {
 public:
  static constexpr int kCapacity = 4096;  // buckets per ring
  static constexpr int kFactor = 4;       // results per bucket grow by this per ring

  struct Bucket {
    std::int32_t min = 0;
    std::int32_t max = 0;
  };

  // longest: results the longest span shows (the rings reach at least that far back).
  explicit TStripHistory(std::int64_t longest);

  // One block of results; a channel's array is null when it is not recorded.
  void Add(const std::int32_t* codes0, const std::int32_t* codes1, int count);
  std::int64_t Count() const { return count_; }
  bool Holds(int channel) const { return holds_[channel == 1 ? 1 : 0]; }

  // Min and max of the last span results in columns equal parts, the oldest
  // first; a column with nothing kept (before the start, or older than the
  // rings reach) has valid false.
  struct Column {
    std::int32_t min = 0;
    std::int32_t max = 0;
    bool valid = false;
  };
  std::vector<Column> Columns(int channel, std::int64_t span, int columns) const;

  // Bytes held for the buckets: fixed when constructed.
  std::size_t StorageBytes() const;

 private:
  struct Ring {
    std::int64_t size = 1;  // results per bucket
    std::vector<Bucket> buckets[2];
    Bucket partial[2];        // the bucket being filled
    std::int64_t filled = 0;  // results in the partial bucket
    std::int64_t done = 0;    // completed buckets so far
  };
  void Push(std::size_t level, const Bucket (&b)[2]);

  std::vector<Ring> rings_;
  std::int64_t count_ = 0;
  bool holds_[2] = {false, false};
};

}  // namespace velqoris
