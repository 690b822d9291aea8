// What a session remembers between searches (the Sun's transits, rises and
// sets per day and place, the Earth of a planet's light-time loop) never
// answers for other inputs: after each change below, a session that has
// searched before gives what a fresh session with the changed inputs gives.
#include <gtest/gtest.h>

#include <cmath>
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

constexpr int32_t k1Mar2024 = 738946;

void placeAt(Session& s, double lat, double lon, double height) {
  s.udtLocation.moveTo({lat, lon, height});
  s.udtWeather.udtBasis = kWeatherGlobal;
}

// Sunsets and sunrises of two neighbouring days, the Moon's set, and the
// Sun's place after a planet's (whose light-time loop leaves an Earth behind).
std::vector<double> searches(Session& s) {
  std::vector<double> out;
  for (int32_t day : {k1Mar2024, k1Mar2024 + 1}) {
    for (bool set : {true, false}) {
      double t = 0;
      EXPECT_TRUE(SunRiseSet(s, day, set, t));
      out.push_back(t);
    }
  }
  bool ok = true, neverRises = false, neverSets = false;
  out.push_back(s.hbody.RiseSet("Moon", k1Mar2024, true, true, neverRises, neverSets, ok));
  udtHBody mars, sun;
  s.hbody.TrueHBody("Mars", k1Mar2024 + 0.75, mars, ok);
  s.hbody.TrueHBody("Sun", k1Mar2024 + 0.75 - mars.DistanceGeo * 3.86068915885e-11, sun, ok);
  out.insert(out.end(), {mars.AltRefr, sun.AltRefr, sun.AzTopo});
  return out;
}

TEST(SearchMemory, ForgottenWhenThePlaceOrTheWeatherChanges) {
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
      {"a dialog's change", [](Session& s) {
         placeAt(s, -33.92, 18.42, 10);
         s.blnPositionsStale = true;
       }},
  };
  for (bool newInput : {false, true}) {
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(change.what) + (newInput ? ", inputs new" : ""));
      RecordedSession used;
      placeAt(used.session, 31.7767, 35.2345, 800);
      used.session.blnNewInput = newInput;
      std::vector<double> before = searches(used.session);
      change.apply(used.session);
      std::vector<double> after = searches(used.session);

      RecordedSession fresh;
      placeAt(fresh.session, 31.7767, 35.2345, 800);
      fresh.session.blnNewInput = newInput;
      change.apply(fresh.session);
      std::vector<double> expected = searches(fresh.session);
      ASSERT_EQ(after.size(), expected.size());
      for (size_t i = 0; i < after.size(); ++i) EXPECT_NEAR(after[i], expected[i], 1e-9) << "result " << i;
      // The change moved the sunsets, so a remembered one would have shown.
      EXPECT_GT(std::fabs(after[0] - before[0]), 1e-6);
    }
  }
}

}  // namespace
}  // namespace nemora
