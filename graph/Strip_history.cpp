#include "graph/Strip_history.h"

#include <algorithm>

namespace velqoris {

namespace {

void Merge(TStripHistory::Bucket& into, const TStripHistory::Bucket& b, bool first) {
  if (first) {
    into = b;
    return;
  }
  into.min = std::min(into.min, b.min);
  into.max = std::max(into.max, b.max);
}

}  // namespace

TStripHistory::TStripHistory(std::int64_t longest) {
  std::int64_t size = 1;
  do {
    Ring ring;
    ring.size = size;
    for (auto& b : ring.buckets) b.resize(kCapacity);
    rings_.push_back(std::move(ring));
    size *= kFactor;
  } while (rings_.back().size * kCapacity < longest);
}

void TStripHistory::Push(std::size_t level, const Bucket (&b)[2]) {
  // b is one result (level 0) or a finished bucket of the ring below.
  Ring& ring = rings_[level];
  for (int ch = 0; ch < 2; ++ch) Merge(ring.partial[ch], b[ch], ring.filled == 0);
  ring.filled += level == 0 ? 1 : rings_[level - 1].size;
  if (ring.filled < ring.size) return;
  const auto slot = static_cast<std::size_t>(ring.done % kCapacity);
  for (int ch = 0; ch < 2; ++ch) ring.buckets[ch][slot] = ring.partial[ch];
  ++ring.done;
  ring.filled = 0;
  if (level + 1 < rings_.size()) Push(level + 1, ring.partial);
}

void TStripHistory::Add(const std::int32_t* codes0, const std::int32_t* codes1, int count) {
  if (codes0 != nullptr) holds_[0] = true;
  if (codes1 != nullptr) holds_[1] = true;
  for (int i = 0; i < count; ++i) {
    const std::int32_t c0 = codes0 != nullptr ? codes0[i] : 0;
    const std::int32_t c1 = codes1 != nullptr ? codes1[i] : 0;
    const Bucket b[2] = {{c0, c0}, {c1, c1}};
    Push(0, b);
    ++count_;
  }
}

std::vector<TStripHistory::Column> TStripHistory::Columns(int channel, std::int64_t span,
                                                          int columns) const {
  std::vector<Column> out(static_cast<std::size_t>(std::max(columns, 0)));
  const int ch = channel == 1 ? 1 : 0;
  if (columns <= 0 || span <= 0 || !holds_[ch]) return out;
  // The finest ring that reaches back the whole span, else the coarsest.
  std::size_t level = 0;
  while (level + 1 < rings_.size() && rings_[level].size * kCapacity < span) ++level;
  const Ring& ring = rings_[level];
  const std::int64_t start = count_ - span;
  // The oldest result still in this ring's completed buckets.
  const std::int64_t kept = std::max<std::int64_t>(ring.done - kCapacity, 0) * ring.size;
  for (std::int64_t b = std::max(start, kept) / ring.size; b <= ring.done; ++b) {
    const std::int64_t first = b * ring.size;
    const bool partial = b == ring.done;
    if (partial && ring.filled == 0) break;
    const std::int64_t last = first + (partial ? ring.filled : ring.size) - 1;
    if (last < start) continue;
    const Bucket& bucket =
        partial ? ring.partial[ch] : ring.buckets[ch][static_cast<std::size_t>(b % kCapacity)];
    // Every column the bucket's results reach: a column is never left with
    // only part of what fell into it.
    const auto columnOf = [&](std::int64_t result) {
      return std::min<std::int64_t>((result - start) * columns / span, columns - 1);
    };
    for (std::int64_t j = columnOf(std::max(first, start)); j <= columnOf(last); ++j) {
      Column& c = out[static_cast<std::size_t>(j)];
      if (!c.valid) {
        c = {bucket.min, bucket.max, true};
      } else {
        c.min = std::min(c.min, bucket.min);
        c.max = std::max(c.max, bucket.max);
      }
    }
  }
  return out;
}

std::size_t TStripHistory::StorageBytes() const {
  std::size_t bytes = 0;
  for (const Ring& ring : rings_) {
    for (const auto& b : ring.buckets) bytes += b.capacity() * sizeof(Bucket);
  }
  return bytes;
}

}  // namespace velqoris
