#include "calendar/dms.h"

#include <cmath>
#include <cstdint>

namespace nemora {
namespace {
constexpr std::string_view kCorruptLocation =
    "Data from last saved location corrupted or missing. Loading default location.";
}

double clsDMS::FromDMS(const udtDms& r, bool& blnValid) const {
  return guarded(blnValid, "clsDMS.FromDMS", 0.0, [&] {
    if (r.intDegreesHours < 0) raise("udtDms.intDegreeshours out of range: ", r.intDegreesHours);
    if (r.intMinutes < 0 || r.intMinutes > 59) raise("udtDms.intminutes out of range: ", r.intMinutes);
    if (!(r.dblSeconds >= 0 && r.dblSeconds < 60)) raise("udtDms.intseconds out of range: ", r.dblSeconds);
    double value = r.intDegreesHours + r.intMinutes / 60.0 + r.dblSeconds / 3600.0;
    return r.blnPositive ? value : -value;
  }, withSecondLine(kCorruptLocation));
}

bool clsDMS::ToDMS(double x, udtDms& r, bool blnSeconds) const {
  bool ok = true;
  guardedVoid(ok, "clsDMS.ToDMS", [&] {
    if (!(std::fabs(x) <= 59652)) raise("dblX out of range: ", x);
    // Tenths of a second, rounded half away from zero.
    int64_t n = static_cast<int64_t>(x * 36000 + (x > 0 ? 0.5 : x < 0 ? -0.5 : 0.0));
    int64_t magnitude = n < 0 ? -n : n;
    if (blnSeconds) {
      r.intDegreesHours = static_cast<int16_t>(magnitude / 36000);
      r.intMinutes = static_cast<int16_t>((magnitude / 600) % 60);
      r.dblSeconds = static_cast<double>(magnitude % 600) / 10.0;
    } else {
      int64_t minutes = static_cast<int64_t>(std::floor(static_cast<double>(magnitude) / 600 + 0.5));
      r.intDegreesHours = static_cast<int16_t>(minutes / 60);
      r.intMinutes = static_cast<int16_t>(minutes % 60);
      r.dblSeconds = 0;
    }
    r.blnPositive = n >= 0;
    if (r.intDegreesHours < 0) raise(".intDegreeshours out of range: ", r.intDegreesHours);
    if (r.intMinutes < 0 || r.intMinutes > 59) raise(".intminutes out of range: ", r.intMinutes);
    if (!(r.dblSeconds >= 0 && r.dblSeconds < 60) || (!blnSeconds && r.dblSeconds != 0))
      raise(".intseconds out of range: ", r.dblSeconds);
  }, withSecondLine(kCorruptLocation));
  return ok;
}

}  // namespace nemora
