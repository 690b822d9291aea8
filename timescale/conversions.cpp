#include "timescale/conversions.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/session.h"
#include "calendar/julian_day.h"
#include "timescale/date_text.h"
#include "timescale/jde.h"
#include "timescale/local_time.h"
#include "timescale/mean_solar.h"
#include "timescale/seasonal.h"
#include "timescale/true_solar.h"
#include "timescale/utc.h"
#include "timescale/day_bounds.h"
#include "timescale/sidereal.h"
#include "timescale/sunset_day.h"
#include "timescale/time_text.h"

namespace nemora {
namespace {

bool validDateType(int32_t type) { return type >= dtFixed && type <= dtIslamic; }
bool validTimeType(int32_t type) { return type >= ttUTC && type <= ttSeasonal; }

void abandonUnless(bool ok) {
  if (!ok) abandon();
}

}  // namespace

void checkDayBoundsPlausible(double dblFix, double dblStart, double dblEnd) {
  if (!(dblStart <= dblEnd && dblEnd <= dblStart + 2.002))
    raise("Difference between dblEnd and dblStart out of range: ", dblEnd, " - ", dblStart, " = ",
          dblEnd - dblStart);
  if (!(dblFix - 1.6 <= dblStart && dblStart <= dblFix + 0.6))
    raise("Difference between dblFix and dblStart out of range: ", dblFix, " - ", dblStart, " = ",
          dblFix - dblStart);
  if (!(dblFix - 0.6 <= dblEnd && dblEnd <= dblFix + 1.6))
    raise("Difference between dblEnd and dblFix out of range: ", dblEnd, " - ", dblFix, " = ", dblEnd - dblFix);
}

double Conversions::ZeroTime(double dblDate, int32_t enmTimeType, bool& blnValid) {
  return guarded(blnValid, "ZeroTime", 0.0, [&] {
    Session& s = session();
    switch (enmTimeType) {
      case ttUTC:
      case ttGMST: return 0.0;
      case ttLocal: return s.localTime.ZeroTime(dblDate);
      case ttMeanSolar: return s.meanSolar.ZeroTime();
      // The sidereal day of a date runs from mean midnight to mean midnight
      // at the longitude (its day bounds are those of mean solar time), so
      // its day begins where the mean solar day does.
      case ttLST: return s.lst.ZeroTime();
      // Seasonal days are counted on the true solar clock.
      case ttTrueSolar:
      case ttSeasonal: {
        bool ok = true;
        double z = s.trueSolar.ZeroTime(dblDate, ok);
        abandonUnless(ok);
        return z;
      }
      default: raise("Invalid time type: ", enmTimeType);
    }
  });
}

void Conversions::StartEndOfDay(double dblFix, int32_t enmDateType, int32_t enmTimeType, double& dblStart,
                                double& dblEnd, bool& blnValid, int16_t& intDayShift) {
  guardedVoid(blnValid, "StartEndOfDay", [&] {
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblFix);
    if (!validDateType(enmDateType)) raise("Invalid date type: ", enmDateType);
    if (!validTimeType(enmTimeType)) raise("Invalid time type: ", enmTimeType);
    intDayShift = 0;
    if (isDayNumberType(enmDateType)) {
      dblStart = std::floor(dblFix);
      dblEnd = dblStart + 1;
    } else {
      Session& s = session();
      bool ok = true;
      switch (enmTimeType) {
        case ttUTC:
        case ttGMST: s.utc.StartEndOfDay(dblFix, enmDateType, dblStart, dblEnd, ok, intDayShift); break;
        case ttLocal: s.localTime.StartEndOfDay(dblFix, enmDateType, dblStart, dblEnd, ok, intDayShift); break;
        case ttMeanSolar:
        case ttLST: s.meanSolar.StartEndOfDay(dblFix, enmDateType, dblStart, dblEnd, ok, intDayShift); break;
        case ttTrueSolar:
        case ttSeasonal: s.trueSolar.StartEndOfDay(dblFix, enmDateType, dblStart, dblEnd, ok, intDayShift); break;
        default: raise("Invalid time type: ", enmTimeType);
      }
      abandonUnless(ok);
    }
    checkDayBoundsPlausible(dblFix, dblStart, dblEnd);
  });
}

