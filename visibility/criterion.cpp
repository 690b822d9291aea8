// Crescent criteria: the named presets, the evaluation of a criterion for an
// evening or a morning, and the search for a phase of the Moon.
#include <cmath>
#include <limits>

#include "base/errors.h"
#include "base/numeric.h"
#include "base/session.h"
#include "location/weather.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/criterion_evaluation.h"
#include "base/criterion_types.h"
#include "visibility/sky.h"

namespace nemora {
namespace {

constexpr const char* kCriterion = "cMoon.Criterion";
// Days per degree of elongation, near the inverse of the Moon's mean
// synodic rate: the step of the phase search and of its first guess.
constexpr double kDaysPerDegree = 0.0820441350278;
constexpr double kFirstGuessDaysPerDegree = 0.082029411;
// The Moon's mean distance (km).
constexpr double kMoonMeanDistance = 384400;

// The constants of V = darkness + c * brightness (or c * sqrt(brightness)),
// z = (V - mu) / sigma, s = a z - b, fitted to recorded sightings per pair of
// measures.
struct Combination {
  double c, mu, sigma, a, b;
};

Combination combination(const udtCriterion& k) {
  int16_t dark = k.intDarkness;
  bool geocentric = k.intMeasFrom == 0;
  bool apparent = k.intMeasFrom == 2;
  if (k.intBrightness == 6) return {0.833, -1.8, 3.06, -3.7, 6.9};
  if (dark < 0 || dark > 2) raise("udtMyCriterion.intDarkness not valid: ", dark);
  switch (k.intBrightness) {
    case 0: {
      static constexpr Combination rows[] = {
          {0.77, 59.57, 27.43, 2.21, 5.7}, {0.194, 14.89, 6.86, 2.21, 5.7}, {0.131, 11.03, 6.03, 2.68, 6.29}};
      return rows[dark];
    }
    case 1: {
      static constexpr Combination rows[] = {
          {1.95, 64.05, 27.87, 2.19, 5.93}, {0.483, 15.95, 6.9, 2.02, 5.87}, {0.384, 13.65, 5.31, 2.2, 5.95}};
      return rows[dark];
    }
    case 2: {
      if (dark == 0) return {1.91, 63.72, 27.69, 2.21, 6.0};
      if (dark == 1) return {0.477, 15.93, 6.92, 2.21, 6.0};
      return geocentric ? Combination{0.396, 13.89, 5.31, 2.2, 6.0} : Combination{0.359, 12.11, 5.18, 2.2, 6.04};
    }
    case 3: {
      if (dark == 0) return {39.92, 62.19, 27.38, 2.18, 6.02};
      if (dark == 1) return {9.98, 15.55, 6.84, 2.18, 6.03};
      return apparent ? Combination{8.52, 14.04, 5.45, 1.974, 5.83} : Combination{7.37, 12.16, 5.19, 1.98, 5.84};
    }
    default: {  // 4 and 5, the illuminations
      static constexpr Combination rows[] = {
          {21.83, 63.29, 27.42, 2.21, 6.0}, {5.19, 15.25, 6.76, 2.19, 5.98}, {3.88, 11.59, 5.07, 2.19, 5.97}};
      return rows[dark];
    }
  }
}

void checkFields(const udtCriterion& k) {
  if (k.intWhen < 0 || k.intWhen > 3) raise("udtMyCriterion.intWhen not valid: ", k.intWhen);
  if (k.intMeasTo < 0 || k.intMeasTo > 2) raise("udtMyCriterion.intMeasTo not valid: ", k.intMeasTo);
  if (k.intMeasFrom < 0 || k.intMeasFrom > 3) raise("udtMyCriterion.intMeasFrom not valid: ", k.intMeasFrom);
  if (k.intDarkness < 0 || k.intDarkness > 3) raise("udtMyCriterion.intDarkness not valid: ", k.intDarkness);
  if (k.intBrightness < 0 || k.intBrightness > 6)
    raise("udtMyCriterion.intBrightness not valid: ", k.intBrightness);
  // Sky brightness pairs only with the magnitude.
  if (k.intDarkness == 3 && k.intBrightness != 6) raise("udtMyCriterion.intDarkness not valid: ", k.intDarkness);
}

}  // namespace

// ---------------------------------------------------------------- SetCriterion

void clsMoon::SetCriterion(udtCriterion& udtCrit, bool blnKeepType, bool& blnValid) {
  guardedVoid(blnValid, "cMoon.SetCriterion", [&] {
    const udtCriterion& user = session().udtUserCriterion;
    int16_t type = blnKeepType ? udtCrit.intType : user.intType;
    if (type < 0 || type > kCritLastType) raise("udtCriterion.intType not valid: ", type);
    if (type == kCritUser) {
      udtCrit = user;
      udtCrit.intType = kCritUser;
      return;
    }
    criterionPreset(type, udtCrit);
  });
}

// ---------------------------------------------------------------- FindPhase

double clsMoon::FindPhase(double dblStart, double dblPhase, bool blnTopocentric, bool& blnValid) {
  return guarded(blnValid, "cMoon.FindPhase", 0.0, [&] {
    // The elongation still missing at an instant, degrees.
    auto missing = [&](double t) {
      bool ok = true;
      udtHBody moon;
      session().hbody.TrueHBody("Moon", t, moon, ok);
      if (!ok) abandon();
      return Deg180((blnTopocentric ? moon.EclElongTopo : moon.EclElong) - dblPhase);
    };
    // The first step removes the missing elongation at the Moon's mean rate;
    // each later one at the rate measured over the last step (a secant),
    // which near the phase gains digits faster than any fixed rate. A
    // measured rate far from the mean (the topocentric elongation's daily
    // swing, a step across the far side) falls back to the mean. A step
    // count far beyond that is a failure, not a loop.
    constexpr double kPrecision = 1e-8;  // days, under a millisecond
    double t = dblStart, f = missing(t);
    double previousT = t, previousF = f;
    double step = f * kDaysPerDegree;
    for (int count = 0; std::fabs(step) > kPrecision; ++count) {
      if (count == 60) raise("No convergence of the phase search near ", dblStart);
      previousT = t;
      previousF = f;
      t -= step;
      f = missing(t);
      step = f * kDaysPerDegree;
      const double measured = (t - previousT) / (f - previousF);  // days per degree
      if (std::isfinite(measured) && measured > 0.5 * kDaysPerDegree && measured < 2 * kDaysPerDegree)
        step = f * measured;
    }
    return t;
  });
}

// ---------------------------------------------------------------- Criterion

void clsMoon::Criterion(int32_t lngFix, bool blnEvening, const udtCriterion& udtCrit, udtCriterionResult& result,
                        bool& blnValid, bool blnAllMeasures) {
  CriterionExtras extras;
  extras.blnAllMeasures = blnAllMeasures;
  CriterionEvaluation(session()).Evaluate(lngFix, blnEvening, udtCrit, result, blnValid, extras);
}

void CriterionEvaluation::Evaluate(int32_t lngFix, bool blnEvening, const udtCriterion& udtCrit,
                                   udtCriterionResult& result, bool& blnValid, CriterionExtras extras) {
  const bool blnAllMeasures = extras.blnAllMeasures;
  guardedVoid(blnValid, kCriterion, [&] {
    Session& s = session();
    clsHBody& hbody = s.hbody;
    const udtCriterion& k = udtCrit;  // udtMyCriterion of the messages
    checkFields(k);
    bool ok = true;
    udtCriterionResult r;
    r.blnEvening = blnEvening;
    const bool set = blnEvening;
    // Evening quantities run forward from sunset, morning ones backward
    // from sunrise.
    const double sense = blnEvening ? 1 : -1;

    auto event = [&](const char* body, bool apparent, double horizon, bool& neverRises, bool& neverSets) {
      double t = hbody.RiseSet(body, lngFix, set, apparent, neverRises, neverSets, ok, horizon);
      if (!ok) abandon();
      return t;
    };
    bool nr = false, ns = false;
    auto crossings = [&] {
      EveningEvents e;
      e.dblSunGeometric = event("Sun", false, 0, nr, ns);
      e.dblSunApparent = event("Sun", true, 0, e.blnSunNeverRises, e.blnSunNeverSets);
      // A Moon up at sunset sets after it, past local midnight when it sets
      // late (it rises before sunrise, on the day before when it rises
      // early); a Moon down at sunset has set first (rises after the Sun).
      auto upAt = [&](double sunEvent, bool apparent) {
        bool up = hbody.AboveHorizon("Moon", sunEvent, apparent, ok) > 0;
        if (!ok) abandon();
        return up;
      };
      e.blnMoonUpAtSun = upAt(e.dblSunApparent, true);
      auto moonEvent = [&](bool apparent, double sunEvent, bool& neverRises, bool& neverSets) {
        if (!upAt(sunEvent, apparent)) return event("Moon", apparent, 0, neverRises, neverSets);
        double t = hbody.CrossingBeyond("Moon", lngFix, set, sunEvent, apparent, neverRises, neverSets, ok);
        if (!ok) abandon();
        return t;
      };
      e.dblMoonGeometric = moonEvent(false, e.dblSunGeometric, nr, ns);
      e.dblMoonApparent = moonEvent(true, e.dblSunApparent, e.blnMoonNeverRises, e.blnMoonNeverSets);
      return e;
    };
    std::optional<EveningEvents> own;
    std::optional<EveningEvents>& kept = extras.evening ? extras.evening->events : own;
    if (!kept) kept = crossings();
    const EveningEvents& events = *kept;
    r.dblSunGeometric = events.dblSunGeometric;
    r.dblSunApparent = events.dblSunApparent;
    r.blnSunNeverRises = events.blnSunNeverRises;
    r.blnSunNeverSets = events.blnSunNeverSets;
    r.blnMoonUpAtSun = events.blnMoonUpAtSun;
    r.dblMoonGeometric = events.dblMoonGeometric;
    r.dblMoonApparent = events.dblMoonApparent;
    r.blnMoonNeverRises = events.blnMoonNeverRises;
    r.blnMoonNeverSets = events.blnMoonNeverSets;
    r.dblLag = 1440 * sense * (r.dblMoonApparent - r.dblSunApparent);

    switch (k.intWhen) {
      case 0:  // the Sun's centre dblWhen degrees below the true horizon
        r.dblMoment = event("Sun", false, -k.dblWhen, nr, ns);
        break;
      case 1:
        r.dblMoment = r.dblSunApparent + sense * k.dblWhen / 1440;
        break;
      case 2:
        r.dblMoment = r.dblSunGeometric + k.dblWhen * (r.dblMoonGeometric - r.dblSunGeometric);
        break;
      default:
        r.dblMoment = r.dblSunApparent + k.dblWhen * (r.dblMoonApparent - r.dblSunApparent);
        break;
    }
    const double t = r.dblMoment;
    udtHBody moon, sun;
    hbody.TrueHBody("Moon", t, moon, ok);
    if (!ok) abandon();
    hbody.TrueHBody("Sun", t, sun, ok);
    if (!ok) abandon();
    // Whether the Moon is up at the moment, from where it stands then: the
    // order of the moment and the moonset alone calls a Moon that stays
    // below the horizon all day (near the poles) up.
    r.blnMoonUp = moon.AltRefr + moon.Radius > 0;

    // The conjunction nearest before the moment (after it, for an old Moon),
    // from a guess at the Moon's mean rate.
    auto conjunction = [&](bool topocentric) {
      double dL = topocentric ? moon.EclElongTopo : moon.EclElong;
      double start = dL > 0 ? t - dL * kFirstGuessDaysPerDegree : t;
      std::optional<double>* kept = nullptr;
      if (extras.evening) kept = topocentric ? &extras.evening->topocentric : &extras.evening->geocentric;
      if (kept && *kept) return **kept;
      double c = hbody.moon.FindPhase(start, 0, topocentric, ok);
      if (!ok) abandon();
      if (kept) *kept = c;
      return c;
    };

    // The geometry at the moment.
    r.dblARCV = moon.AltGeo - sun.AltGeo;
    r.dblARCVTopo = moon.AltTopo - sun.AltTopo;
    r.dblARCL = moon.ElongationGeo;
    r.dblARCLTopo = moon.ElongationTopo;
    r.dblDAZ = Deg180(sun.AzTopo - moon.AzTopo);
    r.dblWidthTopo = moon.WidthTopo * 60;
    // The age only when asked for or measured by the criterion.
    const bool age = extras.blnConjunction || k.intBrightness == 0;
    constexpr double kNotComputed = std::numeric_limits<double>::quiet_NaN();
    r.dblConjunction = age ? conjunction(false) : kNotComputed;
    r.dblAgeGeo = 24 * (t - r.dblConjunction);
    r.dblIlluminationGeo = 50 * (1 - CosD(moon.ElongationGeo));
    r.dblMoonAlt = moon.AltTopo;
    r.dblMoonAltRefr = moon.AltRefr;
    r.dblSunAlt = sun.AltTopo;
    r.dblMoonDistanceTopo = moon.DistanceTopo;
    r.dblIlluminationTopo = 100 * moon.Phase;

    // Every measure in the criterion's frame: geocentric for frames 0 and 2,
    // topocentric for 1 and 3.
    const bool geo = k.intMeasFrom == 0 || k.intMeasFrom == 2;
    r.dblKeshetReiyah = r.dblLag / 4;

    // DALT: the Moon's point above the Sun. The point lies toward the bright
    // limb: the limb itself R from the centre, the mid-crescent point
    // (1 - k) R; its altitude drops by cos(bright-limb angle) times that.
    double moonAlt = geo ? moon.AltGeo : moon.AltTopo;
    double sunAlt = geo ? sun.AltGeo : sun.AltTopo;
    if (k.intMeasTo != 0) {
      double angle = 0, subtend = 0, altitude = 0, azimuth = 0;
      hbody.moon.BrightLimb(t, false, angle, subtend, altitude, azimuth, ok);
      if (!ok) abandon();
      double offset = (k.intMeasTo == 1 ? 1.0 : 1 - moon.Phase) * moon.Radius;
      moonAlt -= CosD(angle) * offset;
    }
    if (k.intMeasFrom == 3) {
      udtWeatherNow now;
      s.weather.GetWeatherNow(t, now, ok);
      if (!ok) abandon();
      bool refracted = false;
      double refraction = hbody.Refract(moonAlt, true, now, refracted, ok);
      if (!ok) abandon();
      moonAlt += refraction;
    }
    r.dblDALT = moonAlt - sunAlt;

    if (k.intDarkness == 3 || blnAllMeasures) {
      double b = s.sky.SkyBrightness(t, moon.AltRefr, moon.AzTopo, 2, false, 0, ok);
      if (!ok) abandon();
      if (!(b > 0)) raise("Invalid sky brightness: ", b);
      r.dblSkyBrightness = b;
      r.blnSkyBrightness = true;
    }

    r.dblAge = !age ? kNotComputed : geo ? r.dblAgeGeo : 24 * (t - conjunction(true));
    r.dblOrechRishon = geo ? moon.EclElong : moon.EclElongTopo;
    double elongation = geo ? moon.ElongationGeo : moon.ElongationTopo;
    r.dblElongation = elongation;
    // Crescent width: the semi-diameter times (1 - cos elongation), arc minutes.
    r.dblWidth = geo ? CrescentWidth(moon.DistanceGeo, moon.ElongationGeo) : 60 * moon.WidthTopo;
    r.dblIllumination = 50 * (1 - CosD(elongation));
    double distance = (geo ? moon.DistanceGeo : moon.DistanceTopo) / kMoonMeanDistance;
    r.dblIlluminationD2 = r.dblIllumination / (distance * distance);
    if (k.intBrightness == 6 || blnAllMeasures) {
      double foveal = 0, peripheral = 0, total = 0;
      hbody.Magnitude("Moon", moon, t, foveal, peripheral, total, ok);
      if (!ok) abandon();
      r.dblMagnitude = total;
      r.blnMagnitude = true;
    }

    switch (k.intDarkness) {
      case 0: r.dblDarkness = r.dblLag; break;
      case 1: r.dblDarkness = r.dblKeshetReiyah; break;
      case 2: r.dblDarkness = r.dblDALT; break;
      default: r.dblDarkness = -std::log(r.dblSkyBrightness); break;
    }
    switch (k.intBrightness) {
      case 0: r.dblBrightness = r.dblAge; break;
      case 1: r.dblBrightness = r.dblOrechRishon; break;
      case 2: r.dblBrightness = r.dblElongation; break;
      case 3: r.dblBrightness = r.dblWidth; break;
      case 4: r.dblBrightness = r.dblIllumination; break;
      case 5: r.dblBrightness = r.dblIlluminationD2; break;
      default: r.dblBrightness = std::exp(-0.25 * r.dblMagnitude); break;
    }
    Combination m = combination(k);
    bool root = k.intBrightness >= 3 && k.intBrightness <= 5;
    r.dblV = r.dblDarkness + m.c * (root ? std::sqrt(std::fmax(r.dblBrightness, 0.0)) : r.dblBrightness);
    r.dblZ = (r.dblV - m.mu) / m.sigma;
    r.dblS = m.a * r.dblZ - m.b;
    result = r;
  });
}

}  // namespace nemora
