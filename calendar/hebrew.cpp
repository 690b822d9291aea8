#include "calendar/hebrew.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/session.h"
#include "calendar/gregorian.h"
#include "calendar/day_arithmetic.h"

namespace nemora {
namespace {

// Fixed day of 1 Tishri of year 1 before the postponements.
constexpr int64_t kHebrewEpoch = -1373427;

struct MonthName {
  std::string_view english, hebrew;
};
// Months 1 to 11; the names of Adar follow.
constexpr std::array<MonthName, 11> kMonthNames = {{
    {"Nisan", "ניסן"},
    {"Iyar", "אייר"},
    {"Sivan", "סיון"},
    {"Tammuz", "תמוז"},
    {"Av", "אב"},
    {"Ellul", "אלול"},
    {"Tishri", "תשרי"},
    {"Cheshvan", "חשון"},
    {"Kislev", "כסלב"},
    {"Tevet", "טבת"},
    {"Shevat", "שבט"},
}};
constexpr MonthName kAdarAnyYear{"Adar (1)", "אדר (א')"};
constexpr MonthName kAdar1{"Adar 1", "אדר א'"};
constexpr MonthName kAdar{"Adar", "אדר"};
constexpr MonthName kAdar2{"Adar 2", "אדר ב'"};

bool isLeap(int64_t year) { return floorMod(7 * year + 1, 19) < 7; }

int64_t elapsedDays(int64_t year) {
  // Months since the epoch's molad; a month is 29 days 12 hours and 793 parts
  // (1080 parts to the hour); the first molad fell 11 hours 204 parts into its day.
  int64_t months = floorDiv(235 * year - 234, 19);
  int64_t parts = 204 + 793 * floorMod(months, 1080);
  int64_t hours = 11 + 12 * months + 793 * floorDiv(months, 1080) + floorDiv(parts, 1080);
  int64_t day = 29 * months + floorDiv(hours, 24);
  // 1 Tishri never falls on a Sunday, Wednesday or Friday.
  return floorMod(3 * (day + 1), 7) < 3 ? day + 1 : day;
}

int64_t newYearDelay(int64_t year) {
  int64_t e0 = elapsedDays(year - 1), e1 = elapsedDays(year), e2 = elapsedDays(year + 1);
  if (e2 - e1 == 356) return 2;
  if (e1 - e0 == 382) return 1;
  return 0;
}

int64_t newYear(int64_t year) { return kHebrewEpoch + elapsedDays(year) + newYearDelay(year); }

// One year's new year, length and months, for the conversions.
struct HebrewYear {
  explicit HebrewYear(int64_t y) : year(y), start(newYear(y)), length(newYear(y + 1) - start), leap(isLeap(y)) {}

  int16_t lastMonth() const { return leap ? 13 : 12; }
  int16_t monthLength(int64_t month) const {
    switch (month) {
      case 2: case 4: case 6: case 10: case 13: return 29;
      case 12: return leap ? 30 : 29;
      case 8: return length % 10 == 5 ? 30 : 29;  // long Cheshvan
      case 9: return length % 10 == 3 ? 29 : 30;  // short Kislev
      default: return 30;
    }
  }
  // Fixed day of day 1 of a month: months run from Tishri (7) to the year's
  // last month, then from Nisan (1).
  int64_t monthStart(int64_t month) const {
    int64_t fixed = start;
    if (month >= 7) {
      for (int64_t m = 7; m < month; ++m) fixed += monthLength(m);
    } else {
      for (int64_t m = 7; m <= lastMonth(); ++m) fixed += monthLength(m);
      for (int64_t m = 1; m < month; ++m) fixed += monthLength(m);
    }
    return fixed;
  }

