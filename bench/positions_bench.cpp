// Body positions at distinct instants (no cache hits) and a whole coordinate
// report.
#include <benchmark/benchmark.h>

#include <string>

#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/coordinate_reports.h"
#include "ephemeris/hbody.h"

namespace {

using namespace nemora;

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

void positionOf(benchmark::State& state, const std::string& name) {
  BenchSession b;
  double fix = 738956.5;
  for (auto _ : state) {
    udtHBody r;
    bool ok = false;
    fix += 0.001;  // a new instant every call: no cached record or series value
    b.session.hbody.TrueHBody(name, fix, r, ok);
    benchmark::DoNotOptimize(r);
  }
}

void BM_TrueHBodyMoon(benchmark::State& state) { positionOf(state, "Moon"); }
void BM_TrueHBodySun(benchmark::State& state) { positionOf(state, "Sun"); }
void BM_TrueHBodyMars(benchmark::State& state) { positionOf(state, "Mars"); }
void BM_TrueHBodyStar(benchmark::State& state) { positionOf(state, "Sirius"); }

void BM_HorizonReportMoon(benchmark::State& state) {
  BenchSession b;
  b.session.dblFixDate = 738956;
  b.session.dblFixTime = 0.6;
  CoordinateReports reports(b.session);
  for (auto _ : state) {
    b.session.dblFixTime += 1e-6;
    bool ok = false;
    std::string text = reports.report("Moon", "Horizon coordinates", ok);
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK(BM_TrueHBodyMoon);
BENCHMARK(BM_TrueHBodySun);
BENCHMARK(BM_TrueHBodyMars);
BENCHMARK(BM_TrueHBodyStar);
BENCHMARK(BM_HorizonReportMoon);

}  // namespace
