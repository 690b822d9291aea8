// Run-wide settings of the visibility calculations and their presentation,
// and the observer record. Both live in the Session from start-up to exit.
#pragma once

#include <array>
#include <cstdint>

namespace nemora {

// The optical aid of the observer: the naked eye, binoculars or a telescope.
inline constexpr int16_t kAidEye = 0;
inline constexpr int16_t kAidBinoculars = 1;
inline constexpr int16_t kAidTelescope = 2;

// Glass transmission assumed when none is given: about 80 % for coated
// binoculars and small refractors (a few per cent lost at each of some ten
// air-glass surfaces and in the prisms).
inline constexpr double kDefaultAidTransmission = 0.8;

// The sizes an aid may have: a hand lens to a large amateur telescope.
inline constexpr double kLeastAperture = 5, kGreatestAperture = 2000;  // mm
inline constexpr double kLeastMagnification = 1, kGreatestMagnification = 1000;

struct udtOpticalAid {
  int16_t intKind = kAidEye;
  double dblAperture = 0;       // mm
  double dblMagnification = 1;  // times
  double dblTransmission = kDefaultAidTransmission;

  friend bool operator==(const udtOpticalAid&, const udtOpticalAid&) = default;
};

// Moon calculation modes.
inline constexpr int16_t kMoonCalcPhotometric = 0;
inline constexpr int16_t kMoonCalcByCriterion = 3;
// Speeds of the probability calculation: the number of aerosol integration
// steps, fastest first.
inline constexpr std::array<int16_t, 4> kNIntegralsChoices = {16, 32, 64, 128};

// Settings of the options dialog, with their start-up values. The display
// language is Session::intLanguage, which the same dialog sets.
struct udtOptions {
  int16_t intPrecision = 0;                     // 0 "Normal", 1 "Overprecise", 2 "Way overprecise"
  int16_t intMoonCalc = kMoonCalcByCriterion;   // 0 "Photometric", 3 "By criterion"
  int16_t intPlotMode = 0;                      // 0 "Full graph", 1 "Sketch", 2 "Proportional"
  int16_t intNIntegrals = 64;                   // one of kNIntegralsChoices
  bool blnWomen = false;                        // women are counted among the likely observers
  int32_t lngNWitnesses = 2;                    // witnesses required to testify, 1 to 100000000
  double dblPopulation = 700000;                // whole number, 1 to 100000000000
  // The probability of visibility as first built: averaged over a wide
  // log-normal spread of the aerosol coefficient at the body's air mass (kept
  // for comparison); otherwise over a fixed spread of the contrast.
  bool blnClassicModel = false;

  friend bool operator==(const udtOptions&, const udtOptions&) = default;
};

// The observer: the average observer (overall probability) or one of a given
// performance level (personal probability), looking with the naked eye or
// through binoculars or a telescope.
struct udtObserver {
  // {overall, level} keeps the naked eye.
  udtObserver(bool overall = true, double level = 0, udtOpticalAid opticalAid = {})
      : blnOverall(overall), dblLevel(level), aid(opticalAid) {}

  bool blnOverall = true;  // true: the probability of the average observer
  double dblLevel = 0;     // performance level in standard deviations; valid within -99.99 to 99.99
  udtOpticalAid aid;       // the naked eye unless an aid is chosen

  friend bool operator==(const udtObserver&, const udtObserver&) = default;
};

// Share of a population that is likely to look for the crescent: every
// observant adult when women are counted, half as many when only men are.
inline constexpr double kLikelyObserversWithWomen = 4.6e-5;
inline constexpr double kLikelyObserversMenOnly = 2.3e-5;

// Number of likely observers in a population (not rounded).
inline double likelyObservers(double dblPopulation, bool blnWomen) {
  return dblPopulation * (blnWomen ? kLikelyObserversWithWomen : kLikelyObserversMenOnly);
}

// Hebrew output is laid out right to left, English left to right; the
// windows apply this to the result label after the options change.
inline bool outputRightToLeft(int16_t intLanguage) { return intLanguage == 1; }

}  // namespace nemora
