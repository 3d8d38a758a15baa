// How much the virtual board costs: generating a long two-channel run, and
// keeping up with a 4800 sps two-channel stream polled every millisecond.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "board/Clock.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

using namespace std::chrono_literals;
using d2xx::DWORD;

class Host {
 public:
  explicit Host(const Clock& clock) : board(clock, 3) { board.FT_Open(0, &handle); }
  void Send(const char* text) {
    DWORD written = 0;
    const std::string line = std::string(text) + "\r";
    board.FT_Write(handle, line.data(), static_cast<DWORD>(line.size()), &written);
  }
  // What one poll of the host does: look at the queue and take it.
  DWORD Poll() {
    DWORD n = 0;
    board.FT_GetQueueStatus(handle, &n);
    if (n == 0) return 0;
    if (buffer.size() < n) buffer.resize(n);
    DWORD got = 0;
    board.FT_Read(handle, buffer.data(), n, &got);
    return got;
  }

  VirtualBoard board;
  d2xx::FT_HANDLE handle = nullptr;
  std::vector<char> buffer;
};

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// 10000 pairs at word 1, all due at once, generated and read in one go.
void BM_Generate10000DualFrames(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ManualClock clock;
    Host host(clock);
    host.Send("SF0001");
    clock.Advance(2ms);
    host.Poll();  // the acknowledgement
    host.Send("A202710");
    clock.Advance(1ms + 10000 * 208334ns);
    state.ResumeTiming();
    const DWORD got = host.Poll();
    benchmark::DoNotOptimize(got);
    if (got != 10000u * 13) state.SkipWithError("run incomplete");
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Generate10000DualFrames)->Unit(benchmark::kMillisecond);

// One 1 ms poll of a 4800 sps two-channel stream, on virtual time. Its time
// per iteration over 1 ms is the share of a core that streaming costs.
void BM_StreamPollEveryMillisecond(benchmark::State& state) {
  ManualClock clock;
  Host host(clock);
  host.Send("SF0001");
  host.Send("SG5");
  std::uint64_t frames = 0;
  host.Send("A2FFFFF");
  for (auto _ : state) {
    clock.Advance(1ms);
    DWORD got = host.Poll();
    if (!host.board.Running()) {
      host.Send("A2FFFFF");
    }
    frames += got / 13;
  }
  state.counters["frames_per_poll"] =
      benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
  // (seconds per poll) / 1 ms, in percent.
  state.counters["core_share_pct"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-5,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StreamPollEveryMillisecond);

// The same on the real clock, sleeping 1 ms between polls: the CPU time this
// thread used over the wall time, less that of the same loop without the board
// (waking up every millisecond has a cost of its own on any host).
struct LoopCost {
  double share = 0.0;
  std::uint64_t bytes = 0;
};

LoopCost SleepLoop(Host* host, std::chrono::milliseconds length) {
  LoopCost cost;
  const double cpu0 = ThreadCpuSeconds();
  const auto wall0 = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - wall0 < length) {
    if (host != nullptr) cost.bytes += host->Poll();
    std::this_thread::sleep_for(1ms);
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  cost.share = (ThreadCpuSeconds() - cpu0) / wall;
  return cost;
}

void BM_StreamRealTimeOneSecond(benchmark::State& state) {
  for (auto _ : state) {
    const LoopCost idle = SleepLoop(nullptr, 1000ms);
    SteadyClock clock;
    Host host(clock);
    host.Send("SF0001");
    host.Send("A2FFFFF");
    const LoopCost streaming = SleepLoop(&host, 1000ms);
    state.counters["loop_only_pct"] = 100.0 * idle.share;
    state.counters["with_board_pct"] = 100.0 * streaming.share;
    state.counters["board_pct"] = 100.0 * (streaming.share - idle.share);
    state.counters["frames"] = static_cast<double>(streaming.bytes / 13);
  }
}
BENCHMARK(BM_StreamRealTimeOneSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

// The demo's idle loop polls without sleeping; a poll with nothing due.
void BM_IdlePoll(benchmark::State& state) {
  ManualClock clock;
  Host host(clock);
  for (auto _ : state) benchmark::DoNotOptimize(host.Poll());
}
BENCHMARK(BM_IdlePoll);

}  // namespace
}  // namespace velqoris
