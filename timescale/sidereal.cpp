#include "timescale/sidereal.h"

#include <cmath>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/session.h"
#include "timescale/utc.h"
#include "base/date.h"
#include "timescale/day_bounds.h"
#include "timescale/sunset_day.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

// JD of fixed day 0 at midnight, and of J2000.0 (1 January 2000, 12 h TT,
// taken on UT here as the sidereal-time expressions do).
constexpr double kJDOfFixedZero = 1721424.5;
constexpr double kJ2000 = 2451545.0;
constexpr double kDaysPerCentury = 36525.0;
// Fixed instant of J2000.0.
constexpr double kFixedJ2000 = kJ2000 - kJDOfFixedZero;

// Decimal hours of a record in its own clock form, checked; abandons the
// caller after the message of a record that cannot be read.
double recordHours(Session& session, const udtTime& t) {
  bool ok = true;
  double hours = session.timeText.FromAMPM(t, ok);
  if (!ok) abandon();
  return hours;
}

// Puts a 24-hour record into its display form; abandons after a message.
void displayForm(Session& session, udtTime& t) {
  bool ok = true;
  session.timeText.ToAMPM(t, ok);
  if (!ok) abandon();
}

// The instant of the calendar day [dblStart, dblEnd] at which a sidereal
// clock that reads fractionAtStart at dblStart reads dayFraction: the first
// such instant, or the one a sidereal day later for a second occurrence.
// Raises when that reading does not come (again) before the day ends.
double siderealReadingInDay(double dblStart, double dblEnd, double fractionAtStart, double dayFraction,
                            bool blnSecondTime) {
  double t = dblStart + FracPart(dayFraction - fractionAtStart) * kSiderealDay;
  if (blnSecondTime) t += kSiderealDay;
  if (t >= dblEnd)
    raise("This time does not occur a second time on this date: ", generalNumber(dayFraction * 24));
  return t;
}

}  // namespace

double MeanSiderealHoursAtMidnight(int32_t lngDay) {
  double T = (lngDay + kJDOfFixedZero - kJ2000) / kDaysPerCentury;
  return 6.697374558 + 2400.0513385167 * T + 0.000025862 * T * T - 1.72e-9 * T * T * T;
}

double GMSTFraction(double dblDate) {
  double day = std::floor(dblDate);
  return FracPart(MeanSiderealHoursAtMidnight(static_cast<int32_t>(day)) / 24 + (dblDate - day) / kSiderealDay);
}

// ---- GMST ----------------------------------------------------------------

double clsGMST::FixToGMST(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cGMST.FixToGMST", 0.0, [&] {
    if (!(std::fabs(dblFix) <= kMaxFixedDay)) raiseFrom("cLST.FixToLST", "Magnitude of dblFix too large: ", dblFix);
    double days = dblFix - kFixedJ2000;
    double T = days / kDaysPerCentury;
    // 360.98564736629 degrees per day; written in days rather than centuries
    // so that the large product loses no precision.
    return Deg360(280.46061837 + 360.98564736629 * days + 0.000387933 * T * T - T * T * T / 38710000);
  });
}

double clsGMST::FromGMST(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType) {
  return guarded(blnValid, "cGMST.FromGMST", 0.0, [&] {
    Session& s = session();
    double hours = recordHours(s, udtTimeIn);
    int32_t day = inputDay(s);
    // Days from sunset to sunset, or the UT day of the date.
    double start = day, end = day + 1.0;
    if (beginsAtSunset(enmDateType)) sunsetsAroundDate(s, day, start, end);
    double t = siderealReadingInDay(start, end, GMSTFraction(start), hours / 24, udtTimeIn.blnSecondTime);
    return t - day;
  });
}

void clsGMST::ToGMST(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cGMST.ToGMST", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    Session& s = session();
    bool ok = true;
    double start = 0, end = 0;
    int16_t shift = 0;
    s.utc.StartEndOfDay(dblDate, s.udtDateIn.enmDateType, start, end, ok, shift);
    if (!ok) abandon();
    udtTime result;
    result.enmTimeType = ttGMST;
    result.bln24Hour = true;
    splitClockHours(s, 24 * GMSTFraction(dblDate), result);
    result.blnSecondTime = (dblDate - start) / kSiderealDay >= 1;
    displayForm(s, result);
    udtTimeOut = result;
  });
}

// ---- LST -----------------------------------------------------------------

namespace {
// LST as a fraction of the sidereal day at the given east longitude.
double LSTFraction(double dblDate, double dblLongitude) { return FracPart(GMSTFraction(dblDate) + dblLongitude / 360); }
}  // namespace

double clsLST::FixToLST(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cLST.FixToLST", 0.0, [&] {
    if (!(std::fabs(dblFix) <= kMaxFixedDay)) raise("Magnitude of dblFix too large: ", dblFix);
    double longitude = session().udtLocation.dblLongitude;
    if (!(longitude > -180 && longitude <= 180)) raise("Invalid longitude: ", longitude);
    bool ok = true;
    double gmst = session().gmst.FixToGMST(dblFix, ok);
    if (!ok) abandon();
    return Deg360(gmst + longitude);
  });
}

double clsLST::FromLST(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType) {
  return guarded(blnValid, "cLST.FromLST", 0.0, [&] {
    Session& s = session();
    double hours = recordHours(s, udtTimeIn);
    double longitude = s.udtLocation.dblLongitude;
    int32_t day = inputDay(s);
    // Days from sunset to sunset, or mean midnight to mean midnight at the
    // longitude: the day that the conversions to a date give for LST.
    double start = day - longitude / 360, end = start + 1;
    if (beginsAtSunset(enmDateType)) sunsetsAroundDate(s, day, start, end);
    double t = siderealReadingInDay(start, end, LSTFraction(start, longitude), hours / 24, udtTimeIn.blnSecondTime);
    return t - day;
  });
}

void clsLST::ToLST(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cLST.ToLST", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    Session& s = session();
    udtTime result;
    result.enmTimeType = ttLST;
    result.bln24Hour = true;
    splitClockHours(s, 24 * LSTFraction(dblDate, s.udtLocation.dblLongitude), result);
    double u = dblDate - std::floor(dblDate);
    result.blnSecondTime = u / kSiderealDay > 1;
    displayForm(s, result);
    udtTimeOut = result;
  });
}

double clsLST::ZeroTime() const { return -session().udtLocation.dblLongitude / 360; }

}  // namespace nemora
