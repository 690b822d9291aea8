// Conversions between instants and dates with times: the messages of the
// dispatchers, the evening flag, and round trips instant -> date and time ->
// instant for every calendar and every time scale over many instants,
// through the clock changes of local time and the end of the sidereal day.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "timescale/conversions.h"
#include "app/session.h"
#include "calendar/gregorian.h"
#include "ephemeris/rise_set.h"
#include "tests/calendar/calendar_test_support.h"
#include "tests/test_support.h"
#include "tests/timescale/zone_test_support.h"
#include "timescale/sidereal.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr double kSecond = 1.0 / 86400;
// Records keep tenths of a second: a reading is within 0.05 s of its instant.
constexpr double kReadingTolerance = 0.051 * kSecond;

// Sunset near 18 h local mean time, an hour earlier or later with the season.
SunsetSource meanSunsets(double longitude) {
  return [longitude](int32_t day, double& t) {
    double season = std::sin(2 * std::numbers::pi * (day - 80) / 365.2422);
    t = day + 0.75 + season / 24 - longitude / 360;
    return true;
  };
}

struct Fixture {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = false;

  // Converts t and back; returns the instant the date and time give.
  double roundTrip(double t, int32_t dateType, int32_t timeType, udtDate* dateOut = nullptr,
                   udtTime* timeOut = nullptr) {
    s.udtDateIn.enmDateType = dateType;  // the sidereal day bounds read it
    udtDate date;
    udtTime time;
    s.conversions.ToDateTime(t, date, dateType, time, timeType, ok);
    if (!ok) return NAN;
    if (dateOut) *dateOut = date;
    if (timeOut) *timeOut = time;
    s.udtDateIn = date;
    s.dblFixDate = s.dateText.EvaluateDate(date, ok);
    if (!ok) return NAN;
    double back = s.conversions.TimeToFixed(time, ok, dateType, true);
    return ok ? back : NAN;
  }
};

TEST(Conversions, DispatcherMessages) {
  Fixture f;
  Session& s = f.s;
  bool& ok = f.ok;
  auto expectMessage = [&](const std::string& message) {
    EXPECT_FALSE(ok) << message;
    EXPECT_EQ(f.rs.sink.messages, std::vector<std::string>{message});
    f.rs.sink.clear();
    ok = true;
  };
  double start = 0, end = 0;
  int16_t shift = 0;
  s.conversions.StartEndOfDay(10592251, dtGregorian, ttUTC, start, end, ok, shift);
  expectMessage("Error in StartEndOfDay, Magnitude of dblDate too large: 10592251");
  s.conversions.StartEndOfDay(738886.5, 8, ttUTC, start, end, ok, shift);
  expectMessage("Error in StartEndOfDay, Invalid date type: 8");
  s.conversions.StartEndOfDay(738886.5, dtGregorian, 7, start, end, ok, shift);
  expectMessage("Error in StartEndOfDay, Invalid time type: 7");

  udtDate date;
  udtTime time;
  s.conversions.ToDateTime(738886.5, date, dtGregorian, time, 7, ok);
  expectMessage("Error in ToDateTime, Invalid time type: 7");
  s.conversions.ToDateTime(738886.5, date, -1, time, ttUTC, ok);
  expectMessage("Error in ToDateTime, Invalid date type: -1");
  s.conversions.ToDateTime(-10592250.5, date, dtGregorian, time, ttUTC, ok);
  expectMessage("Error in ToDateTime, Magnitude of dblFixed too large: -10592250.5");

  s.conversions.FixedToTime(10592253, time, 10592252, ttUTC, dtGregorian, ok);
  expectMessage("Error in frmMain.FixedToTime, Magnitude of dblFix too large: 10592253");
  s.conversions.FixedToTime(738886.5, time, 738886, 9, dtGregorian, ok);
  expectMessage("Error in frmMain.FixedToTime, Invalid time type: 9");

  s.conversions.ZeroTime(738886.5, 7, ok);
  expectMessage("Error in ZeroTime, Invalid time type: 7");

  s.dblFixDate = 738886.75;
  udtTime bad;
  bad.enmTimeType = 12;
  EXPECT_EQ(s.conversions.TimeToFixed(bad, ok, dtGregorian, false), 738886);
  expectMessage("Invalid time type in TimeToFixed");
}

