// The date record that every calendar shares, and the limits of day numbers.
#pragma once

#include <cstdint>

namespace nemora {

// Date types (udtDate::enmDateType).
enum DateType : int32_t {
  dtFixed = 0,
  dtJD = 1,
  dtJDE = 2,
  dtMJD = 3,
  dtGregorian = 4,
  dtJulian = 5,
  dtHebrew = 6,
  dtIslamic = 7,
};

// Largest magnitude of a fixed day number that the calendar conversions
// accept, and of an instant (day number with fraction) that the day-number
// forms and the sunset-to-sunset day accept.
inline constexpr int32_t kMaxFixedDay = 10592252;
inline constexpr double kMaxInstant = 10592250;

// A date of one date type. Day-number types (Fixed, JD, JDE, MJD) use dblDay;
// calendar types use year, month and day. A default record is 1 January 1 CE.
struct udtDate {
  int32_t enmDateType = dtFixed;
  double dblDay = 0;             // day count with fraction, types 0 to 3
  int16_t intDateOfMonth = 1;    // from 1
  int16_t intMonth = 1;          // from 1 (Hebrew 1 Nisan .. 13 Adar 2)
  int16_t intYear = 1;           // as the calendar counts it; see blnCE
  bool blnCE = true;             // false: intYear counts years before the era (1 = the year before year 1)
  bool blnEve = false;           // the instant lies in the evening before the civil date

  friend bool operator==(const udtDate&, const udtDate&) = default;
};

// A calendar date of the given type, all other fields at their defaults.
inline udtDate calendarDate(int32_t enmDateType, int16_t intYear, int16_t intMonth, int16_t intDateOfMonth,
                            bool blnCE = true) {
  udtDate d;
  d.enmDateType = enmDateType;
  d.intYear = intYear;
  d.intMonth = intMonth;
  d.intDateOfMonth = intDateOfMonth;
  d.blnCE = blnCE;
  return d;
}

// A day-number date (Fixed, JD, JDE or MJD).
inline udtDate dayNumberDate(int32_t enmDateType, double dblDay) {
  udtDate d;
  d.enmDateType = enmDateType;
  d.dblDay = dblDay;
  return d;
}

// The year in force of a date: astronomical numbering, 1 BCE is year 0.
inline int32_t yearInForce(const udtDate& d) { return d.blnCE ? d.intYear : 1 - d.intYear; }

}  // namespace nemora
