// Mean solar time at the observer's longitude.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/session.h"
#include "tests/test_support.h"
#include "timescale/mean_solar.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr double kSecond = 1.0 / 86400;

double hoursOf(const udtTime& t) {
  return t.udtDms.intDegreesHours + t.udtDms.intMinutes / 60.0 + t.udtDms.dblSeconds / 3600.0;
}

TEST(MeanSolar, OffsetByLongitude) {
  RecordedSession s;
  clsMeanSolar& m = s.session.meanSolar;
  bool ok = false;
  udtTime t;
  // At Greenwich mean solar time is UT.
  m.ToMeanSolar(738886.5, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(t.enmTimeType, ttMeanSolar);
  EXPECT_DOUBLE_EQ(hoursOf(t), 12);
  // At 35.22 degrees east it is 2 h 20 min 52.8 s ahead.
  s.session.udtLocation.dblLongitude = 35.22;
  m.ToMeanSolar(738886.5, t, ok);
  EXPECT_EQ(t.udtDms.intDegreesHours, 14);
  EXPECT_EQ(t.udtDms.intMinutes, 20);
  EXPECT_NEAR(t.udtDms.dblSeconds, 52.8, 1e-9);
  // West of Greenwich the clock runs behind, into the previous day.
  s.session.udtLocation.dblLongitude = -90;
  m.ToMeanSolar(738886.1, t, ok);
  EXPECT_NEAR(hoursOf(t), 24 * 0.1 - 6 + 24, 1e-9);
  // A reading that rounds to 24:00:00 is 0:00:00.
  s.session.udtLocation.dblLongitude = 0;
  m.ToMeanSolar(738886 - 0.01 * kSecond, t, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(hoursOf(t), 0);
  // On a 12-hour input clock the record follows it.
  s.session.udtTimeIn.bln24Hour = false;
  m.ToMeanSolar(738886.75, t, ok);
  EXPECT_FALSE(t.bln24Hour);
  EXPECT_TRUE(t.blnPM);
  EXPECT_EQ(t.udtDms.intDegreesHours, 6);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(MeanSolar, DayBoundsAndRoundTrips) {
  RecordedSession s;
  clsMeanSolar& m = s.session.meanSolar;
  for (double longitude : {35.22, -120.0, 180.0, -179.99}) {
    s.session.udtLocation.dblLongitude = longitude;
    double L = longitude / 360;
    EXPECT_DOUBLE_EQ(m.ZeroTime(), -L);
    for (double t = 700000.003; t < 701000; t += 0.3791) {
      bool ok = false;
      double start = 0, end = 0;
      int16_t shift = 9;
      m.StartEndOfDay(t, 4, start, end, ok, shift);
      ASSERT_TRUE(ok);
      EXPECT_LE(start, t);
      EXPECT_GT(end, t);
      EXPECT_DOUBLE_EQ(end - start, 1);
      EXPECT_EQ(shift, 0);
      // The date of the mean solar day and the reading give the instant back.
      udtTime r;
      m.ToMeanSolar(t, r, ok);
      ASSERT_TRUE(ok);
      s.session.dblFixDate = std::round(start + L);
      double back = s.session.dblFixDate + m.FromMeanSolar(r, ok, 4);
      ASSERT_TRUE(ok);
      EXPECT_NEAR(back, t, 0.051 * kSecond) << longitude << " " << t;
    }
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(MeanSolar, Messages) {
  RecordedSession s;
  clsMeanSolar& m = s.session.meanSolar;
  bool ok = true;
  udtTime t;
  m.ToMeanSolar(10592250.5, t, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cMeanSolar.ToMeanSolar, Magnitude of dblDate too large: 10592250.5");
  double start = 0, end = 0;
  int16_t shift = 0;
  s.session.udtLocation.dblLongitude = -180;
  m.StartEndOfDay(738886.5, 4, start, end, ok, shift);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cMeanSolar.StartEndOfDay, udtLocation.dblLongitude out of range: -180");
  s.session.udtLocation.dblLongitude = 0;
  // A mean solar day has no second occurrence of a reading.
  udtTime second;
  second.enmTimeType = ttMeanSolar;
  second.udtDms = udtDms{3, 0, 0, true};
  second.blnSecondTime = true;
  s.session.dblFixDate = 738886;
  m.FromMeanSolar(second, ok, 4);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in cMeanSolar.FromMeanSolar, blnSecondTime cannot occur with udtDateType: 4");
  EXPECT_EQ(s.sink.messages.size(), 3u);
}

TEST(MeanSolar, HebrewDaysRunFromSunset) {
  RecordedSession s;
  s.session.sunset = [](int32_t day, double& t) {
    t = day + 0.7;
    return true;
  };
  double start = 0, end = 0;
  int16_t shift = 9;
  bool ok = false;
  s.session.meanSolar.StartEndOfDay(738886.8, 6, start, end, ok, shift);
  ASSERT_TRUE(ok) << s.sink.last();
  EXPECT_DOUBLE_EQ(start, 738886.7);
  EXPECT_DOUBLE_EQ(end, 738887.7);
  EXPECT_EQ(shift, 1);
}

}  // namespace
}  // namespace nemora
