#include "ephemeris/hbody.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>

#include "base/session.h"
#include "base/spline.h"
#include "ephemeris/hbody_geocentric.h"
#include "location/location_data.h"
#include "location/weather.h"
#include "timescale/date_text.h"
#include "timescale/delta_t.h"
#include "timescale/jde.h"
#include "timescale/sidereal.h"

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

constexpr int kEarthSlot = 2;

int planetSlot(const std::string& name) {
  static constexpr std::array<const char*, 6> names = {"Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn"};
  for (size_t i = 0; i < names.size(); ++i)
    if (name == names[i]) return static_cast<int>(i);
  return -1;
}

// The slot of a planet's series, for an instant the position routines
// accept; raises on an instant out of range or a name without a series.
int checkedPlanetSlot(const std::string& name, double dblFix) {
  if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
  int i = planetSlot(name);
  if (i < 0) raise("Invalid planet name: ", name);
  return i;
}

// Sine and cosine of an angle in degrees, each exactly as SinD and CosD give
// it (the compiler makes one call of the two).
struct SinCos {
  double s, c;
};
inline double deg360(double x) { return x - std::floor(x / 360.0) * 360.0; }
inline SinCos sinCosD(double x) {
  double r = deg360(x) / DEG;
  return {std::sin(r), std::cos(r)};
}

// A whole number nearest to x, for |x| below 2^51: adding and taking off
// 1.5 * 2^52 leaves no fraction (rounding to the nearest, ties to even).
inline double nearestWhole(double x) {
  constexpr double kRound = 0x1.8p52;
  return (x + kRound) - kRound;
}

// x rounded toward zero, as std::trunc gives it, for |x| below 2^51: the
// nearest whole number m of |x|, less 1 when it lies above |x| (m - |x| is
// exact, and adding 1/2 to it rounds to 1 exactly when it is above 0).
inline double towardZero(double x) {
  double a = std::fabs(x);
  double m = nearestWhole(a);
  return std::copysign(m - nearestWhole((m - a) + 0.5), x);
}

// cos x and sin x for |x| up to a few turns, for the sums of periodic terms.
// The argument goes to [-pi/2, pi/2] by k whole half turns (pi in two parts,
// the first short enough that its multiples are exact); cos x is then
// (-1)^k cos r and sin x is (-1)^k sin r. With u = r^2, cos r = 1 + u p(u)
// and sin r = r + r u q(u), where p and q of degree 7 are the Taylor series
// of (cos r - 1) / r^2 and (sin r / r - 1) / r^2 brought down from degree 15
// by Chebyshev economization over the interval (tools/series_polynomials.py,
// in exact rational arithmetic): they differ from cos r and sin r by less
// than 2e-17, far below their rounding, and agree with the library's
// functions to about 3e-16. Written without calls or branches, the compiler
// evaluates two terms at once.
struct HalfTurns {
  double r;     // the argument less k half turns
  double sign;  // (-1)^k
};
inline HalfTurns halfTurns(double x) {
  constexpr double kOneOverPi = 0.31830988618379067154;
  constexpr double kPiHigh = 0x1.921fb544p1;        // the first 33 bits of pi
  constexpr double kPiLow = 0x1.0b4611a626331p-33;  // pi less kPiHigh
  double k = nearestWhole(x * kOneOverPi);
  double half = k * 0.5;
  return {(x - k * kPiHigh) - k * kPiLow, 1 - 4 * std::fabs(half - nearestWhole(half))};
}

inline double seriesCos(double x) {
  HalfTurns h = halfTurns(x);
  double u = h.r * h.r;
  double p = -0x1.0000000000000p-1 +
             u * (0x1.5555555555526p-5 +
                  u * (-0x1.6c16c16c13960p-10 +
                       u * (0x1.a01a019d87c9fp-16 +
                            u * (-0x1.27e4fa7143c0dp-22 +
                                 u * (0x1.1eed1d7072ab1p-29 + u * (-0x1.9360c20ef1116p-37 + u * 0x1.a0d34b583b377p-45))))));
  return (1 + u * p) * h.sign;
}

inline double seriesSin(double x) {
  HalfTurns h = halfTurns(x);
  double u = h.r * h.r;
  double q = -0x1.5555555555555p-3 +
             u * (0x1.1111111111107p-7 +
                  u * (-0x1.a01a01a018ab2p-13 +
                       u * (0x1.71de3a54569f1p-19 +
                            u * (-0x1.ae6455a1f179bp-26 +
                                 u * (0x1.612401633a829p-33 + u * (-0x1.ae513b11fff09p-41 + u * 0x1.89a4cb149deaep-49))))));
  return (h.r + h.r * u * q) * h.sign;
}

// An argument B + C tau less its whole turns of 6.28318530717959, counted
// toward zero.
inline double reducedArgument(double B, double C, double tau) {
  constexpr double kTurn = 6.28318530717959;
  // Turns counted by multiplying with the reciprocal rather than dividing
  // (several times faster): the count differs only where the quotient lies
  // within a rounding of a whole number, and there the cosine is the same.
  constexpr double kTurnsPerRadian = 1 / kTurn;
  double arg = B + C * tau;
  return arg - kTurn * towardZero(arg * kTurnsPerRadian);
}

