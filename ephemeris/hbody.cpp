#include "ephemeris/hbody.h"

#include <cmath>
#include <map>
#include <mutex>

#include "app/session.h"
#include "visibility/sky.h"

namespace nemora {

namespace {

constexpr const char* kTrueHBody = "cHBody.TrueHBody";

// Diameters (km) used for the apparent radius and the lit width.
constexpr double kSunDiameter = 1392000;
constexpr double kMoonDiameter = 3476;

double planetDiameter(const std::string& name) {
  if (name == "Mercury") return 4880;
  if (name == "Venus") return 12103.6;
  if (name == "Mars") return 6790;
  if (name == "Jupiter") return 116600;
  if (name == "Saturn") return 100000;
  return 0;
}

int planetSlot(const std::string& name) {
  static constexpr std::array<const char*, 6> names = {"Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn"};
  for (size_t i = 0; i < names.size(); ++i)
    if (name == names[i]) return static_cast<int>(i);
  return -1;
}

// Light time per km, days.
constexpr double kLightDaysPerKm = 3.86068915885e-11;
constexpr double kKmPerAu = 149597870;
constexpr double kKmPerParsec = 30856800000000.0;

// Within [lo, hi]; false for NaN.
bool inside(double x, double lo, double hi) { return x >= lo && x <= hi; }
// Within [lo, hi).
bool insideOpenTop(double x, double lo, double hi) { return x >= lo && x < hi; }
// Within (lo, hi].
bool insideOpenBottom(double x, double lo, double hi) { return x > lo && x <= hi; }

// Angular distance between two points given by right ascension and
// declination. Close pairs use the flat approximation, where the right
// ascension difference is taken the short way round (a pair straddling 0h is
// close, not 360 degrees apart).
double separation(double ra1, double dec1, double ra2, double dec2) {
  double c = SinD(dec1) * SinD(dec2) + CosD(dec1) * CosD(dec2) * CosD(ra2 - ra1);
  if (c > 0.999995) {
    double dRA = Deg180(ra1 - ra2);
    double dDec = dec2 - dec1;
    return std::sqrt(Square(dRA * CosD((dec1 + dec2) / 2)) + Square(dDec));
  }
  if (c > -1) return ACosD(c);
  return 180;
}

void checkRecord(const udtHBody& r) {
  // Alphabetical order of the field names.
  if (!inside(r.AltGeo, -90, 90)) raise("Invalid udtHBody.AltGeo: ", r.AltGeo);
  if (!inside(r.AltRefr, -90, 90)) raise("Invalid udtHBody.AltRefr: ", r.AltRefr);
  if (!inside(r.AltTopo, -90, 90)) raise("Invalid udtHBody.AltTopo: ", r.AltTopo);
  if (!insideOpenTop(r.AzGeo, 0, 360)) raise("Invalid udtHBody.AzGeo: ", r.AzGeo);
  if (!insideOpenTop(r.AzTopo, 0, 360)) raise("Invalid udtHBody.AzTopo: ", r.AzTopo);
  if (!inside(r.DeclGeo, -90, 90)) raise("Invalid udtHBody.DeclGeo: ", r.DeclGeo);
  if (!inside(r.DeclTopo, -90, 90)) raise("Invalid udtHBody.DeclTopo: ", r.DeclTopo);
  if (!(r.DistanceGeo >= 0)) raise("Invalid udtHBody.DistanceGeo: ", r.DistanceGeo);
  if (!(r.DistanceTopo >= 0)) raise("Invalid udtHBody.DistanceTopo: ", r.DistanceTopo);
  if (!inside(r.EclDecl, -90, 90)) raise("Invalid udtHBody.EclDecl: ", r.EclDecl);
  if (!inside(r.EclDeclTopo, -90, 90)) raise("Invalid udtHBody.EclDeclTopo: ", r.EclDeclTopo);
  if (!insideOpenBottom(r.EclElong, -180, 180)) raise("Invalid udtHBody.EclElong: ", r.EclElong);
  if (!insideOpenBottom(r.EclElongTopo, -180, 180))
    raise("Invalid udtHBody.EclElongTopo: ", r.EclElongTopo);
  if (!insideOpenTop(r.EclLong, 0, 360)) raise("Invalid udtHBody.EclLong: ", r.EclLong);
  if (!insideOpenTop(r.EclLongTopo, 0, 360)) raise("Invalid udtHBody.EclLongTopo: ", r.EclLongTopo);
  if (!insideOpenTop(r.ElongationGeo, 0, 360)) raise("Invalid udtHBody.ElongationGeo: ", r.ElongationGeo);
  if (!insideOpenTop(r.ElongationTopo, 0, 360)) raise("Invalid udtHBody.ElongationTopo: ", r.ElongationTopo);
  if (!inside(r.Fix, -kMaxPositionFix, kMaxPositionFix)) raise("Invalid udtHBody.Fix: ", r.Fix);
  if (!insideOpenBottom(r.HourAngGeo, -180, 180)) raise("Invalid udtHBody.HourAngGeo: ", r.HourAngGeo);
  if (!insideOpenBottom(r.HourAngTopo, -180, 180)) raise("Invalid udtHBody.HourAngTopo: ", r.HourAngTopo);
  if (!inside(r.Phase, 0, 180)) raise("Invalid udtHBody.Phase: ", r.Phase);
  if (!(r.Radius >= 0)) raise("Invalid udtHBody.Radius: ", r.Radius);
  if (!insideOpenTop(r.RAGeo, 0, 360)) raise("Invalid udtHBody.RAGeo: ", r.RAGeo);
  if (!insideOpenTop(r.RATopo, 0, 360)) raise("Invalid udtHBody.RATopo: ", r.RATopo);
  if (!inside(r.WidthTopo, 0, 1)) raise("Invalid udtHBody.WidthTopo: ", r.WidthTopo);
}

// Radius, Phase and WidthTopo of the Moon or a planet from the distances of
// the body and of the Sun from the observer and their topocentric
// elongation. rPhase is the distance from the body's centre used for the
// illuminated fraction, rWidth (0 for a planet) the one used for the width.
void litPart(udtHBody& r, const udtHBody& sun, double diameter, double rPhase, double rWidth) {
  double delta = r.DistanceTopo;
  double S = sun.DistanceTopo;
  double psi = r.ElongationTopo;
  r.Radius = ASinD((diameter / 2) / delta);
  double d = std::sqrt(S * S + delta * delta - 2 * S * delta * CosD(psi));
  double q = ASinD(S * SinD(psi) / d);
  // theta is the phase angle less 90 degrees.
  double theta = S * S > delta * delta + d * d ? 90 - q : q - 90;
  auto a = [&](double rr) { return ASinD(rr / delta); };
  auto b = [&](double rr) {
    double e = std::sqrt(delta * delta + rr * rr - 2 * delta * rr * CosD(theta));
    return ASinD(rr * SinD(theta) / e);
  };
  r.Phase = (1 - b(rPhase) / a(rPhase)) / 2;
  r.WidthTopo = rWidth > 0 ? a(rWidth) - b(rWidth) : r.Phase * r.Radius;
}

}  // namespace

std::vector<std::pair<std::string, double>> hbodyFields(const udtHBody& r) {
  return {{"EclLong", r.EclLong},         {"EclDecl", r.EclDecl},
          {"EclElong", r.EclElong},       {"EclLongTopo", r.EclLongTopo},
          {"EclDeclTopo", r.EclDeclTopo}, {"EclElongTopo", r.EclElongTopo},
          {"DistanceGeo", r.DistanceGeo}, {"DistanceTopo", r.DistanceTopo},
          {"RAGeo", r.RAGeo},             {"RATopo", r.RATopo},
          {"DeclGeo", r.DeclGeo},         {"DeclTopo", r.DeclTopo},
          {"HourAngGeo", r.HourAngGeo},   {"HourAngTopo", r.HourAngTopo},
          {"AltGeo", r.AltGeo},           {"AzGeo", r.AzGeo},
          {"AltTopo", r.AltTopo},         {"AzTopo", r.AzTopo},
          {"AltRefr", r.AltRefr},         {"RefrFlag", r.RefrFlag ? 1.0 : 0.0},
          {"Radius", r.Radius},           {"Phase", r.Phase},
          {"WidthTopo", r.WidthTopo},     {"ElongationGeo", r.ElongationGeo},
          {"ElongationTopo", r.ElongationTopo}, {"Fix", r.Fix}};
}

// ---------------------------------------------------------------- time, obliquity

double clsHBody::ToJ2000(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cHBody.ToJ2000", 0.0, [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double jde = session().jde.fixed_jde(dblFix, ok);
    if (!ok) abandon();
    double T = (jde - 2451545) / 36525;
    if (!(std::fabs(T + 20) * 36525 <= 10592290)) raise("Magnitude of ToJ2000 too large: ", T);
    return T;
  });
}