  int64_t year, start, length;
  bool leap;
};

}  // namespace

bool clsHebrew::HebrewLeapYear(int32_t year) const { return isLeap(year); }

int32_t clsHebrew::HebrewElapsedDays(int32_t year) {
  if (const int32_t* stored = storeElapsedDays_.find(year)) return *stored;
  auto days = static_cast<int32_t>(elapsedDays(year));
  storeElapsedDays_.keep(year, days);
  return days;
}

int16_t clsHebrew::HebrewNewYearDelay(int32_t year) {
  if (const int16_t* stored = storeNewYearDelay_.find(year)) return *stored;
  auto delay = static_cast<int16_t>(newYearDelay(year));
  storeNewYearDelay_.keep(year, delay);
  return delay;
}

int32_t clsHebrew::HebrewNewYear(int32_t year) {
  if (const int32_t* stored = storeNewYear_.find(year)) return *stored;
  auto fixed = static_cast<int32_t>(newYear(year));
  storeNewYear_.keep(year, fixed);
  return fixed;
}

int16_t clsHebrew::DaysInHebrewYear(int32_t year) {
  if (const int16_t* stored = storeDaysInYear_.find(year)) return *stored;
  auto days = static_cast<int16_t>(newYear(static_cast<int64_t>(year) + 1) - newYear(year));
  storeDaysInYear_.keep(year, days);
  return days;
}

bool clsHebrew::ShortKislev(int32_t year) { return DaysInHebrewYear(year) % 10 == 3; }

bool clsHebrew::LongCheshvan(int32_t year) { return DaysInHebrewYear(year) % 10 == 5; }

int16_t clsHebrew::LastDayOfHebrewMonth(int16_t intMonth, int32_t year, bool& blnValid) {
  std::tuple<int16_t, int32_t> key{intMonth, year};
  if (const int16_t* stored = storeLastDay_.find(key)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cHebrew.LastDayOfHebrewMonth", int16_t{0}, [&] {
    if (intMonth < 1 || intMonth > MonthsInHebrewYear(year)) raise("Invalid intMonth: ", intMonth);
    int16_t last = HebrewYear(year).monthLength(intMonth);
    storeLastDay_.keep(key, last);
    return last;
  });
}

int32_t clsHebrew::hebrew_fixed(const udtDate& date, bool& blnValid) {
  if (const int32_t* stored = storeHebrewFixed_.find(date)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cHebrew.hebrew_fixed", int32_t{0}, [&] {
    if (std::abs(date.intYear) > 32765) raise("Magnitude of udtDate.intYear too large: ", date.intYear);
    HebrewYear year(date.intYear);
    if (date.intMonth < 1 || date.intMonth > year.lastMonth()) raise("Invalid udtDate.intMonth: ", date.intMonth);
    if (date.intDateOfMonth < 1 || date.intDateOfMonth > year.monthLength(date.intMonth))
      raise("Invalid udtDate.intDateOfMonth: ", date.intDateOfMonth);
    int64_t fixed = year.monthStart(date.intMonth) + date.intDateOfMonth - 1;
    if (std::llabs(fixed) > kMaxFixedDay) raise("Magnitude of hebrew_fixed too large: ", fixed);
    storeHebrewFixed_.keep(date, static_cast<int32_t>(fixed));
    return static_cast<int32_t>(fixed);
  });
}

