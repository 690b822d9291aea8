// Body positions: published reference positions, the special cases of each
// body branch, the caches and the messages.
#include <gtest/gtest.h>

#include <cmath>

#include "ephemeris/hbody.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

class PositionsTest : public ::testing::Test {
 protected:
  PositionsTest() : s(rs.session) {
    // Jerusalem, fixed weather (no location database needed).
    s.udtLocation.dblLatitude = 31.7767;
    s.udtLocation.dblLongitude = 35.2345;
    s.udtLocation.dblHeight = 800;
    s.udtLocation.moveTo({31.7767, 35.2345, 800});
    s.udtWeather.udtBasis = kWeatherFixed;
    s.udtWeather.dblTempMean = 10;
    s.udtWeather.dblPressMean = 1013.25;
    s.udtWeather.dblHumMean = 50;
  }
  // The UT instant at which dynamical time reads the given JDE.
  double fixAtJDE(double jde) {
    bool ok = false;
    double fix = s.jde.jde_fixed(jde, ok);
    EXPECT_TRUE(ok);
    return fix;
  }
  udtHBody body(const std::string& name, double fix) {
    udtHBody r;
    bool ok = false;
    s.hbody.TrueHBody(name, fix, r, ok);
    EXPECT_TRUE(ok) << name << " at " << fix;
    return r;
  }
  RecordedSession rs;
  Session& s;
};

constexpr double kArcsec = 1.0 / 3600;

double dms(double d, double m, double sec) { return d + m / 60 + sec / 3600; }

// Worked examples of Meeus, Astronomical Algorithms, 2nd ed. (1998), at the
// given dynamical time. Tolerances: our nutation is its main term only (a few
// arcseconds) and the series are abridged.
TEST_F(PositionsTest, ReferencePositionsOfPublishedWorkedExamples) {
  // Example 25.b: the Sun on 1992 October 13.0 TD, apparent position from the
  // full VSOP87: lambda 199 54' 21.818", alpha 13h13m30.749s, delta -7 47' 01.74".
  udtHBody sun = body("Sun", fixAtJDE(2448908.5));
  EXPECT_NEAR(sun.EclLong, dms(199, 54, 21.818), 5 * kArcsec);
  EXPECT_NEAR(sun.RAGeo, 15 * dms(13, 13, 30.749), 8 * kArcsec);
  EXPECT_NEAR(sun.DeclGeo, -dms(7, 47, 1.74), 5 * kArcsec);
  EXPECT_NEAR(sun.DistanceGeo / 149597870, 0.99760775, 2e-6);

  // Example 47.a: the Moon on 1992 April 12.0 TD: apparent lambda 133.167265,
  // beta -3.229126, distance 368409.7 km, alpha 134.688470, delta 13.768368.
  udtHBody moon = body("Moon", fixAtJDE(2448724.5));
  EXPECT_NEAR(moon.EclLong, 133.167265, 3 * kArcsec);
  EXPECT_NEAR(moon.EclDecl, -3.229126, 1 * kArcsec);
  EXPECT_NEAR(moon.DistanceGeo, 368409.7, 0.5);
  EXPECT_NEAR(moon.RAGeo, 134.688470, 5 * kArcsec);
  EXPECT_NEAR(moon.DeclGeo, 13.768368, 5 * kArcsec);

  // Example 33.a: Venus on 1992 December 20.0 TD, corrected for light time
  // but not for aberration or nutation: lambda 313.08102, beta -2.08474,
  // distance 0.910947 au.
  udtHBody venus = body("Venus", fixAtJDE(2448976.5));
  EXPECT_NEAR(venus.EclLong, 313.08102, 5 * kArcsec);
  EXPECT_NEAR(venus.EclDecl, -2.08474, 5 * kArcsec);
  // The abridged series give the distance to a few 1e-6 au.
  EXPECT_NEAR(venus.DistanceGeo / 149597870, 0.910947, 5e-6);
  // Its illuminated fraction there is 0.647 (example 41.a).
  EXPECT_NEAR(venus.Phase, 0.647, 0.01);
}


// An evening in Jerusalem, the day after the new Moon of 2024 March 10.
constexpr double kEvening = 738956 + 16.0 / 24;

