// Conversions between instants and dates with times: the messages of the
// dispatchers, the evening flag, and round trips instant -> date and time ->
// instant for every calendar and every time scale over many instants,
// through the clock changes of local time and the end of the sidereal day.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "app/conversions.h"
#include "app/session.h"
#include "calendar/gregorian.h"
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
  s.conversions.StartEndOfDay(738886.5, dtGregorian, ttTrueSolar, start, end, ok, shift);
  expectMessage("Error in StartEndOfDay, True Solar time is not available in this version");

  udtDate date;
  udtTime time;
  s.conversions.ToDateTime(738886.5, date, dtGregorian, time, 7, ok);
  expectMessage("Error in ToDateTime, Invalid time type: 7");
  s.conversions.ToDateTime(738886.5, date, -1, time, ttUTC, ok);
  expectMessage("Error in ToDateTime, Invalid date type: -1");
  s.conversions.ToDateTime(-10592250.5, date, dtGregorian, time, ttUTC, ok);
  expectMessage("Error in ToDateTime, Magnitude of dblFixed too large: -10592250.5");
  // A failure inside shows its own message once.
  s.conversions.ToDateTime(738886.5, date, dtIslamic, time, ttSeasonal, ok);
  expectMessage("Error in StartEndOfDay, Seasonal time is not available in this version");

  s.conversions.FixedToTime(10592253, time, 10592252, ttUTC, dtGregorian, ok);
  expectMessage("Error in frmMain.FixedToTime, Magnitude of dblFix too large: 10592253");
  s.conversions.FixedToTime(738886.5, time, 738886, 9, dtGregorian, ok);
  expectMessage("Error in frmMain.FixedToTime, Invalid time type: 9");
  s.conversions.FixedToTime(738886.5, time, 738886, ttTrueSolar, dtGregorian, ok);
  expectMessage("Error in frmMain.FixedToTime, True Solar time is not available in this version");

  s.conversions.ZeroTime(738886.5, 7, ok);
  expectMessage("Error in ZeroTime, Invalid time type: 7");
  s.conversions.ZeroTime(738886.5, ttSeasonal, ok);
  expectMessage("Error in ZeroTime, Seasonal time is not available in this version");

  s.dblFixDate = 738886.75;
  udtTime bad;
  bad.enmTimeType = 12;
  EXPECT_EQ(s.conversions.TimeToFixed(bad, ok, dtGregorian, false), 738886);
  expectMessage("Invalid time type in TimeToFixed");
  bad.enmTimeType = ttTrueSolar;
  EXPECT_EQ(s.conversions.TimeToFixed(bad, ok, dtGregorian, false), 738886);
  expectMessage("Error in TimeToFixed, True Solar time is not available in this version");
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

}  // namespace
}  // namespace nemora
