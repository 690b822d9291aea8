#include "timescale/day_bounds.h"

#include <cmath>

#include "base/errors.h"
#include "base/session.h"
#include "calendar/dms.h"
#include "calendar/hebrew.h"

namespace nemora {

int32_t inputDay(const Session& session) { return static_cast<int32_t>(std::floor(session.dblFixDate)); }

void splitClockHours(const Session& session, double hours, udtTime& t) {
  udtDms dms;
  if (!session.dms.ToDMS(hours, dms, true)) abandon();
  // The last twentieth of a second of a day rounds up to 24:00:00.
  if (dms.intDegreesHours == 24 && dms.intMinutes == 0 && dms.dblSeconds == 0) dms.intDegreesHours = 0;
  if (dms.intDegreesHours > 23) raise("Invalid udtTimeIn.udtDms.intDegreesHours: ", dms.intDegreesHours);
  t.udtDms = dms;
  t.blnSecondTime = false;
}

void sunsetDayBounds(Session& session, double dblFix, double& dblStart, double& dblEnd, int16_t& intDayShift) {
  bool ok = true;
  session.hebrew.StartEndDay(dblFix, dblStart, dblEnd, ok, intDayShift);
  if (!ok) abandon();
}

void checkDayBounds(double dblFix, double dblStart, double dblEnd, double L) {
  if (!(dblStart <= dblEnd && dblEnd <= dblStart + 2.002))
    raise("Difference between dblEnd and dblStart out of range: ", dblEnd, " - ", dblStart, " = ",
          dblEnd - dblStart);
  if (!(dblFix - L <= dblStart && dblStart <= dblFix))
    raise("Difference between dblFix and dblStart out of range: ", dblFix, " - ", dblStart, " = ", dblFix - dblStart);
  if (!(dblFix <= dblEnd && dblEnd <= dblFix + L))
    raise("Difference between dblEnd and dblFix out of range: ", dblEnd, " - ", dblFix, " = ", dblEnd - dblFix);
}

}  // namespace nemora
