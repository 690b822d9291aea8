// Sidereal time: the hour angle of the mean equinox at Greenwich (GMST) and
// at the observer's longitude (LST). A sidereal day lasts 0.99726956633 solar
// days, so the clock readings of the first 3 min 56 s of a solar day come
// again at its end; those later instants are the second occurrence.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

// Length of a sidereal day in solar days.
inline constexpr double kSiderealDay = 0.99726956633;

// Mean sidereal time at 0 h UT of the civil date of lngDay, in hours (may
// lie outside 0 to 24): 6.697374558 + 2400.0513385167 T + 0.000025862 T^2
// - 1.72e-9 T^3 with T in Julian centuries from J2000.0 to that midnight.
double MeanSiderealHoursAtMidnight(int32_t lngDay);

// GMST as a fraction of the sidereal day, [0, 1), of an instant (UT).
double GMSTFraction(double dblDate);

class clsGMST : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // GMST in degrees, [0, 360), of an instant (UT), from the expression of
  // the IAU 1982 model in days from J2000.0.
  double FixToGMST(double dblFix, bool& blnValid);

  // UT day fraction (from the start of the UT day of the input date) of the
  // first instant of the calendar day at which GMST reads the record's hours
  // (plus one sidereal day for a second occurrence).
  double FromGMST(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType);

  // The GMST record of an instant (UT), always on the 24-hour clock.
  void ToGMST(double dblDate, udtTime& udtTimeOut, bool& blnValid);
};

class clsLST : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // LST in degrees, [0, 360): GMST plus the east longitude.
  double FixToLST(double dblFix, bool& blnValid);

  // UT day fraction (from the start of the UT day of the input date) of the
  // first instant of the calendar day (mean midnight to mean midnight at the
  // current longitude, or sunset to sunset) at which LST reads the record's
  // hours (plus one sidereal day for a second occurrence).
  double FromLST(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType);

  // The LST record of an instant (UT), always on the 24-hour clock.
  void ToLST(double dblDate, udtTime& udtTimeOut, bool& blnValid);

  // The UT day fraction at which the local mean day begins: -longitude / 360.
  double ZeroTime() const;
};

}  // namespace nemora
