// The Moon's visibility table by the criterion in force.
//
// The chance of seeing the Moon at an instant is the chance that the sky is
// dark enough times the chance that the Moon is still high enough:
//   P = Norm((A - y)/1.543) * Norm(u - M),  A = a*x - b,  M = 2.8*exp(-c*x) + 1.5,
// with x the criterion's normalised value of the evening, y the Sun's and u
// the Moon's topocentric airless altitude. Each factor passes 5 % and 95 %
// where its argument is -+1.645, so the window instants are the moments the
// Sun reaches A + 2.538 and A - 2.538 (2.538 = 1.645 * 1.543) and the Moon
// M + 1.645 and M - 1.645; the rise and set solver finds each of them at that
// target altitude, so no probabilities are sampled.
//
// Choices made here:
// - The constants: (0.3302, 5.2003, 0.4) unless the caller asks for the
//   steep pair (3.3852, 5.2058, 4). The table of every request uses the
//   first pair; the steep pair is there for the probability curve, which
//   pairs a with c the other way.
// - In the evening the window opens as the sky darkens (the Sun's setting
//   crossings: t1 at A + 2.538, t2 at A - 2.538) and closes as the Moon sinks
//   (its setting crossings: t3 at M + 1.645, t4 at M - 1.645). In the morning
//   the order is mirrored: the Moon's rising crossings open it (t1 at
//   M - 1.645, t2 at M + 1.645) and the Sun's rising crossings close it (t3
//   at A - 2.538, t4 at A + 2.538).
// - Never visible: the criterion's verdict is "not visible", t1 is not
//   before t4, the Sun never gets as low as A + 2.538 or the Moon never as
//   high as M - 1.645 that day. The instant closest to visibility is then
//   the middle of the Moon's window (evening: (t3 + t4)/2; morning:
//   (t1 + t2)/2), kept inside the evening, with the probability of both
//   chances there (the sky's chance alone would call a dark sky with the
//   Moon on the horizon certain).
// - Every window instant lies between sunset and moonset (moonrise and
//   sunrise); when the sky is not dark enough before the Moon sinks (t2
//   after t3) the product never nears 95 %: t2 and t3 are the best instant.
// - Visible: the best instant is the greatest product between t1 and t4,
//   found by golden-section search (the product rises then falls); a value
//   above 5 is visible for an extended period.
// - A target the Sun or the Moon does not reach that day (polar day or
//   night, a Moon that stays up) gives the instant of its least or greatest
//   altitude, the nearest the body comes to the target.
#include "visibility/criterion_visibility.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/session.h"
#include "ephemeris/hbody.h"

