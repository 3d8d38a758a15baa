// Sustained streaming through LibftdiDevice (I/O thread, the libftdi
// transport, the real libftdi1) on the chip model with a fixed-rate source.
// Per second of the chip's time: process CPU time, and CPU time per megabyte.
// The model's own work is counted too, so the figures are an upper bound.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "board/Libftdi_device.h"
#include "tests/board/Chip_model.h"
#include "tests/board/Fifo_sides.h"

namespace velqoris {
namespace {

using namespace d2xx;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_StreamThroughLibftdi(benchmark::State& state) {
  const auto product = static_cast<std::uint16_t>(state.range(0));
  const auto rate = static_cast<double>(state.range(1));
  testing::ChipModel chip(product);
  testing::RateSource source(chip.Time(), rate);
  chip.SetSide(&source);
  // A small queue keeps the I/O thread from running ahead of the reader in
  // chip time, so a second's worth read is a second of the chip's time.
  LibftdiDevice device({}, 8192);
  FT_HANDLE handle = nullptr;
  if (device.FT_Open(0, &handle) != FT_OK || device.FT_SetUSBParameters(handle, 4096, 0) != FT_OK) {
    state.SkipWithError("no chip");
    return;
  }
  // Reads as the window does at 4800 sps: 50 two-channel frames at a time.
  std::vector<std::uint8_t> block(650);
  double bytes = 0, cpu = 0, chipSeconds = 0;
  for (auto _ : state) {
    const auto from = chip.Time().Now();
    const double cpu0 = CpuSeconds();
    std::uint64_t got = 0;
    while (got < static_cast<std::uint64_t>(rate)) {  // one second's worth
      DWORD queued = 0, n = 0;
      device.FT_GetQueueStatus(handle, &queued);
      if (queued < block.size()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        continue;
      }
      device.FT_Read(handle, block.data(), static_cast<DWORD>(block.size()), &n);
      got += n;
    }
    cpu += CpuSeconds() - cpu0;
    bytes += static_cast<double>(got);
    chipSeconds += std::chrono::duration<double>(chip.Time().Now() - from).count();
  }
  device.FT_Close(handle);
  state.counters["MB_per_s_chip_time"] = bytes / 1e6 / chipSeconds;
  state.counters["cpu_ms_per_MB"] = cpu * 1e3 / (bytes / 1e6);
  state.counters["core_percent"] = 100.0 * cpu / chipSeconds;
}
// Two channels at 4800 sps on full and high speed, and the full-speed chip's limit.
BENCHMARK(BM_StreamThroughLibftdi)
    ->Args({0x6001, 62400})
    ->Args({0x6010, 62400})
    ->Args({0x6001, 1000000})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace velqoris

BENCHMARK_MAIN();
