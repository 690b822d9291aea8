// The Julian Ephemeris Day: a Julian Day on dynamical time (TT). Converts
// between it and fixed day numbers in UT through Delta T.
#pragma once

#include "base/session_bound.h"

namespace nemora {

class clsJDE : public SessionBound {
 public:
  explicit clsJDE(Session& session) : SessionBound(session) {}

  // JDE of the UT instant dblFix (fixed day number with its fraction).
  double fixed_jde(double dblFix, bool& blnValid);
  // Fixed day number (UT, with its fraction) of a JDE.
  double jde_fixed(double jde, bool& blnValid);
};

}  // namespace nemora
