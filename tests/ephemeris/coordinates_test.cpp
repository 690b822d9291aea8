// Coordinate conversion, refraction and the coordinate reports.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "ephemeris/coordinate_reports.h"
#include "ephemeris/hbody.h"
#include "tests/test_support.h"
#include "visibility/sky.h"
#include "base/spline.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr double kEvening = 738956 + 16.0 / 24;  // 2024 March 11, 16:00 UT

class CoordinatesTest : public ::testing::Test {
 protected:
  CoordinatesTest() : s(rs.session) {
    s.udtLocation.dblLatitude = 31.7767;
    s.udtLocation.dblLongitude = 35.2345;
    s.udtLocation.dblHeight = 0;
    s.udtLocation.moveTo({31.7767, 35.2345, 0});
    s.udtWeather.udtBasis = kWeatherFixed;
    s.udtWeather.dblTempMean = 0;
    s.udtWeather.dblPressMean = 1013.25;
    s.udtWeather.dblHumMean = 50;
  }
  double refract(double h, bool& flag, double T = 0, double P = 1013.25) {
    bool ok = false;
    double r = s.hbody.Refract(h, true, udtWeatherNow{T, P, 50}, flag, ok);
    EXPECT_TRUE(ok);
    return r;
  }
  RecordedSession rs;
  Session& s;
};

TEST(SplineTest, NaturalSplineReproducesLinesAndKnots) {
  // A natural spline through points of a straight line is that line.
  std::vector<double> x = {0, 1, 3, 4}, y = {1, 3, 7, 9};
  auto y2 = SPLINE(x, y, 4);
  for (double d : y2) EXPECT_NEAR(d, 0, 1e-12);
  EXPECT_NEAR(SPLINT(x, y, y2, 4, 2.5), 6, 1e-12);
  // Through a curve it passes the knots exactly and has zero curvature at
  // the ends.
  std::vector<double> cy = {0, 1, 9, 16};
  auto c2 = SPLINE(x, cy, 4);
  EXPECT_EQ(c2.front(), 0);
  EXPECT_EQ(c2.back(), 0);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(SPLINT(x, cy, c2, 4, x[i]), cy[i], 1e-12);
  // Equal abscissae and an empty table are refused.
  std::vector<double> bad = {1, 1};
  EXPECT_THROW(SPLINT(bad, bad, std::vector<double>{0, 0}, 2, 1), AppError);
  try {
    SPLINT(bad, bad, std::vector<double>{0, 0}, 2, 1);
  } catch (const AppError& e) {
    EXPECT_EQ(e.description, "Bad dblX array in SPLINT.");
  }
  try {
    SPLINT(x, y, y2, 0, 1);
  } catch (const AppError& e) {
    EXPECT_EQ(e.description, "Bad intKHi and intKLo array in SPLINT.");
  }
}

TEST_F(CoordinatesTest, RefractionZonesAndBlends) {
  bool flag = false;
  auto formula = [](double h) { return 1.02 / TanD(h + 10.3 / (h + 5.11)) / 60 * 273.15 / 283.15; };
  // From 4.829444444 up: the formula alone.
  EXPECT_DOUBLE_EQ(refract(4.83, flag), formula(4.83));
  EXPECT_TRUE(flag);
  EXPECT_DOUBLE_EQ(refract(45, flag), formula(45));
  // At 4.5: a blend of the formula and the table, between the two.
  double blend = refract(4.5, flag);
  const RefractionTable& t = loadRefractionTable(s);
  double table = SPLINT(t.dblAlt, t.dblRefr, t.dblY2, 16, 4.5);
  double w = (4.5 - 4) / 0.829444444;
  EXPECT_NEAR(blend, w * formula(4.5) + (1 - w) * table, 1e-12);
  // Continuous at both ends of the blend.
  EXPECT_NEAR(refract(3.9999999, flag), refract(4, flag), 1e-6);
  EXPECT_NEAR(refract(4.8294444, flag), refract(4.8294445, flag), 1e-6);
  // Horizontal refraction near 35 arcminutes at 0 C and 1013.25 hPa.
  EXPECT_NEAR(refract(-0.6, flag) * 60, 36, 1);
  // At sea level the lowest altitude is -1.626: -1.7 has no refraction.
  EXPECT_EQ(refract(-1.7, flag), 0);
  EXPECT_FALSE(flag);
  EXPECT_GT(refract(-1.6, flag), 0);
  EXPECT_TRUE(flag);
  // At 2000 m the limit is -1.626 - 1.1 sqrt(2), about -3.18.
  s.udtLocation.dblHeight = 2000;
  EXPECT_GT(refract(-3.17, flag), 0);
  EXPECT_TRUE(flag);
  EXPECT_EQ(refract(-3.19, flag), 0);
  EXPECT_FALSE(flag);
  // High up (8000 m, limit -4.74) the lowest zones are reached; the refraction there stays
  // positive and continuous instead of turning negative.
  s.udtLocation.dblHeight = 8000;
  for (double h : {-3.4, -3.6, -4.0, -4.2, -4.5}) {
    EXPECT_GT(refract(h, flag), 1.0) << h;
    EXPECT_TRUE(flag);
  }
  EXPECT_NEAR(refract(-4.1365, flag), refract(-4.1367, flag), 1e-4);
  EXPECT_EQ(refract(-6.01, flag), 0);
  EXPECT_FALSE(flag);
}

