// The sky model and the probability of visibility: published night-sky and
// twilight behaviour, the elliptic integral against the standard library's,
// the monotony of the probability, a real evening's table, and the messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ephemeris/hbody.h"
#include "tests/test_support.h"
#include "visibility/optical_aid.h"
#include "visibility/sky.h"
#include "base/spline.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// Fixed day numbers (1 January 2000 is 730120).
constexpr int32_t k10Mar2024 = 738955;  // new Moon 09:00 UT
constexpr int32_t k11Mar2024 = 738956;
constexpr int32_t k24Mar2024 = 738969;  // full Moon 25 March 07:00 UT
constexpr int32_t k9Apr2024 = 738985;   // new Moon 8 April 18:21 UT

// An observer in Jerusalem (the Israel/Jerusalem/Center entry) in a fixed
// standard atmosphere of given humidity.
struct Jerusalem : RecordedSession {
  explicit Jerusalem(double humidity = 50) {
    auto& l = session.udtLocation;
    l.dblLatitude = 31.7767;
    l.dblLongitude = 35.2345;
    l.dblHeight = 754;
    l.dblTZ = 2;
    session.udtLocation.moveTo({l.dblLatitude, l.dblLongitude, l.dblHeight});
    auto& w = session.udtWeather;
    w.udtBasis = kWeatherFixed;
    w.dblTempMean = 15;
    w.dblPressMean = 925;
    w.dblHumMean = humidity;
  }
  udtHBody body(const std::string& name, double t) {
    udtHBody r;
    bool ok = false;
    session.hbody.TrueHBody(name, t, r, ok);
    EXPECT_TRUE(ok);
    return r;
  }
  // The first instant after t0 (searched minute by minute) at which the
  // Sun's topocentric altitude falls below h.
  double sunBelow(double t0, double h) {
    for (double t = t0; t < t0 + 1; t += 1.0 / 1440)
      if (body("Sun", t).AltTopo < h) return t;
    ADD_FAILURE() << "the Sun never sinks below " << h;
    return t0;
  }
  double sky(double t, double alt, double az) {
    bool ok = false;
    double b = session.sky.SkyBrightness(t, alt, az, 2, false, 0, ok);
    EXPECT_TRUE(ok) << sink.last();
    return b;
  }
};

TEST(Sky, NightSkyTwilightAndMoonlight) {
  Jerusalem j;
  // A moonless night two days before new Moon, the Sun 30 degrees down:
  // the dark zenith is about 21.5 to 22 magnitudes per square arcsecond,
  // 1.7e-4 to 2.7e-4 cd/m^2 (Leinert et al. 1998, A&AS 127, 1: the natural
  // night sky in V), brighter at solar maximum.
  double night = j.sunBelow(k10Mar2024 - 2 + 0.6, -30);
  double zenith = j.sky(night, 90, 0);
  EXPECT_GT(zenith, 1.2e-4);
  EXPECT_LT(zenith, 4e-4);
  // Away from the zenith the glowing layer is seen more nearly edge on
  // (near the horizon extinction wins again).
  EXPECT_GT(j.sky(night, 30, 270), zenith);

  // Evening twilight at the western horizon falls by orders of magnitude as
  // the Sun sinks: civil twilight some tens of cd/m^2, the end of nautical
  // twilight below 0.01.
  double previous = 1e9;
  for (double h : {-3.0, -6.0, -9.0, -12.0, -15.0}) {
    double t = j.sunBelow(k10Mar2024 + 0.6, h);
    double b = j.sky(t, 5, 265);
    EXPECT_LT(b, previous / 3) << h;
    previous = b;
  }
  EXPECT_LT(previous, 1e-2);
  EXPECT_GT(j.sky(j.sunBelow(k10Mar2024 + 0.6, -3), 5, 265), 10);

  // The full Moon brightens the night sky near it by more than a
  // magnitude (Krisciunas & Schaefer 1991, PASP 103, 1033).
  double fullNight = j.sunBelow(k24Mar2024 + 0.6, -25);
  udtHBody moon = j.body("Moon", fullNight + 0.1);
  ASSERT_GT(moon.AltRefr, 20);
  double nearMoon = j.sky(fullNight + 0.1, moon.AltRefr + 10, moon.AzTopo);
  EXPECT_GT(nearMoon, 3 * j.sky(night, moon.AltRefr + 10, moon.AzTopo));
  EXPECT_TRUE(j.sink.messages.empty()) << j.sink.last();
}

