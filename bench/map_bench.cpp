// The world visibility map of the evening of 10 March 2024 (the young Moon
// of the Americas): cells per second on one thread by Yallop's criterion,
// by Odeh's and by the photometric probability, and the same Yallop map on
// one and on two worker threads (wall time, for the speed-up). The grid is
// coarse so that an iteration stays short; every cell costs the same
// whatever the grid. The weather is the default basis, Local: each cell's
// comes from the climate of its nearest place in the location database,
// loaded as the command line and the window load it.
// The CPU time is the whole process's (the cells run on worker threads),
// the time the wall clock's.
#include <benchmark/benchmark.h>

#include "app/session.h"
#include "base/messages.h"
#include "map/visibility_map.h"
#include "base/criterion_types.h"
#include "base/options.h"

namespace {

using namespace nemora;

// Fixed day number of 10 March 2024.
constexpr int32_t k10Mar2024 = 738955;

void runMap(benchmark::State& state, int16_t criterion, MapMode mode, double step, unsigned threads) {
  RecordingMessageSink sink;
  Session session(sink);
  session.dataDir = defaultDataDir();
  session.locations.GetLocationData();
  session.udtDateIn.enmDateType = 0;  // a fixed day number: its day is the map's
  session.dblFixDate = k10Mar2024;
  session.dblFixTime = 0.5;
  session.udtUserCriterion.intType = criterion;
  if (mode == MapMode::Photometric) session.options.intMoonCalc = kMoonCalcPhotometric;
  MapRequest request;
  request.grid.dblStep = step;
  request.mode = mode;
  request.intThreads = threads;
  size_t cells = 0;
  for (auto _ : state) {
    VisibilityMap map;
    if (!computeVisibilityMap(session, request, map) || !map.blnComplete) {
      state.SkipWithError("the map could not be computed");
      return;
    }
    for (const MapCell& c : map.cells)
      if (c.kind == CellKind::Failed) {
        state.SkipWithError("a cell failed");
        return;
      }
    cells = map.cells.size();
    benchmark::DoNotOptimize(map.cells.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cells));
  state.counters["cells"] = static_cast<double>(cells);
}

// One thread: 648 cells (10 degrees) by a criterion, 162 (20 degrees)
// photometric.
void BM_MapYallop(benchmark::State& state) { runMap(state, kCritYallop, MapMode::Criterion, 10, 1); }
void BM_MapOdeh(benchmark::State& state) { runMap(state, kCritOdeh, MapMode::Criterion, 10, 1); }
void BM_MapPhotometric(benchmark::State& state) { runMap(state, kCritYallop, MapMode::Photometric, 20, 1); }
// 2592 cells (5 degrees) by Yallop on range(0) threads.
void BM_MapYallopThreads(benchmark::State& state) {
  runMap(state, kCritYallop, MapMode::Criterion, 5, static_cast<unsigned>(state.range(0)));
}

BENCHMARK(BM_MapYallop)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MapOdeh)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MapPhotometric)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MapYallopThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
