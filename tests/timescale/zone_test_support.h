// Shared pieces of the time-scale and location tests: compact zone histories
// and time records.
#pragma once

#include <cstdint>

#include "base/date.h"
#include "base/location_types.h"
#include "base/time_types.h"

namespace nemora::testing {

inline udtDSTRule rule(int16_t hour, int16_t dayOfWeek, int16_t week, int16_t dateOfMonth, int16_t month,
                       int32_t dateType = dtGregorian) {
  udtDSTRule r;
  r.intHour = hour;
  r.intDayOfWeek = dayOfWeek;
  r.intWeekNo = week;
  r.intDateOfMonth = dateOfMonth;
  r.intMonth = month;
  r.enmDateType = dateType;
  return r;
}

inline udtTZHistory epoch(double zone, bool dst = false, udtDSTRule start = {}, udtDSTRule end = {}) {
  udtTZHistory e;
  e.dblTZ = zone;
  e.blnDST = dst;
  e.udtDSTStart = start;
  e.udtDSTEnd = end;
  return e;
}

inline udtTZHistory endingAt(udtTZHistory e, double lastDate) {
  e.blnLast = true;
  e.dblLastDate = lastDate;
  return e;
}

// Last Sunday of March at 2:00 to last Sunday of October at 2:00.
inline udtTZHistory northernEpoch(double zone) {
  return epoch(zone, true, rule(2, 0, 5, 1, 3), rule(2, 0, 5, 1, 10));
}
// First Sunday of October to first Sunday of April, at 2:00.
inline udtTZHistory southernEpoch(double zone) {
  return epoch(zone, true, rule(2, 0, 1, 1, 10), rule(2, 0, 1, 1, 4));
}

inline void useZoneHistory(udtLocation& location, std::initializer_list<udtTZHistory> epochs) {
  location.blnAutoTZ = true;
  location.udtTZ.assign(epochs.begin(), epochs.end());
  location.intNTZ = static_cast<int16_t>(location.udtTZ.size());
}

inline udtTime clock24(int32_t type, int16_t hours, int16_t minutes = 0, double seconds = 0) {
  udtTime t;
  t.enmTimeType = type;
  t.udtDms.intDegreesHours = hours;
  t.udtDms.intMinutes = minutes;
  t.udtDms.dblSeconds = seconds;
  return t;
}

}  // namespace nemora::testing
