#include "analysis/Allan_deviation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/Chi_squared.h"
#include "analysis/Code_scale.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define VELQORIS_ALLAN_AVX2 1
#endif

namespace velqoris::analysis {

namespace {

// A position on the grid walking forward through the stretches.
class Cursor {
 public:
  Cursor(const SampleGrid& grid, const std::int32_t* codes, std::int64_t position)
      : s_(grid.Stretches()), codes_(codes), q_(position) {
    Settle();
  }
  bool Present() const { return k_ < s_.size() && q_ >= s_[k_].gridStart; }
  // Steps for which Present() stays as it is.
  std::int64_t Run() const {
    if (k_ >= s_.size()) return std::numeric_limits<std::int64_t>::max();
    return Present() ? s_[k_].gridStart + s_[k_].length - q_ : s_[k_].gridStart - q_;
  }
  // The codes from here on (Present() only).
  const std::int32_t* Codes() const {
    return codes_ + s_[k_].sampleStart + (q_ - s_[k_].gridStart);
  }
  void Advance(std::int64_t steps) {
    q_ += steps;
    Settle();
  }

 private:
  void Settle() {
    while (k_ < s_.size() && s_[k_].gridStart + s_[k_].length <= q_) ++k_;
  }
  const std::vector<Stretch>& s_;
  const std::int32_t* codes_;
  std::int64_t q_;
  std::size_t k_ = 0;
};

// The sums (less mid-scale) and counts of consecutive blocks of `size`
// positions from position 0, one block at a time.
class Blocks {
 public:
  Blocks(const std::int32_t* codes, const SampleGrid& grid, std::int64_t size)
      : s_(grid.Stretches()), codes_(codes), size_(size), positions_(grid.Positions()) {}
  bool Next(std::int64_t& sum, std::int64_t& count) {
    if (q_ + size_ > positions_) return false;
    const std::int64_t end = q_ + size_;
    sum = 0;
    count = 0;
    for (; k_ < s_.size() && s_[k_].gridStart < end; ++k_) {
      const Stretch& s = s_[k_];
      const std::int64_t lo = std::max(q_, s.gridStart);
      const std::int64_t hi = std::min(end, s.gridStart + s.length);
      const std::int32_t* v = codes_ + s.sampleStart + (lo - s.gridStart);
      std::int64_t part = 0;
      for (std::int64_t i = 0; i < hi - lo; ++i) part += v[i];
      sum += part - (hi - lo) * std::int64_t{kMidScaleCode};
      count += hi - lo;
      if (s.gridStart + s.length > end) break;  // the stretch goes on into the next block
    }
    q_ = end;
    return true;
  }

 private:
  const std::vector<Stretch>& s_;
  const std::int32_t* codes_;
  std::int64_t size_;
  std::int64_t positions_;
  std::size_t k_ = 0;
  std::int64_t q_ = 0;
};

struct Squares {
  double sum = 0.0;  // Σ (ȳ_{j+m} − ȳ_j)²
  std::int64_t terms = 0;
};

// Σ d² over a run of positions where all three ends lie in stretches and
// both windows are whole: d = B − A of the window sums, stepped exactly by
// e = x2 − 2 x1 + x0. Blocks of four positions: e and its running sum in
// 32-bit lanes (codes below 2^24 keep them far from overflow), d in double
// (exact: |d| < 2^53), the squares summed per position modulo four, block
// after block. AVX2 takes two blocks a step and keeps those sums in that
// order: the total is the same to the bit either way.
#if defined(__SSE2__)
struct Block4 {
  __m128i step;
  __m128i e;
  __m128i running;  // Σ e within the block, inclusive
};

// Σ e within a block of four, inclusive.
inline __m128i RunningSum(__m128i e) {
  const __m128i pairs = _mm_add_epi32(e, _mm_slli_si128(e, 4));
  return _mm_add_epi32(pairs, _mm_slli_si128(pairs, 8));
}

inline Block4 LoadBlock(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2) {
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x0));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x1));
  const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x2));
  Block4 b;
  b.step = _mm_sub_epi32(v1, v0);
  b.e = _mm_sub_epi32(_mm_sub_epi32(v2, v1), b.step);
  b.running = RunningSum(b.e);
  return b;
}

// A window's steps (the code entering less the code leaving) at four
// positions, and their running sum within the block.
struct Steps {
  __m128i e;
  __m128i running;
};

