#include "timescale/sunset_day.h"

#include "base/errors.h"
#include "base/session.h"

namespace nemora {

void sunsetsAroundDate(const Session& session, int32_t lngDay, double& dblStart, double& dblEnd) {
  const SunsetSource& sunset = session.sunset;
  // Without a source the bounds cannot be found at all: say so. A source that
  // finds no sunset (polar day or night) has told the user itself.
  if (!sunset) raise("No sunset times are available for days that begin at sunset");
  if (!sunset(lngDay - 1, dblStart) || !sunset(lngDay, dblEnd)) abandon();
}

}  // namespace nemora
