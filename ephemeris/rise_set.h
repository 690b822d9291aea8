// Sunrise and sunset as the calendars and the seasonal hours use them, and
// the rise and set reports of the main window.
#pragma once

#include <cstdint>
#include <string>

#include "base/session_bound.h"

namespace nemora {

class Session;

// Sunrise (blnSet false) or sunset on civil day lngDay at the current
// location: the Sun's upper limb on the flat horizon, with refraction. False
// after a message when the Sun does not rise or set that day (polar day or
// night) or when the computation failed.
bool SunRiseSet(Session& session, int32_t lngDay, bool blnSet, double& dblInstant);

// Sunset on civil day lngDay: the source of the days that run from sunset
// to sunset.
bool SunsetOnDay(Session& session, int32_t lngDay, double& dblSunset);

// The Hebrew name of the Sun, the Moon or a planet; a star keeps its
// catalogue name.
std::string hebrewBodyName(const std::string& strName);

class RiseSetReports : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The rise (or set) of a body over the geometric, the flat and the sea
  // level horizons on the local day of the main window's instant, one line
  // each; empty with blnValid false when a computation failed.
  std::string RiseReport(const std::string& strName, bool& blnValid);
  std::string SetReport(const std::string& strName, bool& blnValid);

 private:
  std::string report(const std::string& strName, bool blnSet, bool& blnValid);
  // "Geometric Sunrise", "No apparent Moonset over flat horizon", ...
  std::string eventText(const std::string& strName, bool blnSet, bool blnApparent, bool blnSeaLevel,
                        bool blnFound) const;
};

}  // namespace nemora
