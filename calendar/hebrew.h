// The arithmetic Hebrew calendar: leap years in the 19-year cycle, the new
// year from the mean conjunction (molad) with its postponements, month
// lengths, conversion to and from fixed day numbers, month names, weekday
// rules given in Hebrew months, and the day that runs from sunset to sunset.
//
// Months: 1 Nisan, 2 Iyar, 3 Sivan, 4 Tammuz, 5 Av, 6 Ellul, 7 Tishri,
// 8 Cheshvan, 9 Kislev, 10 Tevet, 11 Shevat, 12 Adar (Adar 1 in a leap year),
// 13 Adar 2. The year (of the world) begins on 1 Tishri.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "base/session_bound.h"
#include "base/date.h"
#include "calendar/one_entry_store.h"

namespace nemora {

class clsHebrew : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The year value that stands for no particular year in month names.
  static constexpr int32_t kNoYear = -32767;

  bool HebrewLeapYear(int32_t year) const;
  int16_t MonthsInHebrewYear(int32_t year) const { return HebrewLeapYear(year) ? 13 : 12; }
  // Days from the epoch's molad reckoning to 1 Tishri of the year before the
  // postponements that depend on the neighbouring years.
  int32_t HebrewElapsedDays(int32_t year);
  // 0, 1 or 2 days that keep the year lengths within 353..355 and 383..385.
  int16_t HebrewNewYearDelay(int32_t year);
  // Fixed day of 1 Tishri.
  int32_t HebrewNewYear(int32_t year);
  // 353, 354, 355, 383, 384 or 385.
  int16_t DaysInHebrewYear(int32_t year);
  // Kislev has 29 days (353 or 383 days in the year).
  bool ShortKislev(int32_t year);
  // Cheshvan has 30 days (355 or 385 days in the year).
  bool LongCheshvan(int32_t year);
  // 29 or 30.
  int16_t LastDayOfHebrewMonth(int16_t intMonth, int32_t year, bool& blnValid);

  // Fixed day number of a Hebrew date (intYear is the year of the world).
  int32_t hebrew_fixed(const udtDate& date, bool& blnValid);
  // Hebrew date of a fixed day: type 6, year, month and day; the other fields
  // are left as they were. Years beyond 32765 are refused without a message.
  void fixed_hebrew(int32_t lngDate, udtDate& udtDateOut, bool& blnValid);

  // Month name in the session's language for the given year (kNoYear: any
  // year); the number as text outside 1 to 13.
  std::string HebrewMonthName(int16_t intMonth, int32_t year);

  // -1, 0 or 1 as the date of dblDate lies before, on or after the day that a
  // weekday rule given in Hebrew months selects (a daylight-saving changeover).
  int16_t BeforeOnAfter(int16_t intDayOfWeek, int16_t intDateOfMonth, int16_t intWeekNo, int16_t intMonth,
                        double dblDate, bool& blnValid);

  // Bounds (UT instants) of the day from sunset to sunset that contains
  // dblFix. intDayShift (-1, 0 or 1) is the number of days by which that day
  // lies from the one that ends at sunset on the civil day of dblFix. Sunsets
  // come from the session's sunset source; a day without sunset clears the flag.
  void StartEndDay(double dblFix, double& dblStart, double& dblEnd, bool& blnValid, int16_t& intDayShift);
  // Moves the day fraction t (of the date with fixed day lngDay, whose day
  // begins at sunset) by whole days so that it falls between the sunsets that
  // bound that date. A day without sunset clears the flag.
  void EveningShift(int32_t lngDay, double& t, bool& blnValid, bool blnSecondTime);

 private:
  struct YMD {
    int16_t year = 0, month = 0, day = 0;
  };
  // Sunset on civil day n; abandons the routine when there is none.
  double sunsetOn(int64_t n) const;

  OneEntryStore<int32_t, int32_t> storeElapsedDays_;
  OneEntryStore<int32_t, int16_t> storeNewYearDelay_;
  OneEntryStore<int32_t, int32_t> storeNewYear_;
  OneEntryStore<int32_t, int16_t> storeDaysInYear_;
  OneEntryStore<std::tuple<int16_t, int32_t>, int16_t> storeLastDay_;
  OneEntryStore<udtDate, int32_t> storeHebrewFixed_;
  OneEntryStore<int32_t, YMD> storeFixedHebrew_;
  OneEntryStore<std::tuple<int16_t, int32_t, int16_t>, std::string> storeMonthName_;  // month, year, language
};

}  // namespace nemora
