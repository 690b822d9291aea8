// The Moon's visibility table by the criterion in force.
//
// Outcomes on public record: the crescent of 10 March 2024 (9 hours after the
// new Moon of 09:00 UT) was not seen in the Middle East, that of 11 March
// 2024 was seen easily (the start of Ramadan 1445 in most countries was set
// by these evenings; new Moon instant from the USNO phases table).
#include <gtest/gtest.h>

#include <cmath>

#include "base/numeric.h"
#include "app/session.h"
#include "ephemeris/hbody.h"
#include "tests/test_support.h"
#include "visibility/criterion_visibility.h"

namespace nemora {
namespace {

using testing::RecordedSession;

constexpr int32_t k10Mar2024 = 738955;
constexpr int32_t k11Mar2024 = 738956;

struct Jerusalem : RecordedSession {
  Jerusalem() {
    auto& l = session.udtLocation;
    l.dblLatitude = 31.7767;
    l.dblLongitude = 35.2345;
    l.dblHeight = 754;
    l.dblTZ = 2;
    session.udtLocation.moveTo({l.dblLatitude, l.dblLongitude, l.dblHeight});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.options.intMoonCalc = kMoonCalcByCriterion;
  }
  double alt(const std::string& name, double t) {
    udtHBody r;
    bool ok = false;
    session.hbody.TrueHBody(name, t, r, ok);
    EXPECT_TRUE(ok);
    return r.AltTopo;
  }
};

TEST(CriterionVisibility, ProbabilityIsTheProductOfTheTwoChances) {
  const CriterionConstants& k = kCriterionConstants;
  struct Case {
    double x, dSun, dMoon, expected;  // Sun and Moon altitudes relative to their limits
  } cases[] = {
      {0, 0, 0, 0.25},           // both limits exactly: one half each
      {1, 0, 0, 0.25},
      {2, -2.538, 30, 0.95},     // sky at its 95 % altitude, Moon high
      {2, 2.538, 30, 0.05},      // sky at its 5 % altitude
      {2, -30, 1.645, 0.95},     // dark sky, Moon at its 95 % altitude
      {2, -30, -1.645, 0.05},
      {0.5, -2.538, -1.645, 0.95 * 0.05},
  };
  for (const Case& c : cases) {
    double y = CriterionVisibility::SunLimit(c.x, k) + c.dSun;
    double u = CriterionVisibility::MoonLimit(c.x, k) + c.dMoon;
    EXPECT_NEAR(CriterionVisibility::Probability(c.x, y, u, k), c.expected, 5e-4) << c.x << " " << c.dSun;
  }
  // The limits themselves.
  EXPECT_NEAR(CriterionVisibility::SunLimit(1, k), 0.3302 - 5.2003, 1e-12);
  EXPECT_NEAR(CriterionVisibility::MoonLimit(0, k), 4.3, 1e-12);
  EXPECT_NEAR(CriterionVisibility::MoonLimit(1, kCriterionConstantsSteep), 2.8 * std::exp(-4.0) + 1.5, 1e-12);
}

TEST(CriterionVisibility, JerusalemEvenings) {
  Jerusalem j;
  bool ok = false;
  udtVisibility v;
  j.session.hbody.Visibility("Moon", k11Mar2024, false, false, true, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  EXPECT_TRUE(v.blnEvening);
  EXPECT_FALSE(v.blnNeverVisible);
  EXPECT_GT(v.dblValue, 0);
  // The window in order, the best instant inside it, all within the hours
  // after sunset.
  EXPECT_LT(v.dblT1, v.dblT2);
  EXPECT_LT(v.dblT3, v.dblT4);
  EXPECT_LT(v.dblT1, v.dblT4);
  EXPECT_GT(v.dblTMax, v.dblT1);
  EXPECT_LT(v.dblTMax, v.dblT4);
  EXPECT_GT(v.dblT1, v.dblStart - 1.0 / 24);
  EXPECT_LT(v.dblT4, v.dblEnd + 1.0 / 24);
  EXPECT_GT(v.dblPMax, 0.5);
  // The Sun's and the Moon's altitudes at the four instants are the targets.
  const CriterionConstants& k = kCriterionConstants;
  const double A = CriterionVisibility::SunLimit(v.dblValue, k);
  const double M = CriterionVisibility::MoonLimit(v.dblValue, k);
  constexpr double arcsec5 = 5.0 / 3600;
  EXPECT_NEAR(j.alt("Sun", v.dblT1), A + 2.538, arcsec5);
  EXPECT_NEAR(j.alt("Sun", v.dblT2), A - 2.538, arcsec5);
  EXPECT_NEAR(j.alt("Moon", v.dblT3), M + 1.645, arcsec5);
  EXPECT_NEAR(j.alt("Moon", v.dblT4), M - 1.645, arcsec5);
  // The best instant's probability is the product there, and the greatest
  // of a sweep over the window.
  CriterionVisibility cv(j.session);
  EXPECT_NEAR(cv.ProbabilityAt(v.dblValue, v.dblTMax, k, ok), v.dblPMax, 1e-12);
  EXPECT_NEAR(cv.ProbabilityAt(v.dblValue, v.dblTMax, k, ok),
              CriterionVisibility::Probability(v.dblValue, j.alt("Sun", v.dblTMax), j.alt("Moon", v.dblTMax), k),
              1e-12);
  for (double t = v.dblT1; t <= v.dblT4; t += 2.0 / 1440)
    EXPECT_LE(cv.ProbabilityAt(v.dblValue, t, k, ok), v.dblPMax + 1e-6);

  // The evening before: never visible; the closest instant is the middle of
  // the Moon's fading window, with the chance of both the sky and the Moon
  // there (the sky's alone would call a dark sky certain with the Moon on
  // the horizon), below the Danjon limit none at all.
  j.session.hbody.Visibility("Moon", k10Mar2024, false, false, true, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  EXPECT_TRUE(v.blnNeverVisible);
  EXPECT_FALSE(v.blnExtended);
  EXPECT_GE(v.dblTMax, v.dblStart);
  EXPECT_LE(v.dblTMax, v.dblEnd);
  EXPECT_EQ(v.dblPMax, 0);
  const double product =
      CriterionVisibility::Probability(v.dblValue, j.alt("Sun", v.dblTMax), j.alt("Moon", v.dblTMax), k);
  EXPECT_LT(product, 0.01);
}

}  // namespace
}  // namespace nemora