inline Steps LoadSteps(const std::int32_t* leaving, const std::int32_t* entering) {
  const __m128i e = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entering)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving)));
  return {e, RunningSum(e)};
}

// The squares of d at a block's four positions (each term takes d before its own e).
inline void AddSquares(__m128d dv, __m128i before, __m128d& lo, __m128d& hi) {
  const __m128d a = _mm_add_pd(dv, _mm_cvtepi32_pd(before));
  const __m128d b = _mm_add_pd(dv, _mm_cvtepi32_pd(_mm_unpackhi_epi64(before, before)));
  lo = _mm_add_pd(lo, _mm_mul_pd(a, a));
  hi = _mm_add_pd(hi, _mm_mul_pd(b, b));
}

inline __m128d Widen(__m128i v) {
  return _mm_add_pd(_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v)));
}

// Two blocks a step while eight positions are left; where it stopped.
std::int64_t WholeRunSse2(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2,
                          std::int64_t len, __m128d (&sums)[2], __m128d& dv, __m128d& steps) {
  std::int64_t i = 0;
  for (; i + 8 <= len; i += 8) {
    const Block4 first = LoadBlock(x0 + i, x1 + i, x2 + i);
    const Block4 second = LoadBlock(x0 + i + 4, x1 + i + 4, x2 + i + 4);
    const __m128i running = _mm_add_epi32(second.running, _mm_shuffle_epi32(first.running, 0xFF));
    AddSquares(dv, _mm_sub_epi32(first.running, first.e), sums[0], sums[1]);
    AddSquares(dv, _mm_sub_epi32(running, second.e), sums[0], sums[1]);
    dv = _mm_add_pd(dv, _mm_cvtepi32_pd(_mm_shuffle_epi32(running, 0xFF)));
    steps = _mm_add_pd(steps, Widen(_mm_add_epi32(first.step, second.step)));
  }
  return i;
}
#endif

#if defined(VELQORIS_ALLAN_AVX2)
__attribute__((target("avx2"))) std::int64_t WholeRunAvx2(const std::int32_t* x0,
                                                          const std::int32_t* x1,
                                                          const std::int32_t* x2, std::int64_t len,
                                                          __m128d (&sums)[2], __m128d& dv,
                                                          __m128d& steps) {
  __m256d squares = _mm256_set_m128d(sums[1], sums[0]);  // per position modulo four
  __m256d d = _mm256_set_m128d(dv, dv);
  __m256d moved = _mm256_setzero_pd();
  const __m256i lastOfLow = _mm256_set1_epi32(3);
  const __m256i last = _mm256_set1_epi32(7);
  std::int64_t i = 0;
  for (; i + 8 <= len; i += 8) {
    const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x0 + i));
    const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x1 + i));
    const __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x2 + i));
    const __m256i step = _mm256_sub_epi32(v1, v0);
    const __m256i e = _mm256_sub_epi32(_mm256_sub_epi32(v2, v1), step);
    // Running sums within each half, then the low half's total carried up.
    __m256i running = _mm256_add_epi32(e, _mm256_slli_si256(e, 4));
    running = _mm256_add_epi32(running, _mm256_slli_si256(running, 8));
    running = _mm256_add_epi32(
        running, _mm256_blend_epi32(_mm256_setzero_si256(),
                                    _mm256_permutevar8x32_epi32(running, lastOfLow), 0xF0));
    const __m256i before = _mm256_sub_epi32(running, e);
    const __m256d lo = _mm256_add_pd(d, _mm256_cvtepi32_pd(_mm256_castsi256_si128(before)));
    const __m256d hi = _mm256_add_pd(d, _mm256_cvtepi32_pd(_mm256_extracti128_si256(before, 1)));
    squares = _mm256_add_pd(squares, _mm256_mul_pd(lo, lo));
    squares = _mm256_add_pd(squares, _mm256_mul_pd(hi, hi));
    d = _mm256_add_pd(
        d, _mm256_cvtepi32_pd(_mm256_castsi256_si128(_mm256_permutevar8x32_epi32(running, last))));
    const __m128i pair =
        _mm_add_epi32(_mm256_castsi256_si128(step), _mm256_extracti128_si256(step, 1));
    moved = _mm256_add_pd(moved, _mm256_cvtepi32_pd(pair));
  }
  sums[0] = _mm256_castpd256_pd128(squares);
  sums[1] = _mm256_extractf128_pd(squares, 1);
  dv = _mm256_castpd256_pd128(d);
  // Exact integers: the order of the steps' sum does not matter.
  steps =
      _mm_add_pd(steps, _mm_add_pd(_mm256_castpd256_pd128(moved), _mm256_extractf128_pd(moved, 1)));
  return i;
}
#endif

