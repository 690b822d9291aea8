// Seasonal hours: twelve equal hours of night from sunset to sunrise and
// twelve of daylight from sunrise to sunset, their readings, and the failure
// where the Sun does not rise or set. Round trips through dates of every
// calendar are in tests/app/conversions_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "ephemeris/rise_set.h"
#include "tests/test_support.h"
#include "timescale/seasonal.h"

namespace nemora {
namespace {

using testing::RecordedSession;

void placeAt(Session& s, double latitude, double longitude) {
  s.udtLocation.dblLatitude = latitude;
  s.udtLocation.dblLongitude = longitude;
  s.udtLocation.dblHeight = 0;
  s.udtLocation.moveTo({latitude, longitude, 0});
  s.udtWeather.udtBasis = kWeatherFixed;
  s.udtWeather.dblTempMean = 15;
  s.udtWeather.dblPressMean = 1013.25;
  s.udtWeather.dblHumMean = 50;
}

// A seasonal record: hours 0 to 11 of the night or of the day.
udtTime seasonal(int hours, bool day, int minutes = 0, double seconds = 0, bool second = false) {
  udtTime t;
  t.enmTimeType = ttSeasonal;
  t.bln24Hour = false;
  t.blnPM = day;
  t.udtDms.intDegreesHours = static_cast<int16_t>(hours);
  t.udtDms.intMinutes = static_cast<int16_t>(minutes);
  t.udtDms.dblSeconds = seconds;
  t.blnSecondTime = second;
  return t;
}

struct Fixture {
  RecordedSession rs;
  Session& s = rs.session;
  bool ok = false;

