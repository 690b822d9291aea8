// The two clock forms of a time record: the 24-hour clock value of a record
// and the putting of a 24-hour record into the form the display asks for
// (24-hour, or 12-hour with a.m./p.m.; seasonal hours by day and night halves).
#pragma once

#include "timescale/time_types.h"

namespace nemora {

class Session;

// Hours on the 24-hour clock of a record's hours, minutes and seconds (the
// sign is ignored). On the 12-hour clock 12 a.m. is midnight and p.m. hours
// below 12 gain 12.
double clockHours24(const udtTime& t);

// Puts a record whose hours are on the 24-hour clock into the display's clock
// form: GMST and LST always on the 24-hour clock, seasonal hours never, the
// other scales as the input time udtTimeIn. Raises (source "frmTime.ToAMPM")
// when the hours do not fit the 12-hour clock.
void toDisplayClock(const Session& session, udtTime& t);

}  // namespace nemora
