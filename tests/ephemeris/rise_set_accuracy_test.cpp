// Rise and set of the Sun and the Moon against an independent ephemeris:
// the reference instants of tests/data/rise_set_reference.csv (astronomy-engine,
// seven places from the equator to 61 N, 2024, every third day).
//
// The geometric instants (the centre at true altitude 0, topocentric, without
// refraction) are defined alike on both sides and must agree closely. The
// apparent ones use different refraction models (our table at the local
// temperature and pressure; the engine's 34 arcminutes scaled by the air
// density), so only a loose bound holds for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ephemeris/hbody.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr double kSecondsPerDay = 86400;

// Tolerances in seconds of time. The goals were 5 s for the Sun and 20 s for
// the Moon; against the reference of 2024 the largest geometric differences
// are 0.7 s for the Sun and 2.4 s for the Moon (the Moon's at 60-61 N), so
// the bounds are those figures with a margin. They hold when the observer's
// place lies on the Earth's ellipsoid: taking the Earth as a sphere of the
// equatorial radius puts the observer 16 km too far from the centre at 60 N
// (21 km at the poles), which moves the Moon's topocentric place by up to
// 9 arcseconds and its grazing moonsets at 61 N by up to half a minute.
// The apparent bound covers the two refraction models (ours: the table at
// the local temperature and pressure; the engine's: 34 arcminutes scaled by
// the air density), which agree to a few seconds at the horizon except at
// height and at high latitudes, where the body climbs slowly.
constexpr double kSunGeometric = 2;
constexpr double kMoonGeometric = 5;
constexpr double kApparent = 30;
// The transit of a body that does not rise or set that day (largest
// difference 1.2 s, the Moon at 61 N).
constexpr double kTransit = 5;

struct Place {
  std::string name;
  double lat = 0, lon = 0, height = 0;
  double temperature = 0, pressure = 0;  // standard atmosphere at the height: C, mbar
};

enum class Kind { rise, set, neverRises, neverSets };

struct Event {
  std::string place, body;
  int32_t day = 0;
  Kind kind = Kind::rise;
  double geometric = 0;   // never-rises (never-sets) days: the upper (lower) transit
  double apparent = NAN;  // NaN: the reference has none on that day
};

struct Reference {
  std::vector<Place> places;
  std::vector<Event> events;
};

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

double number(const std::string& text) {
  double value = NAN;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return NAN;
  return value;
}

// The reference file, read once; '#' starts a comment line.
const Reference& reference() {
  static const Reference ref = [] {
    Reference r;
    const std::map<std::string, Kind> kinds = {
        {"rise", Kind::rise}, {"set", Kind::set}, {"never-rises", Kind::neverRises}, {"never-sets", Kind::neverSets}};
    std::ifstream in(std::filesystem::path(NEMORA_TEST_DATA_DIR) / "rise_set_reference.csv");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      auto f = split(line);
      if (f.size() == 7 && f[0] == "place") {
        r.places.push_back({f[1], number(f[2]), number(f[3]), number(f[4]), number(f[5]), number(f[6])});
      } else if (f.size() == 6 && kinds.count(f[3])) {
        Event e{f[0], f[2], static_cast<int32_t>(number(f[1])), kinds.at(f[3]), number(f[4]),
                f[5].empty() ? NAN : number(f[5])};
        r.events.push_back(e);
      } else {
        ADD_FAILURE() << "unreadable reference line: " << line;
      }
    }
    return r;
  }();
  return ref;
}

const Place& placeNamed(const std::string& name) {
  const auto& places = reference().places;
  auto it = std::find_if(places.begin(), places.end(), [&](const Place& p) { return p.name == name; });
  if (it == places.end()) throw std::runtime_error("no place " + name);
  return *it;
}

// One difference (ours minus the reference, seconds) with where it came from.
struct Difference {
  double seconds = 0;
  const Event* event = nullptr;
};

std::string describe(const Difference& d) {
  std::ostringstream s;
  static const char* const names[] = {" rise ", " set ", " never rises ", " never sets "};
  s << d.event->place << " day " << d.event->day << " " << d.event->body << names[static_cast<int>(d.event->kind)]
    << d.seconds << " s";
  return s.str();
}

class RiseSetAccuracy : public ::testing::TestWithParam<std::string> {
 protected:
  RiseSetAccuracy() : s(rs.session) {
    const Place& p = placeNamed(GetParam());
    s.udtLocation.dblLatitude = p.lat;
    s.udtLocation.dblLongitude = p.lon;
    s.udtLocation.dblHeight = p.height;
    s.udtLocation.moveTo({p.lat, p.lon, p.height});
    s.udtWeather.udtBasis = kWeatherFixed;
    s.udtWeather.dblTempMean = p.temperature;
    s.udtWeather.dblPressMean = p.pressure;
    s.udtWeather.dblHumMean = 50;
  }

