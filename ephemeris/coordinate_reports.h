// The four coordinate reports of the main window for one body at the main
// window's current instant (dblFixDate + dblFixTime): ecliptic, equatorial
// and horizon coordinates, and distance and size. Each returns its text, one
// line per item, every line ending with a line break; an empty text with
// blnValid false when the position could not be computed.
#pragma once

#include <string>

#include "base/session_bound.h"

namespace nemora {

class CoordinateReports : public SessionBound {
 public:
  using SessionBound::SessionBound;

  std::string EclipticReport(const std::string& strName, bool& blnValid);
  std::string EquatorialReport(const std::string& strName, bool& blnValid);
  std::string HorizonReport(const std::string& strName, bool& blnValid);
  std::string DistanceReport(const std::string& strName, bool& blnValid);

  // True for "Ecliptic coordinates", "Equatorial coordinates", "Horizon
  // coordinates" and "Distance & size".
  static bool isCoordinateParameter(const std::string& strParameter);
  // The report for one of those parameters (empty, blnValid false, for any
  // other parameter text, without a message).
  std::string report(const std::string& strName, const std::string& strParameter, bool& blnValid);

  // An angle as degrees, minutes and seconds with the given number of
  // decimals of a second (-1: whole minutes, no seconds), rounded once at
  // that precision; a negative angle gets a leading "-".
  std::string angleText(double x, int decimals, const char* units = "°'\"") const;
};

}  // namespace nemora