TEST(Conversions, DayBoundsPlausibility) {
  // An instant two days after the start of its day, and the other checks.
  struct Case {
    double fix, start, end;
    std::string description;
  };
  for (const Case& c : std::vector<Case>{
           {100, 98, 99, "Difference between dblFix and dblStart out of range: 100 - 98 = 2"},
           {100, 100.75, 101.75, "Difference between dblFix and dblStart out of range: 100 - 100.75 = -0.75"},
           {100, 99.5, 99.25, "Difference between dblEnd and dblStart out of range: 99.25 - 99.5 = -0.25"},
           {100, 99.5, 101.625, "Difference between dblEnd and dblStart out of range: 101.625 - 99.5 = 2.125"},
           {100, 99, 99.25, "Difference between dblEnd and dblFix out of range: 99.25 - 100 = -0.75"},
       }) {
    try {
      checkDayBoundsPlausible(c.fix, c.start, c.end);
      ADD_FAILURE() << c.description;
    } catch (const AppError& e) {
      EXPECT_EQ(e.code, errValidation);
      EXPECT_EQ(e.description, c.description);
    }
  }
  EXPECT_NO_THROW(checkDayBoundsPlausible(100, 99.5, 100.5));
  EXPECT_NO_THROW(checkDayBoundsPlausible(100, 98.4, 100.4));
}

