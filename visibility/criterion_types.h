// The crescent criterion record. The program keeps one user criterion for the
// whole run; its type is the criterion in force.
#pragma once

#include <cstdint>
#include <string>

namespace nemora {

struct udtCriterion {
  int16_t intType = 5;        // 0 User defined, 1 Photometric, 2 DALT-Width, 3 Maimonides, 4 Ilyas, 5 Yallop, 6 SAAO, 7 Karaite
  int16_t intDarkness = 2;    // 0 Lag time, 1 Keshet Reiyah, 2 DALT, 3 Sky brightness
  int16_t intMeasTo = 0;      // point of the Moon for DALT: 0 Center, 1 Limb, 2 Mid crescent
  int16_t intBrightness = 3;  // 0 Age, 1 Orech Rishon, 2 Elongation, 3 Crescent width, 4 % Illumination, 5 % Illumination/d^2, 6 Magnitude
  int16_t intMeasFrom = 2;    // 0 Geocentric, 1 Topocentric, 2 Apparent, 3 topocentric with refraction
  double dblWhen = 0.444444444444444;
  int16_t intWhen = 3;        // 0 Sun below horizon, 1 minutes after sunset, 2 and 3 fraction of lag

  friend bool operator==(const udtCriterion&, const udtCriterion&) = default;
};

// "Criterion: " and the name of a criterion type (the main window's label);
// an unknown type gives "Criterion: " alone.
std::string criterionLabel(int16_t intType);

}  // namespace nemora
