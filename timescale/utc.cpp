#include "timescale/utc.h"

#include <cmath>

#include "base/session.h"
#include "calendar/hebrew.h"
#include "timescale/time_text.h"
#include "base/date.h"
#include "timescale/day_bounds.h"

namespace nemora {

double clsUTC::FromUTC(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType, bool blnPermitSecond) {
  return guarded(blnValid, "cUTC.FromUTC", 0.0, [&] {
    bool ok = true;
    double hours = session().timeText.FromAMPM(udtTimeIn, ok);
    if (!ok) abandon();
    double fraction = hours / 24 + (udtTimeIn.blnSecondTime ? 1 : 0);
    if (beginsAtSunset(enmDateType)) {
      session().hebrew.EveningShift(inputDay(session()), fraction, ok, udtTimeIn.blnSecondTime);
      if (!ok) abandon();
    } else if (udtTimeIn.blnSecondTime && !blnPermitSecond) {
      raise("blnSecondTime cannot occur with udtDateType: ", enmDateType);
    }
    return fraction;
  });
}

void clsUTC::ToUTC(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cUTC.ToUTC", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    udtTime result;
    result.enmTimeType = ttUTC;
    splitClockHours(session(), (dblDate - std::floor(dblDate)) * 24, result);
    bool ok = true;
    session().timeText.ToAMPM(result, ok);
    if (!ok) abandon();
    udtTimeOut = result;
  });
}

void clsUTC::StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd, bool& blnValid,
                           int16_t& intDayShift) {
  guardedVoid(blnValid, "cUTC.StartEndOfDay", [&] {
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblFix);
    intDayShift = 0;
    if (beginsAtSunset(enmDateType)) {
      sunsetDayBounds(session(), dblFix, dblStart, dblEnd, intDayShift);
    } else {
      dblStart = std::floor(dblFix);
      dblEnd = dblStart + 1;
    }
    checkDayBounds(dblFix, dblStart, dblEnd, 1.3);
  });
}

}  // namespace nemora
