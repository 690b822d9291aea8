// Mean solar time at the observer's longitude: UT shifted by the longitude,
// 15 degrees to the hour (east ahead of Greenwich).
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

class clsMeanSolar : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // UT day fraction (from the start of the UT day of the input date) of a
  // mean-solar record on the input date. For Hebrew and Islamic dates the
  // fraction moves by whole days into the day from sunset to sunset; for
  // other date types a second occurrence is refused.
  double FromMeanSolar(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType);

  // The mean-solar record of an instant (UT), in the display's clock form.
  void ToMeanSolar(double dblDate, udtTime& udtTimeOut, bool& blnValid);

  // UT instants of the start and end of the calendar day containing dblFix:
  // mean midnight to mean midnight at the current longitude, or sunset to
  // sunset for Hebrew and Islamic dates.
  void StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd, bool& blnValid,
                     int16_t& intDayShift);

  // The UT day fraction at which the mean solar day begins: -longitude / 360.
  double ZeroTime() const;
};

}  // namespace nemora
