// The arithmetic Islamic calendar: 30-year cycles of 354- and 355-day years,
// months of 30 and 29 days in turn (the twelfth has 30 in a leap year). The
// day begins at sunset, as the Hebrew day does.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/date.h"
#include "calendar/one_entry_store.h"

namespace nemora {

class clsIslamic : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Fixed day of 1 Muharram of year 1 (16 July 622 in the Julian calendar).
  static constexpr int32_t kIslamicEpoch = 227015;

  // 11 leap years in every 30: years 2, 5, 7, 10, 13, 16, 18, 21, 24, 26, 29.
  bool IslamicLeapYear(int32_t year) const;
  // Fixed day number of an Islamic date; day 30 is accepted in every month
  // (in a 29-day month it is the first of the next).
  int32_t islamic_fixed(const udtDate& date, bool& blnValid);
  // Islamic date of a fixed day: type 7, year, month and day; the other
  // fields are left as they were.
  void fixed_islamic(int32_t lngDate, udtDate& udtDateOut, bool& blnValid);
  // Month name in the session's language; the number as text outside 1 to 12.
  std::string IslamicMonthName(int16_t intMonth) const;

 private:
  struct YMD {
    int16_t year = 0, month = 0, day = 0;
  };
  OneEntryStore<udtDate, int32_t> storeIslamicFixed_;
  OneEntryStore<int32_t, YMD> storeFixedIslamic_;
};

}  // namespace nemora
