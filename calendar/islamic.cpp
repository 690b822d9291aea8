#include "calendar/islamic.h"

#include <array>
#include <cstdlib>
#include <string_view>

#include "base/session.h"
#include "calendar/day_arithmetic.h"

namespace nemora {
namespace {

struct MonthName {
  std::string_view english, hebrew;
};
constexpr std::array<MonthName, 12> kMonthNames = {{
    {"Muharram", "מוחראם"},
    {"Safar", "ספר"},
    {"Rabi' I", "רבעי א'"},
    {"Rabi' II", "רבעי ב'"},
    {"Jamada I", "ג'מאדה א'"},
    {"Jamada II", "ג'מאדה ב'"},
    {"Rajab", "רג'אב"},
    {"Sha'ban", "שעבן"},
    {"Ramadan", "רמדן"},
    {"Shawwal", "שאוואל"},
    {"Dhu-al-Qu'da", "ד'ו-אלקעידה"},
    {"Dhu-al-Hijja", "ד'ו-אלהיג'ה"},
}};

// Fixed day of an Islamic date, without checks: whole months of alternating
// 30 and 29 days, whole years of 354 days, and the leap days of the cycle.
int64_t fixedFromIslamic(int64_t year, int64_t month, int64_t day) {
  return day + 29 * (month - 1) + floorDiv(6 * month - 1, 11) + 354 * (year - 1) + floorDiv(3 + 11 * year, 30) +
         clsIslamic::kIslamicEpoch - 1;
}

}  // namespace

bool clsIslamic::IslamicLeapYear(int32_t year) const { return floorMod(11 * static_cast<int64_t>(year) + 14, 30) < 11; }

int32_t clsIslamic::islamic_fixed(const udtDate& date, bool& blnValid) {
  if (const int32_t* stored = storeIslamicFixed_.find(date)) {
    blnValid = true;
    return *stored;
  }
  return guarded(blnValid, "cIslamic.Islamic_fixed", int32_t{0}, [&] {
    if (std::abs(date.intYear) > 32765) raise("Magnitude of udtDate.intYear too large: ", date.intYear);
    if (date.intMonth < 1 || date.intMonth > 12) raise("Invalid udtDate.intMonth: ", date.intMonth);
    if (date.intDateOfMonth < 1 || date.intDateOfMonth > 30)
      raise("Invalid udtDate.intDateOfMonth: ", date.intDateOfMonth);
    auto fixed = static_cast<int32_t>(fixedFromIslamic(date.intYear, date.intMonth, date.intDateOfMonth));
    storeIslamicFixed_.keep(date, fixed);
    return fixed;
  });
}

void clsIslamic::fixed_islamic(int32_t lngDate, udtDate& udtDateOut, bool& blnValid) {
  auto apply = [&](const YMD& ymd) {
    udtDateOut.enmDateType = dtIslamic;
    udtDateOut.intYear = ymd.year;
    udtDateOut.intMonth = ymd.month;
    udtDateOut.intDateOfMonth = ymd.day;
  };
  if (const YMD* stored = storeFixedIslamic_.find(lngDate)) {
    blnValid = true;
    apply(*stored);
    return;
  }
  guardedVoid(blnValid, "cIslamic.Fixed_Islamic", [&] {
    udtDateOut.enmDateType = dtIslamic;
    // 10631 days in 30 years.
    int64_t year = floorDiv(30 * (static_cast<int64_t>(lngDate) - kIslamicEpoch) + 10646, 10631);
    if (std::llabs(year) > 32765) raise("Magnitude of lngYear too large: ", year);
    int64_t prior = lngDate - fixedFromIslamic(year, 1, 1);
    int64_t month = floorDiv(11 * prior + 330, 325);
    YMD ymd{static_cast<int16_t>(year), static_cast<int16_t>(month),
            static_cast<int16_t>(lngDate - fixedFromIslamic(year, month, 1) + 1)};
    apply(ymd);
    storeFixedIslamic_.keep(lngDate, ymd);
  });
}

std::string clsIslamic::IslamicMonthName(int16_t intMonth) const {
  if (intMonth < 1 || intMonth > 12) return toText(intMonth);
  return session().main.Lang(kMonthNames[intMonth - 1].english, kMonthNames[intMonth - 1].hebrew);
}

}  // namespace nemora
