#include "base/criterion_types.h"

namespace nemora {

const std::vector<std::string>& criterionTypeNames() {
  static const std::vector<std::string> names{"User defined", "Photometric", "DALT-Width", "Maimonides", "Ilyas",
                                              "Yallop",       "SAAO",        "Karaite",    "Odeh"};
  return names;
}

const std::vector<std::string>& darknessNames() {
  static const std::vector<std::string> names{"Lag time", "Keshet Reiyah", "DALT", "Sky brightness"};
  return names;
}

const std::vector<std::string>& moonPointNames() {
  static const std::vector<std::string> names{"Center", "Limb", "Mid crescent"};
  return names;
}

const std::vector<std::string>& brightnessNames() {
  static const std::vector<std::string> names{"Age",            "Orech Rishon",       "Elongation", "Crescent width",
                                              "% Illumination", "% Illumination/d^2", "Magnitude"};
  return names;
}

const std::vector<std::string>& frameNames() {
  static const std::vector<std::string> names{"Geocentric", "Topocentric", "Apparent"};
  return names;
}

const std::vector<std::string>& whenNames() {
  static const std::vector<std::string> names{"Sun ° below horizon", "Mins after/before sunset/rise",
                                              "Fraction of lag from geometric", "Fraction of lag from apparent"};
  return names;
}

bool criterionPreset(int16_t intType, udtCriterion& c) {
  // Type: darkness, point, brightness, frame, when (number), when (meaning).
  struct Preset {
    int16_t darkness, point, brightness, from;
    double when;
    int16_t whenMeans;
  };
  // Yallop's best time is 4/9 of the lag after sunset; the stored fraction
  // (15 decimals) lies just below 4/9.
  constexpr double kYallopFraction = 0.444444444444444;
  static const Preset presets[] = {
      {3, 0, 6, 1, 0.6, 2},              // 1 Photometric: sky brightness and magnitude
      {2, 2, 3, 3, 0.6, 2},              // 2 DALT-Width: refracted mid-crescent point
      {1, 0, 1, 0, 20, 1},               // 3 Maimonides: 20 minutes after sunset
      {2, 0, 2, 0, 0, 0},                // 4 Ilyas: geometric sunset
      {2, 0, 3, 2, kYallopFraction, 3},  // 5 Yallop
      {2, 0, 2, 0, 0, 0},                // 6 SAAO, as Ilyas
      {0, 0, 4, 0, 0, 1},                // 7 Karaite: at sunset
      // 8 Odeh (Experimental Astronomy 18, 2004): Yallop's best time with the
      // topocentric airless arc of vision and topocentric crescent width.
      {2, 0, 3, 1, kYallopFraction, 3},
  };
  if (intType < 1 || intType > kCritLastType) return false;
  const Preset& p = presets[intType - 1];
  c.intType = intType;
  c.intDarkness = p.darkness;
  c.intMeasTo = p.point;
  c.intBrightness = p.brightness;
  c.intMeasFrom = p.from;
  c.dblWhen = p.when;
  c.intWhen = p.whenMeans;
  return true;
}

std::string criterionLabel(int16_t intType) {
  std::string label = "Criterion: ";
  if (intType >= 0 && intType <= kCritLastType) label += criterionTypeNames()[intType];
  return label;
}

}  // namespace nemora
