// velqoris-cli log on the virtual board and virtual time, into /dev/null:
// results per second of processing, and the heap the log holds at its
// peak above what it held before it started — the same for 10 thousand
// and a million results (two channels, 4800 sps, chained start commands
// past 1,048,575).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/Sleeping_event_host.h"
#include "session/Acquisition.h"
#include "session/Csv_sink.h"
#include "session/Stats_sink.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_LogTwoChannels(benchmark::State& state) {
  const auto total = static_cast<std::int64_t>(state.range(0));
  std::size_t peakGrowth = 0;
  std::size_t pending = 0;
  for (auto _ : state) {
    ManualClock clock;
    VirtualBoard device(clock);
    SleepingEventHost host(clock,
                           [&](Clock::Duration) { clock.Advance(std::chrono::milliseconds(1)); });
    TADC board(device, host);
    Acquisition run(board, clock, host);
    if (run.Connect()) {
      state.SkipWithError("no virtual board");
      return;
    }
    MeasureSettings s;
    s.spsSel = 12;
    s.CHSel = 2;
    CsvSink csv("/dev/null", clock);
    StatsSink stats;
    const std::size_t before = HeapInUse();
    std::int64_t calls = 0;
    run.Run({s, total}, {&csv, &stats}, {}, [&] {
      if (++calls % 64 == 0)
        peakGrowth = std::max(peakGrowth, HeapInUse() - std::min(before, HeapInUse()));
    });
    pending = csv.MaxPending();
    if (run.ReadCount() != total) state.SkipWithError("log incomplete");
  }
  state.SetItemsProcessed(state.iterations() * total);
  state.counters["heap_growth_kB"] = static_cast<double>(peakGrowth) / 1024.0;
  state.counters["csv_pending_kB"] = static_cast<double>(pending) / 1024.0;
}
BENCHMARK(BM_LogTwoChannels)->Arg(10000)->Arg(100000)->Arg(1100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
