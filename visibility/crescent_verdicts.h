// The published tests of the named crescent criteria, as plain functions of
// their measures: Yallop's q and visibility class, Odeh's V and zone,
// Ilyas's limiting arc of vision and the Maimonides q.
#pragma once

#include <optional>
#include <string>

#include "base/criterion_types.h"
#include "base/visibility_types.h"

namespace nemora {

// Yallop, "A Method for Predicting the First Sighting of the New Crescent
// Moon", NAO Technical Note 69 (1997): q from the geocentric airless arc of
// vision ARCV (degrees) and the crescent width W (arc minutes).
double YallopQ(double dblARCV, double dblWidth);
// The crescent width (arc minutes) of a Moon at dblDistance km from the
// Earth's centre at elongation dblElongation degrees: its semi-diameter times
// (1 - cos elongation).
double CrescentWidth(double dblDistance, double dblElongation);

// Yallop's class 'A' to 'F' of q: A above +0.216, B above -0.014, C above
// -0.160, D above -0.232, E above -0.293, F otherwise.
char YallopClass(double dblQ);

// Odeh, "New Criterion for Lunar Crescent Visibility", Experimental
// Astronomy 18, 39-64 (2004): V from the topocentric airless arc of vision
// (degrees) and the topocentric crescent width (arc minutes).
double OdehV(double dblARCV, double dblWidth);
// Odeh's V of an evaluation at his best time: the topocentric airless arc of
// vision and his crescent width, the topocentric semi-diameter times
// (1 - cos topocentric elongation). His widths follow this simple formula,
// not the lit width seen in perspective, which is some 5 % narrower for a
// thin crescent.
double OdehV(const udtCriterionResult& r);
// Odeh's zone 'A' (V >= 5.65), 'B' (V >= 2.00), 'C' (V >= -0.96) or 'D'.
char OdehZone(double dblV);

// Ilyas's limiting arc of vision (degrees) for a relative azimuth DAZ
// (degrees, either sign): the table at 5-degree steps of |DAZ| from 0 to 60,
// interpolated through three rows; 4.1 from 60 degrees on.
double IlyasLimit(double dblDAZ);
// (ARCV - limit) / 4.97.
double IlyasQ(double dblARCV, double dblDAZ);

// The Maimonides q from Keshet Reiyah KR, Orech Rishon OR (degrees) and
// their combined value V; nothing when OR is below 9 degrees (the Moon is
// then not visible at all).
std::optional<double> MaimonidesQ(double dblKR, double dblOR, double dblV);

// Why the Moon of an evaluated evening (morning) cannot be seen as a
// crescent at all, in this order: no sunset (sunrise) that day, no moonrise,
// the Moon down at sunset (sunrise), more than half lit, too near the Sun
// (below the Danjon limit), down at the criterion's moment.
CrescentBar crescentBar(const udtCriterionResult& r);
// Bars that leave no criterion value: the Moon is not in the evening's sky,
// or not as a crescent, so no criterion's formula applies.
bool barLeavesNoValue(CrescentBar bar);
// The reason in words, in the session's language ("the Moon sets before the
// Sun"); empty for CrescentBar::None.
std::string crescentBarText(CrescentBar bar, bool blnEvening, int16_t intLanguage);
// A short code of the reason for CSV and JSON ("moon-sets-first"); empty for
// CrescentBar::None.
std::string crescentBarCode(CrescentBar bar, bool blnEvening);

// One criterion's judgement of one evening (or morning). The naked-eye and
// optical-aid verdicts differ for Yallop (classes A-C and A-D), Odeh (zones
// A-B and A-C) and the criteria judged by their normalised value z (z >= 0,
// and z >= -0.68 with optical aid); Maimonides and Ilyas judge by their own
// q >= 0. A bar makes every verdict "not visible".
struct CriterionVerdict {
  bool blnValid = false;
  double dblDarkness = 0;    // the criterion's darkness measure
  double dblBrightness = 0;  // and brightness measure
  double dblZ = 0;           // normalised value
  double dblValue = 0;       // the published test's value: Yallop's q, Odeh's V, the Ilyas or Maimonides q, else z
  char chClass = 0;          // Yallop's class or Odeh's zone, else 0
  bool blnEye = false;       // predicted visible to the naked eye
  bool blnAid = false;       // predicted visible with optical aid
  CrescentBar bar = CrescentBar::None;
  bool blnHasValue = true;   // false under a bar that leaves no value, and for Maimonides below 9 degrees
};

// Yallop's naked-eye limit (between classes C and D) and optical-aid limit
// (D and E); Odeh's (zones B and C, C and D); the optical-aid limit of the
// normalised value z.
inline constexpr double kYallopEye = -0.160, kYallopAid = -0.232;
inline constexpr double kOdehEye = 2.0, kOdehAid = -0.96;
inline constexpr double kZAid = -0.68;

// The verdict of criterion type intType on an evening that Criterion
// evaluated with that type's preset: the one routine that every report, the
// map, the first-visibility search and the sightings analysis use.
CriterionVerdict judgeCrescent(int16_t intType, const udtCriterionResult& r);

}  // namespace nemora
