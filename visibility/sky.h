// The photometric model of the atmosphere and the natural cubic spline used
// for tabulated data (the near-horizon refraction table, the curves of the
// graphs).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/memory_keys.h"
#include "base/session_bound.h"
#include "location/weather.h"

namespace nemora {

// What a kept sky-brightness evaluation depends on: the instant, the point,
// and the place and the weather (through the Sun's and the Moon's records
// and the extinction). It is reused only with the caller's aerosol
// coefficient, so the humidity that the options' model gives the aerosols
// plays no part in it.
struct SkyKey {
  double dblFix = 0, dblAlt = 0, dblAz = 0;
  SkyInputs inputs;

  friend bool operator==(const SkyKey&, const SkyKey&) = default;
  // True when this is the key of the evaluation asked for in the session.
  bool matches(const Session& session, double dblFix, double dblAlt, double dblAz) const;
  void takeFrom(const Session& session, double dblFix, double dblAlt, double dblAz);
};

// The last full sky-brightness evaluation: its key, and every quantity that
// does not depend on the aerosol coefficient, so that a scan over aerosol
// coefficients at one point recomputes only the cheap sums.
struct udtSkyCache {
  bool blnFilled = false;
  SkyKey key;
  double KR = 0, KA = 0, KO = 0, KW = 0;
  double dblXPoint = 0, dblXMoon = 0, dblXSun = 0;   // air masses (capped at 40)
  double dblRhoMoon = 0, dblRhoSun = 0;              // angular distances of the point, degrees
  double dblFRhoMoon = 0, dblFRhoSun = 0;            // their scattering functions
  double dblMoonMag = 0;                             // the Moon's total magnitude
  double dblSunAlt = 0;                              // the Sun's topocentric altitude
  double dblZ = 0;                                   // zenith distance of the point
  double dblDarkSky = 0, dblMoonlight = 0, dblTwilight = 0, dblDaylight = 0;  // factors
};

class clsSky : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Air masses toward a line of sight of apparent zenith distance dblZa and
  // true (airless) zenith distance dblZt: aerosol XA, ozone XO, gas XG.
  void GetX(double dblFix, int16_t intMode, double dblZa, double dblZt, double& dblXA, double& dblXO,
            double& dblXG, bool& blnValid);
  // Extinction coefficients (magnitudes per air mass) at the current place
  // and the weather at dblFix: aerosol KA, ozone KO, Rayleigh KR, water
  // vapour KW. The Sun's right ascension and hour angle (degrees) carry the
  // seasonal and daily aerosol cycles; blnReddening shifts the effective
  // wavelength to the red for a line of sight near the horizon.
  void GetK(double dblFix, int16_t intMode, double dblSunRA, double dblSunHA, double dblAlt, bool blnReddening,
            double& KA, double& KO, double& KR, double& KW, bool& blnValid);
  // Extinction (magnitudes) toward a body at apparent altitude dblAlt.
  double DeltaM(double dblFix, double dblAlt, int16_t intMode, bool& blnValid);
  // Brightness of the sky (cd/m^2) at apparent altitude dblAlt and azimuth
  // dblAz: night sky, moonlight, twilight and daylight (mode 2). With
  // blnFixedKA the aerosol coefficient is dblKA, and a repeated point and
  // instant (with the same inputs) reuses the cached evaluation.
  double SkyBrightness(double dblFix, double dblAlt, double dblAz, int16_t intMode, bool blnFixedKA, double dblKA,
                       bool& blnValid);
  // The narrowest width (degrees) that the eye resolves against a sky of
  // brightness dblBSky (cd/m^2).
  static double UsefulWidth(double dblBSky);
  // Probability (0 to 1) of seeing a source of the given foveal and
  // peripheral ground magnitudes at the point, averaged over the spread of
  // clear evenings: of its contrast, or (the classic model of the options)
  // of the aerosol coefficient around dblKA at air mass dblXA.
  double ProbVis(double dblFix, double dblAlt, double dblAz, double dblFovealMag, double dblPeriphMag,
                 double dblKA, double dblXA, bool& blnValid);
  // The source's effective intensity over the eye's threshold against the
  // sky at the point, at the aerosol coefficient dblKA.
  double Contrast(double dblFix, double dblAlt, double dblAz, double dblFovealMag, double dblPeriphMag,
                  double dblKA, bool& blnValid);
  // Bulirsch's general elliptic integral of the second kind el2(x, kc, a, b);
  // raises (without a handler of its own) when kc is 0.
  static double El2(double dblX, double dblQQC, double dblAA, double dblBB);

  // True altitude (degrees, 0 or below) of the sea horizon seen from the
  // current location's height in the given weather: the dip and the
  // refraction of the grazing ray.
  double SeaLevelHorizon(const udtWeatherNow& udtNow, bool& blnValid);

 private:
  udtSkyCache cache_;
};

}  // namespace nemora
