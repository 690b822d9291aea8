#include "timescale/sunset_day.h"

#include "app/errors.h"
#include "app/session.h"

namespace nemora {

void sunsetsAroundDate(const Session& session, int32_t lngDay, double& dblStart, double& dblEnd) {
  const SunsetSource& sunset = session.sunset;
  if (!sunset || !sunset(lngDay - 1, dblStart) || !sunset(lngDay, dblEnd)) abandon();
}

}  // namespace nemora
