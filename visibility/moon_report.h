// The Moon's "Visibility by criterion" report: every measure of the criterion
// in force at its moment of the evening or morning, then the verdict of the
// named criterion; and the evaluation of every named criterion for one
// evening, which the command line writes out.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/criterion_types.h"

namespace nemora {

// One evening (or morning) under the criterion in force and under each named
// criterion (types 1 to 8, index by type; index 0 unused).
struct CrescentEvening {
  int32_t lngFix = 0;
  bool blnEvening = true;
  udtCriterion criterion;  // the criterion in force, filled by SetCriterion
  udtCriterionResult inForce;
  std::array<udtCriterionResult, kCritLastType + 1> named{};
};

// Published meaning of Yallop's class ('A' to 'F') and of Odeh's zone ('A'
// to 'D') in the session's language.
std::string YallopClassMeaning(char chClass, int16_t intLanguage);
std::string OdehZoneMeaning(char chZone, int16_t intLanguage);

class MoonReport : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The main window's report for the input instant: the evening of its civil
  // day while the Moon is young (east of the Sun that day), else the morning,
  // whatever the time of day.
  std::string VisibilityByCriterion(bool& blnValid);

  // The report for the evening or morning of civil day lngFix.
  std::string CriterionReport(int32_t lngFix, bool blnEvening, bool& blnValid);

  // The criterion in force (with every measure) and each named criterion
  // for the evening or morning of civil day lngFix.
  void EvaluateAll(int32_t lngFix, bool blnEvening, CrescentEvening& evening, bool& blnValid);

  // True when the crescent of civil day lngFix is the young Moon of the
  // evening (the Moon east of the Sun at that day's solar noon), false when
  // it is the old Moon of the morning.
  bool EveningOfDay(int32_t lngFix, bool& blnValid);

 private:
  std::string number(double x, int extraDecimals) const;
};

}  // namespace nemora
