// Meridian transits, rises and sets: the day a crossing belongs to, the
// three horizons, polar day and night, the messages, the sunsets of days
// that begin at sunset, and the rise, set and vernal-equinox reports.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/session.h"
#include "ephemeris/hbody.h"
#include "ephemeris/rise_set.h"
#include "tests/test_support.h"
#include "visibility/sky.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr double kSecond = 1.0 / 86400;
// Fixed day numbers (1 January 2000 is 730120).
constexpr int32_t k1Jan2024 = 738886;
constexpr int32_t k21Jun2024 = 739058;
constexpr int32_t k21Dec2024 = 739241;

struct Observer : RecordedSession {
  Observer(double lat, double lon, double height) {
    session.udtLocation.dblLatitude = lat;
    session.udtLocation.dblLongitude = lon;
    session.udtLocation.dblHeight = height;
    session.udtLocation.moveTo({lat, lon, height});
    // Weather of the standard atmosphere at sea level (15 C, 1013.25 mbar).
    session.udtWeather.udtBasis = kWeatherFixed;
    session.udtWeather.dblTempMean = 15;
    session.udtWeather.dblTempDaily = session.udtWeather.dblTempAnnual = 0;
    session.udtWeather.dblPressMean = 1013.25;
    session.udtWeather.dblPressDaily = session.udtWeather.dblPressAnnual = 0;
  }

  udtHBody body(const std::string& name, double t) {
    udtHBody r;
    bool ok = true;
    session.hbody.TrueHBody(name, t, r, ok);
    EXPECT_TRUE(ok);
    return r;
  }

  struct Event {
    double t = 0;
    bool ok = false, neverRises = false, neverSets = false;
  };
  Event riseSet(const std::string& name, int32_t day, bool set, bool apparent = false, bool seaLevel = false) {
    Event e;
    e.t = session.hbody.RiseSet(name, day, set, apparent, e.neverRises, e.neverSets, e.ok, 0, seaLevel);
    return e;
  }
  double meridian(const std::string& name, int32_t day, double offset) {
    bool ok = false;
    double t = session.hbody.Meridian(name, day, offset, ok);
    EXPECT_TRUE(ok);
    return t;
  }
};

struct Jerusalem : Observer {
  Jerusalem() : Observer(31.7767, 35.2345, 800) {}
};
struct Tromso : Observer {
  Tromso() : Observer(69.65, 18.96, 0) {}
};

TEST(Meridian, TransitsHaveTheirHourAngleAndBelongToTheGivenDay) {
  Jerusalem j;
  for (const char* name : {"Sun", "Moon", "Venus", "Sirius"}) {
    for (int32_t day = k1Jan2024; day < k1Jan2024 + 40; day += 3) {
      for (double offset : {-180.0, 0.0, 180.0}) {
        double t = j.meridian(name, day, offset);
        udtHBody r = j.body(name, t);
        // The hour angle is the offset within a tenth of a second of time.
        EXPECT_NEAR(Deg180(r.HourAngTopo - offset), 0, 0.0005) << name << " " << day << " " << offset;
        // Near the mean Sun's own transit of that hour angle.
        double meanTransit = day + offset / 360 + 0.5 - 35.2345 / 360;
        EXPECT_LT(std::fabs(t - meanTransit), 0.6) << name << " " << day << " " << offset;
      }
    }
  }
  // The Sun's noon is at most 16.5 minutes from mean noon (equation of time).
  for (int32_t day = k1Jan2024; day < k1Jan2024 + 366; day += 5)
    EXPECT_LT(std::fabs(j.meridian("Sun", day, 0) - (day + 0.5 - 35.2345 / 360)), 16.5 / 1440);
  EXPECT_TRUE(j.sink.messages.empty());
}