void clsHebrew::fixed_hebrew(int32_t lngDate, udtDate& udtDateOut, bool& blnValid) {
  auto apply = [&](const YMD& ymd) {
    udtDateOut.enmDateType = dtHebrew;
    udtDateOut.intYear = ymd.year;
    udtDateOut.intMonth = ymd.month;
    udtDateOut.intDateOfMonth = ymd.day;
  };
  if (const YMD* stored = storeFixedHebrew_.find(lngDate)) {
    blnValid = true;
    apply(*stored);
    return;
  }
  guardedVoid(blnValid, "cHebrew.fixed_hebrew", [&] {
    udtDateOut.enmDateType = dtHebrew;
    // An estimate of the year from the mean year of 35975351 / 98496 days; the
    // year is this or the one before.
    int64_t approx = floorDiv((lngDate - kHebrewEpoch) * 98496, 35975351) + 1;
    // Years that the date record cannot hold are refused without a message.
    if (std::llabs(approx) > 32765) abandon();
    // The new years are computed directly: near the limits of the range the
    // neighbouring years' new years lie beyond what hebrew_fixed accepts.
    int64_t y = approx - 1;
    while (newYear(y + 1) <= lngDate) ++y;
    HebrewYear year(y);
    int64_t month = lngDate < year.monthStart(1) ? 7 : 1;
    while (year.monthStart(month) + year.monthLength(month) - 1 < lngDate) ++month;
    YMD ymd{static_cast<int16_t>(y), static_cast<int16_t>(month),
            static_cast<int16_t>(lngDate - year.monthStart(month) + 1)};
    apply(ymd);
    storeFixedHebrew_.keep(lngDate, ymd);
  });
}

std::string clsHebrew::HebrewMonthName(int16_t intMonth, int32_t year) {
  std::tuple<int16_t, int32_t, int16_t> key{intMonth, year, session().intLanguage};
  if (const std::string* stored = storeMonthName_.find(key)) return *stored;
  const Main& main = session().main;
  std::string name;
  if (intMonth < 1 || intMonth > 13) {
    name = toText(intMonth);
  } else if (intMonth == 12) {
    const MonthName& adar = year == kNoYear ? kAdarAnyYear : HebrewLeapYear(year) ? kAdar1 : kAdar;
    name = main.Lang(adar.english, adar.hebrew);
  } else if (intMonth == 13) {
    name = main.Lang(kAdar2.english, kAdar2.hebrew);
  } else {
    name = main.Lang(kMonthNames[intMonth - 1].english, kMonthNames[intMonth - 1].hebrew);
  }
  storeMonthName_.keep(key, name);
  return name;
}

int16_t clsHebrew::BeforeOnAfter(int16_t intDayOfWeek, int16_t intDateOfMonth, int16_t intWeekNo, int16_t intMonth,
                                 double dblDate, bool& blnValid) {
  return guarded(blnValid, "cHebrew.BeforeOnAfter", int16_t{0}, [&]() -> int16_t {
    if (!(std::fabs(dblDate) <= kMaxFixedDay)) raise("Magnitude of dblDate too large: ", dblDate);
    if (intDayOfWeek < 0 || intDayOfWeek > 6) raise("Invalid intDayOfWeek: ", intDayOfWeek);
    if (intMonth < 1 || intMonth > 13) raise("Invalid intMonth: ", intMonth);
    if (intDateOfMonth < 1 || intDateOfMonth > 30) raise("Invalid intDateOfMonth: ", intDateOfMonth);
    if (intWeekNo < 0 || intWeekNo > 5) raise("Invalid intWeekNo: ", intWeekNo);

    auto day = static_cast<int32_t>(std::floor(dblDate));
    udtDate hebrew, gregorian;
    bool ok = true;
    fixed_hebrew(day, hebrew, ok);
    if (!ok) abandon();
    session().gregorian.fixed_gregorian(day, gregorian, ok);
    if (!ok) abandon();
    // Dates in November and December count as after the rule's day, whatever the rule.
    if (gregorian.intMonth == 11 || gregorian.intMonth == 12) return 1;
    // Months are ordered from Shevat (month + 1 mod 12) to find an earlier
    // month, and from Kislev (month + 3 mod 12) to find a later one.
    int16_t m0 = hebrew.intMonth;
    if (floorMod(m0 + 1, 12) < floorMod(intMonth + 1, 12)) return -1;
    if (floorMod(intMonth + 3, 12) < floorMod(m0 + 3, 12)) return 1;

    HebrewYear year(hebrew.intYear);
    int64_t first = year.monthStart(m0);
    int64_t rule;
    if (intWeekNo == 0) {
      rule = first + intDateOfMonth - 1;
    } else if (intWeekNo == 5) {
      rule = weekdayOnOrAfter(intDayOfWeek, first + year.monthLength(m0) - 7);
    } else {
      rule = weekdayOnOrAfter(intDayOfWeek, first + intDateOfMonth - 1 + 7 * (intWeekNo - 1));
    }
    return day > rule ? 1 : day < rule ? -1 : 0;
  });
}