TEST(Sky, AirMassExtinctionAndFog) {
  Jerusalem j;
  bool ok = false;
  double XA = 0, XO = 0, XG = 0;
  j.session.sky.GetX(0, 2, 0, 0, XA, XO, XG, ok);
  ASSERT_TRUE(ok);
  EXPECT_DOUBLE_EQ(XG, 1 / (1 + 0.0286 * std::exp(-10.48)));
  // Extinction grows toward the horizon and is a few tenths of a
  // magnitude at the zenith from 754 m.
  double t = k11Mar2024 + 0.7;
  double previous = 0;
  for (double alt : {90.0, 30.0, 10.0, 3.0, 1.0}) {
    double dm = j.session.sky.DeltaM(t, alt, 2, ok);
    ASSERT_TRUE(ok) << j.sink.last();
    EXPECT_GT(dm, previous) << alt;
    previous = dm;
  }
  EXPECT_LT(j.session.sky.DeltaM(t, 90, 2, ok), 0.5);

  // Fog (100 % humidity, accepted by the weather dialog) gives a finite,
  // very large extinction instead of a division by zero.
  Jerusalem fog(100);
  double KA = 0, KO = 0, KR = 0, KW = 0;
  fog.session.sky.GetK(t, 2, 0, 0, 45, true, KA, KO, KR, KW, ok);
  ASSERT_TRUE(ok) << fog.sink.last();
  EXPECT_TRUE(std::isfinite(KA));
  EXPECT_GT(KA, 5);
  EXPECT_TRUE(fog.sink.messages.empty());
}

TEST(Sky, El2AgreesWithTheLegendreIntegrals) {
  // el2(tan phi, kc, 1, kc^2) is Legendre's E(phi, k) with kc^2 = 1 - k^2;
  // el2(tan phi, kc, 1, 1) is F(phi, k).
  for (double k : {0.0, 0.3, 0.6, 0.9, 0.99})
    for (double phi : {0.2, 0.7, 1.2, 1.5, 1.5707963}) {
      double kc = std::sqrt(1 - k * k);
      double x = std::tan(phi);
      EXPECT_NEAR(clsSky::El2(x, kc, 1, kc * kc), std::ellint_2(k, phi), 1e-7) << k << " " << phi;
      EXPECT_NEAR(clsSky::El2(x, kc, 1, 1), std::ellint_1(k, phi), 1e-7) << k << " " << phi;
    }
  EXPECT_NEAR(clsSky::El2(1e12, std::sqrt(0.5), 1, 0.5), std::comp_ellint_2(std::sqrt(0.5)), 1e-7);
  EXPECT_EQ(clsSky::El2(0, 0.5, 1, 1), 0);
  EXPECT_NEAR(clsSky::El2(-1, 0.5, 1, 0.25), -clsSky::El2(1, 0.5, 1, 0.25), 1e-15);
}

TEST(Sky, TwoDimensionalSplineReproducesAPlaneAndItsNodes) {
  // A natural spline is exact for straight lines, so across rows and along
  // them it reproduces z = 2x - 3y + 1 anywhere; at the nodes it gives any
  // table back.
  const std::vector<double> rows = {0, 1, 3, 4}, x = {-2, 0, 1, 5, 6};
  std::vector<std::vector<double>> plane, bumpy;
  for (double y : rows) {
    plane.emplace_back();
    bumpy.emplace_back();
    for (double xi : x) {
      plane.back().push_back(2 * xi - 3 * y + 1);
      bumpy.back().push_back(std::sin(xi * y));
    }
  }
  for (double y : {0.0, 0.5, 2.2, 4.0})
    for (double xi : {-2.0, -0.7, 3.3, 6.0}) EXPECT_NEAR(SPLINT2(rows, x, plane, y, xi), 2 * xi - 3 * y + 1, 1e-12);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < x.size(); ++c) EXPECT_NEAR(SPLINT2(rows, x, bumpy, rows[r], x[c]), bumpy[r][c], 1e-12);
}

TEST(Sky, UsefulWidthJoinsItsDayAndNightForms) {
  double low = std::pow(10.0, -0.8283), high = std::pow(10.0, 0.1717);
  EXPECT_NEAR(clsSky::UsefulWidth(low * 1.000001), clsSky::UsefulWidth(low), 1e-4);
  EXPECT_NEAR(clsSky::UsefulWidth(high * 1.000001), clsSky::UsefulWidth(high), 1e-4);
  EXPECT_LE(clsSky::UsefulWidth(1e-4), 0.25);
  // Within each form the eye resolves finer detail in a brighter field.
  EXPECT_GT(clsSky::UsefulWidth(0.001), clsSky::UsefulWidth(0.1));
  EXPECT_GT(clsSky::UsefulWidth(2), clsSky::UsefulWidth(100));
}

