// Invariants of the crescent verdicts over many places and dates: every
// longitude, latitudes from 66 south to 66 north and beyond the polar
// circles, the years 1000 to 3000, evenings and mornings around each new
// Moon. Each case is checked against facts found independently of the
// verdict routines (the Moon's altitude at sunset, its elongation at a
// criterion's moment), not against the routines' own reasoning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/session.h"
#include "base/session_pool.h"
#include "base/date.h"
#include "ephemeris/hbody.h"
#include "map/visibility_map.h"
#include "tests/test_support.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/moon_report.h"
#include "visibility/phases.h"
#include "base/visibility_types.h"

namespace nemora {
namespace {

constexpr double kMinute = 1.0 / 1440;
// Probabilities that count as "no chance" where the Moon is absent.
constexpr double kNoChance = 0.001;

struct Case {
  double lat, lon;
  int32_t day;
  bool evening;
};

// A sea-level observer in the standard atmosphere whose place moves.
struct Observer : testing::RecordedSession {
  Observer() {
    session.udtLocation.blnAutoTZ = false;
    session.udtLocation.dblTZ = 0;
    session.udtWeather.udtBasis = kWeatherFixed;
    session.udtWeather.dblTempMean = 15;
    session.udtWeather.dblPressMean = 1013.25;
    session.udtWeather.dblHumMean = 50;
    session.options.intMoonCalc = kMoonCalcPhotometric;
    session.options.intNIntegrals = 16;
  }
  void at(double lat, double lon) { SessionPool::movePlace(session, lat, lon, 0); }
  udtHBody body(const std::string& name, double t) {
    udtHBody r;
    bool ok = false;
    session.hbody.TrueHBody(name, t, r, ok);
    EXPECT_TRUE(ok) << sink.last();
    return r;
  }
  // The upper limb above the flat horizon, refracted (degrees).
  double moonTop(double t) {
    udtHBody m = body("Moon", t);
    return m.AltRefr + m.Radius;
  }
};

// Deterministic cases: conjunctions spread over 1000 to 3000, each seen from
// a place anywhere on Earth, on the days around it; a tenth of the places lie
// beyond the polar circles.
std::vector<Case> sweepCases(Observer& o, int count) {
  std::vector<Case> cases;
  uint64_t state = 20241210;
  auto next = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;  // [0, 1)
  };
  const double from = 364878, to = 1095363;  // 1 January 1000 and 3000
  while (static_cast<int>(cases.size()) < count) {
    bool ok = true;
    double conjunction = o.session.hbody.moon.FindPhase(from + (to - from) * next(), 0, false, ok);
    EXPECT_TRUE(ok);
    for (int k = 0; k < 4; ++k) {
      bool polar = next() < 0.1;
      double lat = polar ? (next() < 0.5 ? -1 : 1) * (67 + 22.9 * next()) : -66 + 132 * next();
      double lon = -180 + 360 * next();
      bool evening = next() < 0.5;
      // From two days before the conjunction to three after it (the other
      // way round in the morning).
      int offset = static_cast<int>(next() * 6) - 2;
      int32_t day = static_cast<int32_t>(std::floor(conjunction + lon / 360)) + (evening ? offset : -offset);
      cases.push_back({lat, lon, day, evening});
    }
  }
  cases.resize(static_cast<size_t>(count));
  return cases;
}

TEST(CrescentSweep, VerdictsProbabilitiesAndTimesHoldEverywhere) {
  Observer o;
  Session& s = o.session;
  int visibleEvenings = 0, absentMoons = 0, danjon = 0;
  for (const Case& c : sweepCases(o, 2000)) {
    o.at(c.lat, c.lon);
    const std::string where = "lat " + std::to_string(c.lat) + " lon " + std::to_string(c.lon) + " day " +
                              std::to_string(c.day) + (c.evening ? " evening" : " morning");
    SCOPED_TRACE(where);
    bool ok = true;
    CrescentEvening e;
    MoonReport(s).EvaluateAll(c.day, c.evening, e, ok);
    ASSERT_TRUE(ok) << o.sink.last();
    udtVisibility table;
    s.hbody.VisibilityOn("Moon", c.day, c.evening, false, true, false, table, ok);
    ASSERT_TRUE(ok) << o.sink.last();
    ASSERT_GE(table.dblPMax, 0);
    ASSERT_LE(table.dblPMax, 1);

    bool neverRises = false, neverSets = false;
    const double sun = s.hbody.RiseSet("Sun", c.day, c.evening, true, neverRises, neverSets, ok);
    ASSERT_TRUE(ok);
    const bool noSunEvent = neverRises || neverSets;
    // The Moon's place at sunset (sunrise), away from the horizon's edge.
    const double top = noSunEvent ? 0 : o.moonTop(sun);
    const bool moonAbsent = noSunEvent || top < -0.05;
    absentMoons += moonAbsent;

    for (int16_t type = 1; type <= kCritLastType; ++type) {
      const udtCriterionResult& r = e.named[static_cast<size_t>(type)];
      const CriterionVerdict v = judgeCrescent(type, r);
      SCOPED_TRACE(criterionTypeNames()[static_cast<size_t>(type)]);
      if (moonAbsent) {
        EXPECT_FALSE(v.blnEye || v.blnAid);
        EXPECT_NE(v.bar, CrescentBar::None);
        continue;
      }
      udtHBody moon = o.body("Moon", r.dblMoment);
      const bool belowDanjon = moon.ElongationTopo < kDanjonLimit - 0.01;
      const bool down = moon.AltRefr + moon.Radius < -0.05;
      danjon += belowDanjon;
      if (belowDanjon || down) {
        EXPECT_FALSE(v.blnEye || v.blnAid) << "value " << v.dblValue;
      }
    }

    if (moonAbsent) {
      EXPECT_TRUE(table.blnNeverVisible);
      EXPECT_LE(table.dblPMax, kNoChance);
      continue;
    }
    if (table.blnNeverVisible) continue;
    ++visibleEvenings;
    // Sunset <= start <= t1 <= t2 <= t3 <= t4 <= end <= moonset (the morning
    // mirrored), the end being where the Moon's top meets the horizon.
    const double sunEvent = sun, moonEvent = c.evening ? table.dblEnd : table.dblStart;
    EXPECT_NEAR(c.evening ? table.dblStart : table.dblEnd, sunEvent, kMinute);
    const std::vector<double> order{table.dblStart, table.dblT1, table.dblT2, table.dblT3, table.dblT4, table.dblEnd};
    for (size_t i = 1; i < order.size(); ++i) EXPECT_LE(order[i - 1], order[i] + 1e-9) << "step " << i;
    EXPECT_GE(table.dblTMax, table.dblStart - 1e-9);
    EXPECT_LE(table.dblTMax, table.dblEnd + 1e-9);
    // A Moon that does not set (rise) that day ends (opens) the interval at
    // its lowest; any other at its crossing of the horizon. (The search puts
    // the refraction of the Moon's centre on its top, a few tenths of a
    // degree more near the horizon.)
    const double atEvent = o.moonTop(moonEvent);
    const double before = o.moonTop(moonEvent - 20 * kMinute), after = o.moonTop(moonEvent + 20 * kMinute);
    if (atEvent > 0.3) {
      EXPECT_GT(std::min(before, after), atEvent - 0.25) << "neither a crossing nor the lowest point";
    } else {
      EXPECT_NEAR(atEvent, 0, 0.3);
      EXPECT_GT(c.evening ? before : after, atEvent);
    }

    // Along the evening the chance follows the Moon's contrast against the
    // sky: it never rises while the contrast falls, and stays below the
    // evening's best.
    double previousP = -1, previousC = -1;
    for (int i = 0; i <= 8; ++i) {
      double t = table.dblStart + (table.dblEnd - table.dblStart) * i / 8;
      double P = s.hbody.HBProbVis("Moon", t, ok);
      ASSERT_TRUE(ok) << o.sink.last();
      double C = s.hbody.SightContrast("Moon", t, ok);
      ASSERT_TRUE(ok) << o.sink.last();
      EXPECT_LE(P, table.dblPMax + 0.01) << "instant " << i;
      if (previousC >= 0 && C < previousC) {
        EXPECT_LE(P, previousP + 1e-12) << "instant " << i;
      }
      if (o.body("Moon", t).ElongationTopo < kDanjonLimit) {
        EXPECT_LE(P, kNoChance);
      }
      previousP = P;
      previousC = C;
    }
  }
  // The sweep reaches every kind of evening.
  EXPECT_GT(visibleEvenings, 100);
  EXPECT_GT(absentMoons, 300);
  EXPECT_GT(danjon, 100);
}

// The map holds in each cell what the single place answers.
TEST(CrescentSweep, AnEveningsCriteriaEqualEachEvaluatedAlone) {
  // The evening's criteria share one conjunction a frame; each must still
  // equal its own evaluation to the last bit, but for the conjunction, which
  // its own search finds within a millisecond of the shared one.
  Observer o;
  Session& s = o.session;
  for (const Case& c : sweepCases(o, 120)) {
    o.at(c.lat, c.lon);
    SCOPED_TRACE("lat " + std::to_string(c.lat) + " lon " + std::to_string(c.lon) + " day " + std::to_string(c.day));
    bool ok = true;
    CrescentEvening e;
    MoonReport(s).EvaluateAll(c.day, c.evening, e, ok);
    ASSERT_TRUE(ok) << o.sink.last();
    for (int16_t type = 1; type <= kCritLastType; ++type) {
      udtCriterion k;
      k.intType = type;
      s.hbody.moon.SetCriterion(k, true, ok);
      udtCriterionResult alone;
      s.hbody.moon.Criterion(c.day, c.evening, k, alone, ok, type == e.criterion.intType);
      ASSERT_TRUE(ok) << o.sink.last();
      const udtCriterionResult& shared = type == e.criterion.intType ? e.inForce : e.named[static_cast<size_t>(type)];
      constexpr double kMillisecond = 1.0 / 86400000;
      EXPECT_EQ(shared.dblConjunction, e.inForce.dblConjunction) << type;
      EXPECT_NEAR(shared.dblConjunction, alone.dblConjunction, kMillisecond) << type;
      EXPECT_NEAR(shared.dblAge, alone.dblAge, 24 * kMillisecond) << type;
      EXPECT_EQ(shared.dblMoment, alone.dblMoment) << type;
      const bool byAge = k.intBrightness == 0;
      if (byAge) {
        EXPECT_NEAR(shared.dblV, alone.dblV, 1e-6) << type;
        EXPECT_NEAR(shared.dblZ, alone.dblZ, 1e-6) << type;
      } else {
        EXPECT_EQ(shared.dblV, alone.dblV) << type;
        EXPECT_EQ(shared.dblZ, alone.dblZ) << type;
      }
    }
  }
}

TEST(CrescentSweep, MapCellsAreTheSinglePlaceAnswer) {
  Observer o;
  Session& s = o.session;
  s.udtUserCriterion.intType = kCritYallop;
  s.udtDateIn = calendarDate(dtGregorian, 2024, 3, 11);
  s.udtTimeIn.enmTimeType = 0;  // UTC
  bool ok = true;
  s.dblFixDate = 738956;
  s.dblFixTime = 0.5;
  MapRequest request;
  request.grid = {30, -60, 60, -180, 180};
  request.intThreads = 2;
  for (MapMode mode : {MapMode::Criterion, MapMode::Photometric}) {
    request.mode = mode;
    VisibilityMap map;
    ASSERT_TRUE(computeVisibilityMap(s, request, map));
    ASSERT_EQ(map.cells.size(), 48u);
    for (const MapCell& cell : map.cells) {
      SCOPED_TRACE(std::to_string(cell.dblLatitude) + " " + std::to_string(cell.dblLongitude));
      o.at(cell.dblLatitude, cell.dblLongitude);
      ASSERT_NE(cell.kind, CellKind::Failed);
      if (mode == MapMode::Criterion) {
        udtCriterion k;
        k.intType = kCritYallop;
        s.hbody.moon.SetCriterion(k, true, ok);
        udtCriterionResult r;
        s.hbody.moon.Criterion(map.lngDay, true, k, r, ok);
        ASSERT_TRUE(ok);
        CriterionVerdict v = judgeCrescent(kCritYallop, r);
        EXPECT_EQ(cell.kind == CellKind::Value, v.bar == CrescentBar::None);
        // The map's Sun and Moon come from its geocentric table (within
        // 0.001" of the series): q agrees far below its printed digits.
        if (cell.blnHasValue) {
          EXPECT_NEAR(cell.dblValue, v.dblValue, 1e-6);
        }
        if (v.chClass && v.bar == CrescentBar::None) {
          EXPECT_EQ(cell.intZone, v.chClass - 'A');
        }
      } else {
        udtVisibility table;
        s.hbody.VisibilityOn("Moon", map.lngDay, true, false, true, false, table, ok);
        ASSERT_TRUE(ok);
        if (table.bar != CrescentBar::None) {
          EXPECT_NE(cell.kind, CellKind::Value);
        }
        if (cell.kind == CellKind::Value) {
          EXPECT_NEAR(cell.dblValue, table.dblPMax, 0.01);
        }
      }
    }
  }
}

// The first evenings of successive new crescents (and the last mornings of
// the old ones) lie a lunation apart at places all round the world, west of
// Greenwich as well as east of it. Far north a lunation may have no crescent
// that the criterion passes (Reykjavik's spring mornings of 2025): there the
// dates still come one a lunation at most.
TEST(CrescentSweep, FirstVisibleDatesAreALunationApart) {
  Observer o;
  Session& s = o.session;
  s.udtUserCriterion.intType = kCritYallop;
  struct PlaceRow {
    double lat, lon;
    bool far;
  };
  const PlaceRow places[] = {{51.5, -0.13, false},  {40.7, -74.0, false},  {-33.4, -70.7, false},
                             {21.3, -157.9, false}, {19.4, -99.1, false},  {-22.9, -43.2, false},
                             {49.3, -123.1, false}, {-17.5, -149.6, false}, {13.4, 144.8, false},
                             {-12.0, -77.0, false}, {31.8, 35.2, false},   {21.4, 39.8, false},
                             {-33.9, 151.2, false}, {35.7, 139.7, false},  {28.6, 77.2, false},
                             {-1.3, 36.8, false},   {6.5, 3.4, false},     {55.8, 37.6, false},
                             {-41.3, 174.8, false}, {4.7, -74.1, false},   {64.1, -21.9, true},
                             {61.2, -149.9, true}};
  MoonPhases phases(s);
  for (const PlaceRow& p : places) {
    o.at(p.lat, p.lon);
    SCOPED_TRACE(std::to_string(p.lat) + " " + std::to_string(p.lon));
    for (bool newCrescent : {true, false}) {
      bool ok = true;
      double start = phases.LocalNoon(739252);  // 1 January 2025
      int32_t previous = 0;
      for (int n = 0; n < 6; ++n) {
        int32_t day = phases.NextVisibleDate(start, newCrescent, false, ok);
        ASSERT_TRUE(ok) << o.sink.last();
        if (n > 0 && p.far) {
          // Far north the crescent comes one to five days after the
          // conjunction: dates 26 to 33 days apart, or a lunation skipped.
          EXPECT_GE(day - previous, 25) << "lunation " << n;
        } else if (n > 0) {
          EXPECT_GE(day - previous, 28) << "lunation " << n;
          EXPECT_LE(day - previous, 31) << "lunation " << n;
        }
        previous = day;
        start = phases.LocalNoon(day + 1);
      }
    }
  }
}

}  // namespace
}  // namespace nemora
