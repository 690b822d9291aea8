// The weather model: the temperature change with height, the cycle factors
// against a published value of the Sun's mean longitude, each basis, the
// nearest place and its memory, the weather text, and every message.
#include "location/weather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/session.h"
#include "location/place_grid.h"
#include "tests/test_support.h"

namespace nemora::testing {
namespace {

constexpr const char* kNow = "Error in frmWeather.GetWeatherNow, ";
constexpr const char* kWrite = "Error in frmWeather.WriteWeather, ";

// Fixed day numbers (rata die) of civil dates, from Python's
// datetime.date.toordinal(), which counts the same days.
constexpr double k30Jul2000 = 730331;
constexpr double k29Jan2000 = 730148;  // 183 days earlier: half a year of the Sun's mean motion
constexpr double k1Mar2024 = 738946;

// One neighbourhood line of a test database: name, latitude, longitude,
// height, then temperature, pressure and humidity each as mean, daily range,
// annual range (the file's order).
std::string place(const std::string& name, double lat, double lon, double height, const std::string& climate) {
  return concat(name, ", ", lat, ", ", lon, ", ", height, ", ", climate, "\n");
}

// A database of one country and one town with these neighbourhood lines.
std::string database(const std::vector<std::string>& places) {
  std::string text = "# weather test database\n1\nTestland\n1\nFALSE, 2, FALSE\n1\nTown\n";
  text += concat(places.size(), "\n");
  for (const std::string& p : places) text += p;
  return text;
}

const std::string kCalm20 = "20, 0, 0, 1000, 0, 0, 50, 0, 0";
const std::string kCalm10 = "10, 0, 0, 950, 0, 0, 40, 0, 0";

struct WeatherTest : ::testing::Test {
  RecordedSession rs;
  Session& s = rs.session;
  TempDir dir;

