// Seasonal (temporal) hours: the night from sunset to sunrise and the
// daylight from sunrise to sunset are each divided into twelve equal hours,
// so the hours are longer by night in winter and by day in summer. The
// seasonal day runs from sunset to sunset: fraction 0 is sunset, 0.5
// sunrise. Records are on the 12-hour clock with blnPM marking the day half
// (night hours 0 to 11, then day hours 0 to 11).
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

class clsSeasonal : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // UT day fraction (from the start of the UT day of the input date D) of a
  // seasonal record: a day hour between sunrise and sunset of civil day D; a
  // night hour in the night before D (from the sunset of D - 1 to the
  // sunrise of D), or for a second occurrence in the night after D.
  double FromSeasonal(const udtTime& udtTimeIn, bool& blnValid);

  // The seasonal record of an instant (UT).
  void ToSeasonal(double dblDate, udtTime& udtTimeOut, bool& blnValid);

  // The fraction [0, 1) of the seasonal day at an instant.
  double FixToSeasonal(double dblDate, bool& blnValid);

  // The instant one seasonal day before dblDate at which the seasonal clock
  // read the same as at dblDate.
  double PreviousReading(double dblDate, bool& blnValid);

 private:
  // The night (from a sunset to the next sunrise) or the daylight (from a
  // sunrise to the next sunset) that contains an instant, and the civil day
  // on whose evening its seasonal day ends.
  struct Span {
    double dblFrom = 0;
    double dblTo = 0;
    bool blnNight = false;
    int32_t lngDay = 0;
  };
  Span spanOf(double dblDate);
  double fractionIn(const Span& span, double dblDate);
  double sunEvent(int32_t lngDay, bool blnSet);
  double readingInDay(double dblFraction, int32_t lngDay);
};

}  // namespace nemora