TEST(Meridian, LongitudeMustLieAboveMinus180UpTo180) {
  Observer dateLine(-17, 180, 0);
  double t = dateLine.meridian("Sun", k1Jan2024, 0);
  EXPECT_NEAR(t, k1Jan2024, 0.02);  // local noon at 180 E is near midnight UT
  bool ok = true;
  dateLine.session.udtLocation.dblLongitude = -180;
  dateLine.session.hbody.Meridian("Sun", k1Jan2024, 0, ok);
  EXPECT_FALSE(ok);
  dateLine.session.udtLocation.dblLongitude = 180.5;
  dateLine.session.hbody.Meridian("Sun", k1Jan2024, 0, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(dateLine.sink.messages, (std::vector<std::string>{"Error in cHBody.Meridian, Invalid longitude: -180",
                                                               "Error in cHBody.Meridian, Invalid longitude: 180.5"}));
}

TEST(RiseSet, Messages) {
  Jerusalem j;
  Observer::Event e = j.riseSet("Pluto", k1Jan2024, false);
  EXPECT_FALSE(e.ok);
  e = j.riseSet("Sun", 10592253, false);
  EXPECT_FALSE(e.ok);
  bool ok = true;
  j.session.hbody.Meridian("Sun", -10592253, 0, ok);
  EXPECT_FALSE(ok);
  j.session.hbody.Meridian("Vulcan", k1Jan2024, 0, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(j.sink.messages, (std::vector<std::string>{
                                 "Error in cHBody.RiseSet, Object name not found: Pluto",
                                 "Error in cHBody.RiseSet, Magnitude of lngFix too large: 10592253",
                                 "Error in cHBody.Meridian, Magnitude of lngFix too large: -10592253",
                                 "Error in cHBody.Meridian, Object name not found: Vulcan",
                             }));
}

TEST(RiseSet, EveryCrossingLiesOnTheHorizonWithinItsLocalDay) {
  Jerusalem j;
  for (const char* name : {"Sun", "Moon", "Mars"}) {
    for (int32_t day = k1Jan2024; day < k1Jan2024 + 60; ++day) {
      double dayStart = j.meridian("Sun", day, -180);
      double dayEnd = j.meridian("Sun", day, 180);
      for (bool set : {false, true}) {
        Observer::Event e = j.riseSet(name, day, set);
        ASSERT_TRUE(e.ok) << name << " " << day;
        EXPECT_FALSE(e.neverRises || e.neverSets);
        // On the geometric horizon: the centre at true altitude 0 (a tenth
        // of a second of time is at most 0.0005 degrees here).
        EXPECT_NEAR(j.body(name, e.t).AltTopo, 0, 0.0005) << name << " " << day << " " << set;
        // Rising before its transit, setting after it.
        udtHBody r = j.body(name, e.t);
        EXPECT_EQ(r.HourAngTopo > 0, set) << name << " " << day;
        // Within the day from the Sun's lower transit to the next; the Moon,
        // which does not rise (or set) on one day a month, may give the
        // neighbouring crossing just outside it.
        double margin = std::string(name) == "Moon" ? 0.1 : 0;
        EXPECT_GE(e.t, dayStart - margin) << name << " " << day;
        EXPECT_LE(e.t, dayEnd + margin) << name << " " << day;
      }
    }
  }
  EXPECT_TRUE(j.sink.messages.empty());
}

TEST(RiseSet, ACrossingJustAfterMidnightBelongsToTheDayOfItsNoon) {
  Jerusalem j;
  // Find moonrises within two hours after the local day's start (the Sun's
  // lower transit): each is reported for that day, not for the one before.
  int found = 0;
  for (int32_t day = k1Jan2024; day < k1Jan2024 + 60; ++day) {
    double dayStart = j.meridian("Sun", day, -180);
    Observer::Event e = j.riseSet("Moon", day, false);
    ASSERT_TRUE(e.ok);
    if (e.t < dayStart || e.t > dayStart + 2.0 / 24) continue;
    ++found;
    // The day before gives its own moonrise, which lies within that day;
    // only a day without a moonrise gives a neighbouring day's, the one
    // nearest to its noon.
    Observer::Event dayBefore = j.riseSet("Moon", day - 1, false);
    ASSERT_TRUE(dayBefore.ok);
    double startBefore = j.meridian("Sun", day - 1, -180);
    if (dayBefore.t >= startBefore && dayBefore.t <= dayStart) {
      EXPECT_GT(std::fabs(dayBefore.t - e.t), 0.5) << day;
    } else {
      EXPECT_TRUE(dayBefore.t > startBefore - 0.1 && dayBefore.t < dayStart + 0.1) << day;
    }
  }
  EXPECT_GE(found, 2);
}

TEST(RiseSet, FlatHorizonComesBeforeGeometricAndSeaLevelBeforeFlatFromAHeight) {
  Jerusalem j;
  for (int32_t day = k1Jan2024; day < k1Jan2024 + 366; day += 30) {
    for (const char* name : {"Sun", "Moon"}) {
      Observer::Event geometric = j.riseSet(name, day, false);
      Observer::Event flat = j.riseSet(name, day, false, true);
      Observer::Event seaLevel = j.riseSet(name, day, false, true, true);
      ASSERT_TRUE(geometric.ok && flat.ok && seaLevel.ok);
      // On a day without moonrise a horizon may give the day before's
      // moonrise and another the day after's.
      if (std::fabs(geometric.t - flat.t) > 0.5 || std::fabs(seaLevel.t - flat.t) > 0.5) continue;
      EXPECT_LT(flat.t, geometric.t - 60 * kSecond) << name << " " << day;
      EXPECT_LT(seaLevel.t, flat.t - 60 * kSecond) << name << " " << day;
      Observer::Event geometricSet = j.riseSet(name, day, true);
      Observer::Event flatSet = j.riseSet(name, day, true, true);
      ASSERT_TRUE(geometricSet.ok && flatSet.ok);
      if (std::fabs(geometricSet.t - flatSet.t) < 0.5) {
        EXPECT_GT(flatSet.t, geometricSet.t + 60 * kSecond);
      }
    }
  }
  // The Sun's upper limb with the refraction of the standard atmosphere at
  // the horizon (about 35 arcminutes) sets when its centre is near -0.83.
  Observer::Event flatSet = j.riseSet("Sun", k21Jun2024, true, true);
  EXPECT_NEAR(j.body("Sun", flatSet.t).AltTopo, -0.83, 0.04);
}

TEST(RiseSet, SeaLevelHorizonAtSeaLevelIsTheFlatHorizon) {
  Observer coast(32.08, 34.78, 0);
  for (bool set : {false, true}) {
    Observer::Event flat = coast.riseSet("Sun", k21Jun2024, set, true);
    Observer::Event seaLevel = coast.riseSet("Sun", k21Jun2024, set, true, true);
    ASSERT_TRUE(flat.ok && seaLevel.ok);
    // Both horizons depress the limb by the refraction there (0.604 degrees
    // at 0 C and 1013.25 mbar against the table's value at 15 C): within a
    // few seconds of each other.
    EXPECT_NEAR(seaLevel.t, flat.t, 20 * kSecond) << set;
  }
}

TEST(SeaLevelHorizon, DipAndRefractionOfTheGrazingRay) {
  Observer o(32, 35, 0);
  clsSky sky(o.session);
  bool ok = false;
  udtWeatherNow standard{0, 1013.25, 50};
  EXPECT_NEAR(sky.SeaLevelHorizon(standard, ok), -0.604, 1e-9);
  EXPECT_TRUE(ok);
  // At 15 C: 0.604 * 273.15 / 288.15.
  EXPECT_NEAR(sky.SeaLevelHorizon({15, 1013.25, 50}, ok), -0.604 * 273.15 / 288.15, 1e-9);
  // Below sea level there is no dip either.
  o.session.udtLocation.dblHeight = -400;
  EXPECT_NEAR(sky.SeaLevelHorizon(standard, ok), -0.604, 1e-9);
  // From 1000 m: dip arccos(1 / (1 + 1000 / 6378000)) = 1.0146 degrees, and
  // the refraction of the sea-level air below the station.
  o.session.udtLocation.dblHeight = 1000;
  double p = std::exp(1000.0 / 7143) * 900 / 1013.25;
  double t = (5.688 + 10 + 273.15) / 273.15;
  EXPECT_NEAR(sky.SeaLevelHorizon({10, 900, 50}, ok), -0.604 * p / t - 1.01461, 1e-4);
  EXPECT_TRUE(ok);
  // From 100 km the horizon would lie below -15 degrees.
  o.session.udtLocation.dblHeight = 100000;
  sky.SeaLevelHorizon(standard, ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(o.sink.messages.size(), 1u);
  EXPECT_EQ(o.sink.messages[0].rfind("Error in cSky.SeaLevelHorizon, Invalid SeaLevelHorizon: -", 0), 0u);
}

TEST(RiseSet, PolarDayAndNight) {
  Tromso t;
  // Midsummer: the Sun never sets; the search ends at its lowest point, the
  // lower transit (about 3.6 degrees up).
  Observer::Event set = t.riseSet("Sun", k21Jun2024, true);
  ASSERT_TRUE(set.ok);
  EXPECT_TRUE(set.neverSets);
  EXPECT_FALSE(set.neverRises);
  EXPECT_NEAR(std::fabs(t.body("Sun", set.t).HourAngTopo), 180, 0.01);
  EXPECT_NEAR(t.body("Sun", set.t).AltTopo, 69.65 + 23.44 - 90, 0.1);
  // Midwinter: the Sun never rises; the search ends at its noon.
  Observer::Event rise = t.riseSet("Sun", k21Dec2024, false);
  ASSERT_TRUE(rise.ok);
  EXPECT_TRUE(rise.neverRises);
  EXPECT_NEAR(t.body("Sun", rise.t).HourAngTopo, 0, 0.01);
  EXPECT_TRUE(t.sink.messages.empty());

  // The calendars' sunset does not exist then: its message, and no instant.
  double sunset = 0;
  EXPECT_FALSE(SunsetOnDay(t.session, k21Jun2024, sunset));
  EXPECT_FALSE(SunRiseSet(t.session, k21Dec2024, false, sunset));
  EXPECT_EQ(t.sink.messages,
            (std::vector<std::string>{"Error in cHBody.RiseSet, No sunset at this location on 21st June 2024",
                                      "Error in cHBody.RiseSet, No sunrise at this location on 21st December 2024"}));

  // 88.5 degrees north on 11 March 2024: the Sun stays below the horizon;
  // the young Moon's declination grows by 5 degrees a day while its hour
  // angle moves its altitude by only 1.5 either way, so its centre rises
  // once over the true horizon and does not set that day (its lowest, -0.1
  // degree, is above the refracted horizon: no rise there). The hour-angle
  // corrections wander off the day there; the crossing is still found, and
  // the missing ones are flagged.
  Observer pole(88.5, -171.5, 0);
  const int32_t k11Mar2024 = k1Jan2024 + 70;
  for (bool apparent : {false, true}) {
    SCOPED_TRACE(apparent);
    Observer::Event sunset = pole.riseSet("Sun", k11Mar2024, true, apparent);
    ASSERT_TRUE(sunset.ok);
    EXPECT_TRUE(sunset.neverRises);
    Observer::Event moonset = pole.riseSet("Moon", k11Mar2024, true, apparent);
    ASSERT_TRUE(moonset.ok);
    EXPECT_TRUE(moonset.neverSets);
    Observer::Event moonrise = pole.riseSet("Moon", k11Mar2024, false, apparent);
    ASSERT_TRUE(moonrise.ok);
    EXPECT_EQ(moonrise.neverSets, apparent);
    EXPECT_FALSE(moonrise.neverRises);
    if (!apparent) {
      EXPECT_NEAR(pole.body("Moon", moonrise.t).AltTopo, 0, 0.001);
      EXPECT_NEAR(moonrise.t, k11Mar2024 + 0.5 + 171.5 / 360, 0.5);  // within its local day
    }
  }
  EXPECT_EQ(pole.sink.messages, std::vector<std::string>{});
}

TEST(SunsetSource, HebrewDatesFollowTheRealSunset) {
  Jerusalem j;
  double sunset = 0;
  ASSERT_TRUE(j.session.sunset(k21Jun2024, sunset));
  // Sunset in Jerusalem on 21 June 2024 is near 19:47 local (16:47 UT).
  EXPECT_NEAR((sunset - k21Jun2024) * 24, 16.78, 0.1);
  for (double shift : {-60 * kSecond, 60 * kSecond}) {
    udtDate date;
    udtTime time;
    bool ok = false;
    j.session.conversions.ToDateTime(sunset + shift, date, dtHebrew, time, ttUTC, ok);
    ASSERT_TRUE(ok);
    // 21 June 2024 is 15 Sivan 5784 until its sunset, then the eve of 16 Sivan.
    EXPECT_EQ(date.intYear, 5784);
    EXPECT_EQ(date.intMonth, 3);
    EXPECT_EQ(date.intDateOfMonth, shift < 0 ? 15 : 16);
    EXPECT_EQ(date.blnEve, shift > 0);
  }
  // Where the Sun does not set, a Hebrew date of that day cannot be found.
  Tromso t;
  udtDate date;
  udtTime time;
  bool ok = true;
  t.session.conversions.ToDateTime(k21Jun2024 + 0.5, date, dtHebrew, time, ttUTC, ok);
  EXPECT_FALSE(ok);
  ASSERT_FALSE(t.sink.messages.empty());
  EXPECT_EQ(t.sink.messages[0].rfind("Error in cHBody.RiseSet, No sunset at this location on ", 0), 0u);
}

struct ReportSession : Jerusalem {
  ReportSession(int32_t day, double fraction) {
    session.udtDateIn.enmDateType = dtGregorian;
    session.udtTimeIn.enmTimeType = ttUTC;
    session.dblFixDate = day;
    session.dblFixTime = fraction;
    session.options.intPrecision = 1;  // whole minutes
  }
};

TEST(RiseSetReports, ThreeHorizonsOnTheDayOfTheInstant) {
  ReportSession r(k21Jun2024, 0.5);
  bool ok = false;
  std::string text = RiseSetReports(r.session).SetReport("Sun", ok);
  ASSERT_TRUE(ok);
  // Geometric sunset 16:44 UT, over the flat horizon 16:47, over the sea
  // horizon seen from 800 m some 5 minutes later; the date is written once.
  EXPECT_EQ(text.rfind("Geometric Sunset Friday 21st June 2024 Gregorian 16:4", 0), 0u) << text;
  EXPECT_NE(text.find("\nApparent Sunset over flat horizon 16:4"), std::string::npos) << text;
  EXPECT_NE(text.find("\nApparent Sunset over sea level horizon 16:5"), std::string::npos) << text;
  text = RiseSetReports(r.session).RiseReport("Moon", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text.rfind("Geometric Moonrise ", 0), 0u) << text;
  EXPECT_NE(text.find("\nApparent Moonrise over flat horizon "), std::string::npos) << text;

  r.session.intLanguage = 1;
  text = RiseSetReports(r.session).RiseReport("Sun", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text.rfind("זריחה גאומטרית של השמש ", 0), 0u) << text;
  EXPECT_TRUE(r.sink.messages.empty());
}

TEST(RiseSetReports, PolarDaySaysWhenTheSunIsLowest) {
  ReportSession r(k21Jun2024, 0.5);
  r.session.udtLocation.dblLatitude = 69.65;
  r.session.udtLocation.dblLongitude = 18.96;
  r.session.udtLocation.dblHeight = 0;
  bool ok = false;
  std::string text = RiseSetReports(r.session).SetReport("Sun", ok);
  ASSERT_TRUE(ok);
  // One result only: over the lower horizons the Sun stays up all the more.
  EXPECT_EQ(text.rfind("No geometric Sunset\nMinimum altitude at ", 0), 0u) << text;
  EXPECT_EQ(text.find("Apparent"), std::string::npos) << text;
  ReportSession winter(k21Dec2024, 0.5);
  winter.session.udtLocation.dblLatitude = 69.65;
  winter.session.udtLocation.dblLongitude = 18.96;
  text = RiseSetReports(winter.session).RiseReport("Sun", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text.rfind("No geometric Sunrise\nMaximum altitude at ", 0), 0u) << text;
  // At midwinter noon refraction does not lift the Sun over the horizon
  // either (it stays 3 degrees below).
  EXPECT_NE(text.find("\nNo apparent Sunrise over flat horizon\nMaximum altitude at "), std::string::npos) << text;
}

TEST(NextVernalEquinox, TheFirstEquinoxAfterTheInstant) {
  ReportSession r(k1Jan2024, 0);
  bool ok = false;
  // 2024 March 20, 03:06 UT; 2025 March 20, 09:01 UT (US Naval Observatory,
  // "Earth's Seasons" table).
  // The declination of the Sun changes by 1 arcsecond a minute then, so our
  // positions give the instant within a minute.
  EXPECT_EQ(r.session.hbody.sun.NextVernalEquinox(k1Jan2024, ok).rfind(
                "Next vernal equinox Wednesday 20th March 2024 Gregorian 03:0", 0),
            0u);
  // Half a day after the 2024 equinox the mean Sun is still short of 360
  // degrees: the next one is a year later.
  EXPECT_EQ(r.session.hbody.sun.NextVernalEquinox(k1Jan2024 + 79 + 0.63, ok).rfind(
                "Next vernal equinox Thursday 20th March 2025 Gregorian 09:0", 0),
            0u);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(r.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
