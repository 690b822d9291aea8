// Optical aid: the texts that name an aid, and the light budget of
// binoculars and telescopes against the rules it follows.
#include "visibility/optical_aid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nemora {
namespace {

TEST(OpticalAid, TextsThatNameAnAid) {
  struct Case {
    const char* text;
    bool valid;
    int16_t kind;
    double aperture, magnification;
    const char* shown;
  } cases[] = {
      {"eye", true, kAidEye, 0, 1, "Naked eye"},
      {"binoculars", true, kAidBinoculars, 50, 7, "Binoculars 7x50"},
      {"binoculars:10x42", true, kAidBinoculars, 42, 10, "Binoculars 10x42"},
      {"binoculars:15.5x70", true, kAidBinoculars, 70, 15.5, "Binoculars 15.5x70"},
      {"telescope:100,40", true, kAidTelescope, 100, 40, "Telescope 100 mm, 40x"},
      {"telescope:80, 25", true, kAidTelescope, 80, 25, "Telescope 80 mm, 25x"},
      {"telescope", false, 0, 0, 0, ""},        // aperture and magnification are needed
      {"telescope:100", false, 0, 0, 0, ""},
      {"telescope:100,", false, 0, 0, 0, ""},
      {"telescope:3,40", false, 0, 0, 0, ""},   // below 5 mm
      {"telescope:100,0.5", false, 0, 0, 0, ""},  // below 1x
      {"telescope:1e9,40", false, 0, 0, 0, ""},
      {"binoculars:7-50", false, 0, 0, 0, ""},
      {"binoculars:x50", false, 0, 0, 0, ""},
      {"eye:7x50", false, 0, 0, 0, ""},
      {"camera", false, 0, 0, 0, ""},
      {"", false, 0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto aid = ParseAid(c.text);
    ASSERT_EQ(aid.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(aid->intKind, c.kind);
    EXPECT_DOUBLE_EQ(aid->dblAperture, c.aperture);
    EXPECT_DOUBLE_EQ(aid->dblMagnification, c.magnification);
    EXPECT_DOUBLE_EQ(aid->dblTransmission, kDefaultAidTransmission);
    EXPECT_EQ(AidText(*aid), c.shown);
  }
}

TEST(OpticalAid, LightBudgetOverSkiesFromNightToDay) {
  // The eye's pupil after de Groot and Gebhard (1952): about 7 mm in a
  // moonless night, about 4.4 mm at 1 cd/m^2 (deep twilight), about 2 mm in
  // daylight; never wider in a darker sky.
  EXPECT_NEAR(EyePupil(1e-5), 6.98, 0.01);
  EXPECT_NEAR(EyePupil(1), 4.40, 0.01);
  EXPECT_NEAR(EyePupil(1000), 2.03, 0.01);
  double last = 9;
  const udtOpticalAid eye{}, binoculars = *ParseAid("binoculars:7x50"), scope = *ParseAid("telescope:200,20"),
                         twin = [&] {
                           udtOpticalAid a = scope;
                           a.intKind = kAidBinoculars;
                           return a;
                         }();
  for (double logB = -6; logB <= 5; logB += 0.25) {
    double B = std::pow(10.0, logB);
    SCOPED_TRACE(B);
    double d = EyePupil(B);
    EXPECT_LE(d, last);
    last = d;
    AidFactors none = ThroughAid(eye, B);
    EXPECT_EQ(none.dblLight, 1);
    EXPECT_EQ(none.dblSky, 1);
    // Binoculars: an exit pupil of 7.1 mm is at least the eye's, so the
    // sky keeps its surface brightness but for the glass, and a source gains
    // t M^2.
    AidFactors b = ThroughAid(binoculars, B);
    EXPECT_NEAR(b.dblSky, kDefaultAidTransmission * std::min(1.0, std::pow(50.0 / 7 / d, 2)), 1e-12);
    EXPECT_NEAR(b.dblLight, b.dblSky * 49, 1e-9);
    EXPECT_EQ(b.dblMagnification, 7);
    // No aid makes the sky brighter than the glass lets through, and the
    // light of a source never exceeds what the aperture gathers.
    AidFactors s = ThroughAid(scope, B);
    EXPECT_LE(s.dblSky, kDefaultAidTransmission);
    EXPECT_LE(s.dblLight, kDefaultAidTransmission * std::pow(200 / d, 2) * (1 + 1e-12));
    // One eye at the telescope needs sqrt(2) times the light of two.
    EXPECT_NEAR(ThroughAid(twin, B).dblLight / s.dblLight, std::sqrt(2.0), 1e-12);
  }
}

TEST(OpticalAid, ExtendedSourceCorrection) {
  const double span = std::sqrt(2 * M_PI) * kFovealFieldWidth;  // 0.613 degrees
  struct Case {
    const char* what;
    double width, length, magnification, correction;
  } cases[] = {
      {"a point stays within the field", 0.001, 0.001, 7, 0},
      {"so does a small crescent at 7x", 0.005, 0.05, 7, 0},
      {"a thin crescent longer than the field gains M, not M^2", 0.005, 0.8, 7, 2.5 * std::log10(7.0)},
      {"a broad one larger both ways gains nothing", 0.7, 0.8, 7, 5 * std::log10(7.0)},
      {"half way: its length leaves the field at 2x", 0.001, span / 4, 8, 2.5 * std::log10(2.0)},
      {"no magnification", 0.3, 0.8, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(ExtendedSourceCorrection(c.width, c.length, kFovealFieldWidth, c.magnification), c.correction, 1e-9);
  }
}

}  // namespace
}  // namespace nemora