double WholeRun(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2,
                std::int64_t len, std::int64_t& a, std::int64_t& d) {
  double total = 0.0;
  std::int64_t i = 0;
#if defined(__SSE2__)
  __m128d sums[2] = {_mm_setzero_pd(), _mm_setzero_pd()};
  __m128d steps = _mm_setzero_pd();  // Σ (x1 − x0): window A moves on
  __m128d dv = _mm_set1_pd(static_cast<double>(d));
#if defined(VELQORIS_ALLAN_AVX2)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  i = avx2 ? WholeRunAvx2(x0, x1, x2, len, sums, dv, steps)
           : WholeRunSse2(x0, x1, x2, len, sums, dv, steps);
#else
  i = WholeRunSse2(x0, x1, x2, len, sums, dv, steps);
#endif
  for (; i + 4 <= len; i += 4) {
    const Block4 b = LoadBlock(x0 + i, x1 + i, x2 + i);
    AddSquares(dv, _mm_sub_epi32(b.running, b.e), sums[0], sums[1]);
    dv = _mm_add_pd(dv, _mm_cvtepi32_pd(_mm_shuffle_epi32(b.running, 0xFF)));
    steps = _mm_add_pd(steps, Widen(b.step));
  }
  double lanes[2];
  _mm_storeu_pd(lanes, _mm_add_pd(sums[0], sums[1]));
  total = lanes[0] + lanes[1];
  _mm_storeu_pd(lanes, steps);
  a += static_cast<std::int64_t>(lanes[0] + lanes[1]);
  d = static_cast<std::int64_t>(_mm_cvtsd_f64(dv));
#endif
  for (; i < len; ++i) {
    const auto dd = static_cast<double>(d);
    total += dd * dd;
    d += std::int64_t{x2[i]} - 2 * std::int64_t{x1[i]} + x0[i];
    a += std::int64_t{x1[i]} - x0[i];
  }
  return total;
}

// Σ (B/cb − A/ca)² over a run where all three ends lie in stretches and
// the windows' counts do not change. a and b in double (exact below 2^53).
// With AVX2, four positions a step: the steps' running sums in 32-bit lanes,
// so every term is the one a position-by-position walk makes; only the
// order in which the squares are added differs.
#if defined(VELQORIS_ALLAN_AVX2)
__attribute__((target("avx2"))) std::int64_t PartialRunAvx2(
    const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2, std::int64_t len,
    double& da, double& db, double ra, double rb, double& total) {
  __m256d sums = _mm256_setzero_pd();
  const __m256d vra = _mm256_set1_pd(ra);
  const __m256d vrb = _mm256_set1_pd(rb);
  __m256d va = _mm256_set1_pd(da);
  __m256d vb = _mm256_set1_pd(db);
  std::int64_t i = 0;
  for (; i + 4 <= len; i += 4) {
    const Steps a = LoadSteps(x0 + i, x1 + i);
    const Steps b = LoadSteps(x1 + i, x2 + i);
    const __m256d ai = _mm256_add_pd(va, _mm256_cvtepi32_pd(_mm_sub_epi32(a.running, a.e)));
    const __m256d bi = _mm256_add_pd(vb, _mm256_cvtepi32_pd(_mm_sub_epi32(b.running, b.e)));
    const __m256d d = _mm256_sub_pd(_mm256_mul_pd(bi, vrb), _mm256_mul_pd(ai, vra));
    sums = _mm256_add_pd(sums, _mm256_mul_pd(d, d));
    va = _mm256_add_pd(va, _mm256_cvtepi32_pd(_mm_shuffle_epi32(a.running, 0xFF)));
    vb = _mm256_add_pd(vb, _mm256_cvtepi32_pd(_mm_shuffle_epi32(b.running, 0xFF)));
  }
  double lanes[4];
  _mm256_storeu_pd(lanes, sums);
  total += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
  da = _mm256_cvtsd_f64(va);
  db = _mm256_cvtsd_f64(vb);
  return i;
}
#endif

