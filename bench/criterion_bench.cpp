// The Yallop criterion for one evening at Jerusalem (sunset, moonset, the
// best time, the positions and the conjunction for the age), on a new evening
// every call so that no kept record answers; the evening of `crescent`, with
// the criterion in force (every measure) and each named criterion; and the
// conjunction search alone.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/hbody.h"
#include "base/criterion_types.h"
#include "visibility/moon_report.h"

namespace {

using namespace nemora;

constexpr int32_t kFirstDay = 738886;  // 1 January 2024

struct BenchSession {
  BenchSession() : session(sink) {
    session.udtLocation.dblLatitude = 31.7767;
    session.udtLocation.dblLongitude = 35.2345;
    session.udtLocation.dblHeight = 800;
    session.udtLocation.moveTo({31.7767, 35.2345, 800});
    session.udtWeather.udtBasis = kWeatherFixed;
  }
  RecordingMessageSink sink;
  Session session;
};

void BM_CriterionYallopEvening(benchmark::State& state) {
  BenchSession b;
  udtCriterion yallop;
  criterionPreset(kCritYallop, yallop);
  int32_t day = kFirstDay;
  for (auto _ : state) {
    udtCriterionResult result;
    bool ok = false;
    b.session.hbody.moon.Criterion(++day, true, yallop, result, ok);
    benchmark::DoNotOptimize(result.dblZ);
    if (!ok) state.SkipWithError("Criterion failed");
  }
}

// A thousand evenings from 1 January 2024 in turn: the evenings the peer
// comparison runs (tools/oracle/peer_bench.js, EveningYallopOdeh).
void BM_CrescentEveningAllCriteria(benchmark::State& state) {
  BenchSession b;
  b.session.udtUserCriterion.intType = kCritYallop;
  // The default weather basis, Local: the nearest place's climate, as the
  // command line's evening has it.
  b.session.locations.GetLocationData();
  b.session.udtWeather.udtBasis = kWeatherLocal;
  int64_t n = 0;
  for (auto _ : state) {
    CrescentEvening evening;
    bool ok = true;
    MoonReport(b.session).EvaluateAll(kFirstDay + static_cast<int32_t>(n++ % 1000), true, evening, ok);
    benchmark::DoNotOptimize(evening.named[kCritOdeh].dblZ);
    if (!ok) state.SkipWithError("EvaluateAll failed");
  }
}

void BM_FindPhaseConjunction(benchmark::State& state) {
  BenchSession b;
  double start = kFirstDay;
  for (auto _ : state) {
    bool ok = false;
    // A start a lunation later every call, some days from the conjunction.
    start += 29.530588861;
    double t = b.session.hbody.moon.FindPhase(start, 0, false, ok);
    benchmark::DoNotOptimize(t);
    if (!ok) state.SkipWithError("FindPhase failed");
  }
}

}  // namespace

BENCHMARK(BM_CriterionYallopEvening);
BENCHMARK(BM_CrescentEveningAllCriteria)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindPhaseConjunction);