Conversions::CalendarDay Conversions::calendarDayOf(double t, int32_t enmDateType, int32_t enmTimeType) {
  bool ok = true;
  double start = 0, end = 0;
  int16_t shift = 0;
  StartEndOfDay(t, enmDateType, enmTimeType, start, end, ok, shift);
  abandonUnless(ok);
  if (beginsAtSunset(enmDateType)) {
    // A day from sunset to sunset is the date of the civil day on whose
    // evening it ends; the bounds tell how far that civil day lies from t's.
    return {static_cast<int32_t>(std::floor(t)) + shift, start};
  }
  if (enmTimeType == ttTrueSolar || enmTimeType == ttSeasonal) {
    // True solar days are up to half a minute longer or shorter than 24
    // hours, so the day is the one whose bounds hold t; it is named by the
    // local mean day in which its middle (the Sun's upper transit) falls.
    double L = session().udtLocation.dblLongitude / 360;
    return {static_cast<int32_t>(std::floor((start + end) / 2 + L)), start};
  }
  // Days from midnight to midnight of the scale's clock: the day number is
  // that of the clock reading, found with the scale's zero time at t and a
  // day later (the two differ across a change of the clock).
  auto Z = [&](double x) {
    double z = ZeroTime(x, enmTimeType, ok);
    abandonUnless(ok);
    return z;
  };
  int32_t k = 0;
  double z1 = Z(t + 1);
  for (int step = 0; std::floor(t + 1 - z1) + k + z1 < t && step < 2; ++step) z1 = Z(t + 1 + ++k);
  double z0 = Z(t);
  for (int step = 0; std::floor(t - z0) + k + z1 > t && step < 2; ++step) z0 = Z(t + --k);
  if (std::floor(t - z0) + k + z0 < start) ++k;
  auto day = static_cast<int32_t>(std::floor(t - z0) + k);
  // The day's start seen from an instant early in that day, so that a clock
  // change later in the day does not move it. West of the scale's zero the
  // UT midnight of the day number lies in the previous day of the scale.
  if (z0 > 0) ++k;
  StartEndOfDay(std::floor(t + k - z0), enmDateType, enmTimeType, start, end, ok, shift);
  abandonUnless(ok);
  return {day, start};
}

void Conversions::ToDateTime(double dblFixed, udtDate& udtDateOut, int32_t enmDateType, udtTime& udtTimeOut,
                             int32_t enmTimeType, bool& blnValid) {
  guardedVoid(blnValid, "ToDateTime", [&] {
    if (!validTimeType(enmTimeType)) raise("Invalid time type: ", enmTimeType);
    if (!validDateType(enmDateType)) raise("Invalid date type: ", enmDateType);
    if (!(std::fabs(dblFixed) <= kMaxInstant)) raise("Magnitude of dblFixed too large: ", dblFixed);
    Session& s = session();
    bool ok = true;
    udtDate date;
    date.enmDateType = enmDateType;
    switch (enmDateType) {
      case dtFixed: date.dblDay = dblFixed; break;
      case dtJD: date.dblDay = s.jd.fixed_jd(dblFixed, ok); break;
      case dtJDE: date.dblDay = s.jde.fixed_jde(dblFixed, ok); break;
      case dtMJD: date.dblDay = s.mjd.fixed_mjd(dblFixed, ok); break;
      default: break;
    }
    abandonUnless(ok);
    if (isDayNumberType(enmDateType)) {
      udtDateOut = date;
      return;
    }
    CalendarDay day = calendarDayOf(dblFixed, enmDateType, enmTimeType);
    s.dateText.ToDate(day.lngDay, enmDateType, date, ok);
    abandonUnless(ok);
    // The evening of a day that begins at sunset: from that sunset to the
    // following local mean midnight (UT instant floor(start + L) + 1 - L).
    double L = s.udtLocation.dblLongitude / 360;
    date.blnEve = beginsAtSunset(enmDateType) && dblFixed < std::floor(day.dblStart + L) + 1 - L;
    udtTime time;
    FixedToTime(dblFixed, time, day.dblStart, enmTimeType, enmDateType, ok);
    abandonUnless(ok);
    udtDateOut = date;
    udtTimeOut = time;
  });
}

bool Conversions::localReadingRepeated(double dblFix, double dblStart) {
  Session& s = session();
  bool ok = true;
  double offset = s.localTime.GetTZ(dblFix, ok);
  abandonUnless(ok);
  double offsetAtStart = s.localTime.GetTZ(dblStart, ok);
  abandonUnless(ok);
  if (!(offsetAtStart > offset)) return false;
  // The clock went back during the day: the same reading came
  // (offsetAtStart - offset) hours earlier if the old offset was still in
  // force then.
  double earlier = dblFix - (offsetAtStart - offset) / 24;
  if (earlier < dblStart) return false;
  double offsetEarlier = s.localTime.GetTZ(earlier, ok);
  abandonUnless(ok);
  return offsetEarlier == offsetAtStart;
}