double PartialRun(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2,
                  std::int64_t len, std::int64_t& a, std::int64_t& b, double ra, double rb) {
  auto da = static_cast<double>(a);
  auto db = static_cast<double>(b);
  double total = 0.0;
  std::int64_t i = 0;
#if defined(VELQORIS_ALLAN_AVX2)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) i = PartialRunAvx2(x0, x1, x2, len, da, db, ra, rb, total);
#endif
  for (; i < len; ++i) {
    const double d = db * rb - da * ra;
    total += d * d;
    da += x1[i] - x0[i];
    db += x2[i] - x1[i];
  }
  a = static_cast<std::int64_t>(da);
  b = static_cast<std::int64_t>(db);
  return total;
}

// Every term of the overlapping estimator at m: windows [p, p + m) and
// [p + m, p + 2m) for every p where both are usable. A window missing up to
// 1 % of its positions (m − ⌊m/100⌋ results) still averages well; whole
// windows sum integer differences and are divided by m² once at the end.
Squares SquaredDifferences(const std::int32_t* codes, const SampleGrid& grid, std::int64_t m) {
  const std::int64_t last = grid.Positions() - 2 * m;  // the last term's first position
  // The first two windows: [0, m) and [m, 2m).
  std::int64_t a = 0, ca = 0, b = 0, cb = 0;
  Blocks windows(codes, grid, m);
  windows.Next(a, ca);
  windows.Next(b, cb);
  const std::int64_t need = m - m / 100;
  double whole = 0.0;
  double partial = 0.0;
  std::int64_t terms = 0;
  const auto term = [&] {
    if (ca == m && cb == m) {
      const auto d = static_cast<double>(b - a);
      whole += d * d;
      ++terms;
    } else if (ca >= need && cb >= need && ca > 0 && cb > 0) {
      const double d = static_cast<double>(b) / static_cast<double>(cb) -
                       static_cast<double>(a) / static_cast<double>(ca);
      partial += d * d;
      ++terms;
    }
  };
  Cursor c0(grid, codes, 0), c1(grid, codes, m), c2(grid, codes, 2 * m);
  for (std::int64_t p = 0; p < last;) {
    const std::int64_t len = std::min({c0.Run(), c1.Run(), c2.Run(), last - p});
    const bool in0 = c0.Present(), in1 = c1.Present(), in2 = c2.Present();
    if (in0 && in1 && in2 && ca == m && cb == m) {
      std::int64_t d = b - a;
      whole += WholeRun(c0.Codes(), c1.Codes(), c2.Codes(), len, a, d);
      b = a + d;
      terms += len;
    } else if (in0 && in1 && in2) {
      // The counts stay as they are (a gap inside a window, not at its ends):
      // usable or not for the whole run, each mean a product with 1 / count.
      if (ca >= need && cb >= need && ca > 0 && cb > 0) {
        partial += PartialRun(c0.Codes(), c1.Codes(), c2.Codes(), len, a, b,
                              1.0 / static_cast<double>(ca), 1.0 / static_cast<double>(cb));
        terms += len;
      } else {
        const std::int32_t* x0 = c0.Codes();
        const std::int32_t* x1 = c1.Codes();
        const std::int32_t* x2 = c2.Codes();
        for (std::int64_t i = 0; i < len; ++i) {
          a += std::int64_t{x1[i]} - x0[i];
          b += std::int64_t{x2[i]} - x1[i];
        }
      }
    } else {
      const std::int32_t* x0 = in0 ? c0.Codes() : nullptr;
      const std::int32_t* x1 = in1 ? c1.Codes() : nullptr;
      const std::int32_t* x2 = in2 ? c2.Codes() : nullptr;
      for (std::int64_t i = 0; i < len; ++i) {
        term();
        const std::int64_t v0 = in0 ? x0[i] - kMidScaleCode : 0;
        const std::int64_t v1 = in1 ? x1[i] - kMidScaleCode : 0;
        const std::int64_t v2 = in2 ? x2[i] - kMidScaleCode : 0;
        a += v1 - v0;
        ca += int{in1} - int{in0};
        b += v2 - v1;
        cb += int{in2} - int{in1};
      }
    }
    p += len;
    c0.Advance(len);
    c1.Advance(len);
    c2.Advance(len);
  }
  term();  // at the last position: no step after it
  const auto mm = static_cast<double>(m);
  return {whole / (mm * mm) + partial, terms};
}

