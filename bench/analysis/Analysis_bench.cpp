// Targets: noise analysis of a two-channel run of 10000 samples (histograms
// included) under 0.5 ms; spectrum and figures (the least-squares model of
// the record) of 10000 samples under 2 ms, with harmonics and pickup too.
// The worst lengths up to 10100 show what Bluestein's algorithm costs. One
// segment's real transform of a long log's averaged spectrum (131072
// values): the split-array radix-4 transform where AVX2 is there, KissFFT
// otherwise (about 1.1 ms on the build machine).
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Fft.h"

namespace {

using namespace velqoris;

std::vector<std::int32_t> Run(int n, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> noise(0.0, 40.0);
  std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double v = 8388608.0 + 1.0e6 * std::sin(2.0 * std::numbers::pi * 0.0371 * i) + noise(rng);
    codes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(v));
  }
  return codes;
}

MeasureSettings Settings() {
  MeasureSettings s;
  s.spsSel = 12;
  s.GainSel = 5;
  s.Gain = 128;
  return s;
}

void BM_NoiseTwoChannels10000(benchmark::State& state) {
  const auto ch0 = Run(10000, 1);
  const auto ch1 = Run(10000, 2);
  const MeasureSettings s = Settings();
  for (auto _ : state) {
    auto a = analysis::AnalyzeChannelNoise(ch0.data(), 10000, s);
    auto b = analysis::AnalyzeChannelNoise(ch1.data(), 10000, s);
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
  }
}
BENCHMARK(BM_NoiseTwoChannels10000)->Unit(benchmark::kMicrosecond);

void BM_SpectrumAndFigures(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto codes = Run(n, 3);
  const MeasureSettings s = Settings();
  for (auto _ : state) {
    auto a = analysis::AnalyzeChannelSpectrum(codes.data(), n, s);
    benchmark::DoNotOptimize(a);
  }
}
// 10000 (a full run), then primes (Bluestein): the largest below 10100 and below 10000.
BENCHMARK(BM_SpectrumAndFigures)
    ->Arg(10000)
    ->Arg(10099)
    ->Arg(9973)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

// A tone with harmonics at -60 … -80 dBc and 50 Hz pickup, and a second
// tone: more lines to fit, and the second tone's own refinement.
std::vector<std::int32_t> Busy(int n, bool second) {
  std::mt19937_64 rng(5);
  std::normal_distribution<double> noise(0.0, 6.4);
  std::vector<std::int32_t> codes(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = 2.0 * std::numbers::pi * 100.32 * i / 4800.0;
    double v = 8388608.0 + 4.0e6 * (std::sin(x) + 1e-3 * std::sin(2 * x) + 1e-4 * std::sin(3 * x)) +
               840.0 * std::sin(2.0 * std::numbers::pi * 50.0 * i / 4800.0) + noise(rng);
    if (second) v += 4.0e5 * std::sin(2.0 * std::numbers::pi * 733.1 * i / 4800.0);
    codes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(v));
  }
  return codes;
}

void BM_SpectrumFiguresBusyRecord(benchmark::State& state) {
  const auto codes = Busy(10000, state.range(0) != 0);
  MeasureSettings s = Settings();
  s.GainSel = 0;
  s.Gain = 1;
  for (auto _ : state) {
    auto a = analysis::AnalyzeChannelSpectrum(codes.data(), 10000, s);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_SpectrumFiguresBusyRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A new length each time: the plan is built as well (a window switching runs).
void BM_SpectrumNewLength(benchmark::State& state) {
  const auto codes = Run(10000, 4);
  const MeasureSettings s = Settings();
  int n = 9990;
  for (auto _ : state) {
    n = n == 9990 ? 10000 : 9990;
    auto a = analysis::AnalyzeChannelSpectrum(codes.data(), n, s);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_SpectrumNewLength)->Unit(benchmark::kMicrosecond);

void BM_AveragedSpectrumSegment(benchmark::State& state) {
  const int n = 1 << 17;
  std::mt19937_64 rng(6);
  std::normal_distribution<double> noise(0.0, 30.0);
  std::vector<double> x(static_cast<std::size_t>(n));
  for (double& v : x) v = noise(rng);
  const analysis::RealFft fft(n);
  std::vector<std::complex<double>> out(static_cast<std::size_t>(n / 2 + 1));
  for (auto _ : state) {
    fft.Forward(x.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_AveragedSpectrumSegment)->Unit(benchmark::kMicrosecond);

}  // namespace