double clsHBody::Obliquity(double dblT, bool& blnValid) {
  // The messages of the obliquity carry the source of the time argument.
  return guarded(blnValid, "cHBody.ToJ2000", 0.0, [&] {
    double T = dblT;
    if (!(std::fabs(T + 20) * 36525 <= 10592290)) raise("Magnitude of dblT too large: ", T);
    double eps;
    if (std::fabs(T) > 100) {
      eps = 23.4392911111111 - (46.815 * T + 0.00059 * T * T - 0.001813 * T * T * T) / 3600;
    } else {
      // Laskar's expression (Astronomy and Astrophysics 157, 68, 1986), U in
      // units of 10000 Julian years.
      double U = T / 100;
      static constexpr std::array<double, 10> c = {4680.93, 1.55,  -1999.25, 51.38, 249.67,
                                                   39.05,   -7.12, -27.87,   -5.79, -2.45};
      double sum = 0;
      for (size_t i = c.size(); i-- > 0;) sum = (sum + c[i]) * U;
      eps = 23.4392911111111 - sum / 3600;
    }
    if (!inside(eps, 0, 90)) raise("Eps out of range: ", eps);
    return eps;
  });
}

// ---------------------------------------------------------------- planets

void clsPlanet::HelioPlanet2(const udtPlanetSeries& s, double dblFix, double& dblL, double& dblB, double& dblR,
                             bool& blnValid) {
  guardedVoid(blnValid, "cPlanet.HelioPlanet2", [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double T = session().hbody.ToJ2000(dblFix, ok);
    if (!ok) abandon();
    double tau = T / 10;  // Julian millennia
    auto evaluate = [&](const std::vector<udtSeriesTerms>& series, int16_t maxPower) {
      double sum = 0;
      for (int p = maxPower; p >= 0; --p) {
        sum *= tau;
        if (p >= static_cast<int>(series.size())) continue;
        const udtSeriesTerms& t = series[p];
        for (int i = 0; i < t.intCount; ++i) {
          double arg = t.dblB[i] + t.dblC[i] * tau;
          arg -= 6.28318530717959 * std::trunc(arg / 6.28318530717959);
          sum += t.dblA[i] * std::cos(arg);
        }
      }
      return sum / 1e8;
    };
    dblL = Deg360(evaluate(s.L, s.intLMax) * DEG);
    dblB = Deg360(evaluate(s.B, s.intBMax) * DEG);
    if (dblB >= 180) dblB -= 360;
    dblR = evaluate(s.R, s.intRMax) * kKmPerAu;
    if (!insideOpenTop(dblL, 0, 360)) raise("Invalid dblL: ", dblL);
    if (!inside(dblB, -90, 90)) raise("Invalid dblB: ", dblB);
    if (!(dblR >= 0)) raise("Invalid dblR: ", dblR);
  });
}

