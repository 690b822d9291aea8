#include "base/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace nemora {
namespace {

TEST(Modulo, FloorModuloOnBothPaths) {
  EXPECT_EQ(Modulo(-1, 7), 6);
  EXPECT_EQ(Modulo(7, 7), 0);
  EXPECT_EQ(Modulo(-14, 7), 0);
  EXPECT_EQ(Modulo(13, 7), 6);
  // Above 1e9 the real-valued path: 2e9 = 7 * 285714285 + 5.
  EXPECT_EQ(Modulo(2000000000.0, 7), 5);
  EXPECT_EQ(Modulo(-2000000000.0, 7), 2);
  // Operands are rounded half to even first: 2.5 -> 2, 3.5 -> 4.
  EXPECT_EQ(Modulo(2.5, 7), 2);
  EXPECT_EQ(Modulo(3.5, 7), 4);
}

TEST(AngleReduction, RangesAreHalfOpenAsDocumented) {
  EXPECT_DOUBLE_EQ(Deg360(-30), 330);
  EXPECT_DOUBLE_EQ(Deg360(720), 0);
  EXPECT_DOUBLE_EQ(Deg180(180), 180);
  EXPECT_DOUBLE_EQ(Deg180(-180), 180);
  EXPECT_DOUBLE_EQ(Deg180(190), -170);
  EXPECT_DOUBLE_EQ(FracPart(-0.25), 0.75);
  EXPECT_NEAR(ModReal(-1, 24), 23, 1e-12);
  EXPECT_NEAR(ModReal(50, 24), 2, 1e-12);
}

TEST(DegreeTrigonometry, QuadrantsAndClamping) {
  EXPECT_DOUBLE_EQ(ATan2D(0, -1), 180);
  EXPECT_DOUBLE_EQ(ATan2D(1, 0), 90);
  EXPECT_DOUBLE_EQ(ATan2D(-1, 0), 270);
  EXPECT_NEAR(ATan2D(-1, 1), 315, 1e-12);
  EXPECT_NEAR(ATan2D(1, 1), 45, 1e-12);
  EXPECT_NEAR(ATan2D(1, -1), 135, 1e-12);
  EXPECT_NEAR(ATan2D(-1, -1), 225, 1e-12);
  EXPECT_EQ(ACosD(1.0000001), 0);
  EXPECT_EQ(ASinD(-2), -90);
  EXPECT_EQ(ACosD(-3), 180);
  for (double x = -0.99; x < 1; x += 0.01) {
    EXPECT_NEAR(SinD(ASinD(x)), x, 1e-12);
    EXPECT_NEAR(CosD(ACosD(x)), x, 1e-12);
  }
  EXPECT_NEAR(SinD(390), 0.5, 1e-12);
  EXPECT_NEAR(TanD(-45), -1, 1e-12);
  EXPECT_NEAR(Log10(1000), 3, 1e-12);
}

TEST(NormNoCheck, MatchesErrorFunctionToSevenPlaces) {
  for (double x = -6; x <= 6; x += 0.25) {
    double exact = 0.5 * std::erfc(-x / std::sqrt(2.0));
    EXPECT_NEAR(NormNoCheck(x), exact, 2e-7) << x;
  }
  EXPECT_EQ(NormNoCheck(-50), 0);
}

TEST(RoundTime, HalfOfEachDisplayUnit) {
  EXPECT_DOUBLE_EQ(RoundTime(0, -1), 30.0 / 86400);
  EXPECT_NEAR(RoundTime(0, 0), 0.5 / 86400, 1e-17);
  EXPECT_NEAR(RoundTime(0, 1), 0.05 / 86400, 1e-17);
  EXPECT_NEAR(RoundTime(0, 2), 0.005 / 86400, 1e-17);
}

TEST(HebrewNumeral, YearsAndSpecialNumbers) {
  struct Case {
    int16_t n;
    const char* text;
  };
  const Case cases[] = {
      {5784, "ה'תשפ\"ד"}, {15, "ט\"ו"},  {16, "ט\"ז"},   {300, "ש'"},        {1, "א'"},
      {10, "י'"},         {11, "י\"א"}, {500, "ת\"ק"},  {5715, "ה'תשט\"ו"}, {5000, "ה' אלפים"},
      {0, "0"},           {-3, "-3"},   {110, "ק\"י"},  {5800, "ה'ת\"ת"},
  };
  for (const auto& c : cases) EXPECT_EQ(HebrewNumeral(c.n), c.text) << c.n;
}

TEST(LineFit, RecoversAnExactLine) {
  std::vector<double> x{0, 1, 2, 3, 4}, y;
  for (double v : x) y.push_back(2.5 - 0.5 * v);
  LineFitResult r = LineFit(x, y, 5);
  EXPECT_NEAR(r.a, 2.5, 1e-12);
  EXPECT_NEAR(r.b, -0.5, 1e-12);
  EXPECT_NEAR(r.rms, 0, 1e-12);
  EXPECT_NEAR(r.rho2, 10.0 * 10 / 5 / 30, 1e-12);
  EXPECT_NEAR(r.cov, -10.0 / 50, 1e-12);
}

}  // namespace
}  // namespace nemora
