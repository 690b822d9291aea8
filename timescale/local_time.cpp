#include "timescale/local_time.h"

#include <cmath>

#include "base/session.h"
#include "calendar/gregorian.h"
#include "calendar/hebrew.h"
#include "timescale/time_text.h"
#include "base/date.h"
#include "timescale/day_bounds.h"

namespace nemora {

namespace {

// Offsets beyond these are no zone on Earth (a zone of +14 with daylight
// saving reaches +15).
constexpr double kMinOffset = -14;
constexpr double kMaxOffset = 15;

// The epoch of a zone history that applies at dblDate: the first without an
// end or whose last applicable instant is not before dblDate, else the last.
const udtTZHistory& epochAt(const udtLocation& location, double dblDate) {
  for (const udtTZHistory& epoch : location.udtTZ) {
    if (!epoch.blnLast || epoch.dblLastDate >= dblDate) return epoch;
  }
  return location.udtTZ.back();
}

}  // namespace

double clsLocalTime::GetTZ(double dblDate, bool& blnValid) { return GetTZ(session().udtLocation, dblDate, blnValid); }

double clsLocalTime::GetTZ(const udtLocation& location, double dblDate, bool& blnValid) {
  return guarded(blnValid, "cLocalTime.GetTZ", 0.0, [&] {
    if (!(std::fabs(dblDate) <= kMaxFixedDay)) raise("Magnitude of dblDate too large: ", dblDate);
    if (!location.blnAutoTZ || location.udtTZ.empty()) return offsetOf(location, dblDate, 0, 0, ChangeDayClock::Standard);
    // The change day is the local date of the instant in standard time. The
    // clock is counted in whole milliseconds so that an instant computed as
    // the change itself (say day + 7/24 in a zone 5 hours behind) is not
    // read as the moment before it.
    constexpr double kMsPerDay = 86400000;
    double ms = std::round((dblDate + epochAt(location, dblDate).dblTZ / 24) * kMsPerDay);
    double day = std::floor(ms / kMsPerDay);
    double hours = (ms - day * kMsPerDay) / 3600000;
    return offsetOf(location, dblDate, day, hours, ChangeDayClock::Standard);
  });
}

double clsLocalTime::GetTZLocal(const udtLocation& location, double dblDate, double dblClockHours, bool& blnValid) {
  return guarded(blnValid, "cLocalTime.GetTZ", 0.0, [&] {
    if (!(std::fabs(dblDate) <= kMaxFixedDay)) raise("Magnitude of dblDate too large: ", dblDate);
    return offsetOf(location, dblDate, dblDate, dblClockHours, ChangeDayClock::Wall);
  });
}

double clsLocalTime::offsetOf(const udtLocation& location, double dblEpochDate, double dblDay, double dblClockHours,
                              ChangeDayClock clock) {
  double offset = 0;
  if (!location.blnAutoTZ) {
    offset = location.dblTZ + (location.blnDST ? 1 : 0);
  } else {
    // A location without a zone history has no offset to give.
    if (location.udtTZ.empty()) raise("Number of time zone histories out of range: ", 0);
    const udtTZHistory& epoch = epochAt(location, dblEpochDate);
    offset = epoch.dblTZ + dstHours(location, epoch, dblDay, dblClockHours, clock);
  }
  if (!(offset >= kMinOffset && offset <= kMaxOffset)) raise("Magnitude of time zone too large: ", offset);
  return offset;
}

int clsLocalTime::dstHours(const udtLocation& location, const udtTZHistory& epoch, double dblDay,
                           double dblClockHours, ChangeDayClock clock) {
  if (!epoch.blnDST) return 0;
  int16_t s = compareWithRule(epoch.udtDSTStart, dblDay, true);
  int16_t e = compareWithRule(epoch.udtDSTEnd, dblDay, false);
  if (s != 0 && e != 0) {
    if (epoch.udtDSTStart.intMonth < epoch.udtDSTEnd.intMonth) {
      // Northern pattern: daylight saving between the two change days.
      return (s == -1 || e == 1) ? 0 : 1;
    }
    // Southern pattern: standard time between the change back and the change into daylight saving.
    return (e == 1 && s == -1) ? 0 : 1;
  }
  if (s != 0) {
    // The day of the change back: from intHour - 1 on the standard clock,
    // which on a wall clock makes the repeated hour standard time.
    return dblClockHours >= epoch.udtDSTEnd.intHour - 1 ? 0 : 1;
  }
  // The day of the change into daylight saving: the clock jumps from intHour to intHour + 1.
  int hour = epoch.udtDSTStart.intHour;
  if (clock == ChangeDayClock::Standard) return dblClockHours >= hour ? 1 : 0;
  if (dblClockHours <= hour) return 0;
  if (dblClockHours >= hour + 1) return 1;
  return location.blnDST ? 1 : 0;
}

int16_t clsLocalTime::compareWithRule(const udtDSTRule& rule, double dblDate, bool blnFirst) {
  bool ok = true;
  int16_t result = 0;
  if (rule.enmDateType == dtGregorian) {
    result = session().gregorian.BeforeOnAfter(rule.intDayOfWeek, rule.intDateOfMonth, rule.intWeekNo,
                                               rule.intMonth, dblDate, ok);
  } else if (rule.enmDateType == dtHebrew) {
    result = session().hebrew.BeforeOnAfter(rule.intDayOfWeek, rule.intDateOfMonth, rule.intWeekNo,
                                            rule.intMonth, dblDate, ok);
  } else if (blnFirst) {
    raise("invalid clock-change date-type.", rule.enmDateType);
  } else {
    raise("invalid clock-change date-type.");
  }
  if (!ok) abandon();
  return result;
}

double clsLocalTime::FromLocal(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType) {
  return guarded(blnValid, "cLocalTime.FromLocal", 0.0, [&] {
    // The local clock of the record decides on a change day of the input date.
    bool ok = true;
    double hours = session().timeText.FromAMPM(udtTimeIn, ok);
    if (!ok) abandon();
    double offset = GetTZLocal(session().udtLocation, session().dblFixDate, hours, ok);
    if (!ok) abandon();
    double fraction = (hours - offset) / 24 + (udtTimeIn.blnSecondTime ? 1 : 0);
    if (beginsAtSunset(enmDateType)) {
      session().hebrew.EveningShift(inputDay(session()), fraction, ok, udtTimeIn.blnSecondTime);
      if (!ok) abandon();
    }
    return fraction;
  });
}

void clsLocalTime::ToLocal(double dblDate, udtTime& udtTimeOut, bool& blnValid) {
  guardedVoid(blnValid, "cLocal.ToLocal", [&] {
    if (!(std::fabs(dblDate) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblDate);
    bool ok = true;
    double offset = GetTZ(dblDate, ok);
    if (!ok) abandon();
    double hours = (dblDate - std::floor(dblDate)) * 24 + offset;
    hours -= 24 * std::floor(hours / 24);
    if (hours >= 24) hours = 0;  // a sliver below 0 that the reduction left at 24
    udtTime result;
    result.enmTimeType = ttLocal;
    splitClockHours(session(), hours, result);
    session().timeText.ToAMPM(result, ok);
    if (!ok) abandon();
    udtTimeOut = result;
  });
}

void clsLocalTime::StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd,
                                 bool& blnValid, int16_t& intDayShift) {
  guardedVoid(blnValid, "cLocalTime.StartEndOfDay", [&] {
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblDate too large: ", dblFix);
    intDayShift = 0;
    if (beginsAtSunset(enmDateType)) {
      sunsetDayBounds(session(), dblFix, dblStart, dblEnd, intDayShift);
    } else {
      bool ok = true;
      double z = GetTZ(dblFix, ok) / 24;
      if (!ok) abandon();
      // One offset for both ends: the local day is 24 hours long.
      dblStart = std::floor(dblFix + z) - z;
      dblEnd = std::floor(dblFix + z + 1) - z;
    }
    checkDayBounds(dblFix, dblStart, dblEnd, 1.05);
  });
}

double clsLocalTime::ZeroTime(double dblFix) {
  bool ok = true;
  double offset = GetTZ(dblFix, ok);
  return ok ? -offset / 24 : 0.0;
}

}  // namespace nemora
