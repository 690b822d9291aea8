// The photometric model of the atmosphere and the natural cubic spline used
// for tabulated data (the near-horizon refraction table, the curves of the
// graphs).
#pragma once

#include <span>
#include <vector>

#include "app/session_bound.h"
#include "location/weather.h"

namespace nemora {

class clsSky : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // True altitude (degrees, 0 or below) of the sea horizon seen from the
  // current location's height in the given weather: the dip and the
  // refraction of the grazing ray.
  double SeaLevelHorizon(const udtWeatherNow& udtNow, bool& blnValid);

  // Second derivatives of the natural cubic spline (second derivative 0 at
  // both ends) through the first n points (x strictly increasing).
  static std::vector<double> SPLINE(std::span<const double> x, std::span<const double> y, int n);

  // The spline of SPLINE evaluated at x; the bracketing interval is found by
  // bisection, so x outside the table extrapolates the end polynomial. Raises
  // (without a handler of its own) on two equal abscissae or an empty table.
  static double SPLINT(std::span<const double> dblX, std::span<const double> y, std::span<const double> y2,
                       int n, double x);
};

}  // namespace nemora
