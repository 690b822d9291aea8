// The day of a Hebrew or Islamic date, which runs from the sunset that
// opens it to the sunset on its civil day.
#pragma once

#include <cstdint>

namespace nemora {

class Session;

// Sunset on civil day lngDay - 1 (dblStart) and on civil day lngDay
// (dblEnd), UT instants, from the session's sunset source. Raises inside the
// caller's handler when the session has no source of sunsets; abandons it
// without a message when the source finds no sunset (it has told the user
// of a failed computation itself).
void sunsetsAroundDate(const Session& session, int32_t lngDay, double& dblStart, double& dblEnd);

}  // namespace nemora
