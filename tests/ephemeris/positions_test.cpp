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
    s.udtPosition = {31.7767, 35.2345, 800};
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

}  // namespace
}  // namespace nemora