TEST(Conversions, DayCountsHaveNoTime) {
  Fixture f;
  Session& s = f.s;
  udtDate date;
  udtTime time;
  time.udtDms.intDegreesHours = 17;
  s.conversions.ToDateTime(730120.25, date, dtFixed, time, ttLocal, f.ok);
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(date, dayNumberDate(dtFixed, 730120.25));
  EXPECT_EQ(time.udtDms.intDegreesHours, 17);  // untouched
  s.conversions.ToDateTime(730120.25, date, dtJD, time, ttLocal, f.ok);
  EXPECT_EQ(date.dblDay, 2451544.75);
  s.conversions.ToDateTime(730120.25, date, dtMJD, time, ttLocal, f.ok);
  EXPECT_EQ(date.dblDay, 51544.25);
  s.conversions.ToDateTime(730120.25, date, dtJDE, time, ttLocal, f.ok);
  EXPECT_NEAR(date.dblDay - 2451544.75, 63.8 * kSecond, 2 * kSecond);  // Delta T in 2000
  // Day counts start and end at UT midnight whatever the scale.
  double start = 0, end = 0;
  int16_t shift = 9;
  s.conversions.StartEndOfDay(730120.25, dtJD, ttLocal, start, end, f.ok, shift);
  EXPECT_EQ(start, 730120);
  EXPECT_EQ(end, 730121);
  EXPECT_EQ(shift, 0);
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(Conversions, EveningOfDaysThatBeginAtSunset) {
  Fixture f;
  Session& s = f.s;
  s.udtLocation.dblLongitude = 35.22;
  s.udtLocation.blnAutoTZ = false;
  s.udtLocation.dblTZ = 2;
  s.sunset = meanSunsets(35.22);
  const double day = 738886;  // 1 January 2024
  double sunset = 0;
  s.sunset(static_cast<int32_t>(day), sunset);
  const double midnight = day + 1 - 35.22 / 360;  // local mean midnight after it
  udtDate date;
  udtTime time;
  for (int32_t type : {dtHebrew, dtIslamic}) {
    // An hour after sunset: the eve of the next date.
    s.conversions.ToDateTime(sunset + 1.0 / 24, date, type, time, ttLocal, f.ok);
    ASSERT_TRUE(f.ok);
    EXPECT_TRUE(date.blnEve);
    udtDate next;
    s.dateText.ToDate(static_cast<int32_t>(day) + 1, type, next, f.ok);
    EXPECT_EQ(date.intDateOfMonth, next.intDateOfMonth);
    // Just before sunset, and just after local mean midnight: no eve.
    s.conversions.ToDateTime(sunset - 60 * kSecond, date, type, time, ttUTC, f.ok);
    EXPECT_FALSE(date.blnEve);
    s.conversions.ToDateTime(midnight + 60 * kSecond, date, type, time, ttUTC, f.ok);
    EXPECT_FALSE(date.blnEve);
    EXPECT_EQ(date.intDateOfMonth, next.intDateOfMonth);
    s.conversions.ToDateTime(midnight - 60 * kSecond, date, type, time, ttMeanSolar, f.ok);
    EXPECT_TRUE(date.blnEve);
  }
  // A Gregorian date never has an eve.
  s.conversions.ToDateTime(sunset + 1.0 / 24, date, dtGregorian, time, ttLocal, f.ok);
  EXPECT_FALSE(date.blnEve);
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(Conversions, RoundTripsOverManyInstants) {
  struct Place {
    double longitude;
    double zone;  // fixed zone, hours ahead of UT
  };
  for (const Place& place : {Place{35.22, 2}, Place{-122.42, -8}, Place{77.2, 5.5}, Place{174.8, 13},
                             Place{-0.1, 0}, Place{179.99, -12}}) {
    Fixture f;
    Session& s = f.s;
    s.udtLocation.dblLongitude = place.longitude;
    s.udtLocation.blnAutoTZ = false;
    s.udtLocation.dblTZ = place.zone;
    s.sunset = meanSunsets(place.longitude);
    for (int32_t dateType : {dtGregorian, dtJulian, dtHebrew, dtIslamic}) {
      for (int32_t timeType : {ttUTC, ttLocal, ttMeanSolar, ttGMST, ttLST}) {
        int compared = 0;
        for (double t = 600000.0123; t < 800000; t += 97.3117) {
          double back = f.roundTrip(t, dateType, timeType);
          ASSERT_TRUE(f.ok) << place.longitude << " " << dateType << " " << timeType << " " << t << " "
                            << f.rs.sink.last();
          ASSERT_NEAR(back, t, kReadingTolerance)
              << "longitude " << place.longitude << " date type " << dateType << " time type " << timeType;
          ++compared;
        }
        EXPECT_GT(compared, 2000);
      }
    }
    EXPECT_TRUE(f.rs.sink.messages.empty());
  }
}

TEST(Conversions, RoundTripsThroughOneDayMinuteByMinute) {
  // Every minute of two days, in every calendar and scale, including the
  // evening after sunset and the last minutes of the sidereal day.
  Fixture f;
  Session& s = f.s;
  s.udtLocation.dblLongitude = 35.22;
  s.udtLocation.blnAutoTZ = false;
  s.udtLocation.dblTZ = 2;
  s.sunset = meanSunsets(35.22);
  for (int32_t dateType : {dtGregorian, dtJulian, dtHebrew, dtIslamic}) {
    for (int32_t timeType : {ttUTC, ttLocal, ttMeanSolar, ttGMST, ttLST}) {
      for (double t = 738886 + 17 * kSecond; t < 738888; t += 60 * kSecond) {
        double back = f.roundTrip(t, dateType, timeType);
        ASSERT_TRUE(f.ok) << dateType << " " << timeType << " " << t;
        ASSERT_NEAR(back, t, kReadingTolerance) << "date type " << dateType << " time type " << timeType;
      }
    }
  }
}

TEST(Conversions, TheLastMinutesOfASiderealDayComeTwice) {
  Fixture f;
  Session& s = f.s;
  s.udtLocation.dblLongitude = 35.22;
  const double day = 738886;
  for (int32_t timeType : {ttGMST, ttLST}) {
    // The start of the scale's day: UT midnight for GMST, mean midnight at
    // the longitude for LST.
    double start = timeType == ttGMST ? day : day + 1 - 35.22 / 360;
    udtDate d1, d2;
    udtTime first, second;
    double early = start + 100 * kSecond;
    double late = early + kSiderealDay;  // the same reading, 3 min 56 s before the day ends
    EXPECT_NEAR(f.roundTrip(early, dtGregorian, timeType, &d1, &first), early, kReadingTolerance);
    EXPECT_NEAR(f.roundTrip(late, dtGregorian, timeType, &d2, &second), late, kReadingTolerance);
    EXPECT_EQ(d1, d2);
    EXPECT_FALSE(first.blnSecondTime);
    EXPECT_TRUE(second.blnSecondTime);
    EXPECT_EQ(first.udtDms.intDegreesHours, second.udtDms.intDegreesHours);
    EXPECT_EQ(first.udtDms.intMinutes, second.udtDms.intMinutes);
    bool ok = false;
    EXPECT_EQ(s.timeText.WriteTime(second, 0, ok, true).find("2nd ocurrence") != std::string::npos, true);
  }
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(Conversions, RoundTripsThroughTheRepeatedAndSkippedLocalHour) {
  // Zone +2 with daylight saving from the last Sunday of March at 2:00 to the
  // last Sunday of October at 3:00 daylight time.
  Fixture f;
  Session& s = f.s;
  s.udtLocation.dblLongitude = 35.22;
  testing::useZoneHistory(s.udtLocation, {testing::epoch(2, true, testing::rule(2, 0, 5, 1, 3),
                                                         testing::rule(3, 0, 5, 1, 10))});
  const double spring = fixedFromGregorian(2024, 3, 31);   // clocks go from 2:00 to 3:00
  const double autumn = fixedFromGregorian(2024, 10, 27);  // clocks go from 3:00 back to 2:00
  int repeated = 0;
  for (double day : {spring, autumn}) {
    for (double t = day - 0.5 + 7 * kSecond; t < day + 1; t += 150 * kSecond) {
      udtTime time;
      double back = f.roundTrip(t, dtGregorian, ttLocal, nullptr, &time);
      ASSERT_TRUE(f.ok) << t << " " << f.rs.sink.last();
      ASSERT_NEAR(back, t, kReadingTolerance) << "day " << day << " at " << (t - day) * 24 << " h UT";
      if (time.blnSecondTime) {
        ++repeated;
        // Only the hour after the change back repeats a reading.
        EXPECT_EQ(time.udtDms.intDegreesHours, 2);
      }
      // No reading falls in the skipped hour.
      if (day == spring && t > day - 0.1 && t < day + 0.1) {
        EXPECT_NE(time.udtDms.intDegreesHours, 2);
      }
    }
  }
  EXPECT_EQ(repeated, 24);  // one hour in steps of 150 s
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

// ---- True solar time and seasonal hours, with the real Sun ----------------

// A place whose days from sunset to sunset and seasonal hours come from the
// real sunrises and sunsets, with a fixed standard atmosphere.
void realPlace(Session& s, double latitude, double longitude, double zone) {
  s.udtLocation.dblLatitude = latitude;
  s.udtLocation.dblLongitude = longitude;
  s.udtLocation.dblHeight = 0;
  s.udtLocation.blnAutoTZ = false;
  s.udtLocation.dblTZ = zone;
  s.udtLocation.moveTo({latitude, longitude, 0});
  s.udtWeather.udtBasis = kWeatherFixed;
  s.udtWeather.dblTempMean = 15;
  s.udtWeather.dblPressMean = 1013.25;
  s.udtWeather.dblHumMean = 50;
}

// Seasonal records keep a tenth of a seasonal second, which is up to 0.09 s
// of time in the long hours of a summer day or a winter night.
double toleranceOf(int32_t timeType) { return timeType == ttSeasonal ? 0.09 * kSecond : kReadingTolerance; }

TEST(ConversionsWithTheSun, EveryCalendarWithEveryTimeScale) {
  struct Place {
    double latitude, longitude, zone;
  };
  // Jerusalem; San Francisco, west of Greenwich; Helsinki, where seasonal
  // hours are long by day in summer and by night in winter.
  for (const Place& place : {Place{31.78, 35.22, 2}, Place{37.77, -122.42, -8}, Place{60.17, 24.94, 2}}) {
    Fixture f;
    realPlace(f.s, place.latitude, place.longitude, place.zone);
    for (int32_t dateType : {dtGregorian, dtJulian, dtHebrew, dtIslamic}) {
      for (int32_t timeType = ttUTC; timeType <= ttSeasonal; ++timeType) {
        int compared = 0;
        const double first = fixedFromGregorian(2024, 1, 1) + 0.0123;
        for (double t = first; t < first + 366; t += 4.3717) {
          udtTime time;
          double back = f.roundTrip(t, dateType, timeType, nullptr, &time);
          ASSERT_TRUE(f.ok) << place.longitude << " " << dateType << " " << timeType << " " << t << " "
                            << f.rs.sink.last();
          EXPECT_EQ(time.enmTimeType, timeType);
          ASSERT_NEAR(back, t, toleranceOf(timeType))
              << "longitude " << place.longitude << " date type " << dateType << " time type " << timeType;
          ++compared;
        }
        EXPECT_GT(compared, 80);
      }
    }
    EXPECT_TRUE(f.rs.sink.messages.empty());
  }
}

TEST(ConversionsWithTheSun, HebrewAndIslamicDatesAroundTheRealSunset) {
  Fixture f;
  Session& s = f.s;
  realPlace(s, 31.78, 35.22, 2);
  for (int32_t day : {static_cast<int32_t>(fixedFromGregorian(2024, 3, 20)),
                      static_cast<int32_t>(fixedFromGregorian(2024, 6, 21)),
                      static_cast<int32_t>(fixedFromGregorian(2024, 12, 21))}) {
    double sunset = 0;
    ASSERT_TRUE(SunsetOnDay(s, day, sunset));
    for (int32_t dateType : {dtHebrew, dtIslamic}) {
      udtDate today, tomorrow;
      s.dateText.ToDate(day, dateType, today, f.ok);
      s.dateText.ToDate(day + 1, dateType, tomorrow, f.ok);
      for (int32_t timeType = ttUTC; timeType <= ttSeasonal; ++timeType) {
        // A minute before sunset: the date of the civil day, not its eve.
        udtDate date;
        udtTime time;
        double before = sunset - 60 * kSecond;
        EXPECT_NEAR(f.roundTrip(before, dateType, timeType, &date, &time), before, toleranceOf(timeType));
        ASSERT_TRUE(f.ok) << f.rs.sink.last();
        EXPECT_EQ(date.intDateOfMonth, today.intDateOfMonth);
        EXPECT_EQ(date.intMonth, today.intMonth);
        EXPECT_FALSE(date.blnEve);
        if (timeType == ttSeasonal) {
          // The last day hour.
          EXPECT_TRUE(time.blnPM);
          EXPECT_EQ(time.udtDms.intDegreesHours, 11);
        }
        // A minute after: the next date, on its eve.
        double after = sunset + 60 * kSecond;
        EXPECT_NEAR(f.roundTrip(after, dateType, timeType, &date, &time), after, toleranceOf(timeType));
        ASSERT_TRUE(f.ok) << f.rs.sink.last();
        EXPECT_EQ(date.intDateOfMonth, tomorrow.intDateOfMonth);
        EXPECT_EQ(date.intMonth, tomorrow.intMonth);
        EXPECT_TRUE(date.blnEve);
        EXPECT_FALSE(time.blnSecondTime);
        if (timeType == ttSeasonal) {
          // The first minutes of the first night hour (a night hour is
          // shorter than an hour in summer).
          EXPECT_FALSE(time.blnPM);
          EXPECT_EQ(time.udtDms.intDegreesHours, 0);
          EXPECT_LE(time.udtDms.intMinutes, 1);
        }
        if (timeType == ttTrueSolar) {
          // The evening of a spring day in Jerusalem is about 18 h true solar time.
          EXPECT_GE(time.udtDms.intDegreesHours, 16);
          EXPECT_LE(time.udtDms.intDegreesHours, 19);
        }
      }
    }
  }
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(ConversionsWithTheSun, SeasonalNightOfAGregorianDate) {
  // A Gregorian day runs from true solar midnight to midnight: it holds the
  // end of the night that began the evening before and the start of the
  // night that begins at its own sunset. Both read back onto the date.
  Fixture f;
  Session& s = f.s;
  realPlace(s, 31.78, 35.22, 2);
  const auto day = static_cast<int32_t>(fixedFromGregorian(2024, 3, 20));
  double rise = 0, set = 0;
  ASSERT_TRUE(SunRiseSet(s, day, false, rise));
  ASSERT_TRUE(SunRiseSet(s, day, true, set));
  for (double t : {rise - 1.0 / 24, set + 2.0 / 24}) {
    udtDate date;
    udtTime time;
    EXPECT_NEAR(f.roundTrip(t, dtGregorian, ttSeasonal, &date, &time), t, toleranceOf(ttSeasonal));
    EXPECT_EQ(date.intYear, 2024);
    EXPECT_EQ(date.intMonth, 3);
    EXPECT_EQ(date.intDateOfMonth, 20);
    EXPECT_FALSE(time.blnPM);
    EXPECT_FALSE(time.blnSecondTime);
  }
  // Near midnight the hours of the two nights meet: every instant of the
  // last and first half hours of the days of a week reads back onto its
  // date, the last ones of a day in the night after its sunset, the first
  // ones of the next day in the same night.
  for (double latitude : {31.78, 60.17}) {
    realPlace(s, latitude, 24.94, 2);
    for (int32_t d = day; d < day + 7; ++d) {
      double start = 0, end = 0;
      int16_t shift = 0;
      s.conversions.StartEndOfDay(d + 0.5 - 24.94 / 360, dtGregorian, ttSeasonal, start, end, f.ok, shift);
      ASSERT_TRUE(f.ok);
      for (double t = end - 0.5 / 24 + 7 * kSecond; t < end + 0.5 / 24; t += 20 * kSecond) {
        udtDate date;
        udtTime time;
        EXPECT_NEAR(f.roundTrip(t, dtGregorian, ttSeasonal, &date, &time), t, toleranceOf(ttSeasonal))
            << latitude << " " << t;
        EXPECT_EQ(fixedFromGregorian(date.intYear, date.intMonth, date.intDateOfMonth), t < end ? d : d + 1);
        EXPECT_FALSE(time.blnPM);
        EXPECT_TRUE(time.udtDms.intDegreesHours == 5 || time.udtDms.intDegreesHours == 6);
      }
    }
  }
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(ConversionsWithTheSun, TrueSolarReadingsComeTwiceInLongHebrewDays) {
  // From January to June the sunsets come later each day, so a day from
  // sunset to sunset is longer than a true solar day: its last readings came
  // already at its start.
  Fixture f;
  Session& s = f.s;
  realPlace(s, 31.78, 35.22, 2);
  int longDays = 0;
  for (auto day = static_cast<int32_t>(fixedFromGregorian(2024, 1, 10)); day < fixedFromGregorian(2024, 6, 1);
       day += 9) {
    double start = 0, end = 0;
    ASSERT_TRUE(SunsetOnDay(s, day - 1, start));
    ASSERT_TRUE(SunsetOnDay(s, day, end));
    udtTime early, late;
    double first = start + 5 * kSecond, last = end - 5 * kSecond;
    EXPECT_NEAR(f.roundTrip(first, dtHebrew, ttTrueSolar, nullptr, &early), first, kReadingTolerance);
    EXPECT_NEAR(f.roundTrip(last, dtHebrew, ttTrueSolar, nullptr, &late), last, kReadingTolerance);
    EXPECT_FALSE(early.blnSecondTime);
    // The day is longer than a true solar day by more than the 5 s margin.
    if (end - start > 1 + 45 * kSecond) {
      ++longDays;
      EXPECT_TRUE(late.blnSecondTime) << day;
      bool ok = false;
      EXPECT_NE(s.timeText.WriteTime(late, 0, ok, true).find(" 2nd ocurrence True Solar Time"), std::string::npos);
    }
  }
  EXPECT_GT(longDays, 5);
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(ConversionsWithTheSun, Messages) {
  Fixture f;
  Session& s = f.s;
  bool& ok = f.ok;
  auto expectMessage = [&](const std::string& message) {
    EXPECT_FALSE(ok) << message;
    EXPECT_EQ(f.rs.sink.messages, std::vector<std::string>{message});
    f.rs.sink.clear();
    ok = true;
  };
  realPlace(s, 31.78, 35.22, 2);
  // Every reading of a true solar day from midnight to midnight comes once.
  s.dblFixDate = fixedFromGregorian(2024, 3, 20);
  udtTime second;
  second.enmTimeType = ttTrueSolar;
  second.udtDms.intDegreesHours = 10;
  second.blnSecondTime = true;
  EXPECT_EQ(s.conversions.TimeToFixed(second, ok, dtGregorian, true), s.dblFixDate);
  expectMessage("Error in cTrueSolar.FromTrueSolar, blnSecondTime cannot occur with udtDateType: 4");
  // True solar time has no day bounds east of 180 degrees.
  s.udtLocation.dblLongitude = 190;
  double start = 0, end = 0;
  int16_t shift = 0;
  s.conversions.StartEndOfDay(738886.5, dtGregorian, ttTrueSolar, start, end, ok, shift);
  expectMessage("Error in cTrueSolar.StartEndOfDay, udtLocation.dblLongitude out of range: 190");
  s.conversions.ZeroTime(738886.5, ttSeasonal, ok);
  expectMessage("Error in cTrueSolar.ZeroTime, udtLocation.dblLongitude out of range: 190");

  // Tromso (69.65 N, 18.96 E) in the midnight Sun: true solar time goes on,
  // seasonal hours and days from sunset to sunset fail with the message of
  // the missing sunrise or sunset, never with a wrong date or time.
  realPlace(s, 69.65, 18.96, 1);
  const double june = fixedFromGregorian(2024, 6, 25) + 0.5;
  udtDate date;
  udtTime time;
  s.conversions.ToDateTime(june, date, dtGregorian, time, ttTrueSolar, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(f.rs.sink.messages.empty());
  date = {};
  time = {};
  s.conversions.ToDateTime(june, date, dtGregorian, time, ttSeasonal, ok);
  expectMessage("Error in cHBody.RiseSet, No sunrise at this location on 25th June 2024");
  EXPECT_EQ(date, udtDate{});
  EXPECT_EQ(time.enmTimeType, ttUTC);  // untouched
  s.conversions.ToDateTime(june, date, dtHebrew, time, ttTrueSolar, ok);
  expectMessage("Error in cHBody.RiseSet, No sunset at this location on 24th June 2024");
  EXPECT_EQ(date, udtDate{});
  // The ordinary scales need no sunset on a Gregorian date.
  s.conversions.ToDateTime(june, date, dtGregorian, time, ttLocal, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