void Conversions::FixedToTime(double dblFix, udtTime& udtTimeOut, double dblStart, int32_t enmTimeType,
                              int32_t enmDateType, bool& blnValid) {
  guardedVoid(blnValid, "frmMain.FixedToTime", [&] {
    if (!(std::fabs(dblFix) <= kMaxFixedDay)) raise("Magnitude of dblFix too large: ", dblFix);
    if (!validTimeType(enmTimeType)) raise("Invalid time type: ", enmTimeType);
    Session& s = session();
    bool ok = true;
    udtTime time;
    switch (enmTimeType) {
      case ttUTC: s.utc.ToUTC(dblFix, time, ok); break;
      case ttLocal: s.localTime.ToLocal(dblFix, time, ok); break;
      case ttMeanSolar: s.meanSolar.ToMeanSolar(dblFix, time, ok); break;
      case ttGMST: s.gmst.ToGMST(dblFix, time, ok); break;
      case ttLST: s.lst.ToLST(dblFix, time, ok); break;
      case ttTrueSolar: s.trueSolar.ToTrueSolar(dblFix, time, ok); break;
      case ttSeasonal: s.seasonal.ToSeasonal(dblFix, time, ok); break;
      default: raise("Invalid time type: ", enmTimeType);
    }
    abandonUnless(ok);
    // The reading came already earlier in the same calendar day: a day from
    // sunset to sunset may be longer than 24 hours, a sidereal day is
    // 3 min 56 s shorter than a solar day, and a local clock that is set back
    // shows the readings of the hour before the change again.
    double e = dblFix - dblStart;
    bool sidereal = enmTimeType == ttGMST || enmTimeType == ttLST;
    if (enmTimeType == ttLocal && !beginsAtSunset(enmDateType)) {
      time.blnSecondTime = localReadingRepeated(dblFix, dblStart);
    } else if (enmTimeType == ttTrueSolar) {
      time.blnSecondTime = trueSolarReadingRepeated(dblFix, dblStart, enmDateType);
    } else if (enmTimeType == ttSeasonal) {
      time.blnSecondTime = seasonalReadingRepeated(dblFix, dblStart, enmDateType);
    } else {
      time.blnSecondTime = e >= (sidereal ? kSiderealDay : 1.0);
    }
    udtTimeOut = time;
  });
}

double Conversions::TimeToFixed(const udtTime& udtTime, bool& blnValid, int32_t enmDateType, bool blnPermitSecond) {
  Session& s = session();
  double day = std::floor(s.dblFixDate);
  if (!validTimeType(udtTime.enmTimeType)) {
    // No handler of its own: a plain message, and the day itself.
    s.showMessage("Invalid time type in TimeToFixed");
    blnValid = false;
    return day;
  }
  return guarded(blnValid, "TimeToFixed", day, [&] {
    bool ok = true;
    double fraction = 0;
    switch (udtTime.enmTimeType) {
      case ttUTC: fraction = s.utc.FromUTC(udtTime, ok, enmDateType, blnPermitSecond); break;
      case ttLocal: fraction = s.localTime.FromLocal(udtTime, ok, enmDateType); break;
      case ttMeanSolar: fraction = s.meanSolar.FromMeanSolar(udtTime, ok, enmDateType); break;
      case ttGMST: fraction = s.gmst.FromGMST(udtTime, ok, enmDateType); break;
      case ttLST: fraction = s.lst.FromLST(udtTime, ok, enmDateType); break;
      case ttTrueSolar: fraction = s.trueSolar.FromTrueSolar(udtTime, ok, enmDateType); break;
      case ttSeasonal: fraction = s.seasonal.FromSeasonal(udtTime, ok); break;
      default: raise("Invalid time type: ", udtTime.enmTimeType);
    }
    abandonUnless(ok);
    double t = day + fraction;
    if (udtTime.enmTimeType == ttSeasonal && !beginsAtSunset(enmDateType))
      t = seasonalReadingOnDate(t, udtTime, static_cast<int32_t>(day), enmDateType);
    bool solarClock = udtTime.enmTimeType == ttUTC || udtTime.enmTimeType == ttLocal ||
                      udtTime.enmTimeType == ttMeanSolar;
    if (beginsAtSunset(enmDateType) && solarClock) {
      t = readingInSunsetDay(t, static_cast<int32_t>(day), udtTime.blnSecondTime);
    } else if (udtTime.enmTimeType == ttLocal) {
      t = localReadingOnDate(t, udtTime, static_cast<int32_t>(day));
    }
    return t;
  });
}

