// The evaluation of a crescent criterion for one evening (or morning), with
// a choice of what it computes beyond what the criterion's verdict needs.
#pragma once

#include <cstdint>
#include <optional>

#include "base/criterion_types.h"
#include "base/session_bound.h"

namespace nemora {

// The Sun's and the Moon's crossings of an evening (sunset and moonset, each
// geometric and apparent; sunrise and moonrise in the morning), which every
// criterion measures from.
struct EveningEvents {
  double dblSunGeometric = 0, dblSunApparent = 0, dblMoonGeometric = 0, dblMoonApparent = 0;
  bool blnSunNeverRises = false, blnSunNeverSets = false;
  bool blnMoonNeverRises = false, blnMoonNeverSets = false;
  bool blnMoonUpAtSun = false;
};

// What the criteria of one evening (or morning) at one place share: its
// crossings, and its conjunction in each frame. Whatever moment of the
// evening a criterion's search starts from, it finds the same conjunction to
// a millisecond, so the first found serves every criterion and every
// criterion of the evening states the same one.
struct EveningMemory {
  std::optional<EveningEvents> events;
  std::optional<double> geocentric, topocentric;
};

// The parts of an evaluation that its caller may do without.
struct CriterionExtras {
  // The sky brightness and the magnitude even when the criterion does not
  // need them.
  bool blnAllMeasures = false;
  // The conjunction before the moment and the Moon's age from it, which no
  // verdict uses unless the criterion measures its brightness by the age;
  // without them dblConjunction, dblAgeGeo and (for such criteria only when
  // computed) dblAge are NaN.
  bool blnConjunction = true;
  // Where the evaluations of one evening at one place keep what they share
  // (none: each finds its own).
  EveningMemory* evening = nullptr;
};

class CriterionEvaluation : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // clsMoon::Criterion with the extras chosen: its messages and results,
  // less what the extras leave out.
  void Evaluate(int32_t lngFix, bool blnEvening, const udtCriterion& udtCrit, udtCriterionResult& result,
                bool& blnValid, CriterionExtras extras);
};

}  // namespace nemora