void clsPlanet::HelioPlanet(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                            bool& blnValid) {
  guardedVoid(blnValid, "cPlanet.HelioPlanet", [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    int i = planetSlot(strName);
    if (i < 0) raise("Invalid planet name: ", strName);
    session().hbody.dropStale();

    Slot& slot = slots_[static_cast<size_t>(i)];
    if (slot.blnFilled && slot.dblFix == dblFix && dblFix != 0 && !session().blnNewInput) {
      dblL = slot.dblL;
      dblB = slot.dblB;
      dblR = slot.dblR;
      return;
    }
    auto series = HBodyLoader(session()).PlanetSeries(strName);
    bool ok = true;
    double L = 0, B = 0, R = 0;
    HelioPlanet2(*series, dblFix, L, B, R, ok);
    if (!ok) abandon();
    slot = Slot{true, dblFix, L, B, R};
    dblL = L;
    dblB = B;
    dblR = R;
  });
}

void clsPlanet::markEmpty() { slots_ = {}; }

// ---------------------------------------------------------------- Sun and Moon means

double clsSun::SunMeanLongitude(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cSun.SunMeanLongitude", 0.0, [&] {
    bool ok = true;
    double T = session().hbody.ToJ2000(dblFix, ok);
    if (!ok) abandon();
    // Meeus, Astronomical Algorithms, 2nd ed., eq. 25.2.
    return Deg360(280.46646 + 36000.76983 * T + 0.0003032 * T * T);
  });
}

std::string clsSun::NextVernalEquinox(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cSun.NextVernalEquinox", std::string(), [&] {
    Session& s = session();
    bool ok = true;
    double meanLongitude = SunMeanLongitude(dblFix, ok);
    if (!ok) abandon();
    // The declination moves about 0.398 degrees a day at the equinox.
    auto equinoxFrom = [&](double t) {
      for (int i = 0; i < 50; ++i) {
        udtHBody sun;
        s.hbody.TrueHBody("Sun", t, sun, ok);
        if (!ok) abandon();
        if (std::fabs(sun.DeclGeo) <= 0.00001) break;
        t -= sun.DeclGeo / 0.398 * 365.242 / 360;
      }
      return t;
    };
    double t = equinoxFrom(dblFix + (360 - meanLongitude) * 365.242 / 360);
    // The true Sun runs up to two degrees ahead of the mean Sun in March:
    // just after an equinox the first estimate finds that equinox again.
    if (t <= dblFix) t = equinoxFrom(t + 365.242);
    std::string lastDateText;
    return "Next vernal equinox " + s.dateText.strMoment(t, lastDateText, false, false, false);
  });
}

double clsMoon::MeanMoon(double dblFix, bool& blnValid) {
  return guarded(blnValid, "cMoon.MeanMoon", 0.0, [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double T = session().hbody.ToJ2000(dblFix, ok);
    if (!ok) abandon();
    // Meeus, Astronomical Algorithms, 2nd ed., eq. 47.1.
    double L = Deg360(218.3164477 + 481267.88123421 * T - 0.0015786 * T * T + T * T * T / 538841 -
                      T * T * T * T / 65194000);
    if (!insideOpenTop(L, 0, 360)) raise("MeanMoon out of range: ", L);
    return L;
  });
}

// ---------------------------------------------------------------- TrueHBody

double moonInstant(double dblFix) {
  // Centuries from about 1955.5; before it the instant moves by a small
  // quadratic term (seconds), a correction of the Moon's secular acceleration.
  double y = ((dblFix + 14.25 + 365.25) / 365.25 - 2000) / 100 + 0.445;
  return y < 0 ? dblFix + 1.788107648 * y * y / 86400 : dblFix;
}

void clsHBody::markEmpty() {
  blnSunCached_ = false;
  blnMoonCached_ = false;
  planet.markEmpty();
}