bool Conversions::trueSolarReadingRepeated(double dblFix, double dblStart, int32_t enmDateType) {
  // Only a day from sunset to sunset can be longer than a true solar day.
  double e = dblFix - dblStart;
  if (e < 0.999 || !beginsAtSunset(enmDateType)) return false;
  if (e > 1.001) return true;
  // Near one day: repeated when the Sun has turned a little more than once
  // since the day began.
  Session& s = session();
  bool ok = true;
  double now = s.trueSolar.SunHourAngle(dblFix, ok);
  abandonUnless(ok);
  double atStart = s.trueSolar.SunHourAngle(dblStart, ok);
  abandonUnless(ok);
  return Deg360(now - atStart) < 180;
}

bool Conversions::seasonalReadingRepeated(double dblFix, double dblStart, int32_t enmDateType) {
  // A seasonal day runs from sunset to sunset, as do Hebrew and Islamic days:
  // no reading comes twice in them. A day from midnight to midnight holds
  // the end of one night and the start of the next; a night reading may come
  // in both when the evening's night hours run slower, in the last minutes
  // of the day.
  if (beginsAtSunset(enmDateType) || dblFix - dblStart < 0.9) return false;
  bool ok = true;
  double previous = session().seasonal.PreviousReading(dblFix, ok);
  abandonUnless(ok);
  return previous >= dblStart;
}

double Conversions::seasonalReadingOnDate(double t, const ::nemora::udtTime& udtTime, int32_t lngDay,
                                          int32_t enmDateType) {
  // A night reading on a date whose day runs from midnight to midnight: the
  // night before the date began at the sunset of the previous day; where the
  // reading falls before the date's first midnight it belongs to the night
  // that begins at the date's own sunset.
  if (udtTime.blnSecondTime) return t;
  Session& s = session();
  bool ok = true;
  double start = 0, end = 0;
  int16_t shift = 0;
  double noon = lngDay + 0.5 - s.udtLocation.dblLongitude / 360;
  s.trueSolar.StartEndOfDay(noon, enmDateType, start, end, ok, shift);
  abandonUnless(ok);
  if (t >= start) return t;
  ::nemora::udtTime evening = udtTime;
  evening.blnSecondTime = true;
  double fraction = s.seasonal.FromSeasonal(evening, ok);
  abandonUnless(ok);
  return lngDay + fraction;
}

double Conversions::readingInSunsetDay(double t, int32_t lngDay, bool blnSecondTime) {
  // A solar clock repeats its readings every whole day: the reading's first
  // instant in the date's day (from the sunset before the civil day to the
  // sunset on it) is the one within a day of that first sunset; a second
  // occurrence comes a day later, where the day is longer than 24 hours.
  double start = 0, end = 0;
  sunsetsAroundDate(session(), lngDay, start, end);
  double first = t - std::floor(t - start);
  return blnSecondTime ? first + 1 : first;
}

double Conversions::localReadingOnDate(double t, const ::nemora::udtTime& udtTime, int32_t lngDay) {
  // The instants of the local date at which the clock shows the reading: one
  // offset in force at the instant it gives. Two when the clocks went back
  // (the first on the earlier offset), none in the hour they skipped (then
  // the local-time class's choice stands).
  Session& s = session();
  bool ok = true;
  double hours = s.timeText.FromAMPM(udtTime, ok);
  abandonUnless(ok);
  double offset = s.localTime.GetTZ(t, ok);
  abandonUnless(ok);
  std::vector<double> readings;
  for (double o : {offset + 1, offset, offset - 1}) {
    double candidate = lngDay + (hours - o) / 24;
    double inForce = s.localTime.GetTZ(candidate, ok);
    abandonUnless(ok);
    if (inForce == o) readings.push_back(candidate);
  }
  if (readings.empty()) return t;
  std::sort(readings.begin(), readings.end());
  return udtTime.blnSecondTime && readings.size() > 1 ? readings[1] : readings[0];
}

void Conversions::EvaluateTime(bool& blnValid) {
  Session& s = session();
  double t = TimeToFixed(s.udtTimeIn, blnValid, s.udtDateIn.enmDateType, false);
  if (blnValid) s.dblFixTime = t - std::floor(s.dblFixDate);
}

}  // namespace nemora
