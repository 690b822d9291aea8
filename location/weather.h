// The weather model: air temperature, pressure and relative humidity at the
// observer at any instant, estimated from a global climate formula, from the
// climate summary of the nearest place of the location database, or from
// values the user typed (a mean with daily and annual ranges, or fixed
// values). Refraction, extinction and sky brightness read it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/session_bound.h"
#include "base/location_types.h"
#include "base/weather_types.h"

namespace nemora {

// Temperature (degrees Celsius) to add to a temperature at height h0 to get
// one at height h (metres), in a piecewise standard atmosphere: falling
// 6.5 degrees per km up to 10 km, constant to 20 km, rising to 45 km, constant
// to 50 km, falling to 90 km and rising above. h0 is taken to lie below 10 km.
double dblHeightTempAdj(double h, double h0);

// Distance in km used to find the nearest place, from (latitude, longitude)
// to (dblLatN, dblLonN), all in degrees: a flat approximation for places
// closer than about a fifth of a degree, the great circle otherwise.
double weatherPlaceDistance(double dblLat, double dblLon, double dblLatN, double dblLonN);

// The position for which the Local basis last searched the database, and the
// place it found there.
struct NearestPlace {
  double dblLatitude = 100;  // impossible: the first search always runs
  double dblLongitude = 0;
  double dblHeight = 0;
  int intCountry = 0;
  int intCity = 0;
  int intNeighborhood = 0;
  const void* database = nullptr;  // the loaded database the indices belong to
};

class WeatherModel : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // The weather at the UT instant dblFix (fixed day number with its fraction)
  // at the session's evaluation position, by the session's weather basis. On a
  // failure (message shown) blnValid is false and udtNow is left as it was.
  void GetWeatherNow(double dblFix, udtWeatherNow& udtNow, bool& blnValid);

  // The one-line weather text of the main window, e.g.
  // "Basis Local T 16.3 C, P 923 mbar, RH 68 %".
  std::string WriteWeather(const udtWeatherNow& udtNow, bool& blnValid);

  // The main window's weather label for the input instant: the weather is
  // estimated into the session's udtWeatherNow and written after "Weather ".
  // Empty with blnValid false when either step failed.
  std::string WeatherLabel(double dblFix, bool& blnValid);

  // The nearest-place memory of the Local basis: the position and the
  // database it was found for, compared on every estimate.
  const NearestPlace& nearestPlace() const { return nearest_; }

 private:
  // Annual cycle factor: cos(L - 128 degrees) / 2, L the Sun's geometric mean
  // longitude at dblFix. Clears blnValid (after its message) when the
  // instant cannot be turned into dynamical time.
  double annualFactor(double dblFix, bool& blnValid);
  // The neighbourhood nearest to the evaluation position, through the memory.
  const udtNeighborhood& nearestNeighborhood();

  NearestPlace nearest_;
};

}  // namespace nemora