  // Our instants for every reference event of this place and body, on the
  // geometric or the flat horizon, against the reference's; every event must
  // be found as a rise or set (not a never-rises or never-sets day).
  std::vector<Difference> differences(const std::string& body, bool apparent) {
    std::vector<Difference> out;
    for (const Event& e : reference().events) {
      if (e.place != GetParam() || e.body != body) continue;
      if (e.kind != Kind::rise && e.kind != Kind::set) continue;
      double ref = apparent ? e.apparent : e.geometric;
      if (std::isnan(ref)) continue;
      bool neverRises = false, neverSets = false, ok = false;
      double t = s.hbody.RiseSet(body, e.day, e.kind == Kind::set, apparent, neverRises, neverSets, ok);
      Difference d{(t - ref) * kSecondsPerDay, &e};
      EXPECT_TRUE(ok && !neverRises && !neverSets) << describe(d) << (neverRises ? " never rises" : "")
                                                   << (neverSets ? " never sets" : "");
      out.push_back(d);
    }
    EXPECT_TRUE(rs.sink.messages.empty()) << rs.sink.last();
    return out;
  }

  // Every difference within the tolerance; the failure lists the worst few.
  static void expectWithin(std::vector<Difference> diffs, double tolerance) {
    ASSERT_FALSE(diffs.empty());
    std::sort(diffs.begin(), diffs.end(),
              [](const Difference& a, const Difference& b) { return std::fabs(a.seconds) > std::fabs(b.seconds); });
    auto beyond = std::count_if(diffs.begin(), diffs.end(),
                                [&](const Difference& d) { return !(std::fabs(d.seconds) <= tolerance); });
    std::string worst;
    for (size_t i = 0; i < std::min<size_t>(5, diffs.size()); ++i) worst += "\n  " + describe(diffs[i]);
    EXPECT_EQ(beyond, 0) << "of " << diffs.size() << " beyond " << tolerance << " s; the largest:" << worst;
  }

  RecordedSession rs;
  Session& s;
};

TEST(RiseSetReference, CoversEveryPlaceAndBothBodies) {
  const Reference& r = reference();
  ASSERT_EQ(r.places.size(), 7u);
  for (const Place& p : r.places) {
    for (const char* body : {"Sun", "Moon"}) {
      auto n = std::count_if(r.events.begin(), r.events.end(),
                             [&](const Event& e) { return e.place == p.name && e.body == body; });
      EXPECT_GT(n, 150) << p.name << " " << body;
    }
  }
  // The Moon near its greatest southern declination stays below the horizon at 61 N.
  EXPECT_GE(std::count_if(r.events.begin(), r.events.end(), [](const Event& e) { return e.kind == Kind::neverRises; }),
            5);
  for (const Event& e : r.events) {
    ASSERT_FALSE(std::isnan(e.geometric)) << e.place << " " << e.day;
    // The event lies within half a day of the place's local mean noon.
    EXPECT_LT(std::fabs(e.geometric - (e.day + 0.5 - placeNamed(e.place).lon / 360)), 0.5);
  }
}

// On a day when the body stays below (above) the horizon both the rise and
// the set search say so and give the instant of its greatest (least)
// altitude, the upper (lower) transit.
TEST_P(RiseSetAccuracy, DaysWithoutRiseOrSetGiveTheTransit) {
  std::vector<Difference> diffs;
  for (const Event& e : reference().events) {
    if (e.place != GetParam() || (e.kind != Kind::neverRises && e.kind != Kind::neverSets)) continue;
    for (bool set : {false, true}) {
      bool neverRises = false, neverSets = false, ok = false;
      double t = s.hbody.RiseSet(e.body, e.day, set, false, neverRises, neverSets, ok);
      Difference d{(t - e.geometric) * kSecondsPerDay, &e};
      EXPECT_TRUE(ok) << describe(d);
      EXPECT_EQ(neverRises, e.kind == Kind::neverRises) << describe(d);
      EXPECT_EQ(neverSets, e.kind == Kind::neverSets) << describe(d);
      diffs.push_back(d);
    }
  }
  EXPECT_TRUE(rs.sink.messages.empty()) << rs.sink.last();
  if (!diffs.empty()) expectWithin(diffs, kTransit);
}

TEST_P(RiseSetAccuracy, GeometricSunrisesAndSunsets) { expectWithin(differences("Sun", false), kSunGeometric); }

TEST_P(RiseSetAccuracy, GeometricMoonrisesAndMoonsets) { expectWithin(differences("Moon", false), kMoonGeometric); }

TEST_P(RiseSetAccuracy, ApparentRisesAndSetsOverTheFlatHorizon) {
  expectWithin(differences("Sun", true), kApparent);
  expectWithin(differences("Moon", true), kApparent);
}

INSTANTIATE_TEST_SUITE_P(Places, RiseSetAccuracy,
                         ::testing::Values("Quito", "Singapore", "Jerusalem", "CapeTown", "NewYork", "Helsinki",
                                           "Anchorage"));

}  // namespace
}  // namespace nemora