void clsHBody::dropStale() {
  if (!session().blnPositionsStale) return;
  markEmpty();
  session().blnPositionsStale = false;
}

void clsHBody::TrueHBody(const std::string& strName, double dblFix, udtHBody& udtBody, bool& blnValid) {
  guardedVoid(blnValid, kTrueHBody, [&] {
    dropStale();
    const bool fixedBody = HBodyLoader::isFixedBodyName(strName);
    std::shared_ptr<const StarCatalogue> catalogue;
    int star = -1;
    if (!fixedBody) {
      catalogue = HBodyLoader(session()).Stars();
      star = catalogue->StarIndex(strName);
      if (star < 0) raise("Invalid heavenly body name: ", strName);
    }
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    const bool reuse = dblFix != 0 && !session().blnNewInput;

    udtHBody r;
    if (strName == "Sun") {
      if (reuse && blnSunCached_ && udtSunCache_.Fix == dblFix) {
        udtBody = udtSunCache_;
        return;
      }
      sunBranch(dblFix, r);
    } else if (strName == "Moon") {
      if (reuse && blnMoonCached_ && udtMoonCache_.Fix == dblFix) {
        udtBody = udtMoonCache_;
        return;
      }
      moonBranch(dblFix, r);
    } else if (fixedBody) {
      planetBranch(strName, dblFix, planetDiameter(strName), r);
    } else {
      starBranch(catalogue->stars[static_cast<size_t>(star)], dblFix, r);
    }
    r.Fix = dblFix;
    if (strName == "Sun") {
      udtSunCache_ = r;
      blnSunCached_ = true;
    } else if (strName == "Moon") {
      udtMoonCache_ = r;
      blnMoonCached_ = true;
    }
    udtBody = r;
    checkRecord(r);
  });
}

void clsHBody::sunBranch(double dblFix, udtHBody& r) {
  bool ok = true;
  double T = ToJ2000(dblFix, ok);
  if (!ok) abandon();
  double omega = 125.04 - 1934.136 * T;
  double L = 0, B = 0, R = 0;
  planet.HelioPlanet("Earth", dblFix, L, B, R, ok);
  if (!ok) abandon();
  // Geocentric: opposite the Earth's heliocentric direction, with the annual
  // aberration (-20.5") and the main term of the nutation in longitude.
  r.EclLong = Deg360(L + 180 - 0.00569 - 0.00478 * SinD(omega));
  r.EclDecl = -B;
  r.DistanceGeo = R;
  ConvCoords(r, dblFix, ok);
  if (!ok) abandon();
  r.Phase = 1;
  r.Radius = ATan2D((kSunDiameter / 2) / r.DistanceTopo, 1);
  r.WidthTopo = 2 * r.Radius;
  r.EclElong = 0;
  r.ElongationGeo = 0;
  r.ElongationTopo = 0;
}

void clsHBody::moonBranch(double dblFix, udtHBody& r) {
  auto tables = HBodyLoader(session()).Moon();
  double fix = moonInstant(dblFix);
  bool ok = true;
  double T = ToJ2000(fix, ok);
  if (!ok) abandon();
  double Lp = moon.MeanMoon(fix, ok);
  if (!ok) abandon();
  // Meeus, Astronomical Algorithms, 2nd ed., chapter 47.
  double T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  double D = Deg360(297.8501921 + 445267.1114034 * T - 0.0018819 * T2 + T3 / 545868 - T4 / 113065000);
  double M = Deg360(357.5291092 + 35999.0502909 * T - 0.0001536 * T2 + T3 / 24490000);
  double Mp = Deg360(134.9633964 + 477198.8675055 * T + 0.0087414 * T2 + T3 / 69699 - T4 / 14712000);
  double F = Deg360(93.272095 + 483202.0175233 * T - 0.0036539 * T2 - T3 / 3526000 + T4 / 863310000);
  double A1 = Deg360(119.75 + 131.849 * T);
  double A2 = Deg360(53.09 + 479264.29 * T);
  double A3 = Deg360(313.45 + 481266.484 * T);
  double E = 1 - 0.002516 * T - 0.0000074 * T2;
  const std::array<double, 3> Epow = {1, E, E * E};
  auto eFactor = [&](int32_t m) {
    int32_t k = m < 0 ? -m : m;
    if (k > 2) throw AppError(9, kTrueHBody, "Subscript out of range");
    return Epow[static_cast<size_t>(k)];
  };
  double sl = 0, sr = 0, sb = 0;
  for (const auto& row : tables->lngMoonLong) {
    double arg = Deg360(row[0] * D + row[1] * M + row[2] * Mp + row[3] * F) / DEG;
    double e = eFactor(row[1]);
    sl += row[4] * e * std::sin(arg);
    sr += row[5] * e * std::cos(arg);
  }
  for (const auto& row : tables->lngMoonLat) {
    double arg = Deg360(row[0] * D + row[1] * M + row[2] * Mp + row[3] * F) / DEG;
    sb += row[4] * eFactor(row[1]) * std::sin(arg);
  }
  sl += 3958 * SinD(A1) + 1962 * SinD(Lp - F) + 318 * SinD(A2);
  sb += -2235 * SinD(Lp) + 382 * SinD(A3) + 175 * SinD(A1 - F) + 175 * SinD(A1 + F) + 127 * SinD(Lp - Mp) -
        115 * SinD(Lp + Mp);
  double omega = 125.04 - 1934.136 * T;
  // Nutation in longitude (main term); the Moon's own aberration (under 1")
  // is left out.
  r.EclLong = Deg360(Lp + sl / 1e6 - 0.00478 * SinD(omega));
  r.EclDecl = sb / 1e6;
  r.DistanceGeo = 385000.56 + sr / 1000;
  ConvCoords(r, dblFix, ok);
  if (!ok) abandon();
  udtHBody sun;
  TrueHBody("Sun", dblFix, sun, ok);
  if (!ok) abandon();
  elongations(sun, r);
  litPart(r, sun, kMoonDiameter, 1505.152, 1738);
}

