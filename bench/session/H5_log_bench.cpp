// The HDF5 log of the virtual board (default noise, two channels at 4800
// sps) on virtual time, written as the log command writes it: the file's
// size scaled to one hour ("MB_per_hour", target ≤ 60) and the writer's CPU
// time per second of log ("writer_cpu_percent", target ≤ 2 % of a core).
// Then a one-hour file read and both channels' stability analysed as
// `stability` does it: time per iteration (target ≤ 1 s) and "peak_MB" (≤ 300).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "analysis/Stability_analysis.h"
#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/Sleeping_event_host.h"
#include "h5log/H5_log_writer.h"
#include "session/Acquisition.h"
#include "session/H5_log_file.h"
#include "session/H5_sink.h"
#include "session/Log_reader.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string LogPath(std::int64_t rows) {
  return "/tmp/velqoris_bench_" + std::to_string(rows) + ".h5";
}

// The HDF5 sink with the CPU time its thread spends in it.
class TimedSink final : public Sink {
 public:
  explicit TimedSink(Sink& sink) : sink_(sink) {}
  bool Take(const Block& block) override {
    return Timed([&] { return sink_.Take(block); });
  }
  void Gap(int start, double seconds) override { sink_.Gap(start, seconds); }
  double cpu = 0;

 private:
  template <typename F>
  bool Timed(F f) {
    const double before = ThreadCpuSeconds();
    const bool ok = f();
    cpu += ThreadCpuSeconds() - before;
    return ok;
  }
  Sink& sink_;
};

// Logs `rows` results per channel into an HDF5 file; the writer's CPU seconds.
double WriteLog(std::int64_t rows, const std::string& path) {
  ManualClock clock;
  VirtualBoard device(clock);
  SleepingEventHost host(clock,
                         [&](Clock::Duration) { clock.Advance(std::chrono::milliseconds(1)); });
  TADC board(device, host);
  MeasureSettings s;
  s.spsSel = 12;
  s.CHSel = 2;
  s.Gain = DerivedGain(s.GainSel);
  Acquisition run(board, clock, host);
  h5log::H5LogWriter h5;
  h5.Create(path, "bench", {H5HeaderOf(s, "V0001", "VELQORIS / 1.00", {})});
  H5Sink sink(h5, 0, path, clock);
  TimedSink timed(sink);
  if (run.Run({s, rows}, {&timed}) != RunEnd::kComplete) return -1;
  const double before = ThreadCpuSeconds();
  h5.Close();
  return timed.cpu + ThreadCpuSeconds() - before;
}

void BM_H5LogWrite(benchmark::State& state) {
  const auto rows = static_cast<std::int64_t>(state.range(0));
  const std::string path = LogPath(rows);
  double cpu = 0;
  for (auto _ : state) cpu = WriteLog(rows, path);
  const double seconds = static_cast<double>(rows) / 4800.0;
  const double bytes = static_cast<double>(std::filesystem::file_size(path));
  state.counters["MB_per_hour"] = bytes / 1e6 * 3600.0 / seconds;
  state.counters["writer_cpu_percent"] = 100.0 * cpu / seconds;
  std::filesystem::remove(path);
}
// Six minutes of log: a tenth of the hour.
BENCHMARK(BM_H5LogWrite)->Arg(1728000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_H5Stability(benchmark::State& state) {
  const auto rows = static_cast<std::int64_t>(state.range(0));
  const std::string path = LogPath(rows);
  if (!std::filesystem::exists(path)) WriteLog(rows, path);
  for (auto _ : state) {
    const LogReadResult r = ReadLogFile(path);
    if (r.status != LogReadStatus::kOk || r.record.Count(1) != rows) {
      state.SkipWithError("not read");
      return;
    }
    // Both channels on two threads, as `stability` runs them.
    benchmark::DoNotOptimize(analysis::AnalyzeStabilityChannels(r.record));
  }
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  state.counters["peak_MB"] = PeakMegabytes();
}
// One hour.
BENCHMARK(BM_H5Stability)
    ->Arg(17280000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