  void position(double lat, double lon, double height) {
    s.udtLocation.moveTo({lat, lon, height});
    s.udtLocation.dblLatitude = lat;
    s.udtLocation.dblLongitude = lon;
    s.udtLocation.dblHeight = height;
  }
  void manual(double tm, double td, double ta) {
    s.udtWeather.udtBasis = kWeatherManual;
    s.udtWeather.dblTempMean = tm;
    s.udtWeather.dblTempDaily = td;
    s.udtWeather.dblTempAnnual = ta;
  }
  void load(const std::string& name, const std::string& text) { s.locations.GetLocationData(dir.write(name, text)); }
  udtWeatherNow now(double fix) {
    udtWeatherNow w;
    bool ok = false;
    s.weather.GetWeatherNow(fix, w, ok);
    EXPECT_TRUE(ok) << rs.sink.last();
    return w;
  }
};

TEST(WeatherSetting, StartsWithTheLocalBasisAndTheDefaultClimate) {
  RecordedSession rs;
  const udtWeather& w = rs.session.udtWeather;
  EXPECT_EQ(w.udtBasis, 1);
  EXPECT_EQ(kWeatherBasisNames[static_cast<size_t>(w.udtBasis)], std::string("Local"));
  EXPECT_EQ(w.dblTempMean, 16.0);
  EXPECT_EQ(w.dblTempAnnual, 8.6);
  EXPECT_EQ(w.dblTempDaily, 8.9);
  EXPECT_EQ(w.dblPressMean, 923.4);
  EXPECT_EQ(w.dblPressAnnual, -5.9);
  EXPECT_EQ(w.dblPressDaily, 0);
  EXPECT_EQ(w.dblHumMean, 68.5);
  EXPECT_EQ(w.dblHumAnnual, 20.1);
  EXPECT_EQ(w.dblHumDaily, -18.0);
  EXPECT_EQ(rs.session.weather.nearestPlace().dblLatitude, 100);
}

TEST(HeightTempAdj, PiecewiseStandardAtmosphere) {
  struct Case {
    double h, h0, expected;
  };
  const Case cases[] = {
      {1000, 0, -6.5},     {0, 1000, 6.5},      {-1000, 0, 6.5},   {15000, 0, -65},    {15000, 500, -61.75},
      {30000, 0, -45},     {47000, 0, -15},     {60000, 0, -27.5}, {90000, 0, -65},    {95000, 0, -60},
      {100000, 780, -49.93}, {9999, 9999, 0},
  };
  for (const Case& c : cases) EXPECT_NEAR(dblHeightTempAdj(c.h, c.h0), c.expected, 1e-9) << c.h << " " << c.h0;
  // The layers join without a step.
  for (double edge : {10000.0, 20000.0, 45000.0, 50000.0, 90000.0})
    EXPECT_NEAR(dblHeightTempAdj(edge - 1e-7, 300), dblHeightTempAdj(edge, 300), 1e-6) << edge;
}

TEST(PlaceDistance, FlatNearbyGreatCircleFarAndTheAntipode) {
  EXPECT_EQ(weatherPlaceDistance(31.78, 35.22, 31.78, 35.22), 0);
  EXPECT_NEAR(weatherPlaceDistance(0, 0, 0.1, 0), 11.748, 1e-9);           // flat branch
  EXPECT_NEAR(weatherPlaceDistance(60, 10, 60, 10.2), 117.48 * 0.1, 1e-3);  // a degree of longitude shrinks by cos 60
  EXPECT_NEAR(weatherPlaceDistance(0, 0, 1, 0), 117.48, 1e-6);              // great circle branch
  EXPECT_NEAR(weatherPlaceDistance(0, 0, 0, 90), 117.48 * 90, 1e-6);
  EXPECT_EQ(weatherPlaceDistance(0, 0, 0, 180), 20015.19);
  EXPECT_EQ(weatherPlaceDistance(45, 0, -45, 180), 20015.19);
  // Near places on either side of the date line are near.
  EXPECT_NEAR(weatherPlaceDistance(0, 179.95, 0, -179.95), 11.748, 1e-6);
}

TEST_F(WeatherTest, AnnualFactorFollowsTheSunsMeanLongitude) {
  // Meeus, Astronomical Algorithms (2nd ed.), example 25.a: at 1992 October
  // 13.0 TD (JDE 2448908.5) the Sun's geometric mean longitude is 201.80720
  // degrees. With only an annual range of 1 the temperature is the factor.
  bool ok = false;
  double fix = s.jde.jde_fixed(2448908.5, ok);
  ASSERT_TRUE(ok);
  manual(0, 0, 1);
  EXPECT_NEAR(now(fix).dblTemperature, std::cos((201.80720 - 128) / 57.29577951308232) / 2, 1e-6);
  // Near the end of July the Sun's mean longitude passes 128 degrees: the
  // annual peak; half a year earlier the trough.
  EXPECT_NEAR(now(k30Jul2000 + 0.5).dblTemperature, 0.5, 1e-4);
  EXPECT_NEAR(now(k29Jan2000 + 0.5).dblTemperature, -0.5, 1e-4);
}

TEST_F(WeatherTest, DailyFactorPeaksAt1432LocalMeanTime) {
  manual(0, 1, 0);
  // The daily cycle follows the longitude of the location (east positive).
  position(0, 38, 0);
  EXPECT_NEAR(now(k1Mar2024 + 0.5).dblTemperature, 0.5, 1e-9);  // 12:00 UT is 14:32 at 38 E
  EXPECT_NEAR(now(k1Mar2024 + 0.25).dblTemperature, 0, 1e-9);
  EXPECT_NEAR(now(k1Mar2024 + 0.0).dblTemperature, -0.5, 1e-9);
  position(0, -142, 0);
  EXPECT_NEAR(now(k1Mar2024 + 0.5).dblTemperature, -0.5, 1e-9);  // 02:32 local: the trough
  position(0, 0, 0);
  EXPECT_NEAR(now(k1Mar2024 + 218.0 / 360).dblTemperature, 0.5, 1e-9);
  // Negative instants take the fraction after the day's start too.
  EXPECT_NEAR(now(-1000 + 218.0 / 360).dblTemperature, 0.5, 1e-9);
  // A negative range reverses the phase.
  manual(10, -4, 0);
  EXPECT_NEAR(now(k1Mar2024 + 218.0 / 360).dblTemperature, 8, 1e-9);
}

TEST_F(WeatherTest, ManualAndFixedBases) {
  position(31.78, 35.22, 780);
  s.udtWeather = udtWeather{kWeatherManual, 15, 10, 6, 1000, 4, -8, 60, -20, 16};
  const double fix = k30Jul2000 + (218.0 - 35.22) / 360;  // 14:32 local mean time
  udtWeatherNow peak = now(fix);
  // Both cycles near their peaks (the annual one within a degree).
  EXPECT_NEAR(peak.dblTemperature, 15 + 5 + 3, 1e-3);
  EXPECT_NEAR(peak.dblPressure, 1000 + 2 - 4, 1e-3);
  EXPECT_NEAR(peak.dblHumidity, 60 - 10 + 8, 1e-3);
  // The Manual basis ignores height; Fixed uses the means alone.
  s.udtWeather.udtBasis = kWeatherFixed;
  EXPECT_EQ(now(fix), (udtWeatherNow{15, 1000, 60}));
  EXPECT_EQ(now(k29Jan2000 + 0.1), (udtWeatherNow{15, 1000, 60}));
}

TEST_F(WeatherTest, GlobalBasis) {
  s.udtWeather.udtBasis = kWeatherGlobal;
  position(0, 0, 0);
  // At the daily peak on the equator: 27 + 1 degrees; no seasons there.
  udtWeatherNow w = now(k1Mar2024 + 218.0 / 360);
  EXPECT_NEAR(w.dblTemperature, 28, 1e-9);
  EXPECT_EQ(w.dblPressure, 1010);
  EXPECT_EQ(w.dblHumidity, 50);
  // South of 45 S the pressure falls further.
  position(-60, 0, 0);
  EXPECT_NEAR(now(k1Mar2024).dblPressure, 996.3397459621556, 1e-9);
  position(-60, 0, 7143);
  EXPECT_NEAR(now(k1Mar2024).dblPressure, 996.3397459621556 / std::exp(1), 1e-9);
  position(30, 0, 0);
  EXPECT_NEAR(now(k1Mar2024).dblPressure, 1010 + 10 * std::sqrt(3) / 2, 1e-9);
  // Cooler with latitude and height.
  position(40, 0, 2000);
  double fix = k1Mar2024 + 0.25;
  udtWeatherNow high = now(fix);
  position(40, 0, 0);
  EXPECT_NEAR(now(fix).dblTemperature - high.dblTemperature, 13, 1e-9);
  // Seasons: 50 sin(latitude) peak to peak between late July and late
  // January at the same hour, reversed in the south.
  position(45, 0, 0);
  double summer = now(k30Jul2000 + 0.5).dblTemperature, winter = now(k29Jan2000 + 0.5).dblTemperature;
  EXPECT_NEAR(summer - winter, 50 * std::sqrt(0.5), 0.01);
  position(-45, 0, 0);
  EXPECT_NEAR(now(k30Jul2000 + 0.5).dblTemperature - now(k29Jan2000 + 0.5).dblTemperature, -50 * std::sqrt(0.5), 0.01);
}

TEST_F(WeatherTest, LocalBasisTakesTheNearestPlaceAtTheObserversHeight) {
  s.udtWeather.udtBasis = kWeatherLocal;
  load("Locations.txt", database({place("West", 0, -1, 0, kCalm20), place("East", 0, 1, 500, kCalm10),
                                  place("Hill", 10, 10, 1000, "15, 10, 6, 900, 4, -8, 60, -20, 16")}));
  // At a place itself: its own climate.
  position(0, 1, 500);
  EXPECT_EQ(now(k1Mar2024), (udtWeatherNow{10, 950, 40}));
  // Higher up: colder by the standard lapse and lower pressure.
  position(0, 1, 1500);
  udtWeatherNow up = now(k1Mar2024);
  EXPECT_NEAR(up.dblTemperature, 3.5, 1e-9);
  EXPECT_NEAR(up.dblPressure, 950 / std::exp(1000.0 / 7143), 1e-9);
  EXPECT_EQ(up.dblHumidity, 40);
  // The place's cycles are those of the Manual basis with the same values.
  position(10.2, 9.9, 1000);
  for (double fix : {k1Mar2024 + 0.1, k30Jul2000 + 0.6, k29Jan2000 + 0.9}) {
    s.udtWeather.udtBasis = kWeatherLocal;
    udtWeatherNow local = now(fix);
    s.udtWeather = udtWeather{kWeatherManual, 15, 10, 6, 900, 4, -8, 60, -20, 16};
    udtWeatherNow manualNow = now(fix);
    EXPECT_NEAR(local.dblTemperature, manualNow.dblTemperature, 1e-9);
    EXPECT_NEAR(local.dblPressure, manualNow.dblPressure, 1e-9);
    EXPECT_NEAR(local.dblHumidity, manualNow.dblHumidity, 1e-9);
  }
}

// Climate normals average in the humid air of cloudy, rainy and foggy days;
// a crescent is looked for on a clear evening. The aerosol of the photometric
// model takes the clear evening's humidity (that of the Global basis, 50 %)
// whenever the weather is estimated from climate, while a humidity typed for
// the evening (Fixed, Manual) is used as typed. The classic model keeps the
// climate's humidity.
TEST_F(WeatherTest, EstimatedWeatherGivesTheAerosolOfAClearEvening) {
  load("Humid.txt", database({place("Coast", 0, 0, 0, "25, 0, 0, 1010, 0, 0, 90, 0, 0")}));
  position(0, 0.1, 0);
  auto KA = [&]() {
    double ka = 0, ko = 0, kr = 0, kw = 0;
    bool ok = false;
    s.sky.GetK(k1Mar2024 + 0.75, 2, 340, 95, 5, true, ka, ko, kr, kw, ok);
    EXPECT_TRUE(ok) << rs.sink.last();
    return ka;
  };
  s.udtWeather = udtWeather{kWeatherFixed, 25, 0, 0, 1010, 0, 0, 50, 0, 0};
  const double clear = KA();
  s.udtWeather = udtWeather{kWeatherFixed, 25, 0, 0, 1010, 0, 0, 90, 0, 0};
  const double humid = KA();
  EXPECT_GT(humid, 2 * clear);  // the humidity law: haze swells near saturation
  s.udtWeather.udtBasis = kWeatherLocal;
  EXPECT_EQ(now(k1Mar2024 + 0.75).dblHumidity, 90);  // refraction still reads the climate
  EXPECT_EQ(KA(), clear);
  s.udtWeather.udtBasis = kWeatherGlobal;
  EXPECT_EQ(KA(), clear);
  s.options.blnClassicModel = true;
  s.udtWeather.udtBasis = kWeatherLocal;
  EXPECT_EQ(KA(), humid);
}

TEST_F(WeatherTest, OfEqualDistancesTheFirstPlaceInTheDatabaseWins) {
  s.udtWeather.udtBasis = kWeatherLocal;
  position(0, 0, 0);
  load("WestFirst.txt", database({place("West", 0, -1, 0, kCalm20), place("East", 0, 1, 0, kCalm10)}));
  EXPECT_EQ(now(k1Mar2024).dblTemperature, 20);
  EXPECT_EQ(s.weather.nearestPlace().intNeighborhood, 0);
  load("EastFirst.txt", database({place("East", 0, 1, 0, kCalm10), place("West", 0, -1, 0, kCalm20)}));
  EXPECT_EQ(now(k1Mar2024).dblTemperature, 10);
}

TEST_F(WeatherTest, NearestPlaceMemory) {
  s.udtWeather.udtBasis = kWeatherLocal;
  load("A.txt", database({place("West", 0, -1, 0, kCalm20), place("East", 0, 1, 0, kCalm10)}));
  position(0, 0.9, 0);
  now(k1Mar2024);
  NearestPlace m = s.weather.nearestPlace();
  EXPECT_EQ(m.dblLatitude, 0);
  EXPECT_EQ(m.dblLongitude, 0.9);
  EXPECT_EQ(m.dblHeight, 0);
  EXPECT_EQ(m.intCountry, 0);
  EXPECT_EQ(m.intCity, 0);
  EXPECT_EQ(m.intNeighborhood, 1);
  // Another height is another position: searched again, same place.
  position(0, 0.9, 10);
  now(k1Mar2024);
  EXPECT_EQ(s.weather.nearestPlace().dblHeight, 10);
  EXPECT_EQ(s.weather.nearestPlace().intNeighborhood, 1);
  position(0, -0.9, 10);
  EXPECT_DOUBLE_EQ(now(k1Mar2024).dblTemperature, 20 - 0.065);
  EXPECT_EQ(s.weather.nearestPlace().intNeighborhood, 0);
  // A database loaded since is searched again: the remembered indices belong
  // to the old one and would name the wrong place in the new one.
  load("B.txt", database({place("Far", 50, 50, 0, kCalm20), place("Close", 0, -1, 0, kCalm10)}));
  EXPECT_DOUBLE_EQ(now(k1Mar2024).dblTemperature, 10 - 0.065);
  EXPECT_EQ(s.weather.nearestPlace().intNeighborhood, 1);
  // Sessions keep their own memory.
  RecordedSession other;
  EXPECT_EQ(other.session.weather.nearestPlace().dblLatitude, 100);
}

TEST_F(WeatherTest, NearestPlaceAcrossTheDateLine) {
  s.udtWeather.udtBasis = kWeatherLocal;
  load("Pacific.txt", database({place("Near", 0, 179, 0, kCalm20), place("Across", 0, -179.95, 0, kCalm10)}));
  position(0, 179.95, 0);
  EXPECT_EQ(now(k1Mar2024).dblTemperature, 10);
}

TEST_F(WeatherTest, LocalBasisWithoutAnyPlaceFails) {
  s.udtWeather.udtBasis = kWeatherLocal;
  udtWeatherNow w{1, 2, 3};
  bool ok = true;
  s.weather.GetWeatherNow(k1Mar2024, w, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(),
            std::string(kNow) + "No neighborhood in the location database for the Local weather basis");
  EXPECT_EQ(w, (udtWeatherNow{1, 2, 3}));
}

// Whether a climate summary stays within [lo, hi] whenever its daily and
// annual cycles peak together.
bool staysWithin(const udtClimate& c, double lo, double hi) {
  double swing = (std::fabs(c.dblDaily) + std::fabs(c.dblAnnual)) / 2;
  return c.dblMean - swing >= lo && c.dblMean + swing <= hi;
}

TEST_F(WeatherTest, ShippedDatabaseGivesWeatherAtItsPlacesAllYear) {
  s.locations.GetLocationData();
  s.udtWeather.udtBasis = kWeatherLocal;
  int places = 0;
  for (const udtCountry& country : s.locations.udtCountries())
    for (const udtCity& city : country.udtCities)
      for (const udtNeighborhood& n : city.udtNeighborhoods) {
        // Every shipped climate must give weather all year: its cycles peaking
        // together may not reach beyond the limits of the result check.
        EXPECT_TRUE(staysWithin(n.udtTemperature, -120, 70)) << city.strName;
        EXPECT_TRUE(staysWithin(n.udtPressure, 0, 1200)) << city.strName;
        EXPECT_TRUE(staysWithin(n.udtHumidity, 0, 100)) << city.strName;
        // At the place itself its own climate applies, within its swings.
        position(n.dblLatitude, n.dblLongitude, n.dblHeight);
        const udtClimate& t = n.udtTemperature;
        const double swing = (std::fabs(t.dblDaily) + std::fabs(t.dblAnnual)) / 2 + 1e-9;
        for (double fix : {k30Jul2000 + 0.1, k30Jul2000 + 0.6, k29Jan2000 + 0.1, k29Jan2000 + 0.6}) {
          double temperature = now(fix).dblTemperature;
          EXPECT_GE(temperature, t.dblMean - swing) << city.strName;
          EXPECT_LE(temperature, t.dblMean + swing) << city.strName;
        }
        ++places;
      }
  EXPECT_GT(places, 100);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(WeatherTest, EveryMessageOfGetWeatherNow) {
  struct Case {
    double fix;
    udtPosition pos;
    udtWeather weather;
    std::string message;
  };
  const udtPosition here{31.78, 35.22, 780};
  udtWeather fixed;
  fixed.udtBasis = kWeatherFixed;
  auto fixedWith = [&](double t, double p, double h) {
    udtWeather w = fixed;
    w.dblTempMean = t;
    w.dblPressMean = p;
    w.dblHumMean = h;
    return w;
  };
  udtWeather basis4 = fixed, basisMinus1 = fixed;
  basis4.udtBasis = 4;
  basisMinus1.udtBasis = -1;
  const Case cases[] = {
      {10592253, here, fixed, "Magnitude of dblFix too large: 10592253"},
      {-10592252.5, here, fixed, "Magnitude of dblFix too large: -10592252.5"},
      {k1Mar2024, {31.78, 35.22, -1000.5}, fixed, "Invalid udtPosition.dblHeight: -1000.5"},
      {k1Mar2024, {31.78, 35.22, 100001}, fixed, "Invalid udtPosition.dblHeight: 100001"},
      {k1Mar2024, {90.5, 35.22, 780}, fixed, "Invalid udtPosition.dblLatitude: 90.5"},
      {k1Mar2024, {-91, 35.22, 780}, fixed, "Invalid udtPosition.dblLatitude: -91"},
      {k1Mar2024, {31.78, -180, 780}, fixed, "Invalid udtPosition.dblLongitude: -180"},
      {k1Mar2024, {31.78, 180.25, 780}, fixed, "Invalid udtPosition.dblLongitude: 180.25"},
      // The checks run in this order: the instant before the position.
      {10592253, {95, 35.22, -2000}, fixed, "Magnitude of dblFix too large: 10592253"},
      {k1Mar2024, {95, 200, -2000}, fixed, "Invalid udtPosition.dblHeight: -2000"},
      {k1Mar2024, here, basis4, "Invalid weather basis: 4"},
      {k1Mar2024, here, basisMinus1, "Invalid weather basis: -1"},
      {k1Mar2024, here, fixedWith(16, 923, 100.5), "Invalid humidity: 100.5"},
      {k1Mar2024, here, fixedWith(16, 923, -1), "Invalid humidity: -1"},
      {k1Mar2024, here, fixedWith(16, 1200.5, 50), "Invalid pressure: 1200.5"},
      {k1Mar2024, here, fixedWith(16, -3, 50), "Invalid pressure: -3"},
      {k1Mar2024, here, fixedWith(70.5, 923, 50), "Invalid temperature: 70.5"},
      {k1Mar2024, here, fixedWith(-121, 923, 50), "Invalid temperature: -121"},
      // Humidity is checked before pressure, pressure before temperature.
      {k1Mar2024, here, fixedWith(-121, 1300, 101), "Invalid humidity: 101"},
      {k1Mar2024, here, fixedWith(-121, 1300, 50), "Invalid pressure: 1300"},
  };
  for (const Case& c : cases) {
    rs.sink.clear();
    s.udtLocation.moveTo(c.pos);
    s.udtWeather = c.weather;
    udtWeatherNow w{1, 2, 3};
    bool ok = true;
    s.weather.GetWeatherNow(c.fix, w, ok);
    EXPECT_FALSE(ok) << c.message;
    ASSERT_EQ(rs.sink.messages.size(), 1u) << c.message;
    EXPECT_EQ(rs.sink.messages[0], kNow + c.message);
    EXPECT_EQ(w, (udtWeatherNow{1, 2, 3})) << "left as it was";
  }
  // The limits themselves are accepted.
  rs.sink.clear();
  for (const udtPosition& p : {udtPosition{90, 180, -1000}, udtPosition{-90, -179.999, 100000}}) {
    s.udtLocation.moveTo(p);
    for (const udtWeather& w : {fixedWith(70, 1200, 100), fixedWith(-120, 0, 0)}) {
      s.udtWeather = w;
      EXPECT_EQ(now(k1Mar2024), (udtWeatherNow{w.dblTempMean, w.dblPressMean, w.dblHumMean}));
    }
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(WeatherTest, InstantsBeyondTheSunsTimeArgumentFailWithItsMessage) {
  s.udtWeather.udtBasis = kWeatherFixed;
  // Accepted as an instant, but too late for dynamical time: the time
  // argument's own message, and no second one.
  bool ok = false;
  double jde = s.jde.fixed_jde(10592000, ok);
  ASSERT_TRUE(ok);
  udtWeatherNow w;
  s.weather.GetWeatherNow(10592000, w, ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_EQ(rs.sink.messages[0],
            "Error in cHBody.ToJ2000, Magnitude of ToJ2000 too large: " + generalNumber((jde - 2451545) / 36525));
  // Between the limits of the weather and of the JDE conversion.
  rs.sink.clear();
  s.weather.GetWeatherNow(-10592251, w, ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_EQ(rs.sink.messages[0], "Error in clsJDE.fixed_jde, Magnitude of dblDate too large: -10592251");
  // Far in the past is still fine.
  rs.sink.clear();
  now(-10592250);
  now(-700000.25);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(WeatherTest, WeatherText) {
  struct Case {
    int32_t basis;
    udtWeatherNow w;
    std::string text;
  };
  const Case cases[] = {
      {kWeatherLocal, {16.3, 923.4, 68.5}, "Basis Local T 16.3 C, P 923 mbar, RH 69 %"},
      {kWeatherGlobal, {0.4, 1000, 50}, "Basis Global T .4 C, P 1000 mbar, RH 50 %"},
      {kWeatherManual, {-5.26, 1013.5, 100}, "Basis Manual T -5.3 C, P 1014 mbar, RH 100 %"},
      // A value that rounds to 0 is written "0", never left blank.
      {kWeatherFixed, {16, 0.4, 0.4}, "Basis Fixed T 16.0 C, P 0 mbar, RH 0 %"},
      {kWeatherFixed, {-162, 1550, 0}, "Basis Fixed T -162.0 C, P 1550 mbar, RH 0 %"},
      {kWeatherFixed, {70, 0, 99.5}, "Basis Fixed T 70.0 C, P 0 mbar, RH 100 %"},
  };
  for (const Case& c : cases) {
    s.udtWeather.udtBasis = c.basis;
    bool ok = false;
    EXPECT_EQ(s.weather.WriteWeather(c.w, ok), c.text);
    EXPECT_TRUE(ok);
  }
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST_F(WeatherTest, EveryMessageOfWriteWeather) {
  struct Case {
    int32_t basis;
    udtWeatherNow w;
    std::string message;
  };
  const Case cases[] = {
      {kWeatherLocal, {70.05, 923, 50}, "Invalid udtWeatherNow.dblTemperature: 70.05"},
      {kWeatherLocal, {-162.5, 923, 50}, "Invalid udtWeatherNow.dblTemperature: -162.5"},
      {kWeatherLocal, {16, 1550.5, 50}, "Invalid udtWeatherNow.dblPressure: 1550.5"},
      {kWeatherLocal, {16, -0.5, 50}, "Invalid udtWeatherNow.dblPressure: -0.5"},
      {kWeatherLocal, {16, 923, 100.25}, "Invalid udtWeatherNow.dblHumidity: 100.25"},
      {kWeatherLocal, {16, 923, -2}, "Invalid udtWeatherNow.dblHumidity: -2"},
      {4, {16, 923, 50}, "Invalid udtWeather.udtBasis: 4"},
      {-1, {16, 923, 50}, "Invalid udtWeather.udtBasis: -1"},
      // In this order: temperature, pressure, humidity, basis.
      {7, {80, 2000, 200}, "Invalid udtWeatherNow.dblTemperature: 80"},
      {7, {16, 2000, 200}, "Invalid udtWeatherNow.dblPressure: 2000"},
      {7, {16, 923, 200}, "Invalid udtWeatherNow.dblHumidity: 200"},
  };
  for (const Case& c : cases) {
    rs.sink.clear();
    s.udtWeather.udtBasis = c.basis;
    bool ok = true;
    EXPECT_EQ(s.weather.WriteWeather(c.w, ok), "");
    EXPECT_FALSE(ok);
    ASSERT_EQ(rs.sink.messages.size(), 1u);
    EXPECT_EQ(rs.sink.messages[0], kWrite + c.message);
  }
}

TEST_F(WeatherTest, MainWindowLabel) {
  s.udtWeather.udtBasis = kWeatherFixed;
  bool ok = false;
  EXPECT_EQ(s.weather.WeatherLabel(k1Mar2024, ok), "Weather Basis Fixed T 16.0 C, P 923 mbar, RH 69 %");
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.udtWeatherNow, (udtWeatherNow{16, 923.4, 68.5}));
  // A failure of either step leaves the label empty after one message.
  s.udtLocation.dblLatitude = 91;
  EXPECT_EQ(s.weather.WeatherLabel(k1Mar2024, ok), "");
  EXPECT_FALSE(ok);
  s.udtLocation.dblLatitude = 0;
  s.udtWeather.dblTempMean = -130;
  rs.sink.clear();
  EXPECT_EQ(s.weather.WeatherLabel(k1Mar2024, ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.messages, std::vector<std::string>{std::string(kNow) + "Invalid temperature: -130"});
}


// The search by cells finds what measuring every place finds, the first in
// the file of equal distances included: positions all over the globe (poles
// and date line too) and on the shipped places themselves.
TEST_F(WeatherTest, NearestPlaceByCellsEqualsTheSearchOfEveryPlace) {
  s.locations.GetLocationData();
  const auto& countries = s.locations.udtCountries();
  auto everyPlace = [&](double lat, double lon) {
    double best = 1000000;
    NearestPlace found;
    for (size_t i = 0; i < countries.size(); ++i)
      for (size_t k = 0; k < countries[i].udtCities.size(); ++k)
        for (size_t m = 0; m < countries[i].udtCities[k].udtNeighborhoods.size(); ++m) {
          const udtNeighborhood& n = countries[i].udtCities[k].udtNeighborhoods[m];
          double d = weatherPlaceDistance(lat, lon, n.dblLatitude, n.dblLongitude);
          if (d < best) {
            best = d;
            found.intCountry = static_cast<int>(i);
            found.intCity = static_cast<int>(k);
            found.intNeighborhood = static_cast<int>(m);
          }
        }
    return found;
  };
  std::vector<std::pair<double, double>> positions = {{90, 0}, {-90, 0}, {0, 180}, {0, -179.99}, {89.9, 179.9},
                                                      {-77.8, 166.7}, {31.78, 35.22}, {51.5, -0.13}};
  // A fixed scatter (a Weyl sequence) over the sphere.
  for (int j = 0; j < 1500; ++j)
    positions.emplace_back(std::asin(2 * std::fmod(j * 0.7548776662, 1.0) - 1) * 180 / M_PI,
                           std::fmod(j * 0.5698402910, 1.0) * 360 - 180 + 1e-9);
  const udtNeighborhood& first = countries[0].udtCities[0].udtNeighborhoods[0];
  positions.emplace_back(first.dblLatitude, first.dblLongitude);
  // Within metres to tens of kilometres of shipped places, where the
  // distance is measured on the plane and places crowd together.
  for (size_t i = 0; i < countries.size(); i += 7) {
    const udtNeighborhood& n = countries[i].udtCities[0].udtNeighborhoods[0];
    for (double offset : {1e-5, 3e-3, 0.15})
      positions.emplace_back(std::clamp(n.dblLatitude + offset, -90.0, 90.0), Deg180(n.dblLongitude - offset));
  }
  for (const auto& [lat, lon] : positions) {
    NearestPlace byCells;
    ASSERT_TRUE(nearestPlaceByCells(countries, lat, lon, byCells.intCountry, byCells.intCity,
                                    byCells.intNeighborhood));
    const NearestPlace byAll = everyPlace(lat, lon);
    EXPECT_TRUE(byCells.intCountry == byAll.intCountry && byCells.intCity == byAll.intCity &&
                byCells.intNeighborhood == byAll.intNeighborhood)
        << lat << " " << lon;
  }
}

}  // namespace
}  // namespace nemora::testing
