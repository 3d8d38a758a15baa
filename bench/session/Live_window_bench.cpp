// The live view's samples over an hour at 4800 sps on both channels, on a
// virtual clock: blocks of 50 results into the window and a copy of the
// 10000 on screen ten times a second. Reports the time per second of data
// and the resident memory before and after the hour (the ring is fixed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/Resident_memory.h"
#include "session/Live_window.h"
#include "session/Run_data.h"

namespace velqoris {
namespace {

void BM_LiveWindowHour(benchmark::State& state) {
  MeasureSettings settings;
  settings.spsSel = 12;
  settings.DataCountSel = 6;
  settings.CHSel = 2;
  LiveWindow live;
  RunData data;
  std::vector<std::int32_t> block0(50), block1(50);
  for (auto _ : state) {
    live.Reset(settings, 10000);
    const long rss0 = ResidentKilobytes();
    const auto start = std::chrono::steady_clock::now();
    std::int32_t code = 8388608;
    for (std::int64_t second = 0; second < 3600; ++second) {
      for (int b = 0; b < 96; ++b) {
        for (int i = 0; i < 50; ++i) block0[i] = block1[i] = code++ & 0xFFFFFF;
        live.Take(block0.data(), block1.data(), 50);
        if (b % 10 == 0) {
          live.CopyTo(data);
          data.ConvertAll();
          data.CalcCodeStats();
          data.CalcVoltStats();
        }
      }
    }
    benchmark::DoNotOptimize(data.CodeSDCH0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    // Share of one core the window's side of the live view takes (no drawing).
    state.counters["cpu_percent_of_core"] = 100.0 * took.count() / 3600.0;
    state.counters["rss_growth_kB"] = static_cast<double>(ResidentKilobytes() - rss0);
    state.counters["results"] = static_cast<double>(live.Received());
  }
}
BENCHMARK(BM_LiveWindowHour)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
