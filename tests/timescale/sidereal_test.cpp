// Greenwich mean and local sidereal time, checked against published values
// and by round trips through the second occurrence at the end of each day.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"
#include "timescale/sidereal.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr double kSecond = 1.0 / 86400;

double hoursOf(const udtTime& t) {
  return t.udtDms.intDegreesHours + t.udtDms.intMinutes / 60.0 + t.udtDms.dblSeconds / 3600.0;
}

udtTime sidereal(int32_t type, double hours, bool second = false) {
  udtTime t;
  t.enmTimeType = type;
  t.bln24Hour = true;
  int16_t h = static_cast<int16_t>(hours);
  double rest = (hours - h) * 60;
  int16_t m = static_cast<int16_t>(rest);
  t.udtDms = udtDms{h, m, (rest - m) * 60, true};
  t.blnSecondTime = second;
  return t;
}

TEST(SiderealTime, PublishedValues) {
  // J. Meeus, Astronomical Algorithms (2nd ed.), examples 12.a and 12.b:
  // 1987 April 10 at 0 h UT GMST is 13 h 10 min 46.3668 s (197.693195
  // degrees); at 19 h 21 min 0 s UT it is 8 h 34 min 57.0896 s (128.7378734
  // degrees). The record keeps tenths of a second.
  RecordedSession s;
  double day = static_cast<double>(fixedFromGregorian(1987, 4, 10));
  bool ok = false;
  EXPECT_NEAR(s.session.gmst.FixToGMST(day, ok), 197.693195, 2e-6);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(s.session.gmst.FixToGMST(day + (19 + 21 / 60.0) / 24, ok), 128.7378734, 2e-6);
  udtTime t;
  s.session.gmst.ToGMST(day, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.enmTimeType, ttGMST);
  EXPECT_TRUE(t.bln24Hour);
  EXPECT_EQ(t.udtDms.intDegreesHours, 13);
  EXPECT_EQ(t.udtDms.intMinutes, 10);
  EXPECT_DOUBLE_EQ(t.udtDms.dblSeconds, 46.4);
  s.session.gmst.ToGMST(day + (19 + 21 / 60.0) / 24, t, ok);
  EXPECT_EQ(t.udtDms.intDegreesHours, 8);
  EXPECT_EQ(t.udtDms.intMinutes, 34);
  EXPECT_DOUBLE_EQ(t.udtDms.dblSeconds, 57.1);
  // 1 January 2000 at 0 h UT: about 6 h 39 min 52 s.
  s.session.gmst.ToGMST(730120, t, ok);
  EXPECT_EQ(t.udtDms.intDegreesHours, 6);
  EXPECT_EQ(t.udtDms.intMinutes, 39);
  EXPECT_NEAR(t.udtDms.dblSeconds, 52.3, 1e-9);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(SiderealTime, DegreesAndClockAgree) {
  // The day-by-day expression (mean sidereal time at 0 h plus the sidereal
  // rate) and the continuous one in degrees agree within a hundredth of a
  // second over a century either side of J2000.0, and within a quarter of a second over
  // five thousand years (their cubic terms differ).
  RecordedSession s;
  bool ok = false;
  for (double t = -300000.25; t < 1500000; t += 3137.37) {
    double degrees = s.session.gmst.FixToGMST(t, ok);
    double fromClock = GMSTFraction(t) * 360;
    double diff = std::remainder(degrees - fromClock, 360.0);
    double tolerance = std::fabs(t - 730120.5) < 36525 ? 0.01 : 0.25;
    EXPECT_LT(std::fabs(diff) * 240, tolerance) << t;  // 240 s of time per degree
  }
}

TEST(SiderealTime, LocalIsGreenwichPlusLongitude) {
  RecordedSession s;
  for (double longitude : {35.22, -122.4, 179.9, 0.0}) {
    s.session.udtLocation.dblLongitude = longitude;
    for (double t = 700000.1; t < 760000; t += 3001.77) {
      bool ok = false;
      double gmst = s.session.gmst.FixToGMST(t, ok);
      double lst = s.session.lst.FixToLST(t, ok);
      ASSERT_TRUE(ok);
      EXPECT_NEAR(std::remainder(lst - gmst - longitude, 360.0), 0, 1e-9);
      udtTime r;
      s.session.lst.ToLST(t, r, ok);
      ASSERT_TRUE(ok);
      // The clock record, in degrees, is the same angle within its rounding
      // to a tenth of a second.
      double clockDegrees = hoursOf(r) * 15;
      EXPECT_LT(std::fabs(std::remainder(clockDegrees - lst, 360.0)) * 240, 0.06) << longitude << " " << t;
    }
  }
}

TEST(SiderealTime, LastMinutesOfTheDayComeTwice) {
  RecordedSession s;
  s.session.dblFixDate = 738886;  // 1 January 2024
  const double day = s.session.dblFixDate;
  bool ok = false;
  udtTime early, late;
  // 30 s after midnight, and one sidereal day later (23 h 56 min 34 s UT).
  s.session.gmst.ToGMST(day + 30 * kSecond, early, ok);
  s.session.gmst.ToGMST(day + 30 * kSecond + kSiderealDay, late, ok);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(early.blnSecondTime);
  EXPECT_TRUE(late.blnSecondTime);
  EXPECT_NEAR(hoursOf(early), hoursOf(late), 0.1 / 3600);
  // Both come back to their own instant.
  double first = s.session.gmst.FromGMST(early, ok, 4);
  ASSERT_TRUE(ok);
  EXPECT_NEAR(first, 30 * kSecond, 0.06 * kSecond);
  double second = s.session.gmst.FromGMST(late, ok, 4);
  ASSERT_TRUE(ok);
  EXPECT_NEAR(second, 30 * kSecond + kSiderealDay, 0.06 * kSecond);
  // 23 h 56 min 3 s UT is still the first occurrence of its reading.
  s.session.gmst.ToGMST(day + kSiderealDay - kSecond, late, ok);
  EXPECT_FALSE(late.blnSecondTime);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(SiderealTime, RoundTripsOverManyInstants) {
  RecordedSession s;
  s.session.udtLocation.dblLongitude = -71.06;
  for (double t = 600000.0137; t < 800000; t += 71.3117) {
    double day = std::floor(t);
    s.session.dblFixDate = day;
    bool ok = false;
    udtTime g;
    s.session.gmst.ToGMST(t, g, ok);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(day + s.session.gmst.FromGMST(g, ok, 4), t, 0.06 * kSecond) << t;
    ASSERT_TRUE(ok);
    // The local sidereal day runs from mean midnight to mean midnight at the
    // longitude; its date is the local mean date.
    double localDay = std::floor(t - 71.06 / 360);
    s.session.dblFixDate = localDay;
    udtTime l;
    s.session.lst.ToLST(t, l, ok);
    ASSERT_TRUE(ok);
    l.blnSecondTime = t - (localDay + 71.06 / 360) >= kSiderealDay;
    EXPECT_NEAR(localDay + s.session.lst.FromLST(l, ok, 4), t, 0.06 * kSecond) << t;
    ASSERT_TRUE(ok);
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(SiderealTime, DaysFromSunsetToSunset) {
  // A Hebrew date runs from the sunset before its civil day to the sunset on
  // it; a sidereal reading of that date lies between them.
  RecordedSession s;
  s.session.sunset = [](int32_t day, double& t) {
    t = day + 0.7 + (day % 3) * 0.001;  // days a little longer and shorter than 24 h
    return true;
  };
  for (int32_t day = 738880; day < 738900; ++day) {
    s.session.dblFixDate = day;
    double start = day - 1 + 0.7 + ((day - 1) % 3) * 0.001;
    double end = day + 0.7 + (day % 3) * 0.001;
    for (double h = 0; h < 24; h += 0.37) {
      bool ok = false;
      double t = day + s.session.gmst.FromGMST(sidereal(ttGMST, h), ok, 6);
      ASSERT_TRUE(ok);
      EXPECT_GE(t, start);
      EXPECT_LT(t, start + kSiderealDay);
      EXPECT_NEAR(std::remainder(GMSTFraction(t) * 24 - h, 24.0), 0, 1e-7);
      t = day + s.session.lst.FromLST(sidereal(ttLST, h), ok, 7);
      ASSERT_TRUE(ok);
      EXPECT_GE(t, start);
      EXPECT_LT(t, end);
    }
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(SiderealTime, Messages) {
  RecordedSession s;
  s.session.dblFixDate = 738886;
  bool ok = true;
  auto expectMessage = [&](const std::string& message) {
    EXPECT_FALSE(ok);
    ASSERT_EQ(s.sink.messages.size(), 1u);
    EXPECT_EQ(s.sink.messages[0], message);
    s.sink.clear();
    ok = true;
  };
  s.session.gmst.FixToGMST(10592253, ok);
  expectMessage("Error in cLST.FixToLST, Magnitude of dblFix too large: 10592253");
  s.session.lst.FixToLST(-10592253, ok);
  expectMessage("Error in cLST.FixToLST, Magnitude of dblFix too large: -10592253");
  s.session.udtLocation.dblLongitude = -180;
  s.session.lst.FixToLST(738886, ok);
  expectMessage("Error in cLST.FixToLST, Invalid longitude: -180");
  s.session.udtLocation.dblLongitude = 0;
  udtTime t;
  s.session.gmst.ToGMST(10592251, t, ok);
  expectMessage("Error in cGMST.ToGMST, Magnitude of dblDate too large: 10592251");
  s.session.lst.ToLST(-10592251, t, ok);
  expectMessage("Error in cLST.ToLST, Magnitude of dblDate too large: -10592251");
  // Only the first 3 min 56 s of sidereal readings of a day come twice.
  s.session.gmst.FromGMST(sidereal(ttGMST, 12, true), ok, 4);
  expectMessage("Error in cGMST.FromGMST, This time does not occur a second time on this date: 12");
  udtTime twelveHour = sidereal(ttLST, 7);
  twelveHour.bln24Hour = false;
  s.session.lst.FromLST(twelveHour, ok, 4);
  expectMessage("Error in frmTime.FromAMPM, Time must be in 24 hour mode for GMST and LST type");
  // Without sunsets a Hebrew date has no bounds.
  s.session.sunset = nullptr;
  s.session.gmst.FromGMST(sidereal(ttGMST, 1), ok, 6);
  expectMessage("Error in cGMST.FromGMST, No sunset times are available for days that begin at sunset");
  // A source that finds no sunset has told the user itself.
  s.session.sunset = [](int32_t, double&) { return false; };
  s.session.lst.FromLST(sidereal(ttLST, 1), ok, 7);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
