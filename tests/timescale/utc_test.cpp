// UTC as a time scale: records to day fractions and back, second
// occurrences, days from sunset to sunset, and the UT day bounds.
#include "timescale/utc.h"

#include <gtest/gtest.h>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"
#include "tests/timescale/zone_test_support.h"

namespace nemora::testing {
namespace {

TEST(UTCTest, FromUTCGivesTheDayFraction) {
  RecordedSession rs;
  clsUTC& utc = rs.session.utc;
  bool ok = false;
  EXPECT_DOUBLE_EQ(utc.FromUTC(clock24(ttUTC, 18, 30, 36), ok, dtGregorian, false), 18.51 / 24);
  EXPECT_TRUE(ok);

  udtTime am = clock24(ttUTC, 12, 15);
  am.bln24Hour = false;
  EXPECT_DOUBLE_EQ(utc.FromUTC(am, ok, dtJulian, false), 0.25 / 24);
  am.blnPM = true;
  EXPECT_DOUBLE_EQ(utc.FromUTC(am, ok, dtJulian, false), 12.25 / 24);

  udtTime second = clock24(ttUTC, 6);
  second.blnSecondTime = true;
  EXPECT_DOUBLE_EQ(utc.FromUTC(second, ok, dtGregorian, true), 1.25);
  EXPECT_TRUE(ok);
  utc.FromUTC(second, ok, dtGregorian, false);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cUTC.FromUTC, blnSecondTime cannot occur with udtDateType: 4");
}

TEST(UTCTest, FromUTCKeepsAnEveningTimeWithinItsHebrewDay) {
  RecordedSession rs;
  // Sunset at 17:00 UT every day.
  rs.session.sunset = [](int32_t n, double& s) {
    s = n + 17.0 / 24;
    return true;
  };
  double d = static_cast<double>(fixedFromGregorian(2023, 9, 16));
  rs.session.dblFixDate = d;
  bool ok = false;
  // A second 18:00 would lie past the sunset that ends the date: it moves
  // back a day (and is not refused, as it would be for a Gregorian date).
  udtTime second = clock24(ttUTC, 18);
  second.blnSecondTime = true;
  EXPECT_DOUBLE_EQ(rs.session.utc.FromUTC(second, ok, dtHebrew, false), 18.0 / 24);
  EXPECT_TRUE(ok);
  EXPECT_DOUBLE_EQ(rs.session.utc.FromUTC(clock24(ttUTC, 10), ok, dtIslamic, false), 10.0 / 24);
  rs.session.sunset = nullptr;
  rs.session.utc.FromUTC(clock24(ttUTC, 10), ok, dtHebrew, false);
  EXPECT_FALSE(ok);
}

TEST(UTCTest, ToUTCSplitsTheClock) {
  RecordedSession rs;
  udtTime t;
  bool ok = false;
  rs.session.utc.ToUTC(730120.75 + 1.5 / 86400, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.enmTimeType, ttUTC);
  EXPECT_EQ(t.udtDms.intDegreesHours, 18);
  EXPECT_EQ(t.udtDms.intMinutes, 0);
  EXPECT_NEAR(t.udtDms.dblSeconds, 1.5, 1e-9);
  EXPECT_FALSE(t.blnSecondTime);

  rs.session.udtTimeIn.bln24Hour = false;
  rs.session.utc.ToUTC(-3.25, t, ok);  // 18:00 on a day before the epoch
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.udtDms.intDegreesHours, 6);
  EXPECT_TRUE(t.blnPM);
  EXPECT_FALSE(t.bln24Hour);

  // The last twentieth of a second of a day rounds to 24:00:00 and is
  // written 0:00:00 rather than refused.
  rs.session.udtTimeIn.bln24Hour = true;
  rs.session.utc.ToUTC(730121 - 0.01 / 86400, t, ok);
  ASSERT_TRUE(ok) << rs.sink.last();
  EXPECT_EQ(t.udtDms.intDegreesHours, 0);
  EXPECT_EQ(t.udtDms.dblSeconds, 0);

  rs.session.utc.ToUTC(10592250.5, t, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cUTC.ToUTC, Magnitude of dblDate too large: 10592250.5");
}

TEST(UTCTest, DayBounds) {
  RecordedSession rs;
  double start = 0, end = 0;
  int16_t shift = 5;
  bool ok = false;
  rs.session.utc.StartEndOfDay(-0.25, dtGregorian, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_EQ(start, -1);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(shift, 0);

  // Hebrew days run from sunset (18:00 UT here) to sunset.
  rs.session.sunset = [](int32_t n, double& s) {
    s = n + 0.75;
    return true;
  };
  rs.session.utc.StartEndOfDay(100.5, dtHebrew, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_EQ(start, 99.75);
  EXPECT_EQ(end, 100.75);
  EXPECT_EQ(shift, 0);

  rs.session.utc.StartEndOfDay(-10592250.25, dtGregorian, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cUTC.StartEndOfDay, Magnitude of dblDate too large: -10592250.25");
}

}  // namespace
}  // namespace nemora::testing
