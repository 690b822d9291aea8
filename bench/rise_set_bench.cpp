// Rise and set of the Sun and the Moon at Jerusalem on a new day every call
// (so no kept record answers), and one instant written as a Hebrew date with
// its local time, as the "Convert Date" mode does it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "timescale/conversions.h"
#include "base/messages.h"
#include "app/session.h"
#include "base/date.h"
#include "ephemeris/hbody.h"
#include "base/time_types.h"

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

void riseSetOf(benchmark::State& state, const std::string& name, bool apparent) {
  BenchSession b;
  int32_t day = kFirstDay;
  for (auto _ : state) {
    bool neverRises = false, neverSets = false, ok = false;
    // A new day every call: the noon, the midnights and every step are new.
    ++day;
    double t = b.session.hbody.RiseSet(name, day, (day & 1) != 0, apparent, neverRises, neverSets, ok);
    benchmark::DoNotOptimize(t);
    if (!ok) state.SkipWithError("RiseSet failed");
  }
}

void BM_RiseSetSunGeometric(benchmark::State& state) { riseSetOf(state, "Sun", false); }
void BM_RiseSetSunApparent(benchmark::State& state) { riseSetOf(state, "Sun", true); }
void BM_RiseSetMoonGeometric(benchmark::State& state) { riseSetOf(state, "Moon", false); }
void BM_RiseSetMoonApparent(benchmark::State& state) { riseSetOf(state, "Moon", true); }

// An instant as a Hebrew date and a local time at Jerusalem with its zone
// history: the sunset that starts the Hebrew day, the local offset and the
// calendar, for a new instant every call.
void BM_ConvertToHebrewDateLocalTime(benchmark::State& state) {
  BenchSession b;
  Session& s = b.session;
  s.locations.GetLocationData();
  if (!s.currentLocation.GetPositionFromName("Israel", "Jerusalem", "Center", true)) {
    state.SkipWithError("Jerusalem not in the location database");
    return;
  }
  double t = kFirstDay + 0.3;
  for (auto _ : state) {
    udtDate date;
    udtTime time;
    bool ok = false;
    t += 0.37;  // a new instant, on a new day most calls, at all hours
    s.conversions.ToDateTime(t, date, dtHebrew, time, ttLocal, ok);
    benchmark::DoNotOptimize(date);
    if (!ok) state.SkipWithError("ToDateTime failed");
  }
}

BENCHMARK(BM_RiseSetSunGeometric);
BENCHMARK(BM_RiseSetSunApparent);
BENCHMARK(BM_RiseSetMoonGeometric);
BENCHMARK(BM_RiseSetMoonApparent);
BENCHMARK(BM_ConvertToHebrewDateLocalTime);

}  // namespace
