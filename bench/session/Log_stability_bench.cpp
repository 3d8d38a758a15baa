// Targets: a one-hour two-channel log at 4800 sps (17,280,000 results per
// channel, about 1 GB of CSV) read and both channels analysed in under 2 s
// and 200 MB (the channels on two threads: "CPU" is both threads' time); a
// log of 1,048,575 results (one start command) in under 0.5 s. The logs are
// written once as the log command writes them, settings lines first;
// "peak_MB" is the process's peak resident memory after the case.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "analysis/Stability_analysis.h"
#include "session/Log_reader.h"

namespace {

using namespace velqoris;

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// White noise of 30 codes, a drift, gain 128; a gap note every 1,048,575 rows.
std::string WriteLog(std::int64_t rows, bool twoChannels) {
  const std::string path = "/tmp/velqoris_bench_log_" + std::to_string(rows) + ".csv";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::mt19937_64 rng(7);
  std::normal_distribution<double> noise(0.0, 30.0);
  // The settings lines as the log command writes them.
  std::fputs("# rate_sps: 4800\n# gain: 128\n# filter: sinc4\n# chop: off\n# buffer: off\n", f);
  std::fputs(twoChannels ? "# channels: ch0,ch1\n" : "# channels: ch0\n", f);
  std::fputs("# board: VELQORIS / 1.00\n# start: 2026-12-08T13:05:00+09:00\n", f);
  std::fputs(twoChannels ? "sample,time_s,ch0_code,ch0_uV,ch1_code,ch1_uV\n"
                         : "sample,time_s,ch0_code,ch0_uV\n",
             f);
  double origin = 0.0;
  for (std::int64_t i = 0; i < rows; ++i) {
    if (i > 0 && i % 1048575 == 0) {
      origin += 0.005;
      std::fputs("# 開始コマンド: 0.005000 s の空き\n", f);
    }
    const double t = origin + static_cast<double>(i) / 4800.0;
    const auto c0 = static_cast<std::int32_t>(std::lround(8388608.0 + 0.001 * i + noise(rng)));
    const double uv0 = (c0 - 8388608) * 2500000.0 / 8388607.0 / 128.0;
    if (twoChannels) {
      const auto c1 = static_cast<std::int32_t>(std::lround(8390000.0 + noise(rng)));
      const double uv1 = (c1 - 8388608) * 2500000.0 / 8388607.0 / 128.0;
      std::fprintf(f, "%lld,%.6f,%d,%.9g,%d,%.9g\n", static_cast<long long>(i + 1), t, c0, uv0, c1,
                   uv1);
    } else {
      std::fprintf(f, "%lld,%.6f,%d,%.9g\n", static_cast<long long>(i + 1), t, c0, uv0);
    }
  }
  std::fclose(f);
  return path;
}

void ReadAndAnalyze(benchmark::State& state, std::int64_t rows, bool twoChannels) {
  const std::string path = WriteLog(rows, twoChannels);
  for (auto _ : state) {
    const LogReadResult r = ReadLogFile(path);
    if (r.status != LogReadStatus::kOk) state.SkipWithError("log not read");
    const auto channels = analysis::AnalyzeStabilityChannels(r.record);
    benchmark::DoNotOptimize(channels.data());
  }
  state.counters["peak_MB"] = PeakMegabytes();
  std::remove(path.c_str());
}

void BM_OneStartCommandLog(benchmark::State& state) { ReadAndAnalyze(state, 1048575, false); }
BENCHMARK(BM_OneStartCommandLog)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The analysis alone of one hour at 4800 sps, one channel, from memory.
void BM_AnalyzeOneHourChannel(benchmark::State& state) {
  std::mt19937_64 rng(3);
  std::normal_distribution<double> noise(0.0, 30.0);
  std::vector<std::int32_t> codes(17280000);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    codes[i] = static_cast<std::int32_t>(std::lround(8388608.0 + noise(rng)));
  }
  for (auto _ : state) {
    const auto a = analysis::AnalyzeStability(codes.data(), static_cast<std::int64_t>(codes.size()),
                                              4800.0, 128, {}, 0);
    benchmark::DoNotOptimize(a.allan.points.data());
  }
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_AnalyzeOneHourChannel)->Unit(benchmark::kMillisecond)->Iterations(1);

// Last: its peak memory is the whole process's.
void BM_OneHourTwoChannelLog(benchmark::State& state) { ReadAndAnalyze(state, 17280000, true); }
BENCHMARK(BM_OneHourTwoChannelLog)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
