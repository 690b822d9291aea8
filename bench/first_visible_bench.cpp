// One whole first-visibility report of the Moon at Jerusalem on the evening
// of 11 March 2024, photometric and by criterion, each in a fresh session
// (nothing kept from an earlier evening: no rise and set, no positions).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>

#include "base/messages.h"
#include "app/session.h"
#include "visibility/first_visible.h"

namespace {

using namespace nemora;

constexpr double k11Mar2024Evening = 738956 + 16.0 / 24;

struct BenchSession {
  BenchSession() : session(sink) {
    session.udtLocation.dblLatitude = 31.7767;
    session.udtLocation.dblLongitude = 35.2345;
    session.udtLocation.dblHeight = 754;
    session.udtLocation.dblTZ = 2;
    session.udtLocation.blnAutoTZ = false;
    session.udtLocation.moveTo({31.7767, 35.2345, 754});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.workDir = std::filesystem::temp_directory_path() / "nemora-first-visible-bench";
    std::filesystem::create_directories(session.workDir);
    session.udtDateIn.enmDateType = 4;
    session.udtTimeIn.enmTimeType = 1;
  }
  RecordingMessageSink sink;
  Session session;
};

void firstVisible(benchmark::State& state, int16_t intMoonCalc) {
  bool ok = true;
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<BenchSession>();
    b->session.options.intMoonCalc = intMoonCalc;
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        FirstVisibleReport(b->session).FirstVisible("Moon", k11Mar2024Evening, false, true, ok, 0, false));
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
  if (!ok) state.SkipWithError("FirstVisible failed");
}

void BM_FirstVisiblePhotometric(benchmark::State& state) { firstVisible(state, kMoonCalcPhotometric); }
void BM_FirstVisibleByCriterion(benchmark::State& state) { firstVisible(state, kMoonCalcByCriterion); }

BENCHMARK(BM_FirstVisiblePhotometric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstVisibleByCriterion)->Unit(benchmark::kMillisecond);

}  // namespace