// Lag-1 autocorrelation of a series, its first and its second differences,
// streamed: the noise type by the lag-1 autocorrelation method (Riley and
// Greenhall): δ = r1 / (1 + r1); difference until δ < 0.25 (at most twice);
// α = −round(2δ) − 2 × differences.
class NoiseType {
 public:
  void Add(double z) {
    if (count_ == 0) origin_ = z;
    z -= origin_;
    series_[0].Add(z, joined_ >= 1);
    if (joined_ >= 1) {
      const double d1 = z - previous_;
      series_[1].Add(d1, joined_ >= 2);
      if (joined_ >= 2) series_[2].Add(d1 - previousDifference_, joined_ >= 3);
      previousDifference_ = d1;
    }
    previous_ = z;
    ++count_;
    ++joined_;
  }
  // A missing average: the series goes on, but nothing is joined across it.
  void Break() { joined_ = 0; }
  std::int64_t Count() const { return count_; }
  std::optional<int> Alpha() const {
    for (int d = 0; d <= 2; ++d) {
      const auto r1 = series_[d].R1();
      if (!r1) return std::nullopt;
      const double delta = *r1 / (1.0 + *r1);
      if (delta < 0.25 || d == 2) {
        return std::clamp(static_cast<int>(-std::lround(2.0 * delta)) - 2 * d, -2, 2);
      }
    }
    return std::nullopt;
  }

 private:
  struct Lag1 {
    double n = 0.0, s1 = 0.0, s2 = 0.0, s11 = 0.0, pairs = 0.0, pairSum = 0.0;
    double last = 0.0;
    void Add(double x, bool joined) {
      if (joined) {
        s11 += last * x;
        pairSum += last + x;
        pairs += 1.0;
      }
      n += 1.0;
      s1 += x;
      s2 += x * x;
      last = x;
    }
    std::optional<double> R1() const {
      if (n < 3.0 || pairs < 2.0) return std::nullopt;
      const double mean = s1 / n;
      const double variance = s2 - n * mean * mean;
      if (!(variance > 0.0)) return std::nullopt;
      const double r = (s11 - mean * pairSum + pairs * mean * mean) / variance;
      return std::clamp(r, -0.999, 0.999);
    }
  };
  Lag1 series_[3];
  double origin_ = 0.0;
  double previous_ = 0.0;
  double previousDifference_ = 0.0;
  std::int64_t count_ = 0;
  int joined_ = 0;
};

constexpr std::int64_t kIdentifyMost = std::int64_t{1} << 20;

// One average of m positions for the noise type at m; one missing more than
// 1 % of its positions breaks the series. A million averages pin the type
// down; more would only cost time.
void Identify(NoiseType& type, std::int64_t m, std::int64_t sum, std::int64_t count) {
  if (type.Count() >= kIdentifyMost) return;
  if (count > 0 && count >= m - m / 100) {
    type.Add(static_cast<double>(sum) / static_cast<double>(count));
  } else {
    type.Break();
  }
}

// The noise type at every octave m = 2^k from the non-overlapping averages.
// Below the level where a million averages span the record, the first
// averages are summed straight from the codes; from it on, each level's
// blocks are the level below's pairs.
std::vector<NoiseType> IdentifyNoise(const std::int32_t* codes, const SampleGrid& grid,
                                     int levels) {
  std::vector<NoiseType> types(static_cast<std::size_t>(levels));
  int whole = 0;
  while ((grid.Positions() >> whole) > kIdentifyMost) ++whole;
  std::int64_t sum = 0;
  std::int64_t count = 0;
  for (int level = 0; level < std::min(whole, levels); ++level) {
    const std::int64_t m = std::int64_t{1} << level;
    NoiseType& type = types[static_cast<std::size_t>(level)];
    Blocks blocks(codes, grid, m);
    while (type.Count() < kIdentifyMost && blocks.Next(sum, count)) Identify(type, m, sum, count);
  }
  if (whole >= levels) return types;
  std::vector<std::int64_t> sums;
  std::vector<std::int64_t> counts;
  Blocks blocks(codes, grid, std::int64_t{1} << whole);
  while (blocks.Next(sum, count)) {
    sums.push_back(sum);
    counts.push_back(count);
  }
  for (int level = whole; level < levels; ++level) {
    const std::int64_t m = std::int64_t{1} << level;
    NoiseType& type = types[static_cast<std::size_t>(level)];
    for (std::size_t j = 0; j < sums.size(); ++j) Identify(type, m, sums[j], counts[j]);
    const std::size_t pairs = sums.size() / 2;
    for (std::size_t j = 0; j < pairs; ++j) {
      sums[j] = sums[2 * j] + sums[2 * j + 1];
      counts[j] = counts[2 * j] + counts[2 * j + 1];
    }
    sums.resize(pairs);
    counts.resize(pairs);
  }
  return types;
}

