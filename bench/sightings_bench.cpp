// The analysis of Yallop's 295 recorded sightings (data/sightings/yallop.csv):
// every named criterion and the photometric model for each record, scored,
// on one worker per core; with and without the Delta T test (which
// evaluates each record twice more). The records are read once outside the
// timing.
#include <benchmark/benchmark.h>

#include "base/messages.h"
#include "app/session.h"
#include "sightings/sighting_analysis.h"
#include "sightings/sighting_file.h"

namespace {

using namespace nemora;

void analyse(benchmark::State& state, bool deltaTTest) {
  RecordingMessageSink sink;
  Session session(sink);
  session.dataDir = defaultDataDir();
  // The weather of each record comes from the climate of the nearest place.
  session.locations.GetLocationData();
  SightingsFile file = ReadSightingsFile(session, session.dataFile("sightings/yallop.csv"));
  if (!file.strError.empty() || file.records.empty()) {
    state.SkipWithError("data/sightings/yallop.csv not read");
    return;
  }
  AnalysisSettings settings;
  settings.threads = static_cast<unsigned>(state.range(0));
  settings.blnDeltaTTest = deltaTTest;
  for (auto _ : state) {
    SightingsAnalysis a = AnalyzeSightings(session, file, settings);
    if (!a.failed.empty()) {
      state.SkipWithError("a record could not be evaluated");
      return;
    }
    benchmark::DoNotOptimize(a.scores.size());
  }
  state.counters["records"] = static_cast<double>(file.records.size());
}

void BM_SightingsYallop(benchmark::State& state) { analyse(state, false); }
void BM_SightingsYallopWithDeltaTTest(benchmark::State& state) { analyse(state, true); }

// 0: one worker per core.
BENCHMARK(BM_SightingsYallop)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_SightingsYallopWithDeltaTTest)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
