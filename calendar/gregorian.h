// The proleptic Gregorian calendar on fixed day numbers (day 1 is Monday,
// 1 January of year 1), the day of the week, and the comparison of a date
// with a weekday rule such as a daylight-saving changeover.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "base/session_bound.h"
#include "base/date.h"
#include "calendar/one_entry_store.h"

namespace nemora {

// Fixed day of a Gregorian date in astronomical years, without checks.
int64_t fixedFromGregorian(int64_t year, int64_t month, int64_t day);
// Astronomical Gregorian year of a fixed day, without checks.
int64_t gregorianYearFromFixed(int64_t lngDate);
bool isGregorianLeapYear(int64_t year);
// 28 to 31 for month 1 to 12 of an astronomical year, without checks.
int16_t gregorianMonthLength(int64_t month, int64_t year);

class clsGregorian : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Leap year of an astronomical year (1 BCE is year 0).
  bool GregorianLeapYear(int32_t year) const { return isGregorianLeapYear(year); }
  // Fixed day number of a Gregorian date (enmDateType 4).
  int32_t gregorian_fixed(const udtDate& date, bool& blnValid);
  // Astronomical year of a fixed day.
  int32_t fixed_gregorianYear(int32_t lngDate, bool& blnValid);
  // Gregorian date of a fixed day: type 4, blnCE true, astronomical year
  // (0 and negative years occur). dblDay and blnEve are left as they were.
  void fixed_gregorian(int32_t lngDate, udtDate& udtDateOut, bool& blnValid);
  // 28 to 31.
  int16_t DaysInGregorianMonth(int16_t intMonth, int32_t year, bool& blnValid) const;
  // Month name in the session's language; the number as text outside 1 to 12.
  std::string GregorianMonthName(int16_t intMonth);
  // 0 Sunday .. 6 Saturday of the day containing the instant.
  int16_t fixed_DayOfWeek(double dblDate) const;
  // -1, 0 or 1 as the date of dblDate lies before, on or after the day that
  // the weekday rule selects in the same year. The rule: week 0 the date
  // intDateOfMonth itself; weeks 1 to 4 the first intDayOfWeek on or after
  // intDateOfMonth + 7 (week - 1); week 5 the last intDayOfWeek of the month.
  int16_t BeforeOnAfter(int16_t intDayOfWeek, int16_t intDateOfMonth, int16_t intWeekNo, int16_t intMonth,
                        double dblDate, bool& blnValid);

 private:
  struct YMD {
    int16_t year = 0, month = 0, day = 0;
  };
  OneEntryStore<udtDate, int32_t> storeGregorianFixed_;
  OneEntryStore<int32_t, int32_t> storeGregorianYear_;
  OneEntryStore<int32_t, YMD> storeFixedGregorian_;
  OneEntryStore<std::tuple<int16_t, int16_t>, std::string> storeMonthName_;  // month, language
};

}  // namespace nemora
