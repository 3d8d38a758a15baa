// Saving and loading a full two-channel run of 10000 samples.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "datafile/Myfile.h"

namespace velqoris {
namespace {

constexpr int kSamples = 10000;

struct Run {
  std::vector<std::int32_t> codes0 = std::vector<std::int32_t>(kSampleCapacity);
  std::vector<std::int32_t> codes1 = std::vector<std::int32_t>(kSampleCapacity);
  std::vector<float> volts0 = std::vector<float>(kSampleCapacity);
  std::vector<float> volts1 = std::vector<float>(kSampleCapacity);
  SampleBuffer ch0{kSamples, codes0.data(), volts0.data()};
  SampleBuffer ch1{kSamples, codes1.data(), volts1.data()};
  MeasureSettings settings;

  Run() {
    settings.CHSel = 2;
    settings.DataCountSel = 6;
    std::uint32_t x = 12345;
    for (int i = 0; i < kSamples; ++i) {
      x = x * 1664525u + 1013904223u;
      codes0[i] = 8388608 + static_cast<std::int32_t>(x >> 20) - 2048;
      codes1[i] = 16777215 - static_cast<std::int32_t>(x >> 8);
    }
  }
};

class Folder {
 public:
  Folder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "datafile-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void SaveTwoChannel10000(benchmark::State& state) {
  Folder folder;
  Run run;
  TmyFile file([](const std::string&) { return true; });
  const std::string path = folder.File("run.DTA");
  for (auto _ : state) {
    if (!file.SaveData2(path, &run.settings, &run.ch0, &run.ch1))
      state.SkipWithError("save failed");
  }
}
BENCHMARK(SaveTwoChannel10000)->Unit(benchmark::kMillisecond);

void LoadTwoChannel10000(benchmark::State& state) {
  Folder folder;
  Run run;
  TmyFile file(nullptr);
  const std::string path = folder.File("run.DTA");
  if (!file.SaveData2(path, &run.settings, &run.ch0, &run.ch1)) state.SkipWithError("save failed");
  Run into;
  for (auto _ : state) {
    MeasureSettings settings;
    if (!file.LoadData(path, &settings, &into.ch0, &into.ch1)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(into.codes1.data());
  }
}
BENCHMARK(LoadTwoChannel10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velqoris