TEST(Sky, ProbabilityRisesWithBrightnessAndDarkness) {
  Jerusalem j;
  bool ok = false;
  double dusk = j.sunBelow(k11Mar2024 + 0.6, -4), dark = j.sunBelow(k11Mar2024 + 0.6, -12);
  auto P = [&](double t, double fov, double per) {
    double p = j.session.sky.ProbVis(t, 10, 260, fov, per, 0.1, 5, ok);
    EXPECT_TRUE(ok) << j.sink.last();
    return p;
  };
  double previous = -1;
  for (double mag : {4.0, 2.0, 0.0, -2.0, -4.0}) {
    double p = P(dusk, mag, 100000);
    EXPECT_GE(p, previous) << mag;
    previous = p;
  }
  EXPECT_GT(previous, 0.9);
  EXPECT_LT(P(dusk, 4, 100000), 0.1);
  EXPECT_GT(P(dark, 2, 100000), P(dusk, 2, 100000));
  // An extended body (peripheral light) is calibrated on its own branch.
  EXPECT_NE(P(dusk, 1, 1), P(dusk, 1, 100000));
  // A keener observer than the average sees more.
  double average = P(dusk, 1, 100000);
  j.session.udtObserver = {false, 1.0};
  EXPECT_GT(P(dusk, 1, 100000), average);
}

TEST(Visibility, AnOpticalAidNeverLowersTheProbability) {
  // The Moon over the evenings of 10 March 2024 (9 hours old), 11 March
  // (33 hours) and 8 May 2024 (about 20 hours) at Jerusalem, every ten
  // minutes from sunset for two hours: binoculars and a telescope gather
  // more of the crescent's light than the eye and darken the sky behind it,
  // so neither may make a sighting less likely.
  Jerusalem j;
  bool ok = false;
  int compared = 0, helped = 0;
  for (int32_t day : {k11Mar2024 - 1, k11Mar2024, k11Mar2024 + 58}) {
    double sunset = j.sunBelow(day + 0.6, -0.8);
    for (double t = sunset; t < sunset + 2.0 / 24; t += 10.0 / 1440) {
      auto P = [&](const char* aid) {
        j.session.udtObserver.aid = *ParseAid(aid);
        double p = j.session.hbody.HBProbVis("Moon", t, ok);
        EXPECT_TRUE(ok) << j.sink.last();
        return p;
      };
      double eye = P("eye"), binoculars = P("binoculars"), telescope = P("telescope:80,30");
      SCOPED_TRACE(::testing::Message() << "day " << day << " t " << t);
      EXPECT_GE(binoculars, eye - 1e-9);
      EXPECT_GE(telescope, eye - 1e-9);
      ++compared;
      if (binoculars > eye + 0.2) ++helped;
    }
  }
  EXPECT_EQ(compared, 36);
  // The 9-hour Moon is lost and the 33-hour one easy either way; the young
  // May crescent in the bright sky after sunset is where binoculars decide.
  EXPECT_GT(helped, 2);
}

