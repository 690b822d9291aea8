// The probability of visibility at Jerusalem on the evening of 11 March 2024
// (a Moon 33 hours old): ProbVis alone at one point, the Moon's HBProbVis at
// a new instant every call, and one whole photometric evening: asked with
// other flags (so no kept table answers), and after the observer has changed
// (the observer dialog's OK).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/hbody.h"

namespace {

using namespace nemora;

constexpr int32_t k11Mar2024 = 738956;
constexpr double kDusk = k11Mar2024 + 0.68;  // 16:19 UT, the Sun 5 degrees down

struct BenchSession {
  BenchSession() : session(sink) {
    session.udtLocation.dblLatitude = 31.7767;
    session.udtLocation.dblLongitude = 35.2345;
    session.udtLocation.dblHeight = 754;
    session.udtLocation.moveTo({31.7767, 35.2345, 754});
    session.udtWeather.udtBasis = kWeatherFixed;
  }
  RecordingMessageSink sink;
  Session session;
};

void BM_ProbVis64(benchmark::State& state) {
  BenchSession b;
  bool ok = false;
  double t = kDusk;
  for (auto _ : state) {
    // A new instant each call, so the first sky evaluation is a full one.
    t += 1e-6;
    benchmark::DoNotOptimize(b.session.sky.ProbVis(t, 10, 260, 1, 100000, 0.1, 5, ok));
  }
  if (!ok) state.SkipWithError("ProbVis failed");
}

void BM_HBProbVisMoon(benchmark::State& state) {
  BenchSession b;
  bool ok = false;
  double t = kDusk;
  for (auto _ : state) {
    t += 1.0 / 86400;
    benchmark::DoNotOptimize(b.session.hbody.HBProbVis("Moon", t, ok));
  }
  if (!ok) state.SkipWithError("HBProbVis failed");
}

void BM_VisibilityEveningMoon(benchmark::State& state) {
  BenchSession b;
  b.session.options.intMoonCalc = kMoonCalcPhotometric;
  bool ok = false;
  udtVisibility v;
  bool flag = false;
  for (auto _ : state) {
    // The kept table is that of the other flag: the evening is searched again.
    flag = !flag;
    b.session.hbody.Visibility("Moon", k11Mar2024, flag, true, false, v, ok);
    benchmark::DoNotOptimize(v);
  }
  if (!ok) state.SkipWithError("Visibility failed");
}

// One photometric evening after an input that leaves every position as it
// was: the observer's level, changed as the observer dialog's OK changes it.
void BM_VisibilityEveningAfterObserverChange(benchmark::State& state) {
  BenchSession b;
  b.session.options.intMoonCalc = kMoonCalcPhotometric;
  bool ok = false;
  udtVisibility v;
  for (auto _ : state) {
    b.session.udtObserver.blnOverall = false;
    b.session.udtObserver.dblLevel = b.session.udtObserver.dblLevel == 0 ? 0.5 : 0;
    b.session.hbody.Visibility("Moon", k11Mar2024, false, true, false, v, ok);
    benchmark::DoNotOptimize(v);
  }
  if (!ok) state.SkipWithError("Visibility failed");
}

BENCHMARK(BM_ProbVis64);
BENCHMARK(BM_HBProbVisMoon);
BENCHMARK(BM_VisibilityEveningMoon)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VisibilityEveningAfterObserverChange)->Unit(benchmark::kMillisecond);

}  // namespace