double clsHebrew::sunsetOn(int64_t n) const {
  const SunsetSource& source = session().sunset;
  // Without a source of sunsets the day bounds cannot be found at all: say so
  // rather than fail silently. A source that finds no sunset (polar day or
  // night) has told the user itself.
  if (!source) raise("No sunset times are available for days that begin at sunset");
  double t = 0;
  if (!source(static_cast<int32_t>(n), t)) abandon();
  return t;
}

void clsHebrew::StartEndDay(double dblFix, double& dblStart, double& dblEnd, bool& blnValid,
                            int16_t& intDayShift) {
  guardedVoid(blnValid, "cHebrew.StartEndDay", [&] {
    if (!(std::fabs(dblFix) <= kMaxInstant)) raise("Magnitude of dblFix too large: ", dblFix);
    auto checkPair = [&] {
      if (!(dblStart <= dblEnd && dblEnd <= dblStart + 2))
        raise("Difference between consecutive sunsets out of range: ", dblEnd, " - ", dblStart, " = ",
              dblEnd - dblStart);
    };
    auto day = static_cast<int64_t>(std::floor(dblFix));
    int shift = 0;
    dblStart = sunsetOn(day - 1);
    dblEnd = sunsetOn(day);
    checkPair();
    // Real sunsets need at most one step either way; the walk stops at two so
    // that a wrong sunset source ends in the range checks below, not in an
    // endless loop.
    while (dblStart > dblFix && shift > -2) {
      --shift;
      dblEnd = dblStart;
      dblStart = sunsetOn(day - 1 + shift);
      checkPair();
    }
    while (dblEnd < dblFix && shift < 2) {
      ++shift;
      dblStart = dblEnd;
      dblEnd = sunsetOn(day + shift);
      checkPair();
    }
    if (!(dblStart <= dblEnd && dblEnd <= dblStart + 2.002))
      raise("Difference between dblEnd and dblStart out of range: ", dblEnd, " - ", dblStart, " = ",
            dblEnd - dblStart);
    if (!(dblFix - 1.3 <= dblStart && dblStart <= dblFix))
      raise("Difference between dblFix and dblStart out of range: ", dblFix, " - ", dblStart, " = ",
            dblFix - dblStart);
    if (!(dblFix <= dblEnd && dblEnd <= dblFix + 1.3))
      raise("Difference between dblEnd and dblFix out of range: ", dblEnd, " - ", dblFix, " = ", dblEnd - dblFix);
    if (std::abs(shift) > 1) raise("intDayShift out of range: ", shift);
    intDayShift = static_cast<int16_t>(shift);
  });
}

void clsHebrew::EveningShift(int32_t lngDay, double& t, bool& blnValid, bool blnSecondTime) {
  guardedVoid(blnValid, "cHebrew.EveningShift", [&] {
    // Real sunsets need at most one step either way; a sunset source that
    // keeps the walk going is broken and the shift fails.
    constexpr int kMaxSteps = 3;
    int64_t i = 0;
    double s = sunsetOn(static_cast<int64_t>(lngDay) - 1);
    for (int steps = 0; s - lngDay > t; ++steps) {
      if (steps == kMaxSteps) abandon();
      t += 1;
      ++i;
      s = sunsetOn(lngDay - 1 - i);
    }
    s = sunsetOn(lngDay);
    for (int steps = 0; s - lngDay + 1 < t; ++steps) {
      if (steps == kMaxSteps) abandon();
      t -= 1;
      if (blnSecondTime) --i;
      s = sunsetOn(lngDay - 1 - i);
    }
  });
}

}  // namespace nemora