void clsHBody::planetBranch(const std::string& strName, double dblFix, double dblDiameter, udtHBody& r) {
  double tau = 0, x = 0, y = 0, z = 0;
  udtHBody sun;
  bool ok = true;
  // Three passes for the light time.
  for (int pass = 0; pass < 3; ++pass) {
    double L = 0, B = 0, R = 0, L0 = 0, B0 = 0, R0 = 0;
    planet.HelioPlanet(strName, dblFix - tau, L, B, R, ok);
    if (!ok) abandon();
    planet.HelioPlanet("Earth", dblFix, L0, B0, R0, ok);
    if (!ok) abandon();
    TrueHBody("Sun", dblFix - tau, sun, ok);
    if (!ok) abandon();
    x = R * CosD(B) * CosD(L) - R0 * CosD(B0) * CosD(L0);
    y = R * CosD(B) * SinD(L) - R0 * CosD(B0) * SinD(L0);
    z = R * SinD(B) - R0 * SinD(B0);
    tau = std::sqrt(x * x + y * y + z * z) * kLightDaysPerKm;
  }
  r.EclLong = ATan2D(y, x);
  r.EclDecl = ATan2D(z, std::sqrt(x * x + y * y));
  if (r.EclDecl >= 180) r.EclDecl -= 360;
  r.DistanceGeo = tau / kLightDaysPerKm;
  ConvCoords(r, dblFix, ok);
  if (!ok) abandon();
  elongations(sun, r);
  litPart(r, sun, dblDiameter, 0.433 * dblDiameter, 0);
}

void clsHBody::starBranch(const udtStar& star, double dblFix, udtHBody& r) {
  bool ok = true;
  double T = ToJ2000(dblFix, ok);
  if (!ok) abandon();
  double a0 = star.dblRA, d0 = star.dblDecl, d = star.dblDistance;
  double x = d * CosD(d0) * CosD(a0), y = d * CosD(d0) * SinD(a0), z = d * SinD(d0);
  // Space motion over t years: radial velocity in parsecs per year, proper
  // motions in radians per year.
  double dr = star.dblDDistance / 977792;
  double da = star.dblDRA / 206265;
  double dd = star.dblDDecl / 206265;
  double t = 100 * T;
  double x1 = x + (x * dr / d - z * dd * CosD(a0) - y * da) * t;
  double y1 = y + (y * dr / d - z * dd * SinD(a0) + x * da) * t;
  double z1 = z + (d * dd * CosD(d0) + z * dr / d) * t;
  double a1 = ATan2D(y1, x1);
  double dec1 = ATan2D(z1, std::sqrt(x1 * x1 + y1 * y1));
  if (dec1 >= 180) dec1 -= 360;
  r.DistanceGeo = std::sqrt(x1 * x1 + y1 * y1 + z1 * z1) * kKmPerParsec;
  // Precession from J2000.0 to the date (Lieske et al. 1977, as in Meeus,
  // Astronomical Algorithms, eq. 21.3 and 21.4).
  double zeta = (2306.2181 * T + 0.30188 * T * T + 0.017998 * T * T * T) / 3600;
  double zz = (2306.2181 * T + 1.09468 * T * T + 0.018203 * T * T * T) / 3600;
  double theta = (2004.3109 * T - 0.42665 * T * T - 0.041833 * T * T * T) / 3600;
  double A = CosD(dec1) * SinD(a1 + zeta);
  double B = CosD(theta) * CosD(dec1) * CosD(a1 + zeta) - SinD(theta) * SinD(dec1);
  double C = SinD(theta) * CosD(dec1) * CosD(a1 + zeta) + CosD(theta) * SinD(dec1);
  double alpha = Deg360(ATan2D(A, B) + zz);
  double delta = ASinD(C);
  double eps0 = Obliquity(T, ok);
  if (!ok) abandon();
  r.EclLong = ATan2D(SinD(alpha) * CosD(eps0) + TanD(delta) * SinD(eps0), CosD(alpha));
  r.EclDecl = ASinD(SinD(delta) * CosD(eps0) - CosD(delta) * SinD(eps0) * SinD(alpha));
  ConvCoords(r, dblFix, ok);
  if (!ok) abandon();
  udtHBody sun;
  TrueHBody("Sun", dblFix, sun, ok);
  if (!ok) abandon();
  elongations(sun, r);
  r.Radius = ASinD((star.dblDiameter / 2) / r.DistanceTopo);
  r.Phase = 1;
  r.WidthTopo = 2 * r.Radius;
}