// The cosines of count terms from term from of one power, each argument
// B + C tau first reduced by its whole turns of 6.28318530717959 (counted
// toward zero); with s and c, also keeps the sine and cosine of each.
void termCosines(const double* __restrict B, const double* __restrict C, int count, double tau,
                 double* __restrict out) {
  for (int i = 0; i < count; ++i) out[i] = seriesCos(reducedArgument(B[i], C[i], tau));
}
void termPhases(const double* __restrict B, const double* __restrict C, int count, double tau, double* __restrict s,
                double* __restrict c, double* __restrict out) {
  for (int i = 0; i < count; ++i) {
    double arg = reducedArgument(B[i], C[i], tau);
    s[i] = seriesSin(arg);
    out[i] = c[i] = seriesCos(arg);
  }
}
// The cosines of arguments moved by C * shift from kept phases: within a
// hundredth of a radian a short series gives the cosine and sine of the
// step to the last place (x^9/9! < 3e-24).
void movedCosines(const double* __restrict C, const double* __restrict s, const double* __restrict c, int count,
                  double shift, double* __restrict out) {
  for (int i = 0; i < count; ++i) {
    double x = C[i] * shift;
    double x2 = x * x;
    double cx = 1 - x2 * (1.0 / 2 - x2 * (1.0 / 24 - x2 * (1.0 / 720)));
    double sx = x * (1 - x2 * (1.0 / 6 - x2 * (1.0 / 120 - x2 * (1.0 / 5040))));
    out[i] = c[i] * cx - s[i] * sx;
  }
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
  SinCos d1 = sinCosD(dec1), d2 = sinCosD(dec2);
  double c = d1.s * d2.s + d1.c * d2.c * CosD(ra2 - ra1);
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
  SinCos p = sinCosD(psi);
  double d = std::sqrt(S * S + delta * delta - 2 * S * delta * p.c);
  double q = ASinD(S * p.s / d);
  // theta is the phase angle less 90 degrees.
  double theta = S * S > delta * delta + d * d ? 90 - q : q - 90;
  SinCos t = sinCosD(theta);
  auto a = [&](double rr) { return ASinD(rr / delta); };
  auto b = [&](double rr) {
    double e = std::sqrt(delta * delta + rr * rr - 2 * delta * rr * t.c);
    return ASinD(rr * t.s / e);
  };
  r.Phase = (1 - b(rPhase) / a(rPhase)) / 2;
  r.WidthTopo = rWidth > 0 ? a(rWidth) - b(rWidth) : r.Phase * r.Radius;
}

// One series (L, B or R) summed as the series evaluation does: for each
// power from the highest, the sum so far times tau plus the power's terms A
// cos(argument) in file order. fill(terms, from, count, n, out) gives the
// cosines of count terms from term from, n counting the terms of the whole
// planet in this order.
template <class Fill>
double seriesSum(const std::vector<udtSeriesTerms>& series, int16_t maxPower, double tau, size_t& n, Fill&& fill) {
  constexpr int kChunk = 64;
  double cosines[kChunk];
  double sum = 0;
  for (int p = maxPower; p >= 0; --p) {
    sum *= tau;
    if (p >= static_cast<int>(series.size())) continue;
    const udtSeriesTerms& t = series[static_cast<size_t>(p)];
    for (int from = 0; from < t.intCount; from += kChunk) {
      const int count = std::min(kChunk, t.intCount - from);
      fill(t, from, count, n, cosines);
      const double* A = t.dblA.data() + from;
      for (int i = 0; i < count; ++i) sum += A[i] * cosines[i];
      n += static_cast<size_t>(count);
    }
  }
  return sum / 1e8;
}

// L, B (degrees) and R (km) from the three sums (radians, au), checked.
void helioFinish(double l, double b, double r, double& dblL, double& dblB, double& dblR) {
  dblL = Deg360(l * DEG);
  dblB = Deg360(b * DEG);
  if (dblB >= 180) dblB -= 360;
  dblR = r * kKmPerAu;
  if (!insideOpenTop(dblL, 0, 360)) raise("Invalid dblL: ", dblL);
  if (!inside(dblB, -90, 90)) raise("Invalid dblB: ", dblB);
  if (!(dblR >= 0)) raise("Invalid dblR: ", dblR);
}

