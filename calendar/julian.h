// The Julian calendar on fixed day numbers. Years before the era are counted
// backwards with blnCE false (1 BCE, 2 BCE, ...); every fourth year is leap,
// 1 BCE included.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/date.h"
#include "calendar/one_entry_store.h"

namespace nemora {

// Fixed day of a Julian date in astronomical years (1 BCE is year 0), without checks.
int64_t fixedFromJulian(int64_t year, int64_t month, int64_t day);

class clsJulian : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // year mod 4 = 0 in the era, year mod 4 = 1 before it (1, 5, 9 ... BCE).
  bool JulianLeapYear(int32_t year, bool blnCE) const;
  // Fixed day number of a Julian date (the date type is not checked).
  int32_t julian_fixed(const udtDate& date, bool& blnValid);
  // Julian date of a fixed day: type 5; years not above 0 come back as
  // blnCE false with intYear = 1 - year. dblDay and blnEve are left as they were.
  void fixed_julian(int32_t lngDate, udtDate& udtDateOut, bool& blnValid);

 private:
  struct YMD {
    int16_t year = 0, month = 0, day = 0;
    bool blnCE = true;
  };
  OneEntryStore<udtDate, int32_t> storeJulianFixed_;
  OneEntryStore<int32_t, YMD> storeFixedJulian_;
};

}  // namespace nemora
