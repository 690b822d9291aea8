#include "timescale/clock_form.h"

#include "app/errors.h"
#include "app/session.h"

namespace nemora {

double clockHours24(const udtTime& t) {
  double hours = t.udtDms.intDegreesHours + t.udtDms.intMinutes / 60.0 + t.udtDms.dblSeconds / 3600.0;
  if (t.bln24Hour) return hours;
  if (t.udtDms.intDegreesHours == 12 && !t.blnPM) return hours - 12;
  if (t.blnPM && t.udtDms.intDegreesHours < 12) return hours + 12;
  return hours;
}

void toDisplayClock(const Session& session, udtTime& t) {
  int hours = t.udtDms.intDegreesHours % 24;
  if (hours < 0) hours += 24;
  t.blnPM = hours > 11;
  if (t.enmTimeType == ttGMST || t.enmTimeType == ttLST) {
    t.bln24Hour = true;
  } else if (t.enmTimeType == ttSeasonal) {
    t.bln24Hour = false;
  } else {
    t.bln24Hour = session.udtTimeIn.bln24Hour;
  }
  if (!t.bln24Hour) {
    bool seasonal = t.enmTimeType == ttSeasonal;
    if (hours == 0 && !seasonal) hours = 12;
    if (hours > 12 || (hours == 12 && seasonal)) hours -= 12;
    bool fits = seasonal ? (hours >= 0 && hours <= 11) : (hours >= 1 && hours <= 12);
    if (!fits) raiseFrom("frmTime.ToAMPM", "Invalid udtTimeIn.udtDms.intDegreesHours: ", hours);
  }
  t.udtDms.intDegreesHours = static_cast<int16_t>(hours);
}

}  // namespace nemora
