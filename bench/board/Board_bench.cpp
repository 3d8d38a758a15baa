// Speed of the idle-time readers: a poll that finds the block incomplete, and
// a whole 50-frame two-channel block decoded.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "board/Ad7190.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Scripted_device.h"

namespace velqoris {
namespace {

struct Rig {
  ManualClock clock;
  testing::FakeEventHost host{clock, std::chrono::milliseconds(1)};
  testing::ScriptedDevice device;
  TADC adc{device, host};
  Rig() { adc.Connect(); }
};

void BM_PollIncompleteBlock(benchmark::State& state) {
  Rig rig;
  rig.device.Feed("800000\r");
  std::int32_t codes[50];
  int count = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(rig.adc.ReadSingle(codes, count, 50));
  }
}
BENCHMARK(BM_PollIncompleteBlock);

void BM_ReadDualBlockOf50(benchmark::State& state) {
  Rig rig;
  std::string block;
  for (int i = 0; i < 50; ++i) block += "8000007FFFFF\r";
  std::int32_t ch0[50], ch1[50];
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig.device.Feed(block);
    state.ResumeTiming();
    benchmark::DoNotOptimize(rig.adc.ReadDual(ch0, ch1, 50, count));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 650);
}
BENCHMARK(BM_ReadDualBlockOf50);

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
