// Local zone time: the zone history with its changeover rules, the manual
// zone, the conversions to and from UT and the local day bounds.
#include "timescale/local_time.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"
#include "tests/timescale/zone_test_support.h"

namespace nemora::testing {
namespace {

double day(int year, int month, int dayOfMonth) {
  return static_cast<double>(fixedFromGregorian(year, month, dayOfMonth));
}

class LocalTimeTest : public ::testing::Test {
 protected:
  // The offset in force at the UT instant dblDate.
  double tz(double dblDate) {
    bool ok = false;
    double offset = rs.session.localTime.GetTZ(dblDate, ok);
    EXPECT_TRUE(ok) << rs.sink.last();
    return offset;
  }
  // The offset of a local clock reading hours:minutes on the local date day.
  double local(double day, int16_t hours, int16_t minutes = 0) {
    bool ok = false;
    double offset = rs.session.localTime.GetTZLocal(location, day, hours + minutes / 60.0, ok);
    EXPECT_TRUE(ok) << rs.sink.last();
    return offset;
  }
  RecordedSession rs;
  udtLocation& location = rs.session.udtLocation;
};

TEST_F(LocalTimeTest, NorthernAndSouthernPatterns) {
  useZoneHistory(location, {northernEpoch(2)});
  // 2009: last Sundays are 29 March and 25 October.
  EXPECT_EQ(tz(day(2009, 1, 15) + 0.5), 2);
  EXPECT_EQ(tz(day(2009, 3, 28) + 0.5), 2);
  EXPECT_EQ(tz(day(2009, 3, 30) + 0.5), 3);
  EXPECT_EQ(tz(day(2009, 7, 1) + 0.5), 3);
  EXPECT_EQ(tz(day(2009, 10, 24) + 0.5), 3);
  EXPECT_EQ(tz(day(2009, 10, 26) + 0.5), 2);
  EXPECT_EQ(tz(day(2009, 12, 31) + 0.5), 2);

  useZoneHistory(location, {southernEpoch(10)});
  EXPECT_EQ(tz(day(2009, 1, 15) + 0.5), 11);
  EXPECT_EQ(tz(day(2009, 6, 15) + 0.5), 10);
  EXPECT_EQ(tz(day(2009, 12, 15) + 0.5), 11);
  // 2009: first Sundays are 5 April and 4 October.
  EXPECT_EQ(tz(day(2009, 4, 6) + 0.5), 10);
  EXPECT_EQ(tz(day(2009, 10, 3) + 0.5), 10);
  EXPECT_EQ(tz(day(2009, 10, 5) + 0.5), 11);
  EXPECT_EQ(local(day(2009, 1, 15), 12), 11);
  EXPECT_EQ(local(day(2009, 6, 15), 12), 10);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(LocalTimeTest, ChangeBackRepeatsAnHourThatCountsAsStandard) {
  useZoneHistory(location, {northernEpoch(2)});
  double changeDay = day(2009, 10, 25);
  EXPECT_EQ(local(changeDay, 0, 0), 3);
  EXPECT_EQ(local(changeDay, 0, 59), 3);
  EXPECT_EQ(local(changeDay, 1, 0), 2);
  EXPECT_EQ(local(changeDay, 1, 59), 2);
  EXPECT_EQ(local(changeDay, 2, 0), 2);
  EXPECT_EQ(local(changeDay, 23, 0), 2);
}

TEST_F(LocalTimeTest, ChangeIntoDaylightSavingSkipsAnHourThatFollowsTheManualChoice) {
  useZoneHistory(location, {northernEpoch(2)});
  double changeDay = day(2009, 3, 29);
  for (bool manualDST : {false, true}) {
    location.blnDST = manualDST;
    EXPECT_EQ(local(changeDay, 1, 0), 2);
    EXPECT_EQ(local(changeDay, 2, 0), 2);
    EXPECT_EQ(local(changeDay, 2, 30), manualDST ? 3 : 2);
    EXPECT_EQ(local(changeDay, 3, 0), 3);
    EXPECT_EQ(local(changeDay, 20, 0), 3);
  }
}

TEST_F(LocalTimeTest, AnInstantIsComparedWithTheChangeItselfWhateverTheInputTime) {
  constexpr double kMinute = 1.0 / 1440;
  for (int16_t inputHour = 0; inputHour < 24; inputHour += 5) {
    SCOPED_TRACE(inputHour);
    rs.session.udtTimeIn = clock24(ttLocal, inputHour, 30);
    for (bool manualDST : {false, true}) {
      location.blnDST = manualDST;
      // Zone +2: into daylight saving at 2:00 standard time = 0:00 UT on
      // 29 March 2009; back at 2:00 daylight time = 23:00 UT on 24 October.
      useZoneHistory(location, {northernEpoch(2)});
      location.blnDST = manualDST;
      EXPECT_EQ(tz(day(2009, 3, 29) - kMinute), 2);
      EXPECT_EQ(tz(day(2009, 3, 29)), 3);
      EXPECT_EQ(tz(day(2009, 10, 24) + 23.0 / 24 - kMinute), 3);
      EXPECT_EQ(tz(day(2009, 10, 24) + 23.0 / 24), 2);
      // Zone -5 with the change into daylight saving at 2:00 on the second
      // Sunday of March (8 March 2009 = 7:00 UT): Saturday evening is still
      // standard time although its UT date is the change day.
      useZoneHistory(location, {epoch(-5, true, rule(2, 0, 2, 1, 3), rule(2, 0, 1, 1, 11))});
      location.blnDST = manualDST;
      EXPECT_EQ(tz(day(2009, 3, 8) + 1.0 / 24), -5);
      EXPECT_EQ(tz(day(2009, 3, 8) + 7.0 / 24 - kMinute), -5);
      EXPECT_EQ(tz(day(2009, 3, 8) + 7.0 / 24), -4);
      // Back on 1 November 2009 at 2:00 daylight time = 6:00 UT.
      EXPECT_EQ(tz(day(2009, 11, 1) + 6.0 / 24 - kMinute), -4);
      EXPECT_EQ(tz(day(2009, 11, 1) + 6.0 / 24), -5);
      // Zone +10, southern: back on 5 April 2009 at 2:00 daylight time =
      // 15:00 UT on 4 April; into daylight saving on 4 October at 2:00
      // standard time = 16:00 UT on 3 October.
      useZoneHistory(location, {southernEpoch(10)});
      location.blnDST = manualDST;
      EXPECT_EQ(tz(day(2009, 4, 4) + 15.0 / 24 - kMinute), 11);
      EXPECT_EQ(tz(day(2009, 4, 4) + 15.0 / 24), 10);
      EXPECT_EQ(tz(day(2009, 10, 3) + 16.0 / 24 - kMinute), 10);
      EXPECT_EQ(tz(day(2009, 10, 3) + 16.0 / 24), 11);
    }
  }
}

TEST_F(LocalTimeTest, AnEpochAppliesUpToAndIncludingItsLastDate) {
  double last = day(2000, 6, 1) + 0.5;
  useZoneHistory(location, {endingAt(epoch(3), last), endingAt(epoch(4), last + 10), epoch(5)});
  EXPECT_EQ(tz(last - 100), 3);
  EXPECT_EQ(tz(last), 3);
  EXPECT_EQ(tz(std::nextafter(last, 1e9)), 4);
  // A local date before the end of an epoch reads that epoch all day.
  EXPECT_EQ(local(std::floor(last), 23), 3);
  EXPECT_EQ(local(std::floor(last) + 1, 0), 4);
  EXPECT_EQ(tz(last + 10), 4);
  EXPECT_EQ(tz(last + 11), 5);
  // When every epoch has ended, the last one applies.
  useZoneHistory(location, {endingAt(epoch(3), last), endingAt(epoch(4), last + 10)});
  EXPECT_EQ(tz(last + 1000), 4);
}

TEST_F(LocalTimeTest, ManualZone) {
  useZoneHistory(location, {northernEpoch(2)});
  location.blnAutoTZ = false;
  location.dblTZ = -5.5;
  location.blnDST = false;
  EXPECT_EQ(tz(day(2009, 7, 1)), -5.5);
  location.blnDST = true;
  EXPECT_EQ(tz(day(2009, 1, 1)), -4.5);
  EXPECT_EQ(local(day(2009, 1, 1), 12), -4.5);
  location.dblTZ = 14;
  EXPECT_EQ(tz(day(2009, 1, 1)), 15);
}

TEST_F(LocalTimeTest, FailuresShowTheirMessages) {
  bool ok = true;
  rs.session.localTime.GetTZ(10592253, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.GetTZ, Magnitude of dblDate too large: 10592253");

  location.blnAutoTZ = false;
  location.dblTZ = 14.5;
  location.blnDST = true;
  rs.session.localTime.GetTZ(day(2009, 1, 1), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.GetTZ, Magnitude of time zone too large: 15.5");

  udtTZHistory badStart = northernEpoch(2);
  badStart.udtDSTStart.enmDateType = 5;
  useZoneHistory(location, {badStart});
  rs.session.localTime.GetTZ(day(2009, 1, 1), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.GetTZ, invalid clock-change date-type.5");
  udtTZHistory badEnd = northernEpoch(2);
  badEnd.udtDSTEnd.enmDateType = 7;
  useZoneHistory(location, {badEnd});
  rs.session.localTime.GetTZ(day(2009, 1, 1), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.GetTZ, invalid clock-change date-type.");

  // A rule with date of month 0 loads but cannot be evaluated: the weekday
  // comparison tells why, and the offset fails without a second message.
  udtTZHistory dayZero = epoch(2, true, rule(2, 0, 0, 0, 3), rule(2, 0, 5, 1, 10));
  useZoneHistory(location, {dayZero});
  rs.sink.clear();
  rs.session.localTime.GetTZ(day(2009, 7, 1), ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_EQ(rs.sink.last(), "Error in cGregorian.BeforeOnAfter, Invalid intDateOfMonth: 0");
  EXPECT_EQ(rs.session.localTime.ZeroTime(day(2009, 7, 1)), 0);

  // Automatic zone without a zone history.
  useZoneHistory(location, {});
  rs.session.localTime.GetTZ(day(2009, 7, 1), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.GetTZ, Number of time zone histories out of range: 0");
}

TEST_F(LocalTimeTest, ToLocalWritesTheLocalClock) {
  useZoneHistory(location, {epoch(5.5)});
  udtTime t;
  bool ok = false;
  rs.session.localTime.ToLocal(day(2009, 7, 1) + 20.0 / 24, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.enmTimeType, ttLocal);
  EXPECT_EQ(t.udtDms.intDegreesHours, 1);
  EXPECT_EQ(t.udtDms.intMinutes, 30);
  EXPECT_EQ(t.udtDms.dblSeconds, 0);
  EXPECT_TRUE(t.bln24Hour);

  // Local midnight less a hundredth of a second rounds to 24:00:00: 0:00:00.
  useZoneHistory(location, {epoch(2)});
  rs.session.localTime.ToLocal(day(2009, 7, 1) + 22.0 / 24 - 0.01 / 86400, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.udtDms.intDegreesHours, 0);
  EXPECT_EQ(t.udtDms.intMinutes, 0);
  EXPECT_EQ(t.udtDms.dblSeconds, 0);

  // On the 12-hour clock of the input time.
  rs.session.udtTimeIn.bln24Hour = false;
  rs.session.localTime.ToLocal(day(2009, 7, 1) + 17.25 / 24, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(t.bln24Hour);
  EXPECT_TRUE(t.blnPM);
  EXPECT_EQ(t.udtDms.intDegreesHours, 7);
  EXPECT_EQ(t.udtDms.intMinutes, 15);
  rs.session.localTime.ToLocal(day(2009, 7, 1) + 22.5 / 24, t, ok);
  EXPECT_FALSE(t.blnPM);
  EXPECT_EQ(t.udtDms.intDegreesHours, 12);
  EXPECT_EQ(t.udtDms.intMinutes, 30);

  rs.session.localTime.ToLocal(-10592251, t, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocal.ToLocal, Magnitude of dblDate too large: -10592251");
}

TEST_F(LocalTimeTest, FromLocalSubtractsTheOffsetOfTheInputDate) {
  useZoneHistory(location, {epoch(-5)});
  rs.session.dblFixDate = day(2009, 7, 1);
  bool ok = false;
  double f = rs.session.localTime.FromLocal(clock24(ttLocal, 21, 0), ok, dtGregorian);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(f, 26.0 / 24);
  udtTime pm = clock24(ttLocal, 7, 30);
  pm.bln24Hour = false;
  pm.blnPM = true;
  f = rs.session.localTime.FromLocal(pm, ok, dtGregorian);
  EXPECT_DOUBLE_EQ(f, 24.5 / 24);
  udtTime midnight = clock24(ttLocal, 12, 0);
  midnight.bln24Hour = false;
  f = rs.session.localTime.FromLocal(midnight, ok, dtGregorian);
  EXPECT_DOUBLE_EQ(f, 5.0 / 24);
}

TEST_F(LocalTimeTest, LocalDayBounds) {
  useZoneHistory(location, {epoch(2)});
  double start = 0, end = 0;
  int16_t shift = 9;
  bool ok = false;
  double t = day(2009, 7, 1) + 23.0 / 24;
  rs.session.localTime.StartEndOfDay(t, dtGregorian, start, end, ok, shift);
  ASSERT_TRUE(ok);
  EXPECT_NEAR(start, day(2009, 7, 1) + 22.0 / 24, 1e-9);
  EXPECT_NEAR(end, day(2009, 7, 2) + 22.0 / 24, 1e-9);
  EXPECT_EQ(shift, 0);
  EXPECT_NEAR(rs.session.localTime.ZeroTime(t), -2.0 / 24, 1e-15);

  rs.session.localTime.StartEndOfDay(10592251, dtGregorian, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in cLocalTime.StartEndOfDay, Magnitude of dblDate too large: 10592251");

  // Hebrew days run from sunset to sunset: 18:00 UT every day here.
  rs.session.sunset = [](int32_t n, double& s) {
    s = n + 0.75;
    return true;
  };
  t = day(2009, 7, 1) + 19.0 / 24;
  rs.session.localTime.StartEndOfDay(t, dtHebrew, start, end, ok, shift);
  ASSERT_TRUE(ok) << rs.sink.last();
  EXPECT_DOUBLE_EQ(start, day(2009, 7, 1) + 0.75);
  EXPECT_DOUBLE_EQ(end, day(2009, 7, 2) + 0.75);
  EXPECT_EQ(shift, 1);
  // Without sunsets (polar day) the day has no bounds.
  rs.session.sunset = nullptr;
  rs.sink.clear();
  rs.session.localTime.StartEndOfDay(t, dtIslamic, start, end, ok, shift);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace nemora::testing
