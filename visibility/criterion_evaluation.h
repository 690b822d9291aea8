// The evaluation of a crescent criterion for one evening (or morning), with
// a choice of what it computes beyond what the criterion's verdict needs.
#pragma once

#include <cstdint>
#include <optional>

#include "base/criterion_types.h"
#include "base/session_bound.h"

namespace nemora {

// The conjunctions found for one evening (or morning) at one place, one per
// frame: whatever moment of the evening a criterion's search starts from, it
// finds the same conjunction to a millisecond, so the first found serves
// every criterion and every criterion of the evening states the same one.
struct ConjunctionMemory {
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
  // Where the evaluations of one evening at one place keep their
  // conjunctions (none: each is searched).
  ConjunctionMemory* conjunctions = nullptr;
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
