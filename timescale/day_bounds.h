// Pieces shared by the time scales: days that begin at sunset, the splitting
// of a clock value into a time record, and the plausibility of day bounds.
// Each raises inside the calling routine's handler, or abandons it when a
// routine it called has already told the user.
#pragma once

#include <cstdint>

#include "base/date.h"
#include "base/time_types.h"

namespace nemora {

class Session;

// Hebrew and Islamic days run from sunset to sunset.
inline bool beginsAtSunset(int32_t enmDateType) { return enmDateType >= dtHebrew; }

// Fixed day number of the input date (the whole days of dblFixDate).
int32_t inputDay(const Session& session);

// Splits a clock value in hours (0 to below 24) into the record's hours,
// minutes and seconds, rounded to a tenth of a second; a value that rounds
// to 24:00:00 becomes 0:00:00.
void splitClockHours(const Session& session, double hours, udtTime& t);

// Bounds of the day from sunset to sunset that contains dblFix.
void sunsetDayBounds(Session& session, double dblFix, double& dblStart, double& dblEnd, int16_t& intDayShift);

// dblStart <= dblEnd <= dblStart + 2.002, dblFix - L <= dblStart <= dblFix,
// dblFix <= dblEnd <= dblFix + L (days).
void checkDayBounds(double dblFix, double dblStart, double dblEnd, double L);

}  // namespace nemora