void clsHBody::elongations(const udtHBody& sun, udtHBody& r) {
  r.EclElong = Deg180(r.EclLong - sun.EclLong);
  r.EclElongTopo = Deg180(r.EclLongTopo - sun.EclLongTopo);
  r.ElongationGeo = separation(sun.RAGeo, sun.DeclGeo, r.RAGeo, r.DeclGeo);
  r.ElongationTopo = separation(sun.RATopo, sun.DeclTopo, r.RATopo, r.DeclTopo);
}

// ---------------------------------------------------------------- ConvCoords

void clsHBody::ConvCoords(udtHBody& b, double dblFix, bool& blnValid) {
  guardedVoid(blnValid, "cHBody.ConvCoords", [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double T = ToJ2000(dblFix, ok);
    if (!ok) abandon();
    double omega = 125.04 - 1934.136 * T;
    double eps0 = Obliquity(T, ok);
    if (!ok) abandon();
    // Apparent obliquity: the main term of the nutation in obliquity added.
    double eps = eps0 + 0.00256 * CosD(omega);
    double lambda = b.EclLong, beta = b.EclDecl;
    b.RAGeo = ATan2D(SinD(lambda) * CosD(eps) - TanD(beta) * SinD(eps), CosD(lambda));
    b.DeclGeo = ASinD(SinD(beta) * CosD(eps) + CosD(beta) * SinD(eps) * SinD(lambda));

    double lst = session().lst.FixToLST(dblFix, ok);
    if (!ok) abandon();
    const udtLocation& pos = session().udtLocation;
    double phi = pos.dblLatitude;
    double alpha = b.RAGeo, delta = b.DeclGeo;
    double H = Deg360(lst - alpha + 180) - 180;
    b.HourAngGeo = H;
    b.AzGeo = Deg360(ATan2D(SinD(H), CosD(H) * SinD(phi) - TanD(delta) * CosD(phi)) + 180);
    b.AltGeo = ASinD(SinD(phi) * SinD(delta) + CosD(phi) * CosD(delta) * CosD(H));

    // Observer's geocentric latitude and distance from the centre (Earth
    // radii), and the horizontal parallax (degrees) of the body.
    // The flattened Earth (axis ratio 0.99664719) puts an observer at
    // latitude 60 some 16 km nearer its centre than one on the equator
    // (Meeus, Astronomical Algorithms, 2nd ed., chapter 11).
    double u = ATan2D(0.99664719 * SinD(phi), CosD(phi));
    double rhoSin = 0.99664719 * SinD(u) + pos.dblHeight / 6378140 * SinD(phi);
    double rhoCos = CosD(u) + pos.dblHeight / 6378140 * CosD(phi);
    double phiP = ATan2D(rhoSin, rhoCos);
    double rho = std::hypot(rhoSin, rhoCos);
    double p = 365459.06 / b.DistanceGeo;
    double A = Deg180(ATan2D(rho * CosD(phiP) * SinD(p) * SinD(H), CosD(delta) - rho * CosD(phiP) * SinD(p) * CosD(H)));
    b.RATopo = Deg360(alpha - A);
    b.DeclTopo = Deg180(ATan2D((SinD(delta) - rho * SinD(phiP) * SinD(p)) * CosD(A),
                               CosD(delta) - rho * CosD(phiP) * SinD(p) * CosD(H)));
    // Kept in (-180, 180] like the geocentric hour angle, also when the
    // parallax carries a body across the lower meridian.
    b.HourAngTopo = Deg180(H + A);
    double Ht = b.HourAngTopo, dt = b.DeclTopo;
    if (std::fabs(phi) < 0.5) b.AzTopo = b.AzGeo;
    else b.AzTopo = Deg360(ATan2D(SinD(Ht), CosD(Ht) * SinD(phi) - TanD(dt) * CosD(phi)) + 180);
    b.AltTopo = ASinD(SinD(phi) * SinD(dt) + CosD(phi) * CosD(dt) * CosD(Ht));
    b.EclLongTopo = ATan2D(SinD(b.RATopo) * CosD(eps) + TanD(dt) * SinD(eps), CosD(b.RATopo));
    b.EclDeclTopo = ASinD(SinD(dt) * CosD(eps) - CosD(dt) * SinD(eps) * SinD(b.RATopo));

    // Angle z at the Earth's centre between the observer and the body.
    double c = SinD(phiP) * SinD(dt) + CosD(phiP) * CosD(dt) * CosD(H);
    double zc;
    if (c > 0.999995) zc = std::sqrt(Square(phiP - dt) + Square(H * CosD((phiP + dt) / 2)));
    else if (c > -1) zc = ACosD(c);
    else zc = 180;
    double D = b.DistanceGeo, re = 6378.14 * rho;
    b.DistanceTopo = std::sqrt(std::fmax(0.0, D * D + re * re - 2 * D * re * CosD(zc)));

    udtWeatherNow now;
    session().weather.GetWeatherNow(dblFix, now, ok);
    if (!ok) abandon();
    bool flag = false;
    double refraction = Refract(b.AltTopo, true, now, flag, ok);
    if (!ok) abandon();
    b.RefrFlag = flag;
    b.AltRefr = b.AltTopo + refraction;

    if (!insideOpenTop(b.RAGeo, 0, 360)) raise("Invalid udtHBody.RAGeo: ", b.RAGeo);
    if (!inside(b.DeclGeo, -90, 90)) raise("Invalid udtHBody.DeclGeo: ", b.DeclGeo);
    if (!insideOpenBottom(b.HourAngGeo, -180, 180)) raise("Invalid udtHBody.HourAngGeo: ", b.HourAngGeo);
    if (!insideOpenTop(b.AzGeo, 0, 360)) raise("Invalid udtHBody.AzGeo: ", b.AzGeo);
    if (!inside(b.AltGeo, -90, 90)) raise("Invalid udtHBody.AltGeo: ", b.AltGeo);
    if (!insideOpenBottom(b.HourAngTopo, -180, 180)) raise("Invalid udtHBody.HourAngTopo: ", b.HourAngTopo);
    if (!inside(b.DeclTopo, -90, 90)) raise("Invalid udtHBody.DeclTopo: ", b.DeclTopo);
    if (!insideOpenTop(b.RATopo, 0, 360)) raise("Invalid udtHBody.RATopo: ", b.RATopo);
    if (!insideOpenTop(b.AzTopo, 0, 360)) raise("Invalid udtHBody.AzTopo: ", b.AzTopo);
    if (!inside(b.AltTopo, -90, 90)) raise("Invalid udtHBody.AltTopo: ", b.AltTopo);
    if (!insideOpenTop(b.EclLongTopo, 0, 360)) raise("Invalid udtHBody.EclLongTopo: ", b.EclLongTopo);
    if (!inside(b.EclDeclTopo, -90, 90)) raise("Invalid udtHBody.EclDeclTopo: ", b.EclDeclTopo);
    if (!(b.DistanceTopo >= 0)) raise("Invalid udtHBody.DistanceTopo: ", b.DistanceTopo);
    if (!inside(b.AltRefr, -90, 90)) raise("Invalid udtHBody.AltRefr: ", b.AltRefr);
  });
}