namespace nemora {
namespace {

constexpr double kSkySpread = 1.543;         // spread of the Sun's limit, degrees
constexpr double kSkyHalfWindow = 2.538;     // 1.645 * 1.543
constexpr double kMoonHalfWindow = 1.645;    // the Moon's factor from 5 % to 95 %
constexpr double kBestInstantTolerance = 10.0 / 86400;  // ten seconds

}  // namespace

double CriterionVisibility::MoonLimit(double x, const CriterionConstants& k) {
  return 2.8 * std::exp(-k.c * x) + 1.5;
}

double CriterionVisibility::Probability(double x, double y, double u, const CriterionConstants& k) {
  return NormNoCheck((SunLimit(x, k) - y) / kSkySpread) * NormNoCheck(u - MoonLimit(x, k));
}

double CriterionVisibility::ProbabilityAt(double x, double dblFix, const CriterionConstants& k, bool& blnValid) {
  return guarded(blnValid, "cHBody.Visibility", 0.0, [&] {
    bool ok = true;
    udtHBody sun, moon;
    session().hbody.TrueHBody("Sun", dblFix, sun, ok);
    if (!ok) abandon();
    session().hbody.TrueHBody("Moon", dblFix, moon, ok);
    if (!ok) abandon();
    return Probability(x, sun.AltTopo, moon.AltTopo, k);
  });
}

void CriterionVisibility::Search(int32_t lngFix, bool blnSteep, bool blnVerdictVisible, udtVisibility& v,
                                 bool& blnValid) {
  guardedVoid(blnValid, "cHBody.Visibility", [&] {
    const CriterionConstants& k = blnSteep ? kCriterionConstantsSteep : kCriterionConstants;
    const double x = v.dblValue;
    const double A = SunLimit(x, k);
    const double M = MoonLimit(x, k);
    clsHBody& hbody = session().hbody;
    bool ok = true;

    // The crossing of a target altitude (the body's centre, airless) on the
    // local day, or on the day next to it (after it in the evening, before it
    // in the morning) when that one lies nearer the reference instant.
    auto crossing = [&](const std::string& name, bool set, double target, double reference) {
      bool neverRises = false, neverSets = false;
      double t = hbody.RiseSet(name, lngFix, set, false, neverRises, neverSets, ok, target);
      if (!ok) abandon();
      if (name == "Moon") {
        double other = hbody.RiseSet(name, v.blnEvening ? lngFix + 1 : lngFix - 1, set, false, neverRises,
                                     neverSets, ok, target);
        if (!ok) abandon();
        if (std::fabs(other - reference) < std::fabs(t - reference)) t = other;
      }
      return t;
    };
    // Whether a body stays above (or below) a target altitude all day.
    auto staysAbove = [&](const std::string& name, double target) {
      bool neverRises = false, neverSets = false;
      hbody.RiseSet(name, lngFix, true, false, neverRises, neverSets, ok, target);
      if (!ok) abandon();
      return neverSets;
    };
    auto staysBelow = [&](const std::string& name, double target) {
      bool neverRises = false, neverSets = false;
      hbody.RiseSet(name, lngFix, true, false, neverRises, neverSets, ok, target);
      if (!ok) abandon();
      return neverRises;
    };

    if (v.blnEvening) {
      v.dblT1 = crossing("Sun", true, A + kSkyHalfWindow, v.dblStart);
      v.dblT2 = crossing("Sun", true, A - kSkyHalfWindow, v.dblStart);
      v.dblT3 = crossing("Moon", true, M + kMoonHalfWindow, v.dblEnd);
      v.dblT4 = crossing("Moon", true, M - kMoonHalfWindow, v.dblEnd);
    } else {
      v.dblT1 = crossing("Moon", false, M - kMoonHalfWindow, v.dblStart);
      v.dblT2 = crossing("Moon", false, M + kMoonHalfWindow, v.dblStart);
      v.dblT3 = crossing("Sun", false, A - kSkyHalfWindow, v.dblEnd);
      v.dblT4 = crossing("Sun", false, A + kSkyHalfWindow, v.dblEnd);
    }
    const bool sunNotLowEnough = staysAbove("Sun", A + kSkyHalfWindow);
    const bool moonNotHighEnough = staysBelow("Moon", M - kMoonHalfWindow);

    // Inside the evening (morning), in order.
    auto inside = [&](double t) { return std::clamp(t, v.dblStart, v.dblEnd); };
    v.blnNeverVisible = !blnVerdictVisible || !(v.dblT1 < v.dblT4) || sunNotLowEnough || moonNotHighEnough ||
                        !(inside(v.dblT1) < inside(v.dblT4));
    v.blnExtended = false;
    if (v.blnNeverVisible) {
      v.dblTMax = inside(v.blnEvening ? (v.dblT3 + v.dblT4) / 2 : (v.dblT1 + v.dblT2) / 2);
      v.dblT1 = v.dblT2 = v.dblT3 = v.dblT4 = v.dblTMax;
      v.dblPMax = ProbabilityAt(x, v.dblTMax, k, ok);
      if (!ok) abandon();
      return;
    }
    v.dblT1 = inside(v.dblT1);
    v.dblT4 = inside(v.dblT4);
    v.dblT2 = std::clamp(v.dblT2, v.dblT1, v.dblT4);
    v.dblT3 = std::clamp(v.dblT3, v.dblT1, v.dblT4);
    // Golden-section search for the greatest product between t1 and t4.
    auto P = [&](double t) {
      double p = ProbabilityAt(x, t, k, ok);
      if (!ok) abandon();
      return p;
    };
    const double g = (std::sqrt(5.0) - 1) / 2;
    double lo = v.dblT1, hi = v.dblT4;
    double m1 = hi - g * (hi - lo), m2 = lo + g * (hi - lo);
    double p1 = P(m1), p2 = P(m2);
    while (hi - lo > kBestInstantTolerance) {
      if (p1 < p2) {
        lo = m1;
        m1 = m2;
        p1 = p2;
        m2 = lo + g * (hi - lo);
        p2 = P(m2);
      } else {
        hi = m2;
        m2 = m1;
        p2 = p1;
        m1 = hi - g * (hi - lo);
        p1 = P(m1);
      }
    }
    v.dblTMax = p1 >= p2 ? m1 : m2;
    v.dblPMax = std::max(p1, p2);
    if (v.dblT2 > v.dblT3) v.dblT2 = v.dblT3 = v.dblTMax;
    v.blnExtended = x > 5;
  });
}

}  // namespace nemora
