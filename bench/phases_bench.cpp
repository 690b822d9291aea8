// The conjunction report at Jerusalem (geocentric and topocentric searches,
// mean conjunction and molad, four instant texts), a lunation later every
// call; and one search for the first evening of the new crescent by the
// Yallop criterion, a lunation later every call.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "base/messages.h"
#include "app/session.h"
#include "base/criterion_types.h"
#include "visibility/phases.h"

namespace {

using namespace nemora;

constexpr double kFirstDay = 738886;  // 1 January 2024

struct BenchSession {
  BenchSession() : session(sink) {
    session.udtLocation.dblLatitude = 31.7767;
    session.udtLocation.dblLongitude = 35.2345;
    session.udtLocation.dblHeight = 800;
    session.udtLocation.dblTZ = 2;
    session.udtLocation.moveTo({31.7767, 35.2345, 800});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.udtUserCriterion.intType = kCritYallop;
  }
  RecordingMessageSink sink;
  Session session;
};

void BM_ConjunctionReport(benchmark::State& state) {
  BenchSession b;
  b.session.dblFixDate = kFirstDay;
  for (auto _ : state) {
    b.session.dblFixDate += 29.530588861;
    bool ok = false;
    std::string text = MoonPhases(b.session).ConjunctionReport(ok);
    benchmark::DoNotOptimize(text);
    if (!ok) state.SkipWithError("ConjunctionReport failed");
  }
}

void BM_NextVisibleDateYallop(benchmark::State& state) {
  BenchSession b;
  double start = kFirstDay;
  for (auto _ : state) {
    start += 29.530588861;
    bool ok = false;
    int32_t day = MoonPhases(b.session).NextVisibleDate(start, true, false, ok);
    benchmark::DoNotOptimize(day);
    if (!ok) state.SkipWithError("NextVisibleDate failed");
  }
}

}  // namespace

BENCHMARK(BM_ConjunctionReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextVisibleDateYallop)->Unit(benchmark::kMillisecond);