// ---------------------------------------------------------------- Refract

namespace {

struct RefractionCache {
  std::mutex mutex;
  std::map<std::filesystem::path, std::shared_ptr<const RefractionTable>> tables;
};
RefractionCache& refractionCache() {
  static RefractionCache cache;
  return cache;
}

[[noreturn]] void refractFail(const std::string& text) {
  throw AppError(errValidation, "cHBody.Refract", concat(text, kLineBreak, "Sorry cannot continue"));
}

}  // namespace

RefractionTable readRefractionTable(Session& session, ValueReader& file) {
  RefractionTable table;
  for (int i = 0; i < 16; ++i) {
    auto alt = session.main.GetValue(file, "#", "Double", -5, 5, true, true);
    auto alt_value = alt ? parseNumber(*alt) : std::nullopt;
    auto refr = alt_value ? session.main.GetValue(file, "#", "Double", 0, 5, true, true) : std::nullopt;
    auto refr_value = refr ? parseNumber(*refr) : std::nullopt;
    // The spline needs rising altitudes.
    if (!alt_value || !refr_value || (!table.dblAlt.empty() && *alt_value <= table.dblAlt.back()))
      refractFail("Error in refract reading near horizon refraction values");
    table.dblAlt.push_back(*alt_value);
    table.dblRefr.push_back(*refr_value);
  }
  table.dblY2 = clsSky::SPLINE(table.dblAlt, table.dblRefr, 16);
  return table;
}

const RefractionTable& loadRefractionTable(Session& session) {
  std::filesystem::path path = session.dataFile("Refract.txt");
  RefractionCache& cache = refractionCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto found = cache.tables.find(path);
  if (found != cache.tables.end()) return *found->second;
  ValueReader file = ValueReader::open(path);
  if (!file.good()) refractFail("File not found");
  auto table = std::make_shared<const RefractionTable>(readRefractionTable(session, file));
  cache.tables.emplace(path, table);
  return *table;
}

const RefractionTable& clsHBody::refractionTable() {
  bool ok = true;
  const RefractionTable* table = nullptr;
  guardedVoid(ok, "cHBody.Refract", [&] { table = &loadRefractionTable(session()); }, endsProgram());
  return *table;
}

