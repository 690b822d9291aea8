// What a session keeps between calls (the time argument, the planets' last
// instants, the Sun's and the Moon's records, the sky's last evaluation, the
// Sun's transits and the rises and sets per day, the weather's nearest place,
// the last visibility table) never answers for other inputs, and nobody marks
// anything stale: after each change of an input below, a session that has
// computed everything before gives what a fresh session with the changed
// inputs gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/session.h"
#include "ephemeris/hbody.h"
#include "ephemeris/rise_set.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr int32_t k11Mar2024 = 738956;
constexpr double kDusk = k11Mar2024 + 0.68;  // 16:19 UT at Jerusalem, a Moon 33 hours old

void startAt(Session& s) {
  s.udtLocation.moveTo({31.7767, 35.2345, 800});
  s.udtWeather.udtBasis = kWeatherGlobal;
  s.options.intMoonCalc = kMoonCalcPhotometric;
}

// Everything computed from the inputs, through every kept result. It starts
// with what it ends with (the weather, the sky at one point with a fixed
// aerosol coefficient, the Sun's and the Moon's records, all at dusk), so
// that a second call would meet the first call's kept results at once.
std::vector<double> results(Session& s) {
  std::vector<double> out;
  bool ok = true;
  auto skyAndRecords = [&] {
    udtWeatherNow now;
    s.weather.GetWeatherNow(kDusk, now, ok);
    out.insert(out.end(), {now.dblTemperature, now.dblPressure, now.dblHumidity});
    out.push_back(s.sky.SkyBrightness(kDusk, 3, 260, 2, true, 0.1, ok));
    udtHBody sun, moon;
    s.hbody.TrueHBody("Sun", kDusk, sun, ok);
    s.hbody.TrueHBody("Moon", kDusk, moon, ok);
    out.insert(out.end(), {sun.AltRefr, sun.AzTopo, moon.AltRefr, moon.AzTopo, moon.ElongationTopo});
  };
  skyAndRecords();
  udtVisibility v;
  s.hbody.Visibility("Moon", k11Mar2024, false, true, false, v, ok);
  out.insert(out.end(), {v.dblTMax, v.dblPMax, v.dblT1, v.dblT2, v.dblT3, v.dblT4, v.dblValue,
                         v.blnNeverVisible ? 1.0 : 0.0});
  out.push_back(s.hbody.HBProbVis("Moon", kDusk + 0.01, ok));
  out.push_back(s.sky.SkyBrightness(kDusk + 0.01, 10, 250, 2, false, 0, ok));
  for (int32_t day : {k11Mar2024, k11Mar2024 + 1}) {
    for (bool set : {true, false}) {
      double t = 0;
      EXPECT_TRUE(SunRiseSet(s, day, set, t));
      out.push_back(t);
    }
  }
  bool neverRises = false, neverSets = false;
  out.push_back(s.hbody.RiseSet("Moon", k11Mar2024, true, true, neverRises, neverSets, ok));
  // A planet's light-time loop leaves an Earth behind for the Sun of its
  // last pass.
  udtHBody mars, sun;
  s.hbody.TrueHBody("Mars", kDusk, mars, ok);
  s.hbody.TrueHBody("Sun", kDusk - mars.DistanceGeo * 3.86068915885e-11, sun, ok);
  out.insert(out.end(), {mars.AltRefr, sun.AltRefr, sun.AzTopo});
  skyAndRecords();
  EXPECT_TRUE(ok);
  return out;
}

// A data folder like the shipped one whose near-horizon refraction is a
// fifth stronger.
void writeStrongerRefraction(const TempDir& dir) {
  namespace fs = std::filesystem;
  for (const auto& entry : fs::directory_iterator(NEMORA_SOURCE_DATA_DIR))
    if (entry.path().filename() != "Refract.txt") fs::create_symlink(entry.path(), dir.path() / entry.path().filename());
  std::string table;
  const double rows[16][2] = {{-5, 1.17763}, {-4, 1.11264}, {-3, 1.00566}, {-2, 0.85592}, {-1.4, 0.75083},
                              {-1, 0.67693}, {-0.7, 0.62047}, {-0.6019, 0.60194}, {-0.3, 0.54814}, {0, 0.50072},
                              {0.5, 0.43326}, {1, 0.37796}, {1.7, 0.31659}, {2.6, 0.25801}, {3.7, 0.20744},
                              {5, 0.16646}};
  for (const auto& row : rows) table += std::to_string(row[0]) + "," + std::to_string(1.2 * row[1]) + "\n";
  dir.write("Refract.txt", table);
}

TEST(SessionMemory, EveryKeptResultFollowsTheInputs) {
  TempDir stronger;
  writeStrongerRefraction(stronger);
  struct Change {
    const char* what;
    std::function<void(Session&)> apply;
  };
  const std::vector<Change> changes = {
      {"latitude", [](Session& s) { s.udtLocation.dblLatitude = 40; }},
      {"longitude", [](Session& s) { s.udtLocation.dblLongitude = 20; }},
      {"height", [](Session& s) { s.udtLocation.dblHeight = 2500; }},
      {"weather basis", [](Session& s) {
         s.udtWeather.udtBasis = kWeatherFixed;
         s.udtWeather.dblPressMean = 900;
       }},
      {"classic model", [](Session& s) { s.options.blnClassicModel = true; }},
      {"Moon by criterion", [](Session& s) { s.options.intMoonCalc = kMoonCalcByCriterion; }},
      {"Local weather", [](Session& s) {
         s.locations.GetLocationData();
         s.udtWeather.udtBasis = kWeatherLocal;
       }},
      {"observer level", [](Session& s) { s.udtObserver = {false, 1.5}; }},
      {"optical aid", [](Session& s) { s.udtObserver.aid = {kAidBinoculars, 50, 7}; }},
      {"criterion", [](Session& s) { s.udtUserCriterion.intType = kCritOdeh; }},
      {"Delta T", [](Session& s) { s.deltaT.dblShift = 600; }},
      {"data folder", [&](Session& s) { s.dataDir = stronger.path(); }},
  };
  auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    RecordedSession used;
    startAt(used.session);
    std::vector<double> before = results(used.session);
    change.apply(used.session);
    std::vector<double> after = results(used.session);

    RecordedSession fresh;
    startAt(fresh.session);
    change.apply(fresh.session);
    std::vector<double> expected = results(fresh.session);
    ASSERT_EQ(after.size(), expected.size());
    for (size_t i = 0; i < after.size(); ++i)
      EXPECT_PRED2(near, after[i], expected[i]) << "result " << i;
    // The change moved some result, so a kept one would have shown.
    EXPECT_FALSE(std::equal(after.begin(), after.end(), before.begin(), before.end(), near));
    EXPECT_TRUE(used.sink.messages.empty()) << used.sink.last();
  }
}

}  // namespace
}  // namespace nemora
