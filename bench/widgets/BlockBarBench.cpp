// Costs of the level meters: one paint, one rebuild of the colour tables, and the share of
// one core that painting both meters 50 times a second takes.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "widgets/BlockBar.h"
#include "widgets/MeterProperties.h"

namespace {

using widgets::TBlockBar;

void BM_MeterPaint(benchmark::State& state) {
  TBlockBar bar;
  widgets::ApplyMeterProperties(bar);
  bar.SetPosition(int(state.range(0)));
  for (auto _ : state) {
    bar.Paint();
    benchmark::DoNotOptimize(bar.Image().constBits());
  }
}
BENCHMARK(BM_MeterPaint)->Arg(0)->Arg(32768)->Arg(65535);

// What a colour, kind or size change costs: the gradient and cylinder shading of every pixel.
void BM_MeterBuildColorTables(benchmark::State& state) {
  TBlockBar bar;
  widgets::ApplyMeterProperties(bar);
  bool invert = false;
  for (auto _ : state) {
    invert = !invert;
    bar.SetInvertInactPos(invert);  // store, BuildColorTables, repaint request
    benchmark::DoNotOptimize(bar.BarColors().data());
  }
}
BENCHMARK(BM_MeterBuildColorTables);

double ProcessSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// One simulated second of the level feed: both meters take a new level and are painted,
// 50 times; the figure is the CPU time of that second as a share of one core.
void PrintFiftyHertzShare() {
  TBlockBar left;
  TBlockBar right;
  widgets::ApplyMeterProperties(left);
  widgets::ApplyMeterProperties(right);
  constexpr int kSeconds = 200;
  const double start = ProcessSeconds();
  for (int tick = 0; tick < 50 * kSeconds; ++tick) {
    const int level = (tick * 2621) % 65536;
    left.SetPosition(level);
    right.SetPosition(65535 - level);
    left.Paint();
    right.Paint();
  }
  const double perSecond = (ProcessSeconds() - start) / kSeconds;
  std::printf("Both meters at 50 Hz: %.4f %% of one core (%.2f us per tick for both)\n",
              perSecond * 100, perSecond / 50 * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintFiftyHertzShare();
  return 0;
}
