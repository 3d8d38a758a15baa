// The window's share of a recording at 4800 sps on two channels: the
// recording's thread reading the virtual board in real time and writing the
// CSV file, and the window taking the blocks into the strip chart's history
// and drawing the chart five times a second. Reports the process's CPU time
// as a percentage of one core (target under 5 %), and the history's bytes,
// which stay the same however long it runs; and the memory of an hour's
// recording on virtual time.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "board/Clock.h"
#include "board/Sleeping_event_host.h"
#include "graph/Strip_history.h"
#include "graph/Strip_plot.h"
#include "session/Recording.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void BM_RecordingCpu(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "velqoris_recording_bench.csv";
  for (auto _ : state) {
    SteadyClock clock;
    VirtualBoard device(clock);
    SleepingEventHost host(clock);
    host.SetIdlePause(RecordingPause(12));
    Recording recording(device, clock, host);
    MeasureSettings s;
    s.spsSel = 12;
    s.CHSel = 2;
    TStripHistory history(4800LL * 3600);
    std::vector<std::uint32_t> pixels(556 * 300);
    const PixelView view{pixels.data(), 556, 300, 556};
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    recording.Start(path.string(), s, 4800 * state.range(0));
    while (!recording.Ended()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      for (const auto& b : recording.TakeBlocks()) {
        history.Add(b.codes[0].data(), b.codes[1].data(), static_cast<int>(b.codes[0].size()));
      }
      DrawStrip(view, history, 4800 * 120, false, 1, {0xFF808080, 0xFFFF0000, 0xFF0000FF});
    }
    recording.Join();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpu0) / wall;
    state.counters["history_bytes"] = static_cast<double>(history.StorageBytes());
    state.counters["results"] = static_cast<double>(recording.Snapshot().written);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_RecordingCpu)->Arg(10)->ArgName("seconds")->Iterations(1)->Unit(benchmark::kSecond);

// The event host of a recording on virtual time: each pass is 1 ms.
class VirtualHost final : public EventHost {
 public:
  explicit VirtualHost(ManualClock& clock) : clock_(clock) {}
  void ArmTimer(int milliseconds, std::function<void()> expired) override {
    due_ = clock_.Now() + std::chrono::milliseconds(milliseconds);
    expired_ = std::move(expired);
  }
  void DisarmTimer() override { due_.reset(); }
  void ProcessEvents() override {
    clock_.Advance(std::chrono::milliseconds(1));
    if (due_ && clock_.Now() >= *due_) {
      due_.reset();
      if (expired_) expired_();
    }
  }

 private:
  ManualClock& clock_;
  std::optional<Clock::Duration> due_;
  std::function<void()> expired_;
};

long MaxResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// An hour of both channels at 100 sps on virtual time, the window taking the
// blocks as they come: the resident memory after the first minute and after
// the hour, and the history's bytes, which do not change.
void BM_RecordingHourMemory(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "velqoris_recording_hour.csv";
  for (auto _ : state) {
    ManualClock clock;
    VirtualBoard device(clock);
    VirtualHost host(clock);
    Recording recording(device, clock, host);
    MeasureSettings s;
    s.spsSel = 5;  // 100 sps
    s.CHSel = 2;
    TStripHistory history(100LL * 3600);
    recording.Start(path.string(), s, 100LL * 3600);
    double minuteKb = 0;
    std::size_t minuteBytes = 0;
    while (!recording.Ended()) {
      for (const auto& b : recording.TakeBlocks()) {
        history.Add(b.codes[0].data(), b.codes[1].data(), static_cast<int>(b.codes[0].size()));
      }
      if (minuteBytes == 0 && history.Count() >= 6000) {
        minuteKb = static_cast<double>(MaxResidentKb());
        minuteBytes = history.StorageBytes();
      }
      std::this_thread::yield();
    }
    recording.Join();
    state.counters["rss_kb_minute"] = minuteKb;
    state.counters["rss_kb_hour"] = static_cast<double>(MaxResidentKb());
    state.counters["history_bytes_minute"] = static_cast<double>(minuteBytes);
    state.counters["history_bytes_hour"] = static_cast<double>(history.StorageBytes());
    state.counters["results"] = static_cast<double>(recording.Snapshot().written);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_RecordingHourMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