size_t termCount(const udtPlanetSeries& s) {
  size_t n = 0;
  for (const auto* series : {&s.L, &s.B, &s.R})
    for (const udtSeriesTerms& t : *series) n += static_cast<size_t>(std::max<int16_t>(t.intCount, 0));
  return n;
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
  // A function of the instant alone (and of Delta T): the routines of one
  // record ask for the same instant several times.
  forgetOtherInstantInputs();
  if (memory_.blnT && memory_.dblTFix == dblFix) {
    blnValid = true;
    return memory_.dblT;
  }
  return guarded(blnValid, "cHBody.ToJ2000", 0.0, [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double jde = session().jde.fixed_jde(dblFix, ok);
    if (!ok) abandon();
    double T = (jde - 2451545) / 36525;
    if (!(std::fabs(T + 20) * 36525 <= 10592290)) raise("Magnitude of ToJ2000 too large: ", T);
    memory_.blnT = true;
    memory_.dblTFix = dblFix;
    memory_.dblT = T;
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

void clsHBody::obliquityTerms(double dblT) {
  if (memory_.blnEps && memory_.dblEpsT == dblT) return;
  bool ok = true;
  double eps0 = Obliquity(dblT, ok);
  if (!ok) abandon();
  double omega = 125.04 - 1934.136 * dblT;
  SinCos o = sinCosD(omega);
  // Apparent obliquity: the main term of the nutation in obliquity added.
  double eps = eps0 + 0.00256 * o.c;
  SinCos e = sinCosD(eps);
  memory_.dblEpsT = dblT;
  memory_.dblEps0 = eps0;
  memory_.dblSinOmega = o.s;
  memory_.dblEps = eps;
  memory_.dblSinEps = e.s;
  memory_.dblCosEps = e.c;
  memory_.blnEps = true;
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
    auto cosines = [&](const udtSeriesTerms& t, int from, int count, size_t, double* out) {
      termCosines(t.dblB.data() + from, t.dblC.data() + from, count, tau, out);
    };
    size_t n = 0;
    auto evaluate = [&](const std::vector<udtSeriesTerms>& series, int16_t maxPower) {
      return seriesSum(series, maxPower, tau, n, cosines);
    };
    double l = evaluate(s.L, s.intLMax), b = evaluate(s.B, s.intBMax), r = evaluate(s.R, s.intRMax);
    helioFinish(l, b, r, dblL, dblB, dblR);
  });
}

void clsPlanet::HelioPlanetKeep(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                                bool& blnValid) {
  guardedVoid(blnValid, "cPlanet.HelioPlanet", [&] {
    int i = checkedPlanetSlot(strName, dblFix);
    session().hbody.forgetOtherInputs();
    const udtPlanetSeries& s = series(i, strName);
    HeldSeries::Phases& phases = held_.phases[static_cast<size_t>(i)];
    phases.blnFilled = false;
    bool ok = true;
    double L = 0, B = 0, R = 0;
    guardedVoid(ok, "cPlanet.HelioPlanet2", [&] {
      bool okT = true;
      double T = session().hbody.ToJ2000(dblFix, okT);
      if (!okT) abandon();
      double tau = T / 10;
      size_t count = termCount(s);
      phases.s.resize(count);
      phases.c.resize(count);
      auto keep = [&](const udtSeriesTerms& t, int from, int count, size_t n, double* out) {
        termPhases(t.dblB.data() + from, t.dblC.data() + from, count, tau, phases.s.data() + n, phases.c.data() + n,
                   out);
      };
      size_t n = 0;
      double l = seriesSum(s.L, s.intLMax, tau, n, keep);
      double b = seriesSum(s.B, s.intBMax, tau, n, keep);
      double r = seriesSum(s.R, s.intRMax, tau, n, keep);
      helioFinish(l, b, r, L, B, R);
      phases.dblTau = tau;
      phases.blnFilled = true;
    });
    if (!ok) abandon();
    slots_[static_cast<size_t>(i)] = Slot{true, dblFix, L, B, R};
    dblL = L;
    dblB = B;
    dblR = R;
  });
}

void clsPlanet::HelioPlanetNear(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                                bool& blnValid) {
  guardedVoid(blnValid, "cPlanet.HelioPlanet", [&] {
    int i = checkedPlanetSlot(strName, dblFix);
    session().hbody.forgetOtherInputs();
    const udtPlanetSeries& s = series(i, strName);
    const HeldSeries::Phases& phases = held_.phases[static_cast<size_t>(i)];
    bool ok = true;
    double T = session().hbody.ToJ2000(dblFix, ok);
    if (!ok) abandon();
    double tau = T / 10;
    double shift = tau - phases.dblTau;
    double L = 0, B = 0, R = 0;
    // The terms' arguments move by C * shift (movedCosines) when that is
    // within a hundredth of a radian. Otherwise, and more than a thousand years from
    // 2000, the terms are evaluated afresh: there the arguments run to
    // hundreds of thousands of radians, and evaluating each one afresh keeps
    // the rounding of the series exactly as it always was.
    const bool nearby = phases.blnFilled && std::fabs(phases.dblTau) <= 1 && std::fabs(tau) <= 1 &&
                        std::fabs(shift) * held_.dblMaxFrequency[static_cast<size_t>(i)] <= 0.01;
    if (!nearby) {
      HelioPlanet(strName, dblFix, L, B, R, ok);
      if (!ok) abandon();
    } else {
      guardedVoid(ok, "cPlanet.HelioPlanet2", [&] {
        auto near = [&](const udtSeriesTerms& t, int from, int count, size_t n, double* out) {
          movedCosines(t.dblC.data() + from, phases.s.data() + n, phases.c.data() + n, count, shift, out);
        };
        size_t n = 0;
        double l = seriesSum(s.L, s.intLMax, tau, n, near);
        double b = seriesSum(s.B, s.intBMax, tau, n, near);
        double r = seriesSum(s.R, s.intRMax, tau, n, near);
        helioFinish(l, b, r, L, B, R);
      });
      if (!ok) abandon();
      slots_[static_cast<size_t>(i)] = Slot{true, dblFix, L, B, R};
    }
    if (i == kEarthSlot) held_.earth = HeldSeries::Position{true, dblFix, L, B, R};
    dblL = L;
    dblB = B;
    dblR = R;
  });
}

void clsPlanet::HelioPlanet(const std::string& strName, double dblFix, double& dblL, double& dblB, double& dblR,
                            bool& blnValid) {
  guardedVoid(blnValid, "cPlanet.HelioPlanet", [&] {
    int i = checkedPlanetSlot(strName, dblFix);
    session().hbody.forgetOtherInputs();

    // The Earth of a light-time loop's last pass, for the Sun of that instant.
    if (i == kEarthSlot && held_.earth.blnFilled && held_.earth.dblFix == dblFix &&
        held_.dataDir == session().dataDir.native()) {
      dblL = held_.earth.dblL;
      dblB = held_.earth.dblB;
      dblR = held_.earth.dblR;
      return;
    }
    Slot& slot = slots_[static_cast<size_t>(i)];
    if (slot.blnFilled && slot.dblFix == dblFix && dblFix != 0) {
      dblL = slot.dblL;
      dblB = slot.dblB;
      dblR = slot.dblR;
      return;
    }
    bool ok = true;
    double L = 0, B = 0, R = 0;
    HelioPlanet2(series(i, strName), dblFix, L, B, R, ok);
    if (!ok) abandon();
    slot = Slot{true, dblFix, L, B, R};
    dblL = L;
    dblB = B;
    dblR = R;
  });
}

void clsPlanet::forgetInstants() {
  slots_ = {};
  held_.earth = {};
  for (auto& phases : held_.phases) phases.blnFilled = false;
}

const udtPlanetSeries& clsPlanet::series(int intSlot, const std::string& strName) {
  const std::string& dir = session().dataDir.native();
  if (held_.dataDir != dir) {
    held_ = HeldSeries{};
    held_.dataDir = dir;
  }
  auto& held = held_.series[static_cast<size_t>(intSlot)];
  if (!held) {
    held = HBodyLoader(session()).PlanetSeries(strName);
    double most = 0;
    for (const auto* series : {&held->L, &held->B, &held->R})
      for (const udtSeriesTerms& t : *series)
        for (int k = 0; k < t.intCount; ++k) most = std::max(most, std::fabs(t.dblC[static_cast<size_t>(k)]));
    held_.dblMaxFrequency[static_cast<size_t>(intSlot)] = most;
  }
  return *held;
}

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

// ---------------------------------------------------------------- what a session remembers

bool InstantInputs::matches(const Session& session) const {
  return dblDeltaTShift == session.deltaT.dblShift && dataDir == session.dataDir.native();
}

void InstantInputs::takeFrom(const Session& session) {
  dataDir = session.dataDir.native();
  dblDeltaTShift = session.deltaT.dblShift;
}

bool SkyInputs::matches(const Session& session) const {
  return udtPosition == session.udtLocation.position() && udtWeather == session.udtWeather &&
         database == &session.locations.udtCountries() && instant.matches(session);
}

void SkyInputs::takeFrom(const Session& session) {
  udtPosition = session.udtLocation.position();
  udtWeather = session.udtWeather;
  database = &session.locations.udtCountries();
  instant.takeFrom(session);
}

SkyInputs SkyInputs::of(const Session& session) {
  SkyInputs inputs;
  inputs.takeFrom(session);
  return inputs;
}

void HBodyMemory::forgetInstants() {
  blnT = false;
  blnEps = false;
}

void HBodyMemory::forgetDays() {
  noons = {};
  lowerTransits = {};
  events = {};
  nextReplaced = {};
}

void clsHBody::forgetOtherInstantInputs() {
  const Session& s = session();
  if (memory_.instantInputs && memory_.instantInputs->matches(s)) return;
  memory_.forgetInstants();
  planet.forgetInstants();
  memory_.instantInputs.emplace().takeFrom(s);
}

void clsHBody::forgetOtherInputs() {
  forgetOtherInstantInputs();
  const Session& s = session();
  if (memory_.placeInputs && memory_.placeInputs->matches(s)) return;
  recentSuns_.forget();
  recentMoons_.forget();
  memory_.forgetDays();
  memory_.placeInputs = SkyInputs::of(s);
}

void clsHBody::holdTables() {
  const std::string& dir = session().dataDir.native();
  if (memory_.dataDir == dir) return;
  memory_.dataDir = dir;
  memory_.moon.reset();
  memory_.stars.reset();
  memory_.refraction = nullptr;
}

const MoonTables& clsHBody::moonTables() {
  holdTables();
  if (!memory_.moon) memory_.moon = HBodyLoader(session()).Moon();
  return *memory_.moon;
}

const StarCatalogue& clsHBody::starCatalogue() {
  holdTables();
  if (!memory_.stars) memory_.stars = HBodyLoader(session()).Stars();
  return *memory_.stars;
}

bool clsHBody::isObjectName(const std::string& strName) {
  const StarCatalogue& catalogue = starCatalogue();
  return HBodyLoader::isFixedBodyName(strName) || catalogue.StarIndex(strName) >= 0;
}

const HBodyMemory::Observer& clsHBody::observerTerms() {
  const udtLocation& pos = session().udtLocation;
  HBodyMemory::Observer& o = memory_.observer;
  if (o.blnFilled && o.dblLatitude == pos.dblLatitude && o.dblHeight == pos.dblHeight) return o;
  double phi = pos.dblLatitude;
  SinCos p = sinCosD(phi);
  // Observer's geocentric latitude and distance from the centre (Earth
  // radii). The flattened Earth (axis ratio 0.99664719) puts an observer at
  // latitude 60 some 16 km nearer its centre than one on the equator
  // (Meeus, Astronomical Algorithms, 2nd ed., chapter 11).
  SinCos u = sinCosD(ATan2D(0.99664719 * p.s, p.c));
  double rhoSin = 0.99664719 * u.s + pos.dblHeight / 6378140 * p.s;
  double rhoCos = u.c + pos.dblHeight / 6378140 * p.c;
  o.dblPhiP = ATan2D(rhoSin, rhoCos);
  o.dblRho = std::hypot(rhoSin, rhoCos);
  SinCos pp = sinCosD(o.dblPhiP);
  o.dblSinPhi = p.s;
  o.dblCosPhi = p.c;
  o.dblSinPhiP = pp.s;
  o.dblCosPhiP = pp.c;
  o.dblLatitude = pos.dblLatitude;
  o.dblHeight = pos.dblHeight;
  o.blnFilled = true;
  return o;
}

void clsHBody::TrueHBody(const std::string& strName, double dblFix, udtHBody& udtBody, bool& blnValid) {
  guardedVoid(blnValid, kTrueHBody, [&] {
    forgetOtherInputs();
    const bool fixedBody = HBodyLoader::isFixedBodyName(strName);
    std::shared_ptr<const StarCatalogue> catalogue;
    int star = -1;
    if (!fixedBody) {
      starCatalogue();
      catalogue = memory_.stars;
      star = catalogue->StarIndex(strName);
      if (star < 0) raise("Invalid heavenly body name: ", strName);
    }
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    // The records kept are those of the session's inputs (forgetOtherInputs).
    const bool reuse = dblFix != 0;

    udtHBody r;
    const bool sun = strName == "Sun", moon = !sun && strName == "Moon";
    RecentRecords<udtHBody, kRecentRecords>* recent = sun ? &recentSuns_ : moon ? &recentMoons_ : nullptr;
    if (reuse && recent) {
      if (const udtHBody* kept = recent->find(dblFix)) {
        udtBody = *kept;
        return;
      }
    }
    if (sun) {
      sunBranch(dblFix, r);
    } else if (moon) {
      moonBranch(dblFix, r);
    } else if (fixedBody) {
      planetBranch(strName, dblFix, planetDiameter(strName), r);
    } else {
      starBranch(catalogue->stars[static_cast<size_t>(star)], dblFix, r);
    }
    r.Fix = dblFix;
    if (recent) recent->keep(r);
    udtBody = r;
    checkRecord(r);
  });
}

void clsHBody::SeriesEcliptic(bool blnMoon, double dblFix, udtHBody& udtBody, bool& blnValid) {
  guardedVoid(blnValid, kTrueHBody, [&] {
    forgetOtherInputs();
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    if (blnMoon) moonEcliptic(dblFix, udtBody);
    else sunEcliptic(dblFix, udtBody);
  });
}

void clsHBody::UseGeocentricTable(std::shared_ptr<const GeocentricTable> table) {
  if (table == geocentric_) return;
  geocentric_ = std::move(table);
  // Records and crossings found from the other positions.
  recentSuns_.forget();
  recentMoons_.forget();
  memory_.forgetDays();
}

void clsHBody::sunEcliptic(double dblFix, udtHBody& r) {
  bool ok = true;
  double T = ToJ2000(dblFix, ok);
  if (!ok) abandon();
  obliquityTerms(T);
  const double sinOmega = memory_.dblSinOmega;
  double L = 0, B = 0, R = 0;
  planet.HelioPlanet("Earth", dblFix, L, B, R, ok);
  if (!ok) abandon();
  // Geocentric: opposite the Earth's heliocentric direction, with the annual
  // aberration (-20.5") and the main term of the nutation in longitude.
  r.EclLong = Deg360(L + 180 - 0.00569 - 0.00478 * sinOmega);
  r.EclDecl = -B;
  r.DistanceGeo = R;
}

// The ecliptic coordinates of a body from the geocentric table in use, when
// it covers the instant; false otherwise.
bool clsHBody::tableEcliptic(bool blnMoon, double dblFix, udtHBody& r) {
  if (!geocentric_ || !geocentric_->Covers(session(), dblFix)) return false;
  const GeocentricTable::Coordinates c =
      geocentric_->At(blnMoon ? GeocentricTable::kMoon : GeocentricTable::kSun, dblFix);
  r.EclLong = Deg360(c.dblLong);
  r.EclDecl = c.dblLat;
  r.DistanceGeo = c.dblDistance;
  return true;
}

void clsHBody::sunBranch(double dblFix, udtHBody& r) {
  bool ok = true;
  if (!tableEcliptic(false, dblFix, r)) sunEcliptic(dblFix, r);
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
  if (!tableEcliptic(true, dblFix, r)) moonEcliptic(dblFix, r);
  const udtHBody sun = placeAndElongations(dblFix, r);
  litPart(r, sun, kMoonDiameter, 1505.152, 1738);
}

// The local place of a body from its ecliptic coordinates, and its
// elongations from the Sun of the same instant, which is returned.
udtHBody clsHBody::placeAndElongations(double dblFix, udtHBody& r) {
  bool ok = true;
  ConvCoords(r, dblFix, ok);
  if (!ok) abandon();
  udtHBody sun;
  TrueHBody("Sun", dblFix, sun, ok);
  if (!ok) abandon();
  elongations(sun, r);
  return sun;
}

void clsHBody::moonEcliptic(double dblFix, udtHBody& r) {
  const MoonTables& tables = moonTables();
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
  // The sines and cosines of the multiples -4 to 4 of D, M, M' and F by
  // angle addition from those of the angles themselves: a few library calls
  // for the whole series instead of one or two for each of its 120 terms.
  constexpr int32_t kMaxMultiple = 4;
  struct Multiples {
    std::array<double, 2 * kMaxMultiple + 1> s, c;  // multiple n at n + kMaxMultiple
  };
  auto multiples = [](double degrees) {
    Multiples m;
    SinCos one = sinCosD(degrees);
    double sk = 0, ck = 1;
    m.s[kMaxMultiple] = 0;
    m.c[kMaxMultiple] = 1;
    for (int32_t k = 1; k <= kMaxMultiple; ++k) {
      double next = sk * one.c + ck * one.s;
      ck = ck * one.c - sk * one.s;
      sk = next;
      m.s[kMaxMultiple + k] = sk;
      m.c[kMaxMultiple + k] = ck;
      m.s[kMaxMultiple - k] = -sk;
      m.c[kMaxMultiple - k] = ck;
    }
    return m;
  };
  const Multiples mD = multiples(D), mM = multiples(M), mMp = multiples(Mp), mF = multiples(F);
  // sin and cos of c0 D + c1 M + c2 M' + c3 F for a row of multiples, as
  // (c0 D + c1 M) + (c2 M' + c3 F).
  auto argument = [&](const auto& row) {
    auto outside = [](int32_t n) { return n < -kMaxMultiple || n > kMaxMultiple; };
    if (outside(row[0]) || outside(row[1]) || outside(row[2]) || outside(row[3])) {
      // A multiple beyond those prepared: the angle itself.
      double arg = Deg360(row[0] * D + row[1] * M + row[2] * Mp + row[3] * F) / DEG;
      return SinCos{std::sin(arg), std::cos(arg)};
    }
    auto at = [](int32_t n) { return static_cast<size_t>(n + kMaxMultiple); };
    const size_t i0 = at(row[0]), i1 = at(row[1]), i2 = at(row[2]), i3 = at(row[3]);
    double s01 = mD.s[i0] * mM.c[i1] + mD.c[i0] * mM.s[i1];
    double c01 = mD.c[i0] * mM.c[i1] - mD.s[i0] * mM.s[i1];
    double s23 = mMp.s[i2] * mF.c[i3] + mMp.c[i2] * mF.s[i3];
    double c23 = mMp.c[i2] * mF.c[i3] - mMp.s[i2] * mF.s[i3];
    return SinCos{s01 * c23 + c01 * s23, c01 * c23 - s01 * s23};
  };
  double sl = 0, sr = 0, sb = 0;
  for (const auto& row : tables.lngMoonLong) {
    SinCos a = argument(row);
    double e = eFactor(row[1]);
    sl += row[4] * e * a.s;
    sr += row[5] * e * a.c;
  }
  for (const auto& row : tables.lngMoonLat) sb += row[4] * eFactor(row[1]) * argument(row).s;
  SinCos a1 = sinCosD(A1), lp = sinCosD(Lp);
  const double sinF = mF.s[kMaxMultiple + 1], cosF = mF.c[kMaxMultiple + 1];
  const double sinMp = mMp.s[kMaxMultiple + 1], cosMp = mMp.c[kMaxMultiple + 1];
  sl += 3958 * a1.s + 1962 * (lp.s * cosF - lp.c * sinF) + 318 * SinD(A2);
  sb += -2235 * lp.s + 382 * SinD(A3) + 175 * (a1.s * cosF - a1.c * sinF) + 175 * (a1.s * cosF + a1.c * sinF) +
        127 * (lp.s * cosMp - lp.c * sinMp) - 115 * (lp.s * cosMp + lp.c * sinMp);
  obliquityTerms(T);
  // Nutation in longitude (main term); the Moon's own aberration (under 1")
  // is left out.
  r.EclLong = Deg360(Lp + sl / 1e6 - 0.00478 * memory_.dblSinOmega);
  r.EclDecl = sb / 1e6;
  r.DistanceGeo = 385000.56 + sr / 1000;
}

void clsHBody::planetBranch(const std::string& strName, double dblFix, double dblDiameter, udtHBody& r) {
  double tau = 0, x = 0, y = 0, z = 0;
  bool ok = true;
  // The Earth at the instant itself is the same in every pass: found once.
  double x0 = 0, y0 = 0, z0 = 0;
  // Three passes for the light time, at instants a light time apart: the
  // first evaluates the series and keeps each term's phase, the later ones
  // and the Earth of the last pass (for the Sun, which only the last pass
  // needs) follow from those phases by angle addition.
  double lastTau = 0;
  for (int pass = 0; pass < 3; ++pass) {
    double L = 0, B = 0, R = 0;
    if (pass == 0) {
      planet.HelioPlanetKeep(strName, dblFix, L, B, R, ok);
      if (!ok) abandon();
      double L0 = 0, B0 = 0, R0 = 0;
      planet.HelioPlanetKeep("Earth", dblFix, L0, B0, R0, ok);
      if (!ok) abandon();
      SinCos l0 = sinCosD(L0), b0 = sinCosD(B0);
      x0 = R0 * b0.c * l0.c;
      y0 = R0 * b0.c * l0.s;
      z0 = R0 * b0.s;
    } else {
      planet.HelioPlanetNear(strName, dblFix - tau, L, B, R, ok);
      if (!ok) abandon();
    }
    SinCos l = sinCosD(L), b = sinCosD(B);
    x = R * b.c * l.c - x0;
    y = R * b.c * l.s - y0;
    z = R * b.s - z0;
    lastTau = tau;
    tau = std::sqrt(x * x + y * y + z * z) * kLightDaysPerKm;
  }
  double Le = 0, Be = 0, Re = 0;
  planet.HelioPlanetNear("Earth", dblFix - lastTau, Le, Be, Re, ok);
  if (!ok) abandon();
  udtHBody sun;
  TrueHBody("Sun", dblFix - lastTau, sun, ok);
  if (!ok) abandon();
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
  placeAndElongations(dblFix, r);
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

namespace {

// The equatorial place of a body from its ecliptic one, its geocentric hour
// angle, and the shift of its right ascension by the parallax (A): what the
// topocentric hour angle needs, written once for the whole record and for
// the Sun's transits, which need that angle alone.
struct HourAngles {
  double ra, decl, H;
  SinCos h, d;
  double sinP, shift, A;
};
HourAngles hourAngles(double eclLong, double eclDecl, double distance, double sinEps, double cosEps, double lst,
                      const HBodyMemory::Observer& o) {
  HourAngles r;
  SinCos l = sinCosD(eclLong), be = sinCosD(eclDecl);
  r.ra = ATan2D(l.s * cosEps - be.s / be.c * sinEps, l.c);
  r.decl = ASinD(be.s * cosEps + be.c * sinEps * l.s);
  // In (-180, 180]: Deg360(x + 180) - 180 would give -180 when the body
  // stands exactly on the lower meridian.
  r.H = Deg180(lst - r.ra);
  r.h = sinCosD(r.H);
  r.d = sinCosD(r.decl);
  // The observer's geocentric latitude and distance from the centre
  // (observerTerms), and the horizontal parallax (degrees) of the body.
  r.sinP = SinD(365459.06 / distance);
  r.shift = o.dblRho * o.dblCosPhiP * r.sinP;
  r.A = Deg180(ATan2D(r.shift * r.h.s, r.d.c - r.shift * r.h.c));
  return r;
}

}  // namespace

double clsHBody::sunHourAngleTopo(double dblFix) {
  forgetOtherInputs();
  if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
  udtHBody r;
  if (!tableEcliptic(false, dblFix, r)) sunEcliptic(dblFix, r);
  bool ok = true;
  double T = ToJ2000(dblFix, ok);
  if (!ok) abandon();
  obliquityTerms(T);
  double lst = session().lst.FixToLST(dblFix, ok);
  if (!ok) abandon();
  const HourAngles a =
      hourAngles(r.EclLong, r.EclDecl, r.DistanceGeo, memory_.dblSinEps, memory_.dblCosEps, lst, observerTerms());
  const double H = Deg180(a.H + a.A);
  if (!insideOpenBottom(H, -180, 180)) raise("Invalid udtHBody.HourAngTopo: ", H);
  return H;
}

void clsHBody::ConvCoords(udtHBody& b, double dblFix, bool& blnValid) {
  guardedVoid(blnValid, "cHBody.ConvCoords", [&] {
    if (!(std::fabs(dblFix) <= kMaxPositionFix)) raise("Magnitude of dblFix too large: ", dblFix);
    bool ok = true;
    double T = ToJ2000(dblFix, ok);
    if (!ok) abandon();
    // The sine and cosine of each angle are found once; a tangent is their
    // ratio.
    obliquityTerms(T);
    const double sinEps = memory_.dblSinEps, cosEps = memory_.dblCosEps;
    double lst = session().lst.FixToLST(dblFix, ok);
    if (!ok) abandon();
    const HBodyMemory::Observer& o = observerTerms();
    const HourAngles ha = hourAngles(b.EclLong, b.EclDecl, b.DistanceGeo, sinEps, cosEps, lst, o);
    b.RAGeo = ha.ra;
    b.DeclGeo = ha.decl;
    double phi = session().udtLocation.dblLatitude;
    double alpha = b.RAGeo;
    double H = ha.H;
    b.HourAngGeo = H;
    const SinCos h = ha.h, d = ha.d;
    b.AzGeo = Deg360(ATan2D(h.s, h.c * o.dblSinPhi - d.s / d.c * o.dblCosPhi) + 180);
    b.AltGeo = ASinD(o.dblSinPhi * d.s + o.dblCosPhi * d.c * h.c);

    double rho = o.dblRho, phiP = o.dblPhiP;
    const double sinP = ha.sinP, shift = ha.shift, A = ha.A;
    b.RATopo = Deg360(alpha - A);
    b.DeclTopo = Deg180(ATan2D((d.s - rho * o.dblSinPhiP * sinP) * CosD(A), d.c - shift * h.c));
    // Kept in (-180, 180] like the geocentric hour angle, also when the
    // parallax carries a body across the lower meridian.
    b.HourAngTopo = Deg180(H + A);
    double dt = b.DeclTopo;
    SinCos ht = sinCosD(b.HourAngTopo), dts = sinCosD(dt), ra = sinCosD(b.RATopo);
    double tanDt = dts.s / dts.c;
    if (std::fabs(phi) < 0.5) b.AzTopo = b.AzGeo;
    else b.AzTopo = Deg360(ATan2D(ht.s, ht.c * o.dblSinPhi - tanDt * o.dblCosPhi) + 180);
    b.AltTopo = ASinD(o.dblSinPhi * dts.s + o.dblCosPhi * dts.c * ht.c);
    b.EclLongTopo = ATan2D(ra.s * cosEps + tanDt * sinEps, ra.c);
    b.EclDeclTopo = ASinD(dts.s * cosEps - dts.c * sinEps * ra.s);

    // Angle z at the Earth's centre between the observer and the body.
    double c = o.dblSinPhiP * dts.s + o.dblCosPhiP * dts.c * h.c;
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
  // Every defect names the file and the line where the reading stopped.
  auto fail = [&] {
    refractFail(concat("Error in refract reading near horizon refraction values (", fileLine("Refract.txt", file.line()),
                       ")"));
  };
  RefractionTable table;
  for (int i = 0; i < 16; ++i) {
    auto alt = session.main.GetValue(file, "#", "Double", -5, 5, true, true);
    auto alt_value = alt ? parseNumber(*alt) : std::nullopt;
    auto refr = alt_value ? session.main.GetValue(file, "#", "Double", 0, 5, true, true) : std::nullopt;
    auto refr_value = refr ? parseNumber(*refr) : std::nullopt;
    // The spline needs rising altitudes.
    if (!alt_value || !refr_value || (!table.dblAlt.empty() && *alt_value <= table.dblAlt.back())) fail();
    table.dblAlt.push_back(*alt_value);
    table.dblRefr.push_back(*refr_value);
  }
  // Sixteen pairs and nothing after them but comments: a doubled or shifted
  // line would otherwise go unnoticed.
  if (!session.main.ReadItem(file, "#", false).empty()) fail();
  table.dblY2 = SPLINE(table.dblAlt, table.dblRefr, 16);
  return table;
}

const RefractionTable& loadRefractionTable(Session& session) {
  std::filesystem::path path = session.dataFile("Refract.txt");
  RefractionCache& cache = refractionCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto found = cache.tables.find(path);
  if (found != cache.tables.end()) return *found->second;
  ValueReader file = ValueReader::open(path);
  if (!file.good()) refractFail(fileReadFailure(file.systemError(), "Refract.txt").description);
  auto table = std::make_shared<const RefractionTable>(readRefractionTable(session, file));
  cache.tables.emplace(path, table);
  return *table;
}

const RefractionTable& clsHBody::refractionTable() {
  holdTables();
  if (memory_.refraction) return *memory_.refraction;
  bool ok = true;
  const RefractionTable* table = nullptr;
  guardedVoid(ok, "cHBody.Refract", [&] { table = &loadRefractionTable(session()); }, endsProgram());
  memory_.refraction = table;
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
    Rq = SPLINT(table->dblAlt, table->dblRefr, table->dblY2, 16, table->dblAlt.front());
  }
  if (h > kTableBottom && h < kTableTop) {
    double Rt = SPLINT(table->dblAlt, table->dblRefr, table->dblY2, 16, h);
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
        // Near the zenith the refraction formula dips just below 0: the
        // true altitude stays within its range.
        double next = Refract(std::fmin(h - r, 90.0), true, udtNow, flag, ok);
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
