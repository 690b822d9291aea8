// The published tests of the named crescent criteria, as plain functions of
// their measures: Yallop's q and visibility class, Odeh's V and zone,
// Ilyas's limiting arc of vision and the Maimonides q.
#pragma once

#include <optional>

#include "visibility/criterion_types.h"

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

}  // namespace nemora
