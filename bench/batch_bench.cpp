// The command line's batch conversion of fixed days to Hebrew dates (one
// evaluation per line, as `nemora-cli convert --to Hebrew --date-type Fixed
// --date -` makes it), rise and set on days far apart (nothing from the day
// before helps), and the pieces of start-up: reading the location database
// and a session's first evaluation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/main_model.h"
#include "base/messages.h"
#include "app/session.h"
#include "base/date.h"
#include "location/location_data.h"
#include "base/time_types.h"

namespace {

using namespace nemora;

constexpr int32_t kFirstDay = 738886;  // 1 January 2024
// 1 January 2024 as the clock serial of the start-up (days from 30 December 1899).
constexpr double kClockSerial = 45292.5;

// A session started as the command line starts it, at Jerusalem (the
// shipped Curloc.bak read as the last location).
struct StartedSession {
  StartedSession() : session(sink), model(session) {
    session.workDir = std::filesystem::temp_directory_path() / "nemora_bench";
    std::filesystem::create_directories(session.workDir);
    std::filesystem::copy_file(session.dataFile("Curloc.bak"), session.workFile("Curloc.txt"),
                               std::filesystem::copy_options::overwrite_existing);
    model.startUp(kClockSerial);
  }
  RecordingMessageSink sink;
  Session session;
  MainModel model;
};

// One batch line: a fixed day in, its Hebrew date and local time out.
void BM_CliBatchFixedToHebrew(benchmark::State& state) {
  StartedSession b;
  Session& s = b.session;
  b.model.enmDateTypeOut = dtHebrew;
  b.model.enmTimeTypeOut = ttLocal;
  int32_t day = kFirstDay;
  for (auto _ : state) {
    s.udtDateIn.enmDateType = dtFixed;
    s.udtDateIn.dblDay = ++day;
    if (!b.model.chooseConvertAndEvaluate()) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(b.model.labels.lblOutput3);
  }
}

void riseSetFarApart(benchmark::State& state, const std::string& name) {
  StartedSession b;
  Session& s = b.session;
  int32_t day = kFirstDay;
  for (auto _ : state) {
    bool neverRises = false, neverSets = false, ok = false;
    day += 37;  // nothing found for a neighbouring day
    double t = s.hbody.RiseSet(name, day, (day & 1) != 0, true, neverRises, neverSets, ok);
    benchmark::DoNotOptimize(t);
    if (!ok) state.SkipWithError("RiseSet failed");
  }
}
void BM_RiseSetSunApparentFarApart(benchmark::State& state) { riseSetFarApart(state, "Sun"); }
void BM_RiseSetMoonApparentFarApart(benchmark::State& state) { riseSetFarApart(state, "Moon"); }

// The whole location database from its file, as start-up reads it.
void BM_ReadLocationDatabase(benchmark::State& state) {
  RecordingMessageSink sink;
  Session s(sink);
  const std::filesystem::path path = s.dataFile("Locations.txt");
  for (auto _ : state) {
    ValueReader file = ValueReader::open(path);
    LocationData data = readLocationData(s, file);
    benchmark::DoNotOptimize(data);
  }
}

// A new session's start-up and first evaluation (the shared files already
// loaded, as for every session after the first in a process).
void BM_StartUpSession(benchmark::State& state) {
  StartedSession warm;
  for (auto _ : state) {
    StartedSession b;
    benchmark::DoNotOptimize(b.model.labels.lblOutput3);
  }
}

BENCHMARK(BM_CliBatchFixedToHebrew);
BENCHMARK(BM_RiseSetSunApparentFarApart);
BENCHMARK(BM_RiseSetMoonApparentFarApart);
BENCHMARK(BM_ReadLocationDatabase);
BENCHMARK(BM_StartUpSession);

}  // namespace
