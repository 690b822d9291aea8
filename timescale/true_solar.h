// True (apparent) solar time: the Sun's topocentric hour angle at the
// observer, turned into a clock that reads 12:00 at the upper transit and
// 0:00 at the lower transit. It runs ahead of or behind mean solar time by
// the equation of time (up to about 16 minutes), and its days (lower transit
// to lower transit) are up to about half a minute longer or shorter than 24
// hours.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

class clsTrueSolar : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // UT day fraction (from the start of the UT day of the input date) of a
  // true-solar record on the input date. Gregorian and Julian dates: the
  // reading within the true solar day of the date (a second occurrence is
  // refused, since every reading comes once). Hebrew and Islamic dates: the
  // first reading within the day from sunset to sunset, or the next one for
  // a second occurrence.
  double FromTrueSolar(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType);

  // The true-solar record of an instant (UT), in the display's clock form.
  void ToTrueSolar(double dblDate, udtTime& udtTimeOut, bool& blnValid);

  // UT instants of the start and end of the calendar day containing dblFix:
  // the Sun's lower transit before and after it, or sunset to sunset for
  // Hebrew and Islamic dates.
  void StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd, bool& blnValid,
                     int16_t& intDayShift);

  // The UT day fraction at which the true solar day of the local day of
  // dblFix begins: its lower transit minus the day number.
  double ZeroTime(double dblFix, bool& blnValid);

  // The Sun's topocentric hour angle at an instant, degrees (-180, 180].
  double SunHourAngle(double dblFix, bool& blnValid);

 private:
  double lowerTransit(int32_t lngDay);
  double hoursAt(double dblFix);
  double readingNear(double dblHours, double dblGuess);
  double readingInSunsetDay(double dblHours, double t, int32_t lngDay, bool blnSecondTime);
};

}  // namespace nemora
