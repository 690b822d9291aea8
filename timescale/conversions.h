// Conversions between an instant (fixed day number with day fraction, UT)
// and a date of any date type with a time of any time scale, dispatched to
// the time class of the scale. Also the evaluation of the input time.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/date.h"
#include "base/time_types.h"

namespace nemora {

class Conversions : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The UT day fraction at which the time scale's day begins, seen from the
  // instant dblDate: UTC, GMST 0; Local, Mean Solar and LST minus the offset
  // of their clock from UT; True Solar and Seasonal the lower transit of the
  // Sun that opens the local day, counted from its UT midnight.
  double ZeroTime(double dblDate, int32_t enmTimeType, bool& blnValid);

  // UT instants of the start and end of the calendar day (of the date type,
  // on the clock of the time type) that contains dblFix.
  void StartEndOfDay(double dblFix, int32_t enmDateType, int32_t enmTimeType, double& dblStart, double& dblEnd,
                     bool& blnValid, int16_t& intDayShift);

  // The date of the date type and the time of the time scale of an instant.
  // Day-number types give dblDay only and leave the time as it was.
  void ToDateTime(double dblFixed, udtDate& udtDateOut, int32_t enmDateType, udtTime& udtTimeOut,
                  int32_t enmTimeType, bool& blnValid);

  // The time record of an instant, given the start of its calendar day (for
  // the second-occurrence mark).
  void FixedToTime(double dblFix, udtTime& udtTimeOut, double dblStart, int32_t enmTimeType, int32_t enmDateType,
                   bool& blnValid);

  // The instant of a time record on the day of the input date dblFixDate.
  // blnPermitSecond lets a UTC record carry the second-occurrence mark on a
  // date whose day runs from midnight.
  double TimeToFixed(const udtTime& udtTime, bool& blnValid, int32_t enmDateType, bool blnPermitSecond);

  // dblFixTime = the UT day fraction of the input time udtTimeIn on the
  // input date.
  void EvaluateTime(bool& blnValid);

  // Fixed day number of the calendar day (of the date type, on the clock of
  // the time type) that contains t, and the UT instant at which that day
  // begins. Raises or abandons inside the caller's handler.
  struct CalendarDay {
    int32_t lngDay = 0;
    double dblStart = 0;
  };
  CalendarDay calendarDayOf(double t, int32_t enmDateType, int32_t enmTimeType);

 private:
  // The local clock reading at dblFix came already earlier in the local day
  // that began at dblStart (the repeated hour after the clocks go back).
  bool localReadingRepeated(double dblFix, double dblStart);
  // The true solar reading at dblFix came already earlier in the calendar
  // day that began at dblStart.
  bool trueSolarReadingRepeated(double dblFix, double dblStart, int32_t enmDateType);
  // The seasonal reading at dblFix came already earlier in the calendar day
  // that began at dblStart.
  bool seasonalReadingRepeated(double dblFix, double dblStart, int32_t enmDateType);
  // The instant t of a seasonal reading on the date lngDay (Gregorian or
  // Julian) moved into the date's day from midnight to midnight.
  double seasonalReadingOnDate(double t, const ::nemora::udtTime& udtTime, int32_t lngDay, int32_t enmDateType);
  // The instant t of a solar clock reading on a Hebrew or Islamic date
  // (fixed day lngDay) moved by whole days to its first (or second)
  // occurrence within the day from sunset to sunset.
  double readingInSunsetDay(double t, int32_t lngDay, bool blnSecondTime);
  // The instant of a local clock reading on the local date lngDay: on the
  // day the clocks go back, the first or the second reading of the repeated
  // hour as the record says; otherwise t.
  double localReadingOnDate(double t, const ::nemora::udtTime& udtTime, int32_t lngDay);
};

// Fixed, JD, JDE and MJD dates are day counts without a time of day.
inline bool isDayNumberType(int32_t enmDateType) { return enmDateType < dtGregorian; }

// The plausibility of the bounds of a calendar day around dblFix:
// dblStart <= dblEnd <= dblStart + 2.002, dblFix - 1.6 <= dblStart <=
// dblFix + 0.6 and dblFix - 0.6 <= dblEnd <= dblFix + 1.6 (days). Raises
// inside the caller's handler.
void checkDayBoundsPlausible(double dblFix, double dblStart, double dblEnd);

}  // namespace nemora
