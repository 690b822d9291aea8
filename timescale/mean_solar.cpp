#include "timescale/mean_solar.h"

#include <cmath>

#include "base/errors.h"
#include "base/session.h"
#include "calendar/hebrew.h"
#include "base/date.h"
#include "timescale/day_bounds.h"
#include "timescale/time_text.h"

namespace nemora {

double clsMeanSolar::FromMeanSolar(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType) {
  return guarded(blnValid, "cMeanSolar.FromMeanSolar", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    double hours = s.timeText.FromAMPM(udtTimeIn, ok);
    if (!ok) abandon();
    double fraction = (hours - s.udtLocation.dblLongitude / 15) / 24 + (udtTimeIn.blnSecondTime ? 1 : 0);
    if (beginsAtSunset(enmDateType)) {
      s.hebrew.EveningShift(inputDay(s), fraction, ok, udtTimeIn.blnSecondTime);
      if (!ok) abandon();
    } else if (udtTimeIn.blnSecondTime) {
      // A mean solar day has 24 hours: no clock time comes twice.
      raise("blnSecondTime cannot occur with udtDateType: ", enmDateType);
    }
    return fraction;
  });
}

void clsMeanSolar::ToMeanSolar(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cMeanSolar.ToMeanSolar", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    Session& s = session();
    double hours = (dblDate - std::floor(dblDate)) * 24 + s.udtLocation.dblLongitude / 15;
    hours -= 24 * std::floor(hours / 24);
    if (hours >= 24) hours = 0;  // a sliver below 0 that the reduction left at 24
    udtTime result;
    result.enmTimeType = ttMeanSolar;
    splitClockHours(s, hours, result);
    bool ok = true;
    s.timeText.ToAMPM(result, ok);
    if (!ok) abandon();
    udtTimeOut = result;
  });
}

void clsMeanSolar::StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd,
                                 bool& blnValid, int16_t& intDayShift) {
  guardedVoid(blnValid, "cMeanSolar.StartEndOfDay", [&] {
    intDayShift = 0;
    if (beginsAtSunset(enmDateType)) {
      sunsetDayBounds(session(), dblFix, dblStart, dblEnd, intDayShift);
      return;
    }
    double longitude = session().udtLocation.dblLongitude;
    if (!(longitude > -180 && longitude <= 180)) raise("udtLocation.dblLongitude out of range: ", longitude);
    double L = longitude / 360;
    dblStart = std::floor(dblFix + L) - L;
    dblEnd = dblStart + 1;
  });
}

double clsMeanSolar::ZeroTime() const { return -session().udtLocation.dblLongitude / 360; }

}  // namespace nemora
