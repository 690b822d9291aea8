// The time record, the time scales it can be tagged with, and the zone
// history with its daylight-saving changeover rules.
#pragma once

#include <cstdint>

#include "base/dms_record.h"

namespace nemora {

// Time scales (udtTime::enmTimeType), in the order of the time lists.
enum enmTimeType : int32_t {
  ttUTC = 0,
  ttLocal = 1,
  ttMeanSolar = 2,
  ttTrueSolar = 3,
  ttGMST = 4,
  ttLST = 5,
  ttSeasonal = 6,
};

// A time of day in one time scale.
struct udtTime {
  int32_t enmTimeType = ttUTC;  // an enmTimeType value
  bool bln24Hour = true;        // false: 12-hour clock, with blnPM
  bool blnPM = false;           // 12-hour clock: afternoon (seasonal time: the day half)
  ::nemora::udtDms udtDms;      // hours, minutes, seconds and sign
  bool blnSecondTime = false;   // the second occurrence of this clock time in the calendar day

  friend bool operator==(const udtTime&, const udtTime&) = default;
};

// One daylight-saving changeover rule: the change happens at intHour on the
// clock in force before it, on the day the weekday rule selects in the
// calendar enmDateType (4 Gregorian or 6 Hebrew).
struct udtDSTRule {
  int16_t intHour = 0;         // 0 to 23
  int16_t intDayOfWeek = 0;    // 0 Sunday to 6 Saturday
  int16_t intWeekNo = 0;       // 0: the date itself; 1 to 4: n-th weekday from the date; 5: last in the month
  int16_t intDateOfMonth = 1;  // 0 to 31 as read; 1 to 31 to be evaluated
  int16_t intMonth = 1;        // 1 to 12 (Hebrew rules: 1 Nisan .. 13 Adar 2)
  int32_t enmDateType = 4;     // 4 Gregorian or 6 Hebrew

  friend bool operator==(const udtDSTRule&, const udtDSTRule&) = default;
};

// One epoch of a zone history. Epochs are listed in chronological order; an
// epoch applies up to and including dblLastDate, the last one usually has no end.
struct udtTZHistory {
  bool blnLast = false;     // the epoch has a last applicable instant
  double dblLastDate = 0;   // that instant, fixed day number; only with blnLast
  double dblTZ = 0;         // standard zone, hours ahead of UT, -14 to 14
  bool blnDST = false;      // the epoch observes daylight saving
  udtDSTRule udtDSTStart;   // the change into daylight saving
  udtDSTRule udtDSTEnd;     // the change back to standard time

  friend bool operator==(const udtTZHistory&, const udtTZHistory&) = default;
};

}  // namespace nemora