  double sunEvent(int32_t day, bool set) {
    double t = NAN;
    EXPECT_TRUE(SunRiseSet(s, day, set, t)) << rs.sink.last();
    return t;
  }
  // The instant of a record on a date.
  double instantOf(double day, const udtTime& t) {
    s.dblFixDate = day;
    double f = s.seasonal.FromSeasonal(t, ok);
    EXPECT_TRUE(ok) << rs.sink.last();
    return day + f;
  }
};

TEST(Seasonal, HoursDivideTheDaylightAndTheNight) {
  Fixture f;
  Session& s = f.s;
  for (double latitude : {31.78, -33.9, 60.17}) {
    placeAt(s, latitude, 35.22);
    for (double day = fixedFromGregorian(2024, 1, 5); day < fixedFromGregorian(2025, 1, 1); day += 61) {
      auto d = static_cast<int32_t>(day);
      double rise = f.sunEvent(d, false), set = f.sunEvent(d, true), setBefore = f.sunEvent(d - 1, true),
             riseAfter = f.sunEvent(d + 1, false);
      // Day hour 6 is midway between sunrise and sunset; day hour 0 is the
      // sunrise; night hour 0 is the sunset that opens the night before the
      // date, or for a second occurrence the date's own sunset.
      EXPECT_NEAR(f.instantOf(day, seasonal(6, true)), (rise + set) / 2, 1e-9);
      EXPECT_NEAR(f.instantOf(day, seasonal(0, true)), rise, 1e-9);
      EXPECT_NEAR(f.instantOf(day, seasonal(0, false)), setBefore, 1e-9);
      EXPECT_NEAR(f.instantOf(day, seasonal(0, false, 0, 0, true)), set, 1e-9);
      EXPECT_NEAR(f.instantOf(day, seasonal(6, false, 0, 0, true)), (set + riseAfter) / 2, 1e-9);
      // A day hour is a twelfth of the daylight, a night hour of the night.
      EXPECT_NEAR(f.instantOf(day, seasonal(1, true)) - rise, (set - rise) / 12, 1e-9);
      EXPECT_NEAR(f.instantOf(day, seasonal(3, false, 30)) - setBefore, (rise - setBefore) * 3.5 / 12, 1e-9);
      // The fractions of the seasonal day: sunset 0, sunrise 0.5.
      EXPECT_NEAR(s.seasonal.FixToSeasonal(set, f.ok), 0, 1e-9);
      EXPECT_NEAR(s.seasonal.FixToSeasonal(rise, f.ok), 0.5, 1e-9);
      EXPECT_NEAR(s.seasonal.FixToSeasonal((rise + set) / 2, f.ok), 0.75, 1e-9);
      EXPECT_NEAR(s.seasonal.FixToSeasonal((setBefore + rise) / 2, f.ok), 0.25, 1e-9);
      udtTime noon;
      s.seasonal.ToSeasonal((rise + set) / 2, noon, f.ok);
      ASSERT_TRUE(f.ok);
      EXPECT_EQ(noon.enmTimeType, ttSeasonal);
      EXPECT_FALSE(noon.bln24Hour);
      EXPECT_TRUE(noon.blnPM);
      EXPECT_EQ(noon.udtDms.intDegreesHours, 6);
      EXPECT_EQ(noon.udtDms.intMinutes, 0);
      EXPECT_EQ(noon.udtDms.dblSeconds, 0);
      EXPECT_FALSE(noon.blnSecondTime);
      // In summer the day hours are longer than the night hours.
      bool summer = (latitude > 0) == (day > fixedFromGregorian(2024, 3, 21) && day < fixedFromGregorian(2024, 9, 23));
      EXPECT_EQ(set - rise > rise - setBefore, summer) << latitude << " " << day;
    }
  }
  EXPECT_TRUE(f.rs.sink.messages.empty());
}

TEST(Seasonal, NoSeasonalHoursWhereTheSunDoesNotRiseOrSet) {
  // Tromso (69.65 N, 18.96 E) has midnight Sun from late May to late July
  // and polar night from late November to mid-January: the hours fail with
  // the message of the missing sunrise or sunset, never with a wrong hour.
  Fixture f;
  Session& s = f.s;
  placeAt(s, 69.65, 18.96);
  for (double instant : {fixedFromGregorian(2024, 6, 25) + 0.5, fixedFromGregorian(2024, 12, 21) + 0.5}) {
    udtTime r;
    r.udtDms.intDegreesHours = 9;
    s.seasonal.ToSeasonal(instant, r, f.ok);
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(r.udtDms.intDegreesHours, 9);  // untouched
    ASSERT_EQ(f.rs.sink.messages.size(), 1u);
    EXPECT_EQ(f.rs.sink.messages[0], instant < fixedFromGregorian(2024, 7, 1)
                                         ? "Error in cHBody.RiseSet, No sunrise at this location on 25th June 2024"
                                         : "Error in cHBody.RiseSet, No sunrise at this location on 21st December 2024");
    f.rs.sink.clear();
    f.ok = true;
    s.dblFixDate = std::floor(instant);
    s.seasonal.FromSeasonal(seasonal(3, true), f.ok);
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(f.rs.sink.messages.size(), 1u);
    f.rs.sink.clear();
  }
  // In March the Sun rises and sets there.
  udtTime r;
  s.seasonal.ToSeasonal(fixedFromGregorian(2024, 3, 20) + 0.5, r, f.ok);
  EXPECT_TRUE(f.ok) << f.rs.sink.last();
  EXPECT_TRUE(r.blnPM);
}

TEST(Seasonal, Messages) {
  Fixture f;
  Session& s = f.s;
  placeAt(s, 31.78, 35.22);
  bool& ok = f.ok;
  ok = true;
  auto expectMessage = [&](const std::string& message) {
    EXPECT_FALSE(ok) << message;
    EXPECT_EQ(f.rs.sink.messages, std::vector<std::string>{message});
    f.rs.sink.clear();
    ok = true;
  };
  udtTime r;
  s.seasonal.ToSeasonal(10592250.25, r, ok);
  expectMessage("Error in cSeasonal.ToSeasonal, Magnitude of dblDate too large: 10592250.25");
  s.seasonal.FixToSeasonal(-10592251, ok);
  expectMessage("Error in cSeasonal.FixToSeasonal, Magnitude of dblDate too large: -10592251");
  s.dblFixDate = fixedFromGregorian(2024, 3, 20);
  udtTime clock24 = seasonal(3, true);
  clock24.bln24Hour = true;
  s.seasonal.FromSeasonal(clock24, ok);
  expectMessage("Error in frmTime.FromAMPM, Time must not be in 24 hour mode for seasonal type");
  s.seasonal.FromSeasonal(seasonal(13, true), ok);
  expectMessage("Error in frmTime.FromAMPM, Invalid udtTimeIn.udtDms.intDegreesHours: 13");
}

}  // namespace
}  // namespace nemora
