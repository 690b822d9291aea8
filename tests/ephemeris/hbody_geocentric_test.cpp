// The geocentric table of the Sun and the Moon against their series: whole
// records at instants throughout its span, in several eras, and the series
// themselves outside the span or for other inputs.
#include <gtest/gtest.h>

#include <cmath>

#include "ephemeris/hbody.h"
#include "ephemeris/hbody_geocentric.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

void placeAt(Session& s, double latitude, double longitude) {
  s.udtLocation.moveTo({latitude, longitude, 0});
  s.udtWeather.udtBasis = kWeatherFixed;
  s.udtWeather.dblTempMean = 10;
  s.udtWeather.dblPressMean = 1013.25;
  s.udtWeather.dblHumMean = 50;
}

udtHBody record(Session& s, const char* body, double fix) {
  udtHBody r;
  bool ok = false;
  s.hbody.TrueHBody(body, fix, r, ok);
  EXPECT_TRUE(ok) << body << " " << fix;
  return r;
}

TEST(GeocentricTable, RecordsWithinATenthOfAnArcsecondOfTheSeriesAndTheSeriesOutsideItsSpan) {
  RecordedSession exactRs, tableRs;
  Session& exact = exactRs.session;
  Session& tabled = tableRs.session;
  placeAt(exact, 48.5, -123.4);
  placeAt(tabled, 48.5, -123.4);
  constexpr double kArcsec = 1.0 / 3600;
  double worstAngle = 0, worstDistance = 0;
  // 10 March 2024, and days in 1000 BC, AD 1000, 1900 and 2400 (fixed day
  // numbers of the Gregorian calendar).
  for (double day : {738955.0, -365600.0, 364900.0, 693600.0, 876400.0}) {
    auto table = GeocentricTable::Build(tabled, day - 2, day + 3);
    ASSERT_NE(table, nullptr);
    tabled.hbody.UseGeocentricTable(table);
    // Instants that fall on no node, and the span's ends.
    for (int i = 0; i <= 601; ++i) {
      const double fix = day - 2 + 5.0 * i / 601;
      for (const char* body : {"Sun", "Moon"}) {
        const udtHBody a = record(exact, body, fix), b = record(tabled, body, fix);
        const std::pair<double, double> angles[] = {
            {a.EclLong, b.EclLong}, {a.EclDecl, b.EclDecl}, {a.RAGeo, b.RAGeo},         {a.DeclGeo, b.DeclGeo},
            {a.RATopo, b.RATopo},   {a.DeclTopo, b.DeclTopo}, {a.AltTopo, b.AltTopo},   {a.AzTopo, b.AzTopo},
            {a.AltRefr, b.AltRefr}, {a.ElongationTopo, b.ElongationTopo}, {a.EclElongTopo, b.EclElongTopo}};
        for (const auto& [x, y] : angles) worstAngle = std::max(worstAngle, std::fabs(Deg180(x - y)));
        worstDistance = std::max(worstDistance, std::fabs(a.DistanceTopo - b.DistanceTopo) / a.DistanceTopo);
      }
    }
    // Outside the span, and for another shift of Delta T, the series.
    for (double fix : {day - 2.01, day + 3.6}) {
      EXPECT_EQ(record(tabled, "Moon", fix).AltTopo, record(exact, "Moon", fix).AltTopo) << fix;
      EXPECT_EQ(record(tabled, "Sun", fix).AltTopo, record(exact, "Sun", fix).AltTopo) << fix;
    }
    exact.deltaT.dblShift = tabled.deltaT.dblShift = 30;
    EXPECT_EQ(record(tabled, "Moon", day + 0.3).RATopo, record(exact, "Moon", day + 0.3).RATopo);
    exact.deltaT.dblShift = tabled.deltaT.dblShift = 0;
  }
  EXPECT_LT(worstAngle, 0.1 * kArcsec);
  // 0.1" of the Moon's parallax (57') is a ten-thousandth of it.
  EXPECT_LT(worstDistance, 3e-5);
  ::testing::Test::RecordProperty("worst_arcsec", std::to_string(worstAngle / kArcsec));
}

}  // namespace
}  // namespace nemora
