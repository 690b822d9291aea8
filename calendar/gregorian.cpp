#include "calendar/gregorian.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/numeric.h"
#include "base/session.h"
#include "calendar/day_arithmetic.h"

namespace nemora {
namespace {

struct MonthName {
  std::string_view english, hebrew;
};
constexpr std::array<MonthName, 12> kMonthNames = {{
    {"January", "ינואר"},
    {"February", "פברואור"},
    {"March", "מרץ"},
    {"April", "אפריל"},
    {"May", "מאי"},
    {"June", "יוני"},
    {"July", "יולי"},
    {"August", "אוגוסט"},
    {"September", "ספטמבר"},
    {"October", "אוקטובר"},
    {"November", "נובמבר"},
    {"December", "דצמבר"},
}};

// Rule day (fixed) of a weekday rule in month `month` of astronomical year
// `year`; it may fall in the following month when the rule's seven-day window
// runs past the end of its month.
int64_t ruleDay(int16_t dayOfWeek, int16_t dateOfMonth, int16_t weekNo, int16_t month, int64_t year) {
  int64_t first = fixedFromGregorian(year, month, 1);
  if (weekNo == 0) return first + dateOfMonth - 1;
  if (weekNo == 5) return weekdayOnOrAfter(dayOfWeek, first + gregorianMonthLength(month, year) - 7);
  return weekdayOnOrAfter(dayOfWeek, first + dateOfMonth - 1 + 7 * (weekNo - 1));
}

}  // namespace

bool isGregorianLeapYear(int64_t year) {
  return floorMod(year, 4) == 0 && !(floorMod(year, 100) == 0 && floorMod(year, 400) != 0);
}

int16_t gregorianMonthLength(int64_t month, int64_t year) {
  if (month == 2) return isGregorianLeapYear(year) ? 29 : 28;
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  return 31;
}

int64_t fixedFromGregorian(int64_t year, int64_t month, int64_t day) {
  int64_t fixed = 365 * (year - 1) + floorDiv(year - 1, 4) - floorDiv(year - 1, 100) + floorDiv(year - 1, 400) +
                  floorDiv(367 * month - 362, 12) + day;
  // Months after February: the formula counts February as 30 days.
  if (month > 2) fixed -= isGregorianLeapYear(year) ? 1 : 2;
  return fixed;
}

int64_t gregorianYearFromFixed(int64_t lngDate) {
  // Whole 400-, 100-, 4- and 1-year cycles elapsed since day 0.
  int64_t d0 = lngDate - 1;
  int64_t p = floorDiv(d0, 146097);
  int64_t d1 = floorMod(d0, 146097);
  int64_t q = floorDiv(d1, 36524);
  int64_t d2 = floorMod(d1, 36524);
  int64_t r = floorDiv(d2, 1461);
  int64_t d3 = floorMod(d2, 1461);
  int64_t s = floorDiv(d3, 365);
  int64_t year = 400 * p + 100 * q + 4 * r + s;
  // q = 4 or s = 4: the last day of a leap cycle, still in the year counted.
  return (q == 4 || s == 4) ? year : year + 1;
}

int32_t clsGregorian::gregorian_fixed(const udtDate& date, bool& blnValid) {
  if (const int32_t* stored = storeGregorianFixed_.find(date)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cGregorian.gregorian_fixed", int32_t{0}, [&] {
    if (date.enmDateType != dtGregorian) raise("Invalid enmDateType: ", date.enmDateType);
    if (std::abs(date.intYear) > 30000) raise("Invalid intYear: ", date.intYear);
    if (date.intMonth < 1 || date.intMonth > 12) raise("Invalid intMonth: ", date.intMonth);
    int32_t year = yearInForce(date);
    if (date.intDateOfMonth < 1 || date.intDateOfMonth > gregorianMonthLength(date.intMonth, year))
      raise("Invalid intDateOfMonth: ", date.intDateOfMonth);
    int64_t fixed = fixedFromGregorian(year, date.intMonth, date.intDateOfMonth);
    if (std::llabs(fixed) > kMaxFixedDay) raise("Magnitude of gregorian_fixed too large: ", fixed);
    storeGregorianFixed_.keep(date, static_cast<int32_t>(fixed));
    return static_cast<int32_t>(fixed);
  });
}

int32_t clsGregorian::fixed_gregorianYear(int32_t lngDate, bool& blnValid) {
  if (const int32_t* stored = storeGregorianYear_.find(lngDate)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cGregorian.fixed_gregorianYear", int32_t{0}, [&] {
    if (std::abs(lngDate) > kMaxFixedDay)
      raiseFrom("cGregorian.fixed_GregorianYear", "Magnitude of lngDate too large: ", lngDate);
    int64_t year = gregorianYearFromFixed(lngDate);
    if (std::llabs(year) > 32765) raise("Magnitude of fixed_gregorianYear too large: ", year);
    storeGregorianYear_.keep(lngDate, static_cast<int32_t>(year));
    return static_cast<int32_t>(year);
  });
}

