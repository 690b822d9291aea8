#include "calendar/julian.h"

#include <cstdlib>

#include "calendar/day_arithmetic.h"

namespace nemora {
namespace {

bool isJulianLeap(int64_t astronomicalYear) { return floorMod(astronomicalYear, 4) == 0; }

int16_t julianMonthLength(int64_t month, int64_t astronomicalYear) {
  if (month == 2) return isJulianLeap(astronomicalYear) ? 29 : 28;
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  return 31;
}

}  // namespace

int64_t fixedFromJulian(int64_t year, int64_t month, int64_t day) {
  int64_t fixed = 365 * year - 367 + floorDiv(year - 1, 4) + floorDiv(367 * month - 362, 12) + day;
  // Months after February: the formula counts February as 30 days.
  if (month > 2) fixed -= isJulianLeap(year) ? 1 : 2;
  return fixed;
}

bool clsJulian::JulianLeapYear(int32_t year, bool blnCE) const {
  return floorMod(year, 4) == (blnCE ? 0 : 1);
}

int32_t clsJulian::julian_fixed(const udtDate& date, bool& blnValid) {
  if (const int32_t* stored = storeJulianFixed_.find(date)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cJulian.julian_fixed", int32_t{0}, [&] {
    if (std::abs(date.intYear) > 32765) raise("Magnitude of udtDate.intYear too large: ", date.intYear);
    int16_t month = date.intMonth, day = date.intDateOfMonth;
    if (month < 1 || month > 12) raise("Invalid udtDate.intMonth: ", month);
    bool shortMonth = month == 2 || month == 4 || month == 6 || month == 9 || month == 11;
    if (day < 1 || day > 31 || (day == 31 && shortMonth) || (day == 30 && month == 2) ||
        (day == 29 && month == 2 && !JulianLeapYear(date.intYear, date.blnCE)))
      raise("Invalid udtDate.intDateOfMonth: ", day);
    int64_t fixed = fixedFromJulian(yearInForce(date), month, day);
    if (std::llabs(fixed) > kMaxFixedDay) raise("Magnitude of julian_fixed too large: ", fixed);
    storeJulianFixed_.keep(date, static_cast<int32_t>(fixed));
    return static_cast<int32_t>(fixed);
  });
}

void clsJulian::fixed_julian(int32_t lngDate, udtDate& udtDateOut, bool& blnValid) {
  auto apply = [&](const YMD& ymd) {
    udtDateOut.enmDateType = dtJulian;
    udtDateOut.blnCE = ymd.blnCE;
    udtDateOut.intYear = ymd.year;
    udtDateOut.intMonth = ymd.month;
    udtDateOut.intDateOfMonth = ymd.day;
  };
  if (const YMD* stored = storeFixedJulian_.find(lngDate)) {
    blnValid = true;
    apply(*stored);
    return;
  }
  guardedVoid(blnValid, "cJulian.fixed_julian", [&] {
    if (std::abs(lngDate) > kMaxFixedDay) raise("Magnitude of lngDate too large: ", lngDate);
    udtDateOut.enmDateType = dtJulian;
    // Astronomical year: every 1461 days hold four years.
    int64_t year = floorDiv(4 * static_cast<int64_t>(lngDate) + 1468, 1461);
    if (std::llabs(year) > 32765) raise("Magnitude of lngYear too large: ", year);
    // The first days of the year and of the month are computed directly: near
    // the lower limit they lie beyond the range that julian_fixed accepts.
    int64_t prior = lngDate - fixedFromJulian(year, 1, 1);
    int64_t correction = lngDate < fixedFromJulian(year, 3, 1) ? 0 : isJulianLeap(year) ? 1 : 2;
    int64_t month = floorDiv(12 * (prior + correction) + 373, 367);
    if (month < 1 || month > 12) raise("Invalid udtDateout.intMonth: ", month);
    int64_t day = lngDate - fixedFromJulian(year, month, 1) + 1;
    if (day < 1 || day > julianMonthLength(month, year)) raise("Invalid udtDateout.intDateOfMonth: ", day);
    YMD ymd;
    ymd.blnCE = year > 0;
    ymd.year = static_cast<int16_t>(year > 0 ? year : 1 - year);
    ymd.month = static_cast<int16_t>(month);
    ymd.day = static_cast<int16_t>(day);
    apply(ymd);
    storeFixedJulian_.keep(lngDate, ymd);
  });
}

}  // namespace nemora