// Refraction (degrees, at 1013.25 hPa and 0 C) for a true altitude h at or
// above the lowest altitude at which refraction is computed.
double clsHBody::refractTrue(double h, const RefractionTable* table) {
  constexpr double kTableTop = 4.829444444;   // the formula alone from here up
  constexpr double kTableBottom = -4.1366;    // the low-altitude term alone from here down
  double Rf = 0, Rq = 0;
  if (h >= 4) {
    // Saemundsson's formula (Sky and Telescope 72, 70, 1986) at 10 C brought
    // to 0 C.
    Rf = 1.02 / TanD(h + 10.3 / (h + 5.11)) / 60 * 273.15 / 283.15;
  } else if (h <= -3.5) {
    // Only an observer high above sea level sees so far below the horizon;
    // the refraction there is held at that of the lowest tabulated altitude.
    Rq = clsSky::SPLINT(table->dblAlt, table->dblRefr, table->dblY2, 16, table->dblAlt.front());
  }
  if (h > kTableBottom && h < kTableTop) {
    double Rt = clsSky::SPLINT(table->dblAlt, table->dblRefr, table->dblY2, 16, h);
    if (h < -3.5) return Rt * (h - kTableBottom) / 0.6366 + Rq * (-h - 3.5) / 0.6366;
    if (h >= 4) return (h - 4) * Rf / 0.829444444 + (kTableTop - h) * Rt / 0.829444444;
    return Rt;
  }
  return h >= kTableTop ? Rf : Rq;
}

double clsHBody::Refract(double dblAltitude, bool blnTrue, const udtWeatherNow& udtNow, bool& blnRefrFlag,
                         bool& blnValid) {
  return guarded(blnValid, "cHBody.Refract", 0.0, [&] {
    double h = dblAltitude;
    if (!inside(h, -90, 90)) raise("Error in dlbAltitude: ", h);
    const RefractionTable* table = h < 5 ? &refractionTable() : nullptr;
    blnRefrFlag = true;
    if (!blnTrue) {
      // Apparent altitude: the refraction r with h - r + R(h - r) = h.
      double r = 0;
      bool flag = true;
      for (int i = 0; i < 100; ++i) {
        bool ok = true;
        double next = Refract(h - r, true, udtNow, flag, ok);
        if (!ok) abandon();
        double d = std::fabs(next - r);
        r = next;
        if (d <= 0.00001) break;
      }
      blnRefrFlag = flag;
      return flag ? r : 0.0;
    }
    if (h < 4) {
      double s = std::sqrt(std::fabs(session().udtLocation.dblHeight) / 1000);
      double lowest = -1.626 - 1.1 * s;
      if (h < lowest || h < -6) {
        blnRefrFlag = false;
        return 0.0;
      }
    }
    double R = refractTrue(h, table);
    return R * udtNow.dblPressure / 1013.25 * 273.15 / (udtNow.dblTemperature + 273.15);
  });
}

}  // namespace nemora

namespace nemora {

// ---------------------------------------------------------------- BrightLimb

void clsMoon::BrightLimb(double dblFix, bool blnRefracted, double& dblAngle, double& dblSubtend,
                         double& dblAltitude, double& dblAzimuth, bool& blnValid) {
  guardedVoid(blnValid, "cMoon.BrightLimb", [&] {
    clsHBody& hbody = session().hbody;
    udtHBody moon, sun;
    bool ok = true;
    hbody.TrueHBody("Moon", dblFix, moon, ok);
    if (!ok) abandon();
    hbody.TrueHBody("Sun", dblFix, sun, ok);
    if (!ok) abandon();
    // Position angle of the bright limb from the north point (Meeus,
    // Astronomical Algorithms, eq. 48.5), then referred to the zenith by the
    // parallactic angle (eq. 14.1).
    double dRA = sun.RATopo - moon.RATopo;
    double chi = ATan2D(CosD(sun.DeclTopo) * SinD(dRA),
                        CosD(moon.DeclTopo) * SinD(sun.DeclTopo) - SinD(moon.DeclTopo) * CosD(sun.DeclTopo) * CosD(dRA));
    double phi = session().udtLocation.dblLatitude;
    double H = moon.HourAngTopo;
    double q = ATan2D(SinD(H), TanD(phi) * CosD(moon.DeclTopo) - SinD(moon.DeclTopo) * CosD(H));
    double angle = Deg360(180 - (360 - chi) - q);
    if (angle > 180) angle -= 360;
    double subtend = 185 - 1.46e9 * std::pow(moon.ElongationTopo + 25, -4.702);
    if (subtend < 0) subtend = 0;
    if (!inside(subtend, 0, 185)) raise("Invalid subtended angle: ", subtend);
    // The mid-crescent point lies (1 - k) R from the centre toward the limb.
    double offset = (1 - moon.Phase) * moon.Radius;
    double altitude = moon.AltTopo - CosD(angle) * offset;
    if (!inside(altitude, -90, 90)) raise("Invalid dblAltitude: ", altitude);
    if (blnRefracted) {
      udtWeatherNow now;
      session().weather.GetWeatherNow(dblFix, now, ok);
      if (!ok) abandon();
      bool flag = false;
      double refraction = hbody.Refract(altitude, true, now, flag, ok);
      if (!ok) abandon();
      altitude += refraction;
      if (!inside(altitude, -90, 90)) raise("Invalid dblAltitude: ", altitude);
    }
    // Reduced to [0, 360): a Moon due north may have its point just west of
    // north.
    double azimuth = Deg360(moon.AzTopo + SinD(angle) * offset);
    if (!insideOpenTop(azimuth, 0, 360)) raise("Invalid dblAzimuth: ", azimuth);
    dblAngle = angle;
    dblSubtend = subtend;
    dblAltitude = altitude;
    dblAzimuth = azimuth;
  });
}

}  // namespace nemora
