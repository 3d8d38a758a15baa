// Drawing speed at the window's design size: a full redraw of two channels of
// 10000 samples (target under 5 ms), the same zoomed, and one live block of
// 100 samples (under 0.5 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cmath>
#include <random>
#include <vector>

#include "graph/Graph_2ch.h"

namespace velqoris {
namespace {

struct Scene {
  Scene()
      : codes0(kSampleCapacity),
        codes1(kSampleCapacity),
        uv0(kSampleCapacity),
        uv1(kSampleCapacity) {
    paintBox = new TPaintBox(&window);
    paintBox->setGeometry(72, 24, 560, 369);
    for (auto& label : yLabels) label = new QLabel(&window);
    for (auto& label : xLabels) label = new QLabel(&window);
    ch0 = {10000, codes0.data(), uv0.data()};
    ch1 = {10000, codes1.data(), uv1.data()};
    settings.CHSel = 2;
    // Noisy signals over most of the axis: long, mostly vertical segments.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-400, 400);
    for (int i = 0; i < 10000; ++i) {
      codes0[static_cast<std::size_t>(i)] =
          8388608 + static_cast<int>(1500 * std::sin(i * 0.01)) + noise(random);
      codes1[static_cast<std::size_t>(i)] = 8386000 + noise(random) * 3;
    }
    graph = std::make_unique<TGraph_2CH>(*paintBox, ch0, ch1, settings, yLabels, xLabels);
    graph->SetEventPump([] {});
    for (int i = 0; i < 10000; ++i) {
      uv0[static_cast<std::size_t>(i)] =
          graph->CodeToMicrovolts(codes0[static_cast<std::size_t>(i)]);
      uv1[static_cast<std::size_t>(i)] =
          graph->CodeToMicrovolts(codes1[static_cast<std::size_t>(i)]);
    }
  }
  QWidget window;
  TPaintBox* paintBox;
  std::array<QLabel*, 11> yLabels{};
  std::array<QLabel*, 2> xLabels{};
  std::vector<std::int32_t> codes0, codes1;
  std::vector<float> uv0, uv1;
  SampleBuffer ch0, ch1;
  MeasureSettings settings;
  std::unique_ptr<TGraph_2CH> graph;
};

Scene* theScene = nullptr;  // lives inside main, while the QApplication does

Scene& TheScene() { return *theScene; }

void BM_DrawAll(benchmark::State& state) {
  Scene& scene = TheScene();
  const bool volts = state.range(0) != 0;
  for (auto _ : state) {
    scene.graph->DrawAll(volts);
    benchmark::DoNotOptimize(scene.graph->Bitmap().constBits());
  }
}
BENCHMARK(BM_DrawAll)->Arg(0)->Arg(1)->ArgName("volts")->Unit(benchmark::kMillisecond);

// The same data zoomed: the whole width as a per-column envelope (span
// 5000), a window with a column per sample (500) and single samples (5).
// Each redraw follows one wheel step or drag event; target under 5 ms.
void BM_DrawZoomed(benchmark::State& state) {
  Scene& scene = TheScene();
  scene.graph->Range().SetPositions(10000);
  int steps = 0;
  for (std::int64_t span = 9999; span > state.range(0); ++steps) {
    span = TViewRange::StepPositions(span, false);
  }
  scene.graph->Range().WheelX(0.4, steps);
  for (auto _ : state) {
    scene.graph->DrawAll(false);
    benchmark::DoNotOptimize(scene.graph->Bitmap().constBits());
  }
  scene.graph->Range().Reset();
}
BENCHMARK(BM_DrawZoomed)
    ->Arg(5000)
    ->Arg(500)
    ->Arg(5)
    ->ArgName("span")
    ->Unit(benchmark::kMillisecond);

void BM_DrawBlock(benchmark::State& state) {
  Scene& scene = TheScene();
  const bool volts = state.range(0) != 0;
  int first = 0;
  for (auto _ : state) {
    scene.graph->DrawBlock(volts, first, first + 99);
    benchmark::DoNotOptimize(scene.graph->Bitmap().constBits());
    first = (first + 100) % 9900;
  }
}
BENCHMARK(BM_DrawBlock)->Arg(0)->Arg(1)->ArgName("volts")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velqoris

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    velqoris::Scene scene;
    velqoris::theScene = &scene;
    benchmark::RunSpecifiedBenchmarks();
    velqoris::theScene = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
