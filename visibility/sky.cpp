#include "visibility/sky.h"

#include <cmath>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/session.h"
#include "base/spline.h"
#include "ephemeris/hbody.h"
#include "location/weather.h"
#include "visibility/optical_aid.h"

namespace nemora {

namespace {

// A formula that overflowed or had no value is an error of the routine that
// evaluated it, not a number to carry on with.
double finite(double x) {
  if (std::isnan(x)) raise("Invalid operation: ", x);
  if (std::isinf(x)) raise("Overflow: ", x);
  return x;
}

constexpr double kDegreesPerRadian = 57.2957795130823;
constexpr double kTwoPi = 6.28318530717959;

// Air mass of the point, the Moon or the Sun in the sky-brightness sums (a
// fit to the air mass of a plane-parallel atmosphere with a horizon limit).
double skyAirMass(double dblZenithDistance) {
  double c = CosD(dblZenithDistance);
  return std::fmin(40.0, std::fabs(1 / (c + 0.025 * std::exp(-11 * c))));
}

// Brightness scattered into a line of sight rho degrees from a light
// source: Rayleigh scattering, the aerosol forward peak and its core.
double scattering(double rho) {
  return std::pow(10.0, 5.36) * (1.06 + Square(CosD(rho))) + std::pow(10.0, 6.15 - rho / 40) + 6.2e7 / (rho * rho);
}

// Angular distance (degrees) between two directions of the sky; near 0 the
// flat-sky form keeps its precision.
double angularDistance(double alt1, double az1, double alt2, double az2) {
  double c = SinD(alt1) * SinD(alt2) + CosD(alt1) * CosD(alt2) * CosD(az2 - az1);
  if (c > 0.999995) return std::sqrt(Square(alt2 - alt1) + Square((az1 - az2) * CosD((alt2 + alt1) / 2)));
  if (c > -1) return ACosD(c);
  return 180;
}

// Relative humidity (per cent) of the aerosol term when the weather is
// estimated from climate rather than typed for the evening: a sighting is
// tried only under a clear sky, and climate normals average in the humid
// air of cloud, rain and fog, which the humidity law turns into a thick
// haze. At 50 % the law gives 0.20 magnitude per air mass of aerosol at sea
// level, an aerosol optical depth of 0.18 at 550 nm: the mean over land of
// the cloud-free scenes seen from orbit (0.19 over land, 0.13 over the
// oceans; Remer et al., J. Geophys. Res. 113, D14S07, 2008). The classic
// model keeps the climate's humidity.
constexpr double kClearEveningHumidity = 50.0;
// Relative humidity (per cent) that the aerosol term can take: at 100 % (fog)
// the term's logarithm is 0; just below it the extinction is already many
// magnitudes per air mass, which is what fog does to a faint light.
constexpr double kMaxAerosolHumidity = 99.0;

}  // namespace

void clsSky::GetX(double dblFix, int16_t intMode, double dblZa, double dblZt, double& dblXA, double& dblXO,
                  double& dblXG, bool& blnValid) {
  (void)dblFix;
  guardedVoid(blnValid, "cSky.GetX", [&] {
    double XA = 0, XO = 0, XG = 0;
    auto gas = [](double c) { return 1 / (c + 0.0286 * std::exp(-10.48 * c)); };
    auto aerosol = [](double c) { return 1 / (c + 0.0122 * std::exp(-24.49 * c)); };
    auto ozone = [](double z) { return 1 / std::sqrt(1 - 0.993758 * Square(SinD(z))); };
    switch (intMode) {
      case 0:
        XG = gas(CosD(dblZa));
        XA = aerosol(CosD(dblZa));
        XO = ozone(dblZa);
        break;
      case 1: {
        double c = CosD(dblZa);
        XG = 1 / (c + 0.0286 * std::exp(-10.5 * c));
        XA = 1 / (c + 0.0123 * std::exp(-24.5 * c));
        XO = 1 / std::sqrt(1 - Square(SinD(dblZa) / (1 + 20.0 / 6378)));
        break;
      }
      case 2:
        XG = gas(CosD(dblZt));
        XA = std::fabs(aerosol(CosD(dblZt)));
        XO = ozone(dblZa);
        break;
      default:
        raise("intMode not valid: ", intMode);
    }
    if (XG < 0) XG = 0;
    dblXA = finite(XA);
    dblXO = finite(XO);
    dblXG = finite(XG);
  });
}

void clsSky::GetK(double dblFix, int16_t intMode, double dblSunRA, double dblSunHA, double dblAlt,
                  bool blnReddening, double& KA, double& KO, double& KR, double& KW, bool& blnValid) {
  guardedVoid(blnValid, "cSky.GetK", [&] {
    if (intMode < 0 || intMode > 2) raise("intMode not valid: ", intMode);
    udtWeatherNow now;
    bool ok = true;
    session().weather.GetWeatherNow(dblFix, now, ok);
    if (!ok) abandon();
    const double H = session().udtLocation.dblHeight;
    const double phi = session().udtLocation.dblLatitude;
    const double s = phi > 0 ? 1.0 : (phi < 0 ? -1.0 : 0.0);
    const int32_t basis = session().udtWeather.udtBasis;
    const bool estimated = basis == kWeatherGlobal || basis == kWeatherLocal;
    const double RH = estimated && !session().options.blnClassicModel
                          ? kClearEveningHumidity
                          : std::fmin(now.dblHumidity, kMaxAerosolHumidity);
    // Ozone: thicker toward the poles and in each hemisphere's spring.
    const double ko = 0.010333 * (3 + 0.4 * (phi / kDegreesPerRadian * CosD(dblSunRA) - CosD(3 * phi)));
    // Aerosols swell with humidity and follow the season (the Sun's right
    // ascension) with opposite phase in the two hemispheres.
    const double humid = 1 - 0.32 / std::log(RH / 100);
    const double season = 1 + 0.33 * s * SinD(dblSunRA);
    double kr = 0, ka = 0, kw = 0;
    if (intMode == 1) {
      kr = 0.1066 * std::exp(-H / 8200);
      ka = 0.1 * std::exp(-H / 1500) * std::pow(humid, 1.33) * season;
      kw = 0.02914 * RH / 100 * std::exp(now.dblTemperature / 15) * std::exp(-H / 8200);
    } else {
      // Effective wavelength (micrometres): near the horizon the light that
      // comes through is reddened.
      double lambda = 0.55;
      if (blnReddening) lambda = dblAlt > 0.8 ? 0.55 + 0.15 * std::exp(-(dblAlt - 0.8) / 8) : 0.7;
      double ratio = lambda / 0.55;
      kr = 0.1066 * std::exp(-H / 8200) / std::pow(ratio, 4);
      ka = 0.12 * std::exp(-H / 1500) * std::pow(humid, 1.3333) * season / std::pow(ratio, 1.33);
      // Mode 2: aerosols peak in the afternoon (the Sun's hour angle).
      if (intMode == 2) ka *= 1 + 0.398 * CosD(dblSunHA - 38) * CosD(phi);
      kw = 0;
    }
    KA = finite(ka);
    KO = finite(ko);
    KR = finite(kr);
    KW = finite(kw);
  });
}

double clsSky::DeltaM(double dblFix, double dblAlt, int16_t intMode, bool& blnValid) {
  return guarded(blnValid, "cSky.DeltaM", 0.0, [&] {
    Session& s = session();
    bool ok = true;
    udtHBody sun;
    s.hbody.TrueHBody("Sun", dblFix, sun, ok);
    if (!ok) abandon();
    double Za = 90 - dblAlt;
    udtWeatherNow now;
    s.weather.GetWeatherNow(dblFix, now, ok);
    if (!ok) abandon();
    bool refracted = false;
    double refraction = s.hbody.Refract(dblAlt, false, now, refracted, ok);
    if (!ok) abandon();
    double Zt = refracted ? 90 - dblAlt - refraction : Za;
    double KA = 0, KO = 0, KR = 0, KW = 0, XA = 0, XO = 0, XG = 0;
    GetK(dblFix, intMode, sun.RATopo, sun.HourAngTopo, dblAlt, true, KA, KO, KR, KW, ok);
    if (!ok) abandon();
    GetX(dblFix, intMode, Za, Zt, XA, XO, XG, ok);
    if (!ok) abandon();
    double dm = (KR + KW) * XG + KO * XO + KA * XA;
    if (!(dm >= 0)) raise("DeltaM not valid: ", dm);
    return finite(dm);
  });
}

bool SkyKey::matches(const Session& session, double fix, double alt, double az) const {
  return dblFix == fix && dblAlt == alt && dblAz == az && inputs.matches(session);
}

void SkyKey::takeFrom(const Session& session, double fix, double alt, double az) {
  dblFix = fix;
  dblAlt = alt;
  dblAz = az;
  inputs.takeFrom(session);
}

double clsSky::SkyBrightness(double dblFix, double dblAlt, double dblAz, int16_t intMode, bool blnFixedKA,
                             double dblKA, bool& blnValid) {
  return guarded(blnValid, "cSky.SkyBrightness", 0.0, [&] {
    if (intMode != 2) raise("intMode not valid: ", intMode);
    udtSkyCache& c = cache_;
    Session& s = session();
    bool reuse = blnFixedKA && c.blnFilled && c.key.matches(s, dblFix, dblAlt, dblAz);
    if (!reuse) {
      c.blnFilled = false;
      bool ok = true;
      udtHBody moon, sun;
      s.hbody.TrueHBody("Moon", dblFix, moon, ok);
      if (!ok) abandon();
      s.hbody.TrueHBody("Sun", dblFix, sun, ok);
      if (!ok) abandon();
      double foveal = 0, peripheral = 0, total = 0;
      s.hbody.Magnitude("Moon", moon, dblFix, foveal, peripheral, total, ok);
      if (!ok) abandon();
      GetK(dblFix, intMode, sun.RATopo, sun.HourAngTopo, dblAlt, false, c.KA, c.KO, c.KR, c.KW, ok);
      if (!ok) abandon();
      c.dblMoonMag = total;
      c.dblSunAlt = sun.AltTopo;
      c.dblZ = 90 - dblAlt;
      // The point is never closer to a body than (nearly) the body's own
      // lit extent: the crescent's width for the Moon, the disc for the Sun.
      c.dblRhoMoon = std::fmax(angularDistance(dblAlt, dblAz, moon.AltRefr, moon.AzTopo),
                               0.97 * 2 * moon.Radius * moon.Phase);
      c.dblRhoSun = std::fmax(angularDistance(dblAlt, dblAz, sun.AltRefr, sun.AzTopo), 0.97 * 2 * sun.Radius);
      c.dblXPoint = c.dblZ > 90 ? 40 : skyAirMass(c.dblZ);
      c.dblXMoon = moon.AltRefr > 0 && moon.RefrFlag ? skyAirMass(90 - moon.AltRefr) : 40;
      c.dblXSun = sun.AltRefr > 0 && sun.RefrFlag ? skyAirMass(90 - sun.AltRefr) : 40;
      // Airglow and zodiacal light follow the 11.2-year solar cycle and
      // brighten toward the horizon (a longer path through the glowing layer).
      c.dblDarkSky = (1 + 0.3 * std::cos(kTwoPi * (dblFix / 365.242 - 2000.21) / 11.2)) * 0.0002865 *
                     (0.4 + 0.6 / std::sqrt(1 - 0.96 * Square(SinD(c.dblZ))));
      c.dblFRhoMoon = scattering(c.dblRhoMoon);
      c.dblFRhoSun = scattering(c.dblRhoSun);
      c.dblMoonlight = 3.18e-6 * c.dblFRhoMoon;
      c.dblTwilight = std::pow(10.0, 0.4 * c.dblSunAlt) * 54140 / c.dblRhoSun;
      c.dblDaylight = 0.050616;
      c.key.takeFrom(s, dblFix, dblAlt, dblAz);
      c.blnFilled = true;
    }
    double KA = blnFixedKA ? dblKA : c.KA;
    double K = c.KR + KA + c.KO + c.KW;
    double T = std::pow(10.0, -0.4 * K * c.dblXPoint);
    double TSun = std::pow(10.0, -0.4 * K * c.dblXSun);
    double night = c.dblDarkSky * T;
    double moonlight = std::pow(10.0, -0.4 * (c.dblXMoon * K + c.dblMoonMag + 16.57)) * c.dblMoonlight * (1 - T);
    double twilight = (1 - std::pow(10.0, -0.4 * K)) * c.dblTwilight * std::pow(10.0, 0.4 * c.dblZ / (360 * K));
    double daylight = (1 - T) * ((1 - TSun) * 440000 + TSun * c.dblFRhoSun) * c.dblDaylight;
    return finite(std::fmin(twilight, daylight) + night + moonlight);
  });
}

double clsSky::UsefulWidth(double dblBSky) {
  double b = 3145.6 * dblBSky;
  double day = std::pow(10.0, 8.28 * std::pow(b, -0.29)) * 0.01111111;
  double night = std::pow(10.0, 0.3 * std::pow(b, -0.29)) * 0.105 / 2.5;
  if (dblBSky > std::pow(10.0, 0.1717)) return day;
  if (dblBSky <= std::pow(10.0, -0.8283)) return std::fmin(night, 0.25);
  // Between the two forms the width passes linearly in log B from one to
  // the other.
  double L = std::log10(dblBSky);
  return day * (L + 1.3283 - 0.5) + night * (-L - 0.3283 + 0.5);
}

namespace {

// The eye against a sky of brightness 10^logB cd/m^2 (a fit to Hecht's
// threshold data, Schaefer, PASP 102, 212, 1990): the intensity just seen,
// rods in a dark sky and cones in a bright one.
double thresholdIntensity(double logB) {
  return logB < -2.3172 ? std::pow(10.0, -9.8) * Square(1 + std::sqrt(std::pow(10.0, logB - 1.9 + 5.4972)))
                        : std::pow(10.0, -8.35) * Square(1 + std::sqrt(std::pow(10.0, logB - 5.9 + 5.4972)));
}

// 10^exponent, capped at 1e80 for an extremely bright source.
double intensityOf(double exponent) { return exponent > 80 ? 1e80 : std::pow(10.0, exponent); }

// The intensity that counts: the foveal part with what the periphery adds
// against this sky.
double effectiveIntensity(double logB, double If, double Ip) {
  return std::fmax((0.0049 * logB * logB - 0.0533 * logB + 0.1278) * Ip + If, If);
}

// A source's intensity over the threshold intensity against a sky of
// brightness B, seen through the observer's aid (factors of 1 for the naked
// eye: binoculars and telescopes pass on the body's light and the sky each
// in their own way). mZero is the magnitude of unit intensity, less any
// extinction the caller takes off.
double contrastThroughAid(const udtOpticalAid& aid, double B, double mZero, double dblFovealMag,
                          double dblPeriphMag) {
  const AidFactors through = ThroughAid(aid, B);
  const double logB = finite(std::log10(B * through.dblSky));
  const double If = through.dblLight * intensityOf((mZero - dblFovealMag) / 2.5);
  const double Ip = through.dblLight * intensityOf((mZero - dblPeriphMag) / 2.5);
  return effectiveIntensity(logB, If, Ip) / thresholdIntensity(logB);
}

// Chance of seeing a source ratio times the threshold intensity.
double seeingChance(double ratio) { return Square(1 - std::exp(-1.267 * Square(ratio))); }

// The spread (magnitudes, one standard deviation) of a source's contrast
// from one clear evening to the next: aerosol optical depths spread
// log-normally by about half their value (O'Neill et al., Geophys. Res.
// Lett. 27, 3333, 2000), some 0.08 magnitude per air mass of aerosol
// extinction, over the 10 to 15 aerosol air masses through which a young
// crescent a few degrees up is seen.
constexpr double kContrastSpread = 1.0;
// The spread is averaged over this many standard deviations on either side.
constexpr double kSpreadRange = 4;
// The one number fitted on observed crescents: the contrast of an extended
// source is taken kNakedEyeOffset magnitudes fainter than the eye model
// gives (the eye's threshold was measured for a known point; a thin arc
// searched for in twilight needs more). Fitted by least log loss on Yallop's
// 368 naked-eye and optical-aid records alone (NAO Technical Note 69, 1997);
// ten-fold cross-validation over whole evenings (seed 31) gave 2.61 to 2.92
// across the folds and an out-of-fold Brier score of 0.096 (naked eye). A
// second number, a gain of the optical aids, was fitted too (-0.29 mag) and
// left out: it did not predict the held-out records better.
// tools/fit/fit_offsets.py refits both; every other set of records is kept
// for testing the number.
constexpr double kNakedEyeOffset = 2.75;

}  // namespace

double clsSky::Contrast(double dblFix, double dblAlt, double dblAz, double dblFovealMag, double dblPeriphMag,
                        double dblKA, bool& blnValid) {
  return guarded(blnValid, "cSky.ProbVis", 0.0, [&] {
    bool ok = true;
    double B = SkyBrightness(dblFix, dblAlt, dblAz, 2, true, dblKA, ok);
    if (!ok) abandon();
    return contrastThroughAid(session().udtObserver.aid, B, -16.57, dblFovealMag, dblPeriphMag);
  });
}

double clsSky::ProbVis(double dblFix, double dblAlt, double dblAz, double dblFovealMag, double dblPeriphMag,
                       double dblKA, double dblXA, bool& blnValid) {
  return guarded(blnValid, "cSky.ProbVis", 0.0, [&] {
    Session& s = session();
    const int N = s.options.intNIntegrals;
    double range = 0;
    switch (N) {
      case 16: range = 5.0; break;
      case 32: range = 6.4; break;
      case 64: range = 8.0; break;
      case 128: range = 9.9; break;
      default: raise("Invalid intNIntegrals in ProbVis :", N);
    }
    bool ok = true;
    double P = 0;
    if (s.options.blnClassicModel) {
      // The aerosol coefficient of the moment is uncertain: average the
      // chance of a sighting over its log-normal spread around the expected
      // value.
      double sumPW = 0, sumW = 0;
      for (int i = 1; i <= N; ++i) {
        double KAi = range * i * dblKA / N;
        double B = SkyBrightness(dblFix, dblAlt, dblAz, 2, true, KAi, ok);
        if (!ok) abandon();
        double mPrime = (dblKA - KAi) * dblXA - 16.57;
        double w = std::exp(-Square(std::log(KAi) - std::log(dblKA) - 0.3698) / 1.4792) / KAi * 0.4639;
        sumPW += seeingChance(contrastThroughAid(s.udtObserver.aid, B, mPrime, dblFovealMag, dblPeriphMag)) * w;
        sumW += w;
      }
      P = finite(sumPW / sumW);
    } else {
      // The contrast of the source against the sky at the expected aerosol
      // coefficient, averaged over a normal spread of kContrastSpread
      // magnitudes. The spread is the same at every altitude, so the chance
      // rises and falls with the contrast alone: a source that fades faster
      // than the sky darkens is ever harder to see. (Spreading the aerosol
      // coefficient itself, times an aerosol air mass that reaches 80 at the
      // horizon, credits a sinking crescent with the rare evenings of very
      // clean air more and more, and its chance then grows as it fades.)
      double contrast = Contrast(dblFix, dblAlt, dblAz, dblFovealMag, dblPeriphMag, dblKA, ok);
      if (!ok) abandon();
      if (dblPeriphMag < 10) contrast *= std::pow(10.0, -0.4 * kNakedEyeOffset);
      double sumPW = 0, sumW = 0;
      for (int i = 0; i < N; ++i) {
        double z = kSpreadRange * (2.0 * (i + 0.5) / N - 1);
        double w = std::exp(-z * z / 2);
        sumPW += seeingChance(contrast * std::pow(10.0, 0.4 * kContrastSpread * z)) * w;
        sumW += w;
      }
      P = finite(sumPW / sumW);
    }
    // Calibration on observed sightings: point sources and extended ones.
    double z = s.main.NormInv(P, ok);
    if (!ok) abandon();
    P = dblPeriphMag >= 10 ? s.main.Norm((z + 0.06) * 1.09, ok) : s.main.Norm((z - 0.32848) * 1.339239, ok);
    if (!ok) abandon();
    if (s.udtObserver.blnOverall) return P;
    z = s.main.NormInv(P, ok);
    if (!ok) abandon();
    P = s.main.Norm((z + s.udtObserver.dblLevel) / 0.86, ok);
    if (!ok) abandon();
    return P;
  });
}

double clsSky::El2(double dblX, double dblQQC, double dblAA, double dblBB) {
  // Bulirsch (1965), Numerische Mathematik 7, 78-90: Landen's
  // transformation applied until the running modulus converges.
  constexpr double kTolerance = 0.0003;
  if (dblX == 0) return 0;
  if (dblQQC == 0) raise("Bad dblQQC in El2.");
  double qc = std::fabs(dblQQC);
  double a = dblAA, b = dblBB;
  double c = dblX * dblX;
  double d = 1 + c;
  double p = std::sqrt((1 + qc * qc * c) / d);
  d = dblX / d;
  c = d / (2 * p);
  double z = a - b;
  double ai = a;
  a = (b + a) / 2;
  double y = std::fabs(1 / dblX);
  double f = 0;
  int l = 0;
  double em = 1;
  for (int pass = 0; pass < 64; ++pass) {
    b = ai * qc + b;
    double e = em * qc;
    double g = e / p;
    d = f * g + d;
    f = c;
    ai = a;
    p = g + p;
    c = (d / p + c) / 2;
    g = em;
    em = qc + em;
    a = (b / em + a) / 2;
    y = -e / y + y;
    if (y == 0) y = std::sqrt(e) * 1e-9;
    if (std::fabs(g - qc) <= kTolerance * g) break;
    qc = 2 * std::sqrt(e);
    l += l;
    if (y < 0) ++l;
  }
  if (y < 0) ++l;
  double e = (std::atan(em / y) + M_PI * l) * a / em;
  if (dblX < 0) e = -e;
  return e + c * z;
}

double clsSky::SeaLevelHorizon(const udtWeatherNow& udtNow, bool& blnValid) {
  return guarded(blnValid, "cSky.SeaLevelHorizon", 0.0, [&] {
    // The grazing ray to the sea horizon runs near sea level: its refraction
    // is that of the sea-level pressure (the station pressure brought down
    // with a 7143 m scale height) and temperature (a lapse of 5.688 K/km),
    // and the horizon lies below the true horizontal by the geometric dip.
    // An observer at or below sea level has no dip, and the sea horizon is
    // the flat horizon with its refraction there.
    double H = std::fmax(0.0, session().udtLocation.dblHeight);
    double p = std::exp(H / 7143) * udtNow.dblPressure / 1013.25;
    double t = (0.005688 * H + udtNow.dblTemperature + 273.15) / 273.15;
    double g = ACosD(1 / (1 + H / 6378000));
    double horizon = -0.604 * p / t - g;
    if (!(horizon >= -15 && horizon <= 0)) raise("Invalid SeaLevelHorizon: ", horizon);
    return horizon;
  });
}

}  // namespace nemora
