// Local zone time: the offset from UT of the current location, either a fixed
// zone with a manual daylight-saving switch or the named country's zone
// history with its daylight-saving changeover rules.
#pragma once

#include <cstdint>

#include "base/session_bound.h"
#include "base/location_types.h"
#include "base/time_types.h"

namespace nemora {

class clsLocalTime : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Offset in hours ahead of UT in force at the UT instant dblDate for the
  // current location: the standard zone plus one hour while daylight saving
  // is in force. On a change day the instant is compared with the instant of
  // the change itself.
  double GetTZ(double dblDate, bool& blnValid);
  // The same for another location record (the location dialog's choice).
  double GetTZ(const udtLocation& location, double dblDate, bool& blnValid);
  // Offset in hours for a local date (dblDate, whole days) and a local clock
  // reading in hours, for converting local times to UT: on the day of the
  // change back the repeated hour counts as standard time; on the day of the
  // change into daylight saving the skipped hour follows the manual choice.
  double GetTZLocal(const udtLocation& location, double dblDate, double dblClockHours, bool& blnValid);

  // UT day fraction of a local-time record on the input date.
  double FromLocal(const udtTime& udtTimeIn, bool& blnValid, int32_t enmDateType);
  // The local-time record of an instant (UT), in the display's clock form.
  void ToLocal(double dblDate, udtTime& udtTimeOut, bool& blnValid);
  // UT instants of the start and end of the local calendar day containing
  // dblFix (sunset to sunset for Hebrew and Islamic dates).
  void StartEndOfDay(double dblFix, int32_t enmDateType, double& dblStart, double& dblEnd, bool& blnValid,
                     int16_t& intDayShift);
  // The UT day fraction at which the local day begins, seen from dblFix:
  // minus the offset, in days (0 when the offset cannot be found).
  double ZeroTime(double dblFix);

 private:
  // How a change day's clock reading was obtained.
  enum class ChangeDayClock {
    Standard,  // the standard-time clock of a UT instant
    Wall,      // a local clock as read on the wall (may be daylight time)
  };
  // Offset for a location whose epoch is chosen at dblEpochDate, on the local
  // day dblDay with the given clock reading on that day.
  double offsetOf(const udtLocation& location, double dblEpochDate, double dblDay, double dblClockHours,
                  ChangeDayClock clock);
  // 1 when daylight saving is in force in an epoch on day dblDay at the clock
  // reading, else 0. The change into daylight saving happens at intHour of the
  // first rule on the standard clock, the change back at intHour of the second
  // rule on the daylight clock (intHour - 1 on the standard clock).
  int dstHours(const udtLocation& location, const udtTZHistory& epoch, double dblDay, double dblClockHours,
               ChangeDayClock clock);
  // -1, 0 or 1 as the day of dblDate lies before, on or after a rule's day;
  // abandons when the rule cannot be evaluated.
  int16_t compareWithRule(const udtDSTRule& rule, double dblDate, bool blnFirst);
};

}  // namespace nemora