TEST_F(PositionsTest, EachBranchFillsItsSpecialFields) {
  udtHBody sun = body("Sun", kEvening);
  EXPECT_EQ(sun.Phase, 1);
  EXPECT_DOUBLE_EQ(sun.WidthTopo, 2 * sun.Radius);
  EXPECT_EQ(sun.EclElong, 0);
  EXPECT_EQ(sun.ElongationGeo, 0);
  EXPECT_EQ(sun.ElongationTopo, 0);
  EXPECT_NEAR(sun.Radius, 16.1 / 60, 0.2 / 60);

  udtHBody moon = body("Moon", kEvening);
  EXPECT_GT(moon.EclElong, 0);  // east of the Sun in the evening
  EXPECT_NEAR(moon.ElongationGeo, 18.3, 1);
  EXPECT_LT(moon.Phase, 0.03);
  EXPECT_GT(moon.WidthTopo, 0);
  EXPECT_LT(moon.WidthTopo, 0.02);
  // The parallax lowers the Moon by up to about a degree.
  EXPECT_LT(moon.AltTopo, moon.AltGeo);
  EXPECT_GT(moon.DistanceTopo, 0);

  // Planets carry signed ecliptic latitudes: Venus south of the ecliptic in
  // 1992 December never reads 357 degrees.
  udtHBody venus = body("Venus", fixAtJDE(2448976.5));
  EXPECT_LT(venus.EclDecl, 0);
  EXPECT_GT(venus.EclDecl, -10);
  EXPECT_DOUBLE_EQ(venus.WidthTopo, venus.Phase * venus.Radius);
  for (const char* planet : {"Mercury", "Mars", "Jupiter", "Saturn"}) {
    udtHBody r = body(planet, kEvening);
    EXPECT_GT(r.Radius, 0) << planet;
    EXPECT_LE(r.Phase, 1) << planet;
    EXPECT_GT(r.Phase, 0.4) << planet;
  }
  // A star: at stellar distance, full disc, its catalogue place precessed.
  udtHBody sirius = body("Sirius", kEvening);
  EXPECT_GT(sirius.DistanceGeo, kStarDistance);
  EXPECT_EQ(sirius.Phase, 1);
  EXPECT_NEAR(sirius.DeclGeo, -16.7, 0.1);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(PositionsTest, TheMoonBefore1955IsComputedSlightlyLater) {
  // y, centuries from about 1955.5, below 0 moves the instant by
  // 1.788107648 y^2 seconds; from then on the instant is used as it is.
  double fix1900 = 693596;
  double y = ((fix1900 + 14.25 + 365.25) / 365.25 - 2000) / 100 + 0.445;
  ASSERT_LT(y, 0);
  EXPECT_DOUBLE_EQ(moonInstant(fix1900), fix1900 + 1.788107648 * y * y / 86400);
  EXPECT_GT(moonInstant(fix1900), fix1900);
  EXPECT_EQ(moonInstant(kEvening), kEvening);
  EXPECT_EQ(moonInstant(714200), 714200.0);  // 1956 May
  EXPECT_GT(moonInstant(713000), 713000.0);  // 1953 February
}

TEST_F(PositionsTest, KeptRecordsFollowTheInstantAndThePlace) {
  udtHBody first = body("Moon", kEvening);
  // A change of place, with nothing marked stale, gives the new place's
  // record, topocentric values and all.
  s.udtLocation.dblLatitude = -33.9;
  EXPECT_NE(body("Moon", kEvening).AltTopo, first.AltTopo);
  udtHBody sun1 = body("Sun", kEvening);
  s.udtLocation.dblLatitude = 10;
  EXPECT_NE(body("Sun", kEvening).AltTopo, sun1.AltTopo);
  s.udtLocation.dblLatitude = -33.9;
  EXPECT_EQ(body("Sun", kEvening).AltTopo, sun1.AltTopo);
  EXPECT_NE(body("Sun", kEvening + 1e-3).AltTopo, sun1.AltTopo);
  // Two sessions never share a cache.
  RecordedSession other;
  other.session.udtLocation = s.udtLocation;
  other.session.udtLocation.dblLatitude = 10;
  other.session.udtWeather = s.udtWeather;
  udtHBody r;
  bool ok = false;
  other.session.hbody.TrueHBody("Sun", kEvening, r, ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(r.AltTopo, sun1.AltTopo);
}

TEST_F(PositionsTest, InvalidNamesAndInstantsShowTheirMessages) {
  udtHBody r;
  bool ok = true;
  s.hbody.TrueHBody("Earth", kEvening, r, ok);
  EXPECT_FALSE(ok);
  s.hbody.TrueHBody("Pluto", kEvening, r, ok);
  EXPECT_FALSE(ok);
  s.hbody.TrueHBody("Moon", 10592253, r, ok);
  EXPECT_FALSE(ok);
  double L = 0, B = 0, R = 0;
  s.hbody.planet.HelioPlanet("Moon", kEvening, L, B, R, ok);
  EXPECT_FALSE(ok);
  s.hbody.ToJ2000(-10592253, ok);
  EXPECT_FALSE(ok);
  s.hbody.Obliquity(300, ok);
  EXPECT_FALSE(ok);
  s.hbody.moon.MeanMoon(10592252.5, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages, (std::vector<std::string>{
                                  "Error in cHBody.TrueHBody, Invalid heavenly body name: Earth",
                                  "Error in cHBody.TrueHBody, Invalid heavenly body name: Pluto",
                                  "Error in cHBody.TrueHBody, Magnitude of dblFix too large: 10592253",
                                  "Error in cPlanet.HelioPlanet, Invalid planet name: Moon",
                                  "Error in cHBody.ToJ2000, Magnitude of dblFix too large: -10592253",
                                  "Error in cHBody.ToJ2000, Magnitude of dblT too large: 300",
                                  "Error in cMoon.MeanMoon, Magnitude of dblFix too large: 10592252.5",
                              }));
}

TEST_F(PositionsTest, SunMeanLongitudeAndObliquityAtJ2000) {
  bool ok = false;
  double fix = fixAtJDE(2451545.0);
  // Meeus, eq. 25.2 and 22.3 at T = 0.
  EXPECT_NEAR(s.hbody.sun.SunMeanLongitude(fix, ok), 280.46646, 1e-6);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(s.hbody.Obliquity(0, ok), 23.4392911111111, 1e-12);
  // Beyond 10000 years the cubic form takes over; both forms meet closely
  // at the switch.
  double inner = s.hbody.Obliquity(100, ok);
  double outer = s.hbody.Obliquity(100.0000001, ok);
  EXPECT_NEAR(inner, outer, 0.05);
}

}  // namespace
}  // namespace nemora