TEST_F(CoordinatesTest, RefractionScalesWithWeatherAndInvertsForApparentAltitudes) {
  bool flag = false;
  double base = refract(10, flag);
  EXPECT_NEAR(refract(10, flag, 0, 506.625), base / 2, 1e-12);
  EXPECT_NEAR(refract(10, flag, 20), base * 273.15 / 293.15, 1e-12);
  // The refraction of an apparent altitude, added back, gives the apparent
  // altitude from the true one.
  bool ok = false;
  double apparent = 0.5;
  double r = s.hbody.Refract(apparent, false, udtWeatherNow{10, 1000, 50}, flag, ok);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(flag);
  double back = s.hbody.Refract(apparent - r, true, udtWeatherNow{10, 1000, 50}, flag, ok);
  EXPECT_NEAR(back, r, 2e-5);
  // Out of range.
  s.hbody.Refract(90.5, true, udtWeatherNow{10, 1000, 50}, flag, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages, (std::vector<std::string>{"Error in cHBody.Refract, Error in dlbAltitude: 90.5"}));
}

TEST_F(CoordinatesTest, ABadRefractionTableEndsTheProgram) {
  // Sixteen rising pairs, pair i on line i + 2.
  auto table = [](int bad, const std::string& pair) {
    std::string text = "# test table\n";
    for (int i = 0; i < 16; ++i) text += (i == bad ? pair : concat(-5 + i * 0.6, ",0.5")) + "\n";
    return text;
  };
  const std::string sound = table(-1, "");
  const std::string reading = "Error in cHBody.Refract, Error in refract reading near horizon refraction values";
  auto at = [&](int line) { return reading + concat(" (Refract.txt, line ", line, ")\nSorry cannot continue"); };
  struct Case {
    const char* what;
    std::string text, message;
  };
  const Case cases[] = {
      {"refraction out of range", table(7, "-0.8,5.1"), at(9)},
      {"altitudes not rising", table(3, "-4,0.5"), at(5)},
      {"empty file", "", at(1)},
      {"cut short", sound.substr(0, sound.rfind(",0.5")), at(17)},
      {"a pair left over", sound + "4.9,0.1\n", at(18)},
      {"missing file", "-", "Error in cHBody.Refract, File not found: Refract.txt\nSorry cannot continue"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.text != "-") dir.write("Refract.txt", c.text);
    s.dataDir = dir.path();
    rs.sink.clear();
    bool flag = false, ok = true;
    EXPECT_THROW(s.hbody.Refract(1, true, udtWeatherNow{10, 1000, 50}, flag, ok), ProgramEnd) << c.what;
    EXPECT_EQ(rs.sink.messages, std::vector<std::string>{c.message}) << c.what;
    // Above 5 degrees the table is not needed.
    EXPECT_GT(s.hbody.Refract(10, true, udtWeatherNow{10, 1000, 50}, flag, ok), 0);
    EXPECT_TRUE(ok);
  }
  // A byte-order mark is no damage.
  TempDir dir;
  dir.write("Refract.txt", "\xEF\xBB\xBF" + sound);
  s.dataDir = dir.path();
  rs.sink.clear();
  bool flag = false, ok = false;
  s.hbody.Refract(1, true, udtWeatherNow{10, 1000, 50}, flag, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(CoordinatesTest, NearTheEquatorTheTopocentricAzimuthIsTheGeocentric) {
  udtHBody r;
  bool ok = false;
  s.udtLocation.dblLatitude = 0.4;
  s.hbody.TrueHBody("Moon", kEvening, r, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(r.AzTopo, r.AzGeo);
  s.udtLocation.dblLatitude = 0.6;
  s.hbody.TrueHBody("Moon", kEvening, r, ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(r.AzTopo, r.AzGeo);
}

TEST_F(CoordinatesTest, HourAnglesStayInRangeAcrossTheLowerMeridian) {
  // The parallax can carry the Moon's topocentric hour angle past 180
  // degrees; it is kept in (-180, 180] like the geocentric one. Scan a day
  // in steps of a minute.
  for (int i = 0; i < 1440; ++i) {
    udtHBody r;
    bool ok = false;
    s.hbody.TrueHBody("Moon", kEvening + i / 1440.0, r, ok);
    ASSERT_TRUE(ok) << i;
    EXPECT_GT(r.HourAngTopo, -180);
    EXPECT_LE(r.HourAngTopo, 180);
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(CoordinatesTest, ReportsOfTheMoonAndOfAStar) {
  s.dblFixDate = 738956;
  s.dblFixTime = 16.0 / 24;
  CoordinateReports reports(s);
  bool ok = false;
  std::string horizon = reports.report("Moon", "Horizon coordinates", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(horizon.find("Moon's geocentric horizon coordinates\nAzimuth "), 0u) << horizon;
  EXPECT_NE(horizon.find("\nMoon's topocentric horizon coordinates\nAzimuth "), std::string::npos);
  EXPECT_NE(horizon.find("\nAfter correction for refraction\nAltitude "), std::string::npos);
  EXPECT_NE(horizon.find("\nThe center of the lit portion is at\nAzimuth "), std::string::npos);
  EXPECT_NE(horizon.find(" on the clockface.\n"), std::string::npos);

  std::string ecl = reports.report("Moon", "Ecliptic coordinates", ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(ecl.find("Geocentric ecliptic elongation "), std::string::npos);
  EXPECT_NE(ecl.find("\nSimple geocentric illumination "), std::string::npos);
  EXPECT_NE(ecl.find("\nTopocentric illumination "), std::string::npos);

  // The Sun has no elongation lines.
  std::string sunEcl = reports.report("Sun", "Ecliptic coordinates", ok);
  EXPECT_EQ(sunEcl.find("elongation"), std::string::npos);

  // A star: no topocentric sections, its distance in parsecs.
  std::string eq = reports.report("Sirius", "Equatorial coordinates", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(eq.find("topocentric"), std::string::npos);
  EXPECT_EQ(eq.find("Sirius's geocentric equatorial coordinates\nRight ascension 6h"), 0u) << eq;
  EXPECT_NE(eq.find("\n              = "), std::string::npos);
  std::string dist = reports.report("Sirius", "Distance & size", ok);
  EXPECT_EQ(dist.find("Sirius's distance and size\nGeocentric distance 2.64 parsec\nSolar elongation "), 0u)
      << dist;
  EXPECT_EQ(dist.find("Topocentric distance"), std::string::npos);
  std::string hor = reports.report("Sirius", "Horizon coordinates", ok);
  EXPECT_EQ(hor.find("topocentric"), std::string::npos);

  // Sun well below the horizon at midnight.
  s.dblFixTime = 22.0 / 24;
  std::string night = reports.report("Sun", "Horizon coordinates", ok);
  EXPECT_NE(night.find("\nThe Sun is well below the horizon so refraction cannot be calculated.\n"),
            std::string::npos);
  // An unknown body: the position's message, then an empty text.
  EXPECT_EQ(reports.report("Pluto", "Distance & size", ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages, (std::vector<std::string>{"Error in cHBody.TrueHBody, Invalid heavenly body name: Pluto"}));
}

// In Hebrew every line of every coordinate report is Hebrew text (the body
// named in Hebrew too), with the same numbers as in English.
TEST_F(CoordinatesTest, ReportsInHebrewNameTheBodyInHebrew) {
  s.dblFixDate = 738956;
  s.dblFixTime = 16.0 / 24;
  CoordinateReports reports(s);
  for (const std::string body : {"Sun", "Moon", "Venus", "Sirius"}) {
    for (const std::string parameter :
         {"Horizon coordinates", "Ecliptic coordinates", "Equatorial coordinates", "Distance & size"}) {
      bool ok = false;
      s.intLanguage = 0;
      const std::string english = reports.report(body, parameter, ok);
      ASSERT_TRUE(ok) << body << parameter;
      s.intLanguage = 1;
      const std::string hebrew = reports.report(body, parameter, ok);
      ASSERT_TRUE(ok) << body << parameter;
      SCOPED_TRACE(body + " " + parameter + ":\n" + hebrew);
      // The same figures: as many degree signs and the same first angle.
      auto count = [](const std::string& text) {
        size_t n = 0;
        for (size_t at = text.find("°"); at != std::string::npos; at = text.find("°", at + 1)) ++n;
        return n;
      };
      EXPECT_EQ(count(hebrew), count(english));
      const size_t end = english.find('"');
      const std::string firstAngle = english.substr(english.rfind(' ', end) + 1, end - english.rfind(' ', end));
      EXPECT_NE(hebrew.find(firstAngle), std::string::npos) << firstAngle;
      if (body != "Sirius") {
        EXPECT_EQ(hebrew.find(body), std::string::npos);
      }
      for (const std::string word : {"coordinates", "Azimuth", "Altitude", "distance", "Declination", "illumination"})
        EXPECT_EQ(hebrew.find(word), std::string::npos) << word;
    }
  }
  s.intLanguage = 0;
}

TEST_F(CoordinatesTest, AngleTextRoundsOnceAtTheDisplayPrecision) {
  CoordinateReports reports(s);
  EXPECT_EQ(reports.angleText(10.5, 0), "10°30'0\"");
  EXPECT_EQ(reports.angleText(-0.25, 1), "-0°15'0.0\"");
  // 59.96 seconds shows as the next minute, never as 60 seconds.
  EXPECT_EQ(reports.angleText(1 + 59.96 / 3600, 0), "1°1'0\"");
  EXPECT_EQ(reports.angleText(12.999999, 2), "13°0'0.00\"");
  // Whole minutes (refracted altitudes below 1 degree at precision 0).
  EXPECT_EQ(reports.angleText(0.5083, -1), "0°30'");
  EXPECT_EQ(reports.angleText(3.5, 0, "hms"), "3h30m0s");
}

}  // namespace
}  // namespace nemora
