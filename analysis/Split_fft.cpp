#include "analysis/Split_fft.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define VELQORIS_SPLIT_FFT 1
#endif

namespace velqoris::analysis {

namespace {

#if defined(VELQORIS_SPLIT_FFT)

struct Complex4 {
  __m256d re;
  __m256d im;
};

#define VELQORIS_AVX2 __attribute__((target("avx2,fma")))

VELQORIS_AVX2 inline Complex4 Load(const double* re, const double* im) {
  return {_mm256_loadu_pd(re), _mm256_loadu_pd(im)};
}

VELQORIS_AVX2 inline Complex4 Times(Complex4 a, __m256d wr, __m256d wi) {
  return {_mm256_fmsub_pd(a.re, wr, _mm256_mul_pd(a.im, wi)),
          _mm256_fmadd_pd(a.re, wi, _mm256_mul_pd(a.im, wr))};
}

// One radix-4 butterfly, four at once: a, b, c, d are x[p], x[p + n/4],
// x[p + n/2], x[p + 3n/4] of a sub-transform; the outputs before their
// twiddles are a + b + c + d, (a − c) − i(b − d), (a + c) − (b + d) and
// (a − c) + i(b − d).
struct Butterfly {
  Complex4 y0, t1, t2, t3;
};

VELQORIS_AVX2 inline Butterfly Radix4(Complex4 a, Complex4 b, Complex4 c, Complex4 d) {
  const __m256d apcR = _mm256_add_pd(a.re, c.re), apcI = _mm256_add_pd(a.im, c.im);
  const __m256d amcR = _mm256_sub_pd(a.re, c.re), amcI = _mm256_sub_pd(a.im, c.im);
  const __m256d bpdR = _mm256_add_pd(b.re, d.re), bpdI = _mm256_add_pd(b.im, d.im);
  const __m256d bmdR = _mm256_sub_pd(b.re, d.re), bmdI = _mm256_sub_pd(b.im, d.im);
  return {{_mm256_add_pd(apcR, bpdR), _mm256_add_pd(apcI, bpdI)},
          {_mm256_add_pd(amcR, bmdI), _mm256_sub_pd(amcI, bmdR)},
          {_mm256_sub_pd(apcR, bpdR), _mm256_sub_pd(apcI, bpdI)},
          {_mm256_sub_pd(amcR, bmdI), _mm256_add_pd(amcI, bmdR)}};
}

// Rows r0 … r3 of a 4 × 4 block become its columns.
VELQORIS_AVX2 inline void Transpose(__m256d& r0, __m256d& r1, __m256d& r2, __m256d& r3) {
  const __m256d t0 = _mm256_unpacklo_pd(r0, r1);
  const __m256d t1 = _mm256_unpackhi_pd(r0, r1);
  const __m256d t2 = _mm256_unpacklo_pd(r2, r3);
  const __m256d t3 = _mm256_unpackhi_pd(r2, r3);
  r0 = _mm256_permute2f128_pd(t0, t2, 0x20);
  r1 = _mm256_permute2f128_pd(t1, t3, 0x20);
  r2 = _mm256_permute2f128_pd(t0, t2, 0x31);
  r3 = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// The first pass (one sub-transform, stride 1): four consecutive p a step,
// each with its own twiddles; y[4p + k] takes output k of butterfly p, so
// the four butterflies' outputs are stored through a transpose.
VELQORIS_AVX2 void FirstPass(int n, const double* xr, const double* xi, double* yr, double* yi,
                             const double* w) {
  const int q = n / 4;
  for (int p = 0; p < q; p += 4) {
    const Butterfly b =
        Radix4(Load(xr + p, xi + p), Load(xr + p + q, xi + p + q),
               Load(xr + p + 2 * q, xi + p + 2 * q), Load(xr + p + 3 * q, xi + p + 3 * q));
    const Complex4 y1 = Times(b.t1, _mm256_loadu_pd(w + p), _mm256_loadu_pd(w + q + p));
    const Complex4 y2 = Times(b.t2, _mm256_loadu_pd(w + 2 * q + p), _mm256_loadu_pd(w + 3 * q + p));
    const Complex4 y3 = Times(b.t3, _mm256_loadu_pd(w + 4 * q + p), _mm256_loadu_pd(w + 5 * q + p));
    __m256d r0 = b.y0.re, r1 = y1.re, r2 = y2.re, r3 = y3.re;
    __m256d i0 = b.y0.im, i1 = y1.im, i2 = y2.im, i3 = y3.im;
    Transpose(r0, r1, r2, r3);
    Transpose(i0, i1, i2, i3);
    double* outR = yr + 4 * p;
    double* outI = yi + 4 * p;
    _mm256_storeu_pd(outR, r0);
    _mm256_storeu_pd(outR + 4, r1);
    _mm256_storeu_pd(outR + 8, r2);
    _mm256_storeu_pd(outR + 12, r3);
    _mm256_storeu_pd(outI, i0);
    _mm256_storeu_pd(outI + 4, i1);
    _mm256_storeu_pd(outI + 8, i2);
    _mm256_storeu_pd(outI + 12, i3);
  }
}

// A later pass: s sub-transforms of length n side by side (element j of
// sub-transform t at t + s·j); four of them a step, the twiddles shared.
VELQORIS_AVX2 void WidePass(int n, int s, const double* xr, const double* xi, double* yr,
                            double* yi, const double* w) {
  const int q = n / 4;
  for (int p = 0; p < q; ++p) {
    const __m256d w1r = _mm256_set1_pd(w[p]), w1i = _mm256_set1_pd(w[q + p]);
    const __m256d w2r = _mm256_set1_pd(w[2 * q + p]), w2i = _mm256_set1_pd(w[3 * q + p]);
    const __m256d w3r = _mm256_set1_pd(w[4 * q + p]), w3i = _mm256_set1_pd(w[5 * q + p]);
    const std::int64_t a = std::int64_t{s} * p;
    const std::int64_t step = std::int64_t{s} * q;
    const std::int64_t out = std::int64_t{s} * 4 * p;
    for (int t = 0; t < s; t += 4) {
      const Butterfly b =
          Radix4(Load(xr + a + t, xi + a + t), Load(xr + a + step + t, xi + a + step + t),
                 Load(xr + a + 2 * step + t, xi + a + 2 * step + t),
                 Load(xr + a + 3 * step + t, xi + a + 3 * step + t));
      const Complex4 y1 = Times(b.t1, w1r, w1i);
      const Complex4 y2 = Times(b.t2, w2r, w2i);
      const Complex4 y3 = Times(b.t3, w3r, w3i);
      _mm256_storeu_pd(yr + out + t, b.y0.re);
      _mm256_storeu_pd(yi + out + t, b.y0.im);
      _mm256_storeu_pd(yr + out + s + t, y1.re);
      _mm256_storeu_pd(yi + out + s + t, y1.im);
      _mm256_storeu_pd(yr + out + 2 * s + t, y2.re);
      _mm256_storeu_pd(yi + out + 2 * s + t, y2.im);
      _mm256_storeu_pd(yr + out + 3 * s + t, y3.re);
      _mm256_storeu_pd(yi + out + 3 * s + t, y3.im);
    }
  }
}

// The last pass of an odd power of two: s sub-transforms of length 2.
VELQORIS_AVX2 void Radix2Pass(int s, const double* xr, const double* xi, double* yr, double* yi) {
  for (int t = 0; t < s; t += 4) {
    const __m256d ar = _mm256_loadu_pd(xr + t), ai = _mm256_loadu_pd(xi + t);
    const __m256d br = _mm256_loadu_pd(xr + s + t), bi = _mm256_loadu_pd(xi + s + t);
    _mm256_storeu_pd(yr + t, _mm256_add_pd(ar, br));
    _mm256_storeu_pd(yi + t, _mm256_add_pd(ai, bi));
    _mm256_storeu_pd(yr + s + t, _mm256_sub_pd(ar, br));
    _mm256_storeu_pd(yi + s + t, _mm256_sub_pd(ai, bi));
  }
}

// z[j] = x[2j] + i x[2j+1], four j a step.
VELQORIS_AVX2 void Deinterleave(const double* x, std::size_t half, double* zr, double* zi) {
  std::size_t j = 0;
  for (; j + 4 <= half; j += 4) {
    const __m256d lo = _mm256_loadu_pd(x + 2 * j);
    const __m256d hi = _mm256_loadu_pd(x + 2 * j + 4);
    _mm256_storeu_pd(zr + j, _mm256_permute4x64_pd(_mm256_unpacklo_pd(lo, hi), 0xD8));
    _mm256_storeu_pd(zi + j, _mm256_permute4x64_pd(_mm256_unpackhi_pd(lo, hi), 0xD8));
  }
  for (; j < half; ++j) {
    zr[j] = x[2 * j];
    zi[j] = x[2 * j + 1];
  }
}

// Bins 1 … half − 1 of the real transform from Z, four a step: Z[k] from k
// on, Z[half − k] read backwards.
VELQORIS_AVX2 std::size_t RealBins(const double* re, const double* im, const double* wr,
                                   const double* wi, std::size_t half, std::complex<double>* out) {
  const __m256d h = _mm256_set1_pd(0.5);
  std::size_t k = 1;
  for (; k + 4 <= half; k += 4) {
    const __m256d ar = _mm256_loadu_pd(re + k), ai = _mm256_loadu_pd(im + k);
    const __m256d br = _mm256_permute4x64_pd(_mm256_loadu_pd(re + half - k - 3), 0x1B);
    const __m256d bi = _mm256_permute4x64_pd(_mm256_loadu_pd(im + half - k - 3), 0x1B);
    const __m256d er = _mm256_mul_pd(h, _mm256_add_pd(ar, br));
    const __m256d ei = _mm256_mul_pd(h, _mm256_sub_pd(ai, bi));
    const __m256d orr = _mm256_mul_pd(h, _mm256_add_pd(ai, bi));
    const __m256d oi = _mm256_mul_pd(h, _mm256_sub_pd(br, ar));
    const __m256d cr = _mm256_loadu_pd(wr + k), ci = _mm256_loadu_pd(wi + k);
    const __m256d xr = _mm256_add_pd(er, _mm256_fmsub_pd(cr, orr, _mm256_mul_pd(ci, oi)));
    const __m256d xi = _mm256_add_pd(ei, _mm256_fmadd_pd(cr, oi, _mm256_mul_pd(ci, orr)));
    const __m256d lo = _mm256_unpacklo_pd(xr, xi);
    const __m256d hi = _mm256_unpackhi_pd(xr, xi);
    double* o = reinterpret_cast<double*>(out + k);
    _mm256_storeu_pd(o, _mm256_permute2f128_pd(lo, hi, 0x20));
    _mm256_storeu_pd(o + 4, _mm256_permute2f128_pd(lo, hi, 0x31));
  }
  return k;
}

#endif

}  // namespace

bool SplitFft::Usable(int n) {
#if defined(VELQORIS_SPLIT_FFT)
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return avx2 && n >= 16 && (n & (n - 1)) == 0;
#else
  (void)n;
  return false;
#endif
}

SplitFft::SplitFft(int n) : n_(n), scratch_(4 * static_cast<std::size_t>(n)) {
  int s = 1;
  for (int len = n; len >= 4; len /= 4, s *= 4) {
    Pass pass{len, s, {}};
    const int q = len / 4;
    pass.twiddles.resize(6 * static_cast<std::size_t>(q));
    for (int k = 1; k <= 3; ++k) {
      for (int p = 0; p < q; ++p) {
        // k·p mod len keeps the angle below 2π, where it is most exact.
        const double angle =
            2.0 * std::numbers::pi * static_cast<double>((std::int64_t{k} * p) % len) / len;
        pass.twiddles[static_cast<std::size_t>((2 * k - 2) * q + p)] = std::cos(angle);
        pass.twiddles[static_cast<std::size_t>((2 * k - 1) * q + p)] = -std::sin(angle);
      }
    }
    passes_.push_back(std::move(pass));
    if (len / 4 == 2) radix2Last_ = true;
  }
}

void SplitFft::Forward(const double* inRe, const double* inIm, double* outRe, double* outIm) const {
#if defined(VELQORIS_SPLIT_FFT)
  const std::size_t n = static_cast<std::size_t>(n_);
  double* buffers[2][2] = {{scratch_.data(), scratch_.data() + n},
                           {scratch_.data() + 2 * n, scratch_.data() + 3 * n}};
  const std::size_t count = passes_.size() + (radix2Last_ ? 1 : 0);
  const double* xr = inRe;
  const double* xi = inIm;
  for (std::size_t i = 0; i < count; ++i) {
    const bool last = i + 1 == count;
    double* yr = last ? outRe : buffers[i % 2][0];
    double* yi = last ? outIm : buffers[i % 2][1];
    if (i < passes_.size()) {
      const Pass& pass = passes_[i];
      if (pass.s == 1) {
        FirstPass(pass.n, xr, xi, yr, yi, pass.twiddles.data());
      } else {
        WidePass(pass.n, pass.s, xr, xi, yr, yi, pass.twiddles.data());
      }
    } else {
      Radix2Pass(n_ / 2, xr, xi, yr, yi);
    }
    xr = yr;
    xi = yi;
  }
#else
  (void)inRe;
  (void)inIm;
  (void)outRe;
  (void)outIm;
#endif
}

}  // namespace velqoris::analysis

namespace velqoris::analysis {

SplitRealFft::SplitRealFft(int n) : half_(n / 2) {
  const auto m = static_cast<std::size_t>(n / 2);
  work_.resize(4 * m);
  turns_.resize(2 * m);
  for (std::size_t k = 0; k < m; ++k) {
    const double angle = std::numbers::pi * static_cast<double>(k) / static_cast<double>(m);
    turns_[k] = std::cos(angle);
    turns_[m + k] = -std::sin(angle);
  }
}

void SplitRealFft::Forward(const double* in, std::complex<double>* out) const {
  const auto half = static_cast<std::size_t>(half_.Size());
  double* zr = work_.data();
  double* zi = zr + half;
  double* re = zi + half;
  double* im = re + half;
  const double* wr = turns_.data();
  const double* wi = wr + half;
  std::size_t k = 1;
#if defined(VELQORIS_SPLIT_FFT)
  Deinterleave(in, half, zr, zi);
  half_.Forward(zr, zi, re, im);
  k = RealBins(re, im, wr, wi, half, out);
#endif
  // Both real ends come from bin 0: the sum and the alternating sum.
  out[0] = {re[0] + im[0], 0.0};
  out[half] = {re[0] - im[0], 0.0};
  for (; k < half; ++k) {
    const double er = 0.5 * (re[k] + re[half - k]), ei = 0.5 * (im[k] - im[half - k]);
    const double orr = 0.5 * (im[k] + im[half - k]), oi = 0.5 * (re[half - k] - re[k]);
    out[k] = {er + (wr[k] * orr - wi[k] * oi), ei + (wr[k] * oi + wi[k] * orr)};
  }
}

}  // namespace velqoris::analysis
