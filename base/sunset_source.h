// Where the sunsets come from for days that run from sunset to sunset
// (Hebrew and Islamic days).
#pragma once

#include <cstdint>
#include <functional>

namespace nemora {

// Gives the UT instant (fixed day number with day fraction) of sunset on
// civil day lngDay at the session's current location. Returns false when the
// Sun does not set that day (polar day or night) or when the computation
// failed; a computation that failed has already shown its own message.
using SunsetSource = std::function<bool(int32_t lngDay, double& dblSunset)>;

}  // namespace nemora
