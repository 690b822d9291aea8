// The crescent criterion record and the names of its choices. The program
// keeps one user criterion for the whole run; its type is the criterion in
// force.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nemora {

struct udtCriterion {
  int16_t intType = 5;        // 0 User defined, 1 Photometric, 2 DALT-Width, 3 Maimonides, 4 Ilyas, 5 Yallop, 6 SAAO, 7 Karaite, 8 Odeh
  int16_t intDarkness = 2;    // 0 Lag time, 1 Keshet Reiyah, 2 DALT, 3 Sky brightness
  int16_t intMeasTo = 0;      // point of the Moon for DALT: 0 Center, 1 Limb, 2 Mid crescent
  int16_t intBrightness = 3;  // 0 Age, 1 Orech Rishon, 2 Elongation, 3 Crescent width, 4 % Illumination, 5 % Illumination/d^2, 6 Magnitude
  int16_t intMeasFrom = 2;    // 0 Geocentric, 1 Topocentric, 2 Apparent, 3 topocentric with refraction
  double dblWhen = 0.444444444444444;
  int16_t intWhen = 3;        // 0 Sun below horizon, 1 minutes after sunset, 2 and 3 fraction of lag

  friend bool operator==(const udtCriterion&, const udtCriterion&) = default;
};

// What Criterion finds for one evening or morning. Instants are fixed day
// numbers with the UT day fraction; angles in degrees.
struct udtCriterionResult {
  bool blnEvening = true;
  // The measures of the criterion, their combination V, the normalised
  // value z (visible when z >= 0) and the score s.
  double dblDarkness = 0;
  double dblBrightness = 0;
  double dblV = 0;
  double dblZ = 0;
  double dblS = 0;
  // The moment of evaluation and whether the Moon is up then.
  double dblMoment = 0;
  bool blnMoonUp = false;
  // Sunset and moonset (sunrise and moonrise in the morning): geometric (the
  // centre on the true horizon) and apparent (the upper limb on the flat
  // horizon, refracted); the lag in minutes between the apparent ones (Moon
  // after Sun in the evening, before it in the morning).
  double dblSunGeometric = 0;
  double dblSunApparent = 0;
  double dblMoonGeometric = 0;
  double dblMoonApparent = 0;
  double dblLag = 0;
  bool blnSunNeverRises = false, blnSunNeverSets = false;
  bool blnMoonNeverRises = false, blnMoonNeverSets = false;
  // Whether the Moon is above the horizon at the apparent sunset (sunrise).
  // When it is, its set is the first after sunset (its rise the last before
  // sunrise), on the next (previous) local day when need be.
  bool blnMoonUpAtSun = true;
  // Every measure at the moment, in the criterion's frame: lag (minutes),
  // Keshet Reiyah, DALT, sky brightness (cd/m^2), age (hours), Orech Rishon,
  // elongation, crescent width (arc minutes), illumination (%),
  // illumination over the distance squared, magnitude. Sky brightness and
  // magnitude are only computed when the criterion or the caller needs them.
  double dblKeshetReiyah = 0;
  double dblDALT = 0;
  double dblSkyBrightness = 0;
  bool blnSkyBrightness = false;
  double dblAge = 0;
  double dblOrechRishon = 0;
  double dblElongation = 0;
  double dblWidth = 0;
  double dblIllumination = 0;
  double dblIlluminationD2 = 0;
  double dblMagnitude = 0;
  bool blnMagnitude = false;
  // The geometry at the moment, whatever the frame: the arc of vision
  // (airless altitude of the Moon's centre less the Sun's) geocentric and
  // topocentric, the arc of light (elongation) geocentric and topocentric,
  // the relative azimuth (Sun less Moon, topocentric, -180 to 180), the
  // crescent width (topocentric, arc minutes), the geocentric conjunction
  // and the age from it (hours), the illumination (% of the disc, from the
  // geocentric elongation), the altitudes of the Moon (topocentric airless
  // and refracted) and of the Sun (topocentric airless), the Moon's
  // topocentric distance (km) and apparent (topocentric) illumination (%).
  double dblARCV = 0;
  double dblARCVTopo = 0;
  double dblARCL = 0;
  double dblARCLTopo = 0;
  double dblDAZ = 0;
  double dblWidthTopo = 0;
  double dblConjunction = 0;
  double dblAgeGeo = 0;
  double dblIlluminationGeo = 0;
  double dblMoonAlt = 0;
  double dblMoonAltRefr = 0;
  double dblSunAlt = 0;
  double dblMoonDistanceTopo = 0;
  double dblIlluminationTopo = 0;
};

// Criterion types by number.
enum : int16_t {
  kCritUser = 0,
  kCritPhotometric = 1,
  kCritDaltWidth = 2,
  kCritMaimonides = 3,
  kCritIlyas = 4,
  kCritYallop = 5,
  kCritSAAO = 6,
  kCritKaraite = 7,
  kCritOdeh = 8,
  kCritLastType = 8
};

// The names of each list, in number order: the criterion types, the darkness
// measures, the points of the Moon, the brightness measures, the frames the
// dialog offers (0 to 2) and the moments of evaluation.
const std::vector<std::string>& criterionTypeNames();
const std::vector<std::string>& darknessNames();
const std::vector<std::string>& moonPointNames();
const std::vector<std::string>& brightnessNames();
const std::vector<std::string>& frameNames();
const std::vector<std::string>& whenNames();

// The fields of a named criterion (types 1 to 8) with its type set; false
// for the user criterion and for a number outside the list.
bool criterionPreset(int16_t intType, udtCriterion& udtCrit);

// "Criterion: " and the name of a criterion type (the main window's label);
// an unknown type gives "Criterion: " alone.
std::string criterionLabel(int16_t intType);

}  // namespace nemora