TEST(Visibility, ThinCrescentEveningTable) {
  // 11 March 2024 in Jerusalem: the Moon 33 hours old, an easy sighting
  // (visible from sunset to its setting); the evening before (9 hours old)
  // it cannot be seen.
  Jerusalem j;
  j.session.options.intMoonCalc = kMoonCalcPhotometric;
  bool ok = false;
  udtVisibility v;
  j.session.hbody.Visibility("Moon", k11Mar2024, false, true, false, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  EXPECT_TRUE(v.blnEvening);
  EXPECT_FALSE(v.blnNeverVisible);
  EXPECT_GT(v.dblPMax, 0.92);
  EXPECT_LE(v.dblStart, v.dblT1);
  EXPECT_LE(v.dblT1, v.dblT2);
  EXPECT_LE(v.dblT2, v.dblTMax);
  EXPECT_LE(v.dblTMax, v.dblT3);
  EXPECT_LE(v.dblT3, v.dblT4);
  EXPECT_LE(v.dblT4, v.dblEnd);
  const std::vector<std::string> progress = {"Calculating Moon 0%",  "Calculating Moon 20%",
                                             "Calculating Moon 40%", "Calculating Moon 60%",
                                             "Calculating Moon 80%", "Calculating Moon 100%", ""};
  EXPECT_EQ(j.sink.progressTexts, progress);

  // The table is kept: the same evening again shows no progress.
  j.sink.clear();
  udtVisibility again;
  j.session.hbody.Visibility("Moon", k11Mar2024, false, true, false, again, ok);
  EXPECT_EQ(again.dblTMax, v.dblTMax);
  EXPECT_TRUE(j.sink.progressTexts.empty());

  // 9 April 2024, a Moon 22 hours old and 12 degrees from the Sun, reported
  // seen across the Middle East that evening (Yallop's class A, Odeh's zone
  // A): nearly certain under a clear sky, best some time after sunset, and
  // gone before the Moon sets into the horizon's haze.
  j.session.hbody.Visibility("Moon", k9Apr2024, false, true, false, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  EXPECT_FALSE(v.blnNeverVisible);
  EXPECT_FALSE(v.blnExtended);
  EXPECT_GT(v.dblPMax, 0.92);
  EXPECT_GE(v.dblT1, v.dblStart);
  EXPECT_GT(v.dblTMax - v.dblStart, 10.0 / 1440);
  EXPECT_LE(v.dblT1, v.dblT2);
  EXPECT_LE(v.dblT2, v.dblTMax);
  EXPECT_LE(v.dblTMax, v.dblT3);
  EXPECT_LT(v.dblT3, v.dblEnd);

  j.session.hbody.Visibility("Moon", k10Mar2024, false, true, false, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  EXPECT_TRUE(v.blnNeverVisible);
  EXPECT_LT(v.dblPMax, 0.08);
  EXPECT_TRUE(j.sink.messages.empty()) << j.sink.last();
}

TEST(MagnitudeReport, FiveLinesOrWellBelowTheHorizon) {
  // 11 March 2024 at 15:50 UT (17:50 in Jerusalem): the young Moon low in
  // the west after sunset; Saturn, close to the Sun, has set.
  Jerusalem j;
  j.session.dblFixDate = k11Mar2024;
  j.session.dblFixTime = 15.0 / 24 + 50.0 / 1440;
  bool ok = false;
  std::string moon = j.session.hbody.MagnitudeReport("Moon", ok);
  ASSERT_TRUE(ok) << j.sink.last();
  std::vector<std::string> lines;
  for (size_t from = 0, to = 0; from <= moon.size(); from = to + 1) {
    to = moon.find('\n', from);
    if (to == std::string::npos) to = moon.size();
    lines.push_back(moon.substr(from, to - from));
  }
  ASSERT_EQ(lines.size(), 5u) << moon;
  // About 162 degrees of phase: Allen's law continued past 150 degrees by
  // the Lommel-Seeliger law of the lit crescent.
  EXPECT_EQ(lines[0], "Moon's magnitude above the atmosphere -5.8");
  EXPECT_EQ(lines[1].rfind("From the ground -4.", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("Sky brightness ", 0), 0u);
  EXPECT_EQ(lines[2].substr(lines[2].size() - 7), " cd/m^2");
  EXPECT_EQ(lines[3].rfind("Lg(B) 2.", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4].rfind("Probability of visibility ", 0), 0u) << lines[4];
  EXPECT_EQ(lines[4].back(), '%');
  std::string saturn = j.session.hbody.MagnitudeReport("Saturn", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(saturn.substr(saturn.find('\n') + 1), "The Saturn is well below the horizon.");
  // In Hebrew: the body's Hebrew name, and a space before the probability.
  j.session.intLanguage = 1;
  const std::string hebrew = j.session.hbody.MagnitudeReport("Moon", ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(hebrew.find("Moon"), std::string::npos) << hebrew;
  EXPECT_NE(hebrew.find("הירח - בהירות מעל האטמוספירה "), std::string::npos) << hebrew;
  EXPECT_NE(hebrew.find("הסתברות הנראות \u2066"), std::string::npos) << hebrew;
  j.session.intLanguage = 0;
}

TEST(Sky, Messages) {
  Jerusalem j;
  bool ok = true;
  double a = 0, b = 0, c = 0, d = 0;
  j.session.sky.GetX(0, 3, 10, 10, a, b, c, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(j.sink.last(), "Error in cSky.GetX, intMode not valid: 3");
  j.session.sky.GetK(k11Mar2024, -1, 0, 0, 10, true, a, b, c, d, ok);
  EXPECT_EQ(j.sink.last(), "Error in cSky.GetK, intMode not valid: -1");
  j.session.options.intNIntegrals = 20;
  j.session.sky.ProbVis(k11Mar2024, 10, 0, 0, 0, 0.1, 1, ok);
  EXPECT_EQ(j.sink.last(), "Error in cSky.ProbVis, Invalid intNIntegrals in ProbVis :20");
  udtVisibility v;
  j.session.hbody.Visibility("Moon", k11Mar2024, false, true, false, v, ok);
  EXPECT_EQ(j.sink.last(), "Error in cHBody.Visibility, intNIntegrals not valid: 20");
  j.session.options.intNIntegrals = 64;
  j.session.hbody.Visibility("Pluto", k11Mar2024, false, true, false, v, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(j.sink.last(), "Error in cHBody.Visibility, strHBody not valid: Pluto");
  EXPECT_THROW(clsSky::El2(1, 0, 1, 1), AppError);
  try {
    clsSky::El2(1, 0, 1, 1);
  } catch (const AppError& e) {
    EXPECT_EQ(e.description, "Bad dblQQC in El2.");
  }
}

}  // namespace
}  // namespace nemora
