// Julian Day and Modified Julian Day: instants (day counts with fraction, UT)
// offset from the fixed day number. JD 1721424.5 is fixed day 0 at midnight;
// MJD counts days from JD 2400000.5, so MJD -678576 is fixed day 0.
#pragma once

#include "base/session_bound.h"

namespace nemora {

class clsJD : public SessionBound {
 public:
  using SessionBound::SessionBound;

  static constexpr double kJDOfFixedZero = 1721424.5;

  // Fixed instant of a Julian Day; 0 with blnValid false beyond the range.
  double jd_fixed(double jd, bool& blnValid) const;
  // Julian Day of a fixed instant; 0 with blnValid false beyond the range.
  double fixed_jd(double dblDate, bool& blnValid) const;
};

class clsMJD : public SessionBound {
 public:
  using SessionBound::SessionBound;

  static constexpr double kMJDOfFixedZero = -678576;

  // Fixed instant of a Modified Julian Day; 0 with blnValid false beyond the range.
  double mjd_fixed(double mjd, bool& blnValid) const;
  // Modified Julian Day of a fixed instant; 0 with blnValid false beyond the range.
  double fixed_mjd(double dblDate, bool& blnValid) const;
};

}  // namespace nemora
