// Coordinated Universal Time as a time scale: a time record on the UT clock,
// its day fraction, and the bounds of the UT day.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

class clsUTC : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The UT day fraction at which the scale's day begins: always 0.
  double ZeroTime() const { return 0; }

  // UT day fraction of a UTC record on the input date, plus 1 for a second
  // occurrence. For Hebrew and Islamic dates (days from sunset to sunset) the
  // fraction is moved by whole days so that it falls within the date; for
  // other date types a second occurrence is refused unless blnPermitSecond.
  double FromUTC(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType, bool blnPermitSecond);

  // The UTC record of an instant (fixed day number with fraction, UT), in the
  // display's clock form.
  void ToUTC(double dblDate, udtTime& udtTimeOut, bool& blnValid);

  // UT instants of the start and end of the calendar day that contains
  // dblFix: midnight to midnight UT, or sunset to sunset for Hebrew and
  // Islamic dates (intDayShift then tells the shift of that day).
  void StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd, bool& blnValid,
                     int16_t& intDayShift);
};

}  // namespace nemora
