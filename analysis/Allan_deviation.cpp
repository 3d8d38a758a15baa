#include "analysis/Allan_deviation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/Chi_squared.h"
#include "analysis/Code_scale.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

// The sum of the codes (less mid-scale) on positions [from, to) and how many there are.
std::pair<std::int64_t, std::int64_t> RangeSum(const SampleGrid& grid, const std::int32_t* codes,
                                               std::int64_t from, std::int64_t to) {
  std::int64_t sum = 0;
  std::int64_t count = 0;
  for (const Stretch& s : grid.Stretches()) {
    const std::int64_t lo = std::max(from, s.gridStart);
    const std::int64_t hi = std::min(to, s.gridStart + s.length);
    for (std::int64_t q = lo; q < hi; ++q) {
      sum += codes[s.sampleStart + q - s.gridStart] - kMidScaleCode;
      ++count;
    }
  }
  return {sum, count};
}

struct Squares {
  double sum = 0.0;  // Σ (ȳ_{j+m} − ȳ_j)²
  std::int64_t terms = 0;
};

// Σ d² over a run of positions where all three ends lie in stretches and
// both windows are whole: d = B − A of the window sums, stepped exactly by
// e = x2 − 2 x1 + x0. Four positions at a time: e and its running sum in
// 32-bit lanes (codes below 2^24 keep them far from overflow), d in double
// (exact: |d| < 2^53).
double WholeRun(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2,
                std::int64_t len, std::int64_t& a, std::int64_t& d) {
  double total = 0.0;
  std::int64_t i = 0;
#if defined(__SSE2__)
  __m128d accLo = _mm_setzero_pd();
  __m128d accHi = _mm_setzero_pd();
  __m128d steps = _mm_setzero_pd();  // Σ (x1 − x0): window A moves on
  __m128d dv = _mm_set1_pd(static_cast<double>(d));
  for (; i + 4 <= len; i += 4) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x0 + i));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x1 + i));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x2 + i));
    const __m128i step = _mm_sub_epi32(v1, v0);
    const __m128i e = _mm_sub_epi32(_mm_sub_epi32(v2, v1), step);
    // Running sums of e within the four lanes; each term takes d before its own e.
    __m128i running = _mm_add_epi32(e, _mm_slli_si128(e, 4));
    running = _mm_add_epi32(running, _mm_slli_si128(running, 8));
    const __m128i before = _mm_sub_epi32(running, e);
    const __m128d lo = _mm_add_pd(dv, _mm_cvtepi32_pd(before));
    const __m128d hi = _mm_add_pd(dv, _mm_cvtepi32_pd(_mm_unpackhi_epi64(before, before)));
    accLo = _mm_add_pd(accLo, _mm_mul_pd(lo, lo));
    accHi = _mm_add_pd(accHi, _mm_mul_pd(hi, hi));
    dv = _mm_add_pd(dv, _mm_cvtepi32_pd(_mm_shuffle_epi32(running, 0xFF)));
    steps = _mm_add_pd(
        steps, _mm_add_pd(_mm_cvtepi32_pd(step), _mm_cvtepi32_pd(_mm_unpackhi_epi64(step, step))));
  }
  double lanes[2];
  _mm_storeu_pd(lanes, _mm_add_pd(accLo, accHi));
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
// the windows' counts do not change.
double PartialRun(const std::int32_t* x0, const std::int32_t* x1, const std::int32_t* x2,
                  std::int64_t len, std::int64_t& a, std::int64_t& b, double ra, double rb) {
  // a and b in double (exact below 2^53), two sums kept in registers.
  auto da = static_cast<double>(a);
  auto db = static_cast<double>(b);
  double even = 0.0;
  double odd = 0.0;
  std::int64_t i = 0;
  for (; i + 2 <= len; i += 2) {
    const double d0 = db * rb - da * ra;
    even += d0 * d0;
    da += x1[i] - x0[i];
    db += x2[i] - x1[i];
    const double d1 = db * rb - da * ra;
    odd += d1 * d1;
    da += x1[i + 1] - x0[i + 1];
    db += x2[i + 1] - x1[i + 1];
  }
  for (; i < len; ++i) {
    const double d = db * rb - da * ra;
    even += d * d;
    da += x1[i] - x0[i];
    db += x2[i] - x1[i];
  }
  a = static_cast<std::int64_t>(da);
  b = static_cast<std::int64_t>(db);
  return even + odd;
}

// Every term of the overlapping estimator at m: windows [p, p + m) and
// [p + m, p + 2m) for every p where both are usable. A window missing up to
// 1 % of its positions (m − ⌊m/100⌋ results) still averages well; whole
// windows sum integer differences and are divided by m² once at the end.
Squares SquaredDifferences(const std::int32_t* codes, const SampleGrid& grid, std::int64_t m) {
  const std::int64_t last = grid.Positions() - 2 * m;  // the last term's first position
  // Plain variables, not bindings: the term below captures them.
  const auto first = RangeSum(grid, codes, 0, m);
  const auto second = RangeSum(grid, codes, m, 2 * m);
  std::int64_t a = first.first, ca = first.second;
  std::int64_t b = second.first, cb = second.second;
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

// The non-overlapping averages of every octave m = 2^k in one pass: each
// level's pair of blocks makes one block of the next (sums and counts go up).
class Pyramid {
 public:
  explicit Pyramid(int levels) : levels_(static_cast<std::size_t>(levels)) {}
  void Push(std::int64_t sum, std::int64_t count) {
    for (std::size_t level = 0; level < levels_.size(); ++level) {
      Level& l = levels_[level];
      const std::int64_t m = std::int64_t{1} << level;
      // A million averages pin the type down; more would only cost time.
      if (l.type.Count() < kIdentifyMost && count > 0 && count >= m - m / 100) {
        l.type.Add(static_cast<double>(sum) / static_cast<double>(count));
      } else if (l.type.Count() < kIdentifyMost) {
        l.type.Break();
      }
      if (!l.half) {
        l.half = true;
        l.sum = sum;
        l.count = count;
        return;
      }
      l.half = false;
      sum += l.sum;
      count += l.count;
    }
  }
  const NoiseType& At(std::size_t level) const { return levels_[level].type; }

 private:
  struct Level {
    NoiseType type;
    bool half = false;
    std::int64_t sum = 0;
    std::int64_t count = 0;
  };
  std::vector<Level> levels_;
};

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
  Pyramid pyramid(levels);
  std::int64_t q = 0;
  for (const Stretch& s : grid.Stretches()) {
    for (; q < s.gridStart; ++q) pyramid.Push(0, 0);
    const std::int32_t* v = codes + s.sampleStart;
    for (std::int64_t i = 0; i < s.length; ++i) pyramid.Push(v[i] - kMidScaleCode, 1);
    q = s.gridStart + s.length;
  }
  int alpha = 0;
  for (int level = 0; level < levels; ++level) {
    const std::int64_t m = std::int64_t{1} << level;
    const Squares sq = SquaredDifferences(codes, grid, m);
    if (pyramid.At(static_cast<std::size_t>(level)).Count() >= kIdentifyAverages) {
      alpha = pyramid.At(static_cast<std::size_t>(level)).Alpha().value_or(alpha);
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
