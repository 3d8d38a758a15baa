// CPU cost of the window on the virtual board in real time: waiting idle, and
// a 4800 sps two-channel run of 10000 samples. Reports the process's CPU time
// as a percentage of one core over the wall-clock time of the case.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "app/Velqoris_application.h"
#include "app/Velqoris_main.h"
#include "bench/Resident_memory.h"
#include "board/Clock.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double UserSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return Seconds(u.ru_utime);
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

// Runs the event loop for `ms` of wall-clock time, or until `stop` says so.
template <typename Stop>
void Spin(int ms, Stop stop) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (stop()) loop.quit();
  });
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  poll.start(50);
  loop.exec();
}

void Report(benchmark::State& state, double cpu, double wall) {
  state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
  state.counters["wall_s"] = wall;
}

void BM_WindowIdle(benchmark::State& state) {
  SteadyClock clock;
  VirtualBoard board(clock);
  TFormMain form(board);
  form.show();
  Spin(300, [] { return false; });  // first pass and placement
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Spin(3000, [] { return false; });
    Report(state, CpuSeconds() - cpu0, wall.nsecsElapsed() / 1e9);
  }
}
BENCHMARK(BM_WindowIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

// Reference: what a bare 1 ms Qt timer costs on this machine.
void BM_BareOneMillisecondTimer(benchmark::State& state) {
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [] {});
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    tick.start(1);
    Spin(2000, [] { return false; });
    tick.stop();
    Report(state, CpuSeconds() - cpu0, wall.nsecsElapsed() / 1e9);
  }
}
BENCHMARK(BM_BareOneMillisecondTimer)->Iterations(1)->Unit(benchmark::kMillisecond);

// The window shown and settled, set to 4800 sps, 10000 results, both channels.
void ShowAt4800TwoChannels(TFormMain& form) {
  form.show();
  Spin(300, [] { return false; });
  form.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(12);
  form.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(6);
  form.findChild<QComboBox*>("ComboBox3")->setCurrentIndex(2);
}

void BM_WindowRun4800TwoChannels(benchmark::State& state) {
  SteadyClock clock;
  VirtualBoard board(clock);
  TFormMain form(board);
  ShowAt4800TwoChannels(form);
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    const double user0 = UserSeconds();
    QElapsedTimer wall;
    wall.start();
    form.findChild<QPushButton*>("MeasureBtn")->click();
    Spin(30000, [&] { return !form.Run()->IsMeasuring(); });
    Report(state, CpuSeconds() - cpu0, wall.nsecsElapsed() / 1e9);
    state.counters["samples"] = form.Data().Ch0.Count;
    state.counters["user_percent_of_core"] =
        100.0 * (UserSeconds() - user0) / (wall.nsecsElapsed() / 1e9);
  }
}
BENCHMARK(BM_WindowRun4800TwoChannels)->Iterations(1)->Unit(benchmark::kMillisecond);

// The live view (データ → 連続表示) at 4800 sps on both channels with 10000
// results on screen: CPU share over ten seconds (target under 5 % of a core)
// and the resident memory before and after.
void BM_WindowLiveView4800TwoChannels(benchmark::State& state) {
  SteadyClock clock;
  VirtualBoard board(clock);
  TFormMain form(board);
  ShowAt4800TwoChannels(form);
  for (auto _ : state) {
    form.LiveView1Click();
    Spin(2000, [] { return false; });  // the window fills
    const long rss0 = ResidentKilobytes();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Spin(10000, [] { return false; });
    Report(state, CpuSeconds() - cpu0, wall.nsecsElapsed() / 1e9);
    state.counters["rss_growth_kB"] = static_cast<double>(ResidentKilobytes() - rss0);
    form.MeasureBtnClick();
    state.counters["samples_on_screen"] = form.Data().Ch0.Count;
  }
}
BENCHMARK(BM_WindowLiveView4800TwoChannels)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velqoris

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  velqoris::VelqorisApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