void clsGregorian::fixed_gregorian(int32_t lngDate, udtDate& udtDateOut, bool& blnValid) {
  auto apply = [&](const YMD& ymd) {
    udtDateOut.enmDateType = dtGregorian;
    udtDateOut.blnCE = true;
    udtDateOut.intYear = ymd.year;
    udtDateOut.intMonth = ymd.month;
    udtDateOut.intDateOfMonth = ymd.day;
  };
  if (const YMD* stored = storeFixedGregorian_.find(lngDate)) {
    blnValid = true;
    apply(*stored);
    return;
  }
  guardedVoid(blnValid, "cGregorian.fixed_gregorian", [&] {
    if (std::abs(lngDate) > kMaxFixedDay) raise("Magnitude of lngDate too large: ", lngDate);
    udtDateOut.enmDateType = dtGregorian;
    bool ok = true;
    int32_t year = fixed_gregorianYear(lngDate, ok);
    if (!ok) abandon();
    // The first days of the year and of the month are computed directly: near
    // the lower limit they lie beyond the range that gregorian_fixed accepts.
    int64_t prior = lngDate - fixedFromGregorian(year, 1, 1);
    int64_t correction = lngDate < fixedFromGregorian(year, 3, 1) ? 0 : isGregorianLeapYear(year) ? 1 : 2;
    int64_t month = floorDiv(12 * (prior + correction) + 373, 367);
    if (month < 1 || month > 12) raise("Invalid udtDateOut.intMonth: ", month);
    int64_t day = lngDate - fixedFromGregorian(year, month, 1) + 1;
    if (day < 1 || day > gregorianMonthLength(month, year)) raise("Invalid udtDateOut.intDateOfMonth: ", day);
    YMD ymd{static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day)};
    apply(ymd);
    storeFixedGregorian_.keep(lngDate, ymd);
  });
}

int16_t clsGregorian::DaysInGregorianMonth(int16_t intMonth, int32_t year, bool& blnValid) const {
  return guarded(blnValid, "cGregorian.DaysInGregorianMonth", int16_t{0}, [&] {
    if (intMonth < 1 || intMonth > 12) raise("Invalid intMonth: ", intMonth);
    return gregorianMonthLength(intMonth, year);
  });
}

std::string clsGregorian::GregorianMonthName(int16_t intMonth) {
  std::tuple<int16_t, int16_t> key{intMonth, session().intLanguage};
  if (const std::string* stored = storeMonthName_.find(key)) return *stored;
  std::string name = intMonth < 1 || intMonth > 12
                         ? toText(intMonth)
                         : session().main.Lang(kMonthNames[intMonth - 1].english, kMonthNames[intMonth - 1].hebrew);
  storeMonthName_.keep(key, name);
  return name;
}

int16_t clsGregorian::fixed_DayOfWeek(double dblDate) const {
  // A day number that is no number has no weekday; 0 keeps the result in range.
  if (!std::isfinite(dblDate)) return 0;
  return static_cast<int16_t>(Modulo(std::floor(dblDate), 7));
}

int16_t clsGregorian::BeforeOnAfter(int16_t intDayOfWeek, int16_t intDateOfMonth, int16_t intWeekNo,
                                    int16_t intMonth, double dblDate, bool& blnValid) {
  return guarded(blnValid, "cGregorian.BeforeOnAfter", int16_t{0}, [&]() -> int16_t {
    if (!(std::fabs(dblDate) <= kMaxFixedDay)) raise("Magnitude of dblDate too large: ", dblDate);
    if (intDayOfWeek < 0 || intDayOfWeek > 6) raise("Invalid intDayOfWeek: ", intDayOfWeek);
    if (intMonth < 1 || intMonth > 12) raise("Invalid intMonth: ", intMonth);
    bool shortMonth = intMonth == 2 || intMonth == 4 || intMonth == 6 || intMonth == 9 || intMonth == 11;
    if (intDateOfMonth < 1 || intDateOfMonth > 31 || (intDateOfMonth == 31 && shortMonth) ||
        (intDateOfMonth == 30 && intMonth == 2))
      raise("Invalid intDateOfMonth: ", intDateOfMonth);
    if (intWeekNo < 0 || intWeekNo > 5) raise("Invalid intWeekNo: ", intWeekNo);

    int32_t day = static_cast<int32_t>(std::floor(dblDate));
    udtDate date;
    bool ok = true;
    fixed_gregorian(day, date, ok);
    if (!ok) abandon();
    int32_t year = date.intYear;  // astronomical
    if (date.intMonth < intMonth) return -1;
    // The rule's day lies in its month or, when its seven-day window runs past
    // the month's end, in the next one; dates in later months are after it.
    int64_t rule = ruleDay(intDayOfWeek, intDateOfMonth, intWeekNo, intMonth, year);
    if (date.intMonth > intMonth + 1) return 1;
    if (date.intMonth == intMonth + 1 && rule < fixedFromGregorian(year, date.intMonth, 1)) return 1;
    return day > rule ? 1 : day < rule ? -1 : 0;
  });
}

}  // namespace nemora
