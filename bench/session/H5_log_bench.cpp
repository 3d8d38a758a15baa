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
#include "session/H5_log_file.h"
#include "session/Held_data.h"
#include "session/Log_reader.h"
#include "session/Log_run.h"
#include "session/Measurement.h"
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

// Logs `rows` results per channel into an HDF5 file; the writer's CPU seconds.
double WriteLog(std::int64_t rows, const std::string& path) {
  ManualClock clock;
  VirtualBoard device(clock);
  SleepingEventHost host(clock, [&] { clock.Advance(std::chrono::milliseconds(1)); });
  TADC board(device, host);
  HeldData held;
  MeasureSettings& s = held.data.Settings;
  s.spsSel = 12;
  s.CHSel = 2;
  Measurement run(board, held.data);
  if (run.ConnectBoard() != Measurement::ConnectResult::kOk) return -1;
  h5log::H5LogWriter h5;
  h5.Create(path, "bench", {H5HeaderOf(s, "V0001", "VELQORIS / 1.00", {})});
  CsvLog none;
  LogRun log(run, board, s, clock, host, none);
  double cpu = 0;
  log.SetBlockListener([&](const std::int32_t* c0, const std::int32_t* c1, int n) {
    const double before = ThreadCpuSeconds();
    h5.Append(0, c0, c1, n);
    h5.FlushIfDue(clock.Now());
    cpu += ThreadCpuSeconds() - before;
  });
  log.Run(rows, {}, {});
  const double before = ThreadCpuSeconds();
  h5.Close();
  return cpu + ThreadCpuSeconds() - before;
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
    for (int ch = 0; ch < 2; ++ch)
      benchmark::DoNotOptimize(analysis::AnalyzeStability(r.record, ch));
  }
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  state.counters["peak_MB"] = PeakMegabytes();
}
// One hour.
BENCHMARK(BM_H5Stability)->Arg(17280000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