// The lag-1 method needs about 30 averages; with fewer, the type found at
// the τ below is kept.
constexpr std::int64_t kIdentifyAverages = 32;

}  // namespace

double AllanEdf(double n, double m, int alpha) {
  double edf = n - 1.0;
  switch (alpha) {
    case 2:
      edf = (n + 1.0) * (n - 2.0 * m) / (2.0 * (n - m));
      break;
    case 1:
      edf = std::exp(
          std::sqrt(std::log((n - 1.0) / (2.0 * m)) * std::log((2.0 * m + 1.0) * (n - 1.0) / 4.0)));
      break;
    case 0:
      edf =
          (3.0 * (n - 1.0) / (2.0 * m) - 2.0 * (n - 2.0) / n) * (4.0 * m * m / (4.0 * m * m + 5.0));
      break;
    case -1:
      edf = m == 1.0 ? 2.0 * (n - 2.0) * (n - 2.0) / (2.3 * n - 4.9)
                     : 5.0 * n * n / (4.0 * m * (n + 3.0 * m));
      break;
    default:  // −2 and below: random walk
      edf = (n - 2.0) / m * ((n - 1.0) * (n - 1.0) - 3.0 * m * (n - 1.0) + 4.0 * m * m) /
            ((n - 3.0) * (n - 3.0));
      break;
  }
  return std::isfinite(edf) ? std::max(edf, 1.0) : 1.0;
}

AllanDeviation ComputeAllanDeviation(const std::int32_t* codes, const SampleGrid& grid,
                                     double rateSps, std::optional<double> microvoltsPerCode) {
  AllanDeviation result;
  const std::int64_t positions = grid.Positions();
  if (codes == nullptr || positions < 4 || !(rateSps > 0.0)) return result;
  int levels = 0;
  while ((std::int64_t{1} << levels) <= positions / 4) ++levels;
  const std::vector<NoiseType> types = IdentifyNoise(codes, grid, levels);
  int alpha = 0;
  for (int level = 0; level < levels; ++level) {
    const std::int64_t m = std::int64_t{1} << level;
    const Squares sq = SquaredDifferences(codes, grid, m);
    const NoiseType& type = types[static_cast<std::size_t>(level)];
    if (type.Count() >= kIdentifyAverages) {
      alpha = type.Alpha().value_or(alpha);
    }
    if (sq.terms < kMinAllanTerms) continue;
    AllanPoint p;
    p.m = m;
    p.tauSeconds = static_cast<double>(m) / rateSps;
    p.codes = std::sqrt(sq.sum / (2.0 * static_cast<double>(sq.terms)));
    if (microvoltsPerCode) {
      p.microvolts = p.codes * *microvoltsPerCode;
      p.nanovolts = *p.microvolts * 1000.0;
    }
    p.terms = sq.terms;
    p.alpha = alpha;
    // The terms span terms + 2m − 1 results, N = terms + 2m phase points.
    p.edf = AllanEdf(static_cast<double>(sq.terms + 2 * m), static_cast<double>(m), alpha);
    p.lowFraction = std::sqrt(p.edf / ChiSquaredQuantile(kOneSigmaHigh, p.edf));
    p.highFraction = std::sqrt(p.edf / ChiSquaredQuantile(kOneSigmaLow, p.edf));
    result.points.push_back(p);
  }
  for (std::size_t i = 0; i < result.points.size(); ++i) {
    if (result.points[i].edf < kMinimumEdf) continue;
    if (!result.minimum || result.points[i].codes < result.points[*result.minimum].codes) {
      result.minimum = i;
    }
  }
  return result;
}

}  // namespace velqoris::analysis
