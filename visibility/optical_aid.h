// Optical aid: what binoculars or a telescope do to the light of a body and
// of the sky behind it before the eye judges them.
//
// After Schaefer, B. E., "Telescopic limiting magnitudes", Publications of
// the Astronomical Society of the Pacific 102 (1990) 212-229: the aid
// gathers the light of its aperture D instead of the eye's pupil d, loses a
// share of it in the glass (transmission t), loses what leaves the eyepiece
// wider than the pupil (exit pupil D/M above d), spreads the sky's light
// over M^2 times the solid angle (magnification M), and a telescope is used
// with one eye, which needs sqrt(2) times the light of two. So a source's
// light reaching the eye is multiplied by
//     t (D/d)^2 / (F_b F_p),        F_p = max(1, (D / (M d))^2),
// and the sky's surface brightness by the same over M^2; F_b is 1 for both
// eyes (binoculars) and sqrt(2) for one (telescope). A crescent is an
// extended source: its surface brightness changes as the sky's, and its
// width is M times larger to the eye, so that less of it is too narrow to
// be resolved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/options.h"

namespace nemora {

// What the aid does for an eye adapted to a sky of luminance dblSky.
struct AidFactors {
  double dblLight = 1;          // multiplies a source's light reaching the eye
  double dblSky = 1;            // multiplies the sky's surface brightness seen
  double dblMagnification = 1;  // angular sizes grow by this
  double dblPupil = 0;          // the eye's pupil (mm)
};

// The eye's pupil (mm) adapted to a field of luminance dblLuminance (cd/m^2):
// de Groot and Gebhard, J. Opt. Soc. Am. 42 (1952) 492,
// log10 d = 0.8558 - 0.000401 (log10 L + 8.6)^3 with L in millilamberts
// (1 cd/m^2 = 0.1 pi mL), as reviewed by Watson and Yellott, J. Vision 12(10)
// (2012) 12; kept within 2 and 8 mm.
double EyePupil(double dblLuminance);

AidFactors ThroughAid(const udtOpticalAid& aid, double dblSky);

// The Gaussian widths (degrees) of the eye's central (foveal) and
// off-centre (peripheral) fields, as data/MoonMag.txt weighs the Moon's light.
inline constexpr double kFovealFieldWidth = 0.2447;
inline constexpr double kPeripheralFieldWidth = 0.6727;

// The extended-source correction (magnitudes, 0 or more) of a crescent of
// width dblWidth and length dblLength (degrees) seen in a field of Gaussian
// width dblField (degrees) through an aid of magnification dblMagnification:
// a source's light gains M^2 only while it stays within the field; a source
// that the magnification spreads beyond it gains only the share that still
// falls inside. The part of each dimension inside the field is taken as
// min(size, sqrt(2 pi) field) (the Gaussian's equivalent width), so the
// correction is 2.5 log10(M^2 A / A_M), A and A_M the source's areas inside
// the field at the naked eye and through the aid (both in the eye's angles):
// 0 for a crescent small enough to stay within the field, 2.5 log10 M for a
// thin crescent longer than the field, 5 log10 M for one larger than the
// field both ways.
double ExtendedSourceCorrection(double dblWidth, double dblLength, double dblField, double dblMagnification);

// Reads "eye", "binoculars" (7x50), "binoculars:MxD" (magnification x
// aperture in mm, e.g. 10x50) or "telescope:D,M" (aperture in mm,
// magnification); no value on a bad text.
std::optional<udtOpticalAid> ParseAid(const std::string& strText);

// "Naked eye", "Binoculars 7x50", "Telescope 100 mm, 40x".
std::string AidText(const udtOpticalAid& aid);

}  // namespace nemora
