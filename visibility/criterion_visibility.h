// The Moon's visibility table when the crescent criterion in force, not the
// photometric model, decides how likely a sighting is.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/visibility_types.h"

namespace nemora {

// The constants of the two chances that make up the probability: the sky is
// dark enough when the Sun is below A = a*x - b, the Moon high enough when
// it is above M = 2.8*exp(-c*x) + 1.5, x being the criterion's value of the
// evening.
struct CriterionConstants {
  double a = 0.3302, b = 5.2003, c = 0.4;
};
// The pair the tables use by default, and the other one.
inline constexpr CriterionConstants kCriterionConstants{0.3302, 5.2003, 0.4};
inline constexpr CriterionConstants kCriterionConstantsSteep{3.3852, 5.2058, 4};

class CriterionVisibility : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Sun altitude below which the sky is dark enough, and Moon altitude above
  // which the Moon is high enough, for the criterion value x.
  static double SunLimit(double x, const CriterionConstants& k) { return k.a * x - k.b; }
  static double MoonLimit(double x, const CriterionConstants& k);
  // Probability of seeing the Moon with the Sun at topocentric altitude y
  // and the Moon at u (degrees): the product of the two normal chances.
  static double Probability(double x, double y, double u, const CriterionConstants& k);
  // The same at an instant, from the Sun's and the Moon's positions.
  double ProbabilityAt(double x, double dblFix, const CriterionConstants& k, bool& blnValid);

  // Fills the table of the evening or morning of day lngFix. udtVis comes in
  // with the interval (dblStart, dblEnd), blnEvening and the criterion's
  // value (dblValue) filled in; blnSteep picks kCriterionConstantsSteep;
  // blnVerdictVisible is the criterion's verdict of the evening (without it
  // the crescent is never visible).
  void Search(int32_t lngFix, bool blnSteep, bool blnVerdictVisible, udtVisibility& udtVis, bool& blnValid);
};

}  // namespace nemora
