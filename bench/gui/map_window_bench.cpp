// The window's world map against the map the command line computes, for the
// same inputs: the main window started on noon of 10 March 2024 at its
// default place (the evening of the young Moon), the whole world at 5
// degrees (2592 cells) by the criterion in force, on one and on two worker
// threads. BM_MapWindow runs the map window's own computation (its
// background job and session, its progress on the window's event loop) and
// waits for it on the event loop; BM_MapDirect computes the same request
// from the same session as the command line does. Both count the whole
// process's CPU and the wall time, so the cells per second of the two are
// comparable and the window should not lag behind. (It did, by 1.7 to 4
// times, while its workers ran with the upper halves of the AVX registers
// in use: see clearUpperVectorState.)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "app/gui/frmMain.h"
#include "app/gui/frmMap.h"
#include "app/session.h"
#include "base/messages.h"
#include "map/visibility_map.h"

namespace {

using namespace nemora;

// 10 March 2024 at 12:00 on the local clock, as days since 30 December 1899.
constexpr double kClockNoon = 45361.5;

// One main window for every benchmark: its session is the one the map
// window copies its inputs from. Started in an empty folder, so that no
// last location from an earlier run is read.
struct MainWindow {
  MainWindow() : session(sink) {
    work = std::filesystem::temp_directory_path() / "nemora_map_window_bench";
    std::filesystem::create_directories(work);
    session.dataDir = defaultDataDir();
    session.workDir = work;
    main = std::make_unique<frmMain>(session);
    main->startUp(kClockNoon);
    // As a user opens it: the Moon's "Visibility map" starts the window's
    // map of the whole world (stopped here, the benchmarks ask for their
    // own), and the windows are drawn.
    main->chooseReport("Moon", "Visibility map");
    main->mapWindow()->cancel();
    main->show();
    QApplication::processEvents();
  }
  RecordingMessageSink sink;
  Session session;
  std::filesystem::path work;
  std::unique_ptr<frmMain> main;
};

MainWindow& mainWindow() {
  static MainWindow window;
  return window;
}

bool mapRequest(benchmark::State& state, MapRequest& request) {
  Session& s = mainWindow().session;
  if (!inputMapRequest(s, 5, request)) {
    state.SkipWithError("the map's inputs cannot be evaluated");
    return false;
  }
  request.intThreads = static_cast<unsigned>(state.range(0));
  return true;
}

bool complete(benchmark::State& state, const VisibilityMap& map) {
  if (!map.blnComplete) {
    state.SkipWithError("the map was not finished");
    return false;
  }
  for (const MapCell& c : map.cells)
    if (c.kind == CellKind::Failed) {
      state.SkipWithError("a cell failed");
      return false;
    }
  return true;
}

void BM_MapWindow(benchmark::State& state) {
  MapRequest request;
  if (!mapRequest(state, request)) return;
  frmMap& window = *mainWindow().main->mapWindow();
  size_t cells = 0;
  for (auto _ : state) {
    QEventLoop loop;
    bool done = false;
    auto c = QObject::connect(&window, &frmMap::finished, &loop, [&] {
      done = true;
      loop.quit();
    });
    window.compute(request);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(c);
    if (!done) {
      state.SkipWithError("the window's map did not finish");
      return;
    }
    if (!complete(state, window.map())) return;
    cells = window.map().cells.size();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cells));
}

void BM_MapDirect(benchmark::State& state) {
  MapRequest request;
  if (!mapRequest(state, request)) return;
  Session& s = mainWindow().session;
  size_t cells = 0;
  for (auto _ : state) {
    VisibilityMap map;
    if (!computeVisibilityMap(s, request, map)) {
      state.SkipWithError("the map could not be computed");
      return;
    }
    if (!complete(state, map)) return;
    cells = map.cells.size();
    benchmark::DoNotOptimize(map.cells.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cells));
}

BENCHMARK(BM_MapWindow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MapDirect)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
