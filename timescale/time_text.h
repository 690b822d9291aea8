// Time text and the two clock forms of a time record: the 24-hour clock, and
// the 12-hour clock with a.m./p.m. (seasonal hours count 0 to 11 in a night
// half and a day half). Also the reading of an "h:m:s" text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/session_bound.h"
#include "base/time_types.h"

namespace nemora {

// Names of the time scales in the time lists, by enmTimeType.
inline constexpr std::string_view kTimeTypeNames[] = {"UTC", "Local", "Mean Solar", "True Solar",
                                                      "GMST", "LST", "Seasonal"};

class TimeText : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The record as text in the session's language: hours, minutes and, for
  // precision codes 0 and above, seconds with that many decimals (code -1:
  // whole minutes, rounded); then the half of the day on the 12-hour clock,
  // the second-occurrence mark and, with blnTypeName, the scale's name.
  // Hours are two digits when the input time is on the 24-hour clock.
  std::string WriteTime(const udtTime& t, int16_t intPrecision, bool& blnValid, bool blnTypeName);

  // Puts a record whose hours are on the 24-hour clock (any whole number of
  // hours is reduced modulo 24) into the display's clock form: GMST and LST
  // on the 24-hour clock, seasonal hours on the 12-hour clock, the other
  // scales as the input time udtTimeIn.
  void ToAMPM(udtTime& t, bool& blnValid);

  // Hours on the 24-hour clock (decimal) of a record in its own clock form;
  // 12 a.m. is midnight, 12 p.m. noon.
  double FromAMPM(const udtTime& t, bool& blnValid);

  // Reads "h:m" or "h:m:s" (whole hours and minutes, seconds with decimals)
  // into the record's clock fields on the 24-hour clock. False, and the
  // record unchanged, when the text is not such a time.
  bool ParseHM(std::string_view text, udtTime& t) const;
};

}  // namespace nemora
