// The probability of seeing a body: at one instant (HBProbVis), the search
// for a probability over an evening or morning (FindP) and the evening's
// table (Visibility), and the main window's "Magnitude" report.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/numeric.h"
#include "base/text.h"
#include "base/session.h"
#include "location/weather.h"
#include "ephemeris/hbody.h"
#include "ephemeris/hbody_data.h"
#include "ephemeris/rise_set.h"
#include "visibility/crescent_verdicts.h"
#include "visibility/criterion_visibility.h"
#include "visibility/optical_aid.h"
#include "visibility/sky.h"
#include "base/memory_keys.h"

namespace nemora {

namespace {

// Probabilities that bound the windows of first appearance and fading: a
// sighting is possible from 8 % and nearly certain from 92 %.
constexpr double kMayBeVisible = 0.08;
constexpr double kSurelyVisible = 0.92;
// The probability searches stop when neighbouring instants differ by less
// than this, or when the bracket is shorter than kShortestBracket days.
constexpr double kProbabilityStep = 0.002;
constexpr double kShortestBracket = 5.0 / 86400;

}  // namespace

bool clsHBody::sightInputs(const std::string& strHBody, double dblFix, SightInputs& in) {
  Session& s = session();
  bool ok = true;
  udtHBody body, sun;
  TrueHBody(strHBody, dblFix, body, ok);
  if (!ok) abandon();
  TrueHBody("Sun", dblFix, sun, ok);
  if (!ok) abandon();
  double foveal = 0, peripheral = 0, total = 0;
  Magnitude(strHBody, body, dblFix, foveal, peripheral, total, ok);
  if (!ok) abandon();
  if (!body.RefrFlag) return false;  // well below the horizon
  // Set (or not yet risen) over the flat horizon: nothing to see.
  if (body.AltRefr + body.Radius < 0) return false;
  // Nearer the Sun than the Danjon limit no crescent shows at all.
  if (strHBody == "Moon" && body.ElongationTopo < kDanjonLimit) return false;

  // Where the eye looks: the middle of the lit limb for the Moon, the
  // body itself otherwise.
  double altitude = body.AltTopo, refracted = body.AltRefr, azimuth = body.AzTopo, arc = 180;
  if (strHBody == "Moon") {
    double angle = 0, subtend = 0;
    moon.BrightLimb(dblFix, false, angle, subtend, altitude, azimuth, ok);
    if (!ok) abandon();
    moon.BrightLimb(dblFix, true, angle, subtend, refracted, azimuth, ok);
    if (!ok) abandon();
    arc = std::clamp(subtend, 0.0, 180.0);
  }

  double ground = s.sky.DeltaM(dblFix, refracted, 2, ok);
  if (!ok) abandon();
  ground += total;
  double B = s.sky.SkyBrightness(dblFix, refracted, azimuth, 2, false, 0, ok);
  if (!ok) abandon();
  double KO = 0, KR = 0, KW = 0, XO = 0, XG = 0;
  s.sky.GetK(dblFix, 2, sun.RATopo, sun.HourAngTopo, refracted, true, in.KA, KO, KR, KW, ok);
  if (!ok) abandon();
  s.sky.GetX(dblFix, 2, 90 - altitude, 90 - refracted, in.XA, XO, XG, ok);
  if (!ok) abandon();
  in.altitude = altitude;
  in.azimuth = azimuth;

  if (strHBody != "Sun" && strHBody != "Moon") {
    in.foveal = ground;
    in.peripheral = 100000;
    return true;
  }
  if (strHBody == "Moon") {
    // The part of the crescent narrower than the eye resolves against this
    // sky is lost; what remains must still fit inside the lit limb.
    double k = body.Phase, R = body.Radius;
    double w = clsSky::UsefulWidth(B);
    double psi = ACosD(2 * k - 1);
    double r = (1 - k) * R / (R - w);
    double e2 = (1 - r * r) / (1 - Square(1 - k));
    double theta = e2 > 0 ? 2 * ASinD(std::sqrt(std::fmin(e2, 1.0))) : 0;
    double x = psi > 90 ? theta / 2 : 180 - theta / 2;
    double inner = std::fabs(clsSky::El2(TanD(x), CosD(psi), 1, Square(CosD(psi))));
    if (arc * M_PI / 360 < inner) {
      raise("Inner perimeter of Moon (", 2 * inner * R, ") is larger than the outer perimeter (",
            R * M_PI * arc / 180, ")");
    }
  }
  // Through an optical aid the crescent is an extended source that the
  // magnification spreads beyond the eye's fields.
  double fovealLoss = 0, peripheralLoss = 0;
  if (strHBody == "Moon" && s.udtObserver.aid.intKind != kAidEye) {
    double width = 2 * body.Radius * body.Phase, length = body.Radius * M_PI * arc / 180;
    double M = s.udtObserver.aid.dblMagnification;
    fovealLoss = ExtendedSourceCorrection(width, length, kFovealFieldWidth, M);
    peripheralLoss = ExtendedSourceCorrection(width, length, kPeripheralFieldWidth, M);
  }
  in.foveal = ground + (foveal - total) + fovealLoss;
  in.peripheral = ground + (peripheral - total) + peripheralLoss;
  return true;
}

double clsHBody::HBProbVis(const std::string& strHBody, double dblFix, bool& blnValid) {
  return guarded(blnValid, "cHBody.HBProbVis", 0.0, [&] {
    SightInputs in;
    if (!sightInputs(strHBody, dblFix, in)) return 0.0;
    bool ok = true;
    double p = session().sky.ProbVis(dblFix, in.altitude, in.azimuth, in.foveal, in.peripheral, in.KA, in.XA, ok);
    if (!ok) abandon();
    return p;
  });
}

double clsHBody::SightContrast(const std::string& strHBody, double dblFix, bool& blnValid) {
  return guarded(blnValid, "cHBody.HBProbVis", 0.0, [&] {
    SightInputs in;
    if (!sightInputs(strHBody, dblFix, in)) return 0.0;
    bool ok = true;
    double c = session().sky.Contrast(dblFix, in.altitude, in.azimuth, in.foveal, in.peripheral, in.KA, ok);
    if (!ok) abandon();
    return c;
  });
}

bool clsHBody::EveningSight(const std::string& strHBody, int32_t lngFix, bool& blnValid) {
  return guarded(blnValid, "cHBody.EveningSight", false, [&] {
    bool ok = true;
    double noon = Meridian("Sun", lngFix, 0, ok);
    if (!ok) abandon();
    udtHBody body, sun;
    TrueHBody(strHBody, noon, body, ok);
    if (!ok) abandon();
    TrueHBody("Sun", noon, sun, ok);
    if (!ok) abandon();
    return Deg360(body.EclLong - sun.EclLong) < 180;
  });
}

void clsHBody::FindP(const std::string& strHBody, double dblTMin, double dblTMax, double dblPTarget, double dblLim,
                     double& dblFindT, double& dblFindP, bool& blnValid) {
  guardedVoid(blnValid, "cHBody.FindP", [&] {
    bool ok = true;
    auto probability = [&](double t) {
      double p = HBProbVis(strHBody, t, ok);
      if (!ok) abandon();
      return p;
    };
    double a = std::min(dblTMin, dblTMax), b = std::max(dblTMin, dblTMax);
    if (dblPTarget > 1) {
      // Greatest probability: five instants around the best so far; the
      // bracket halves at each step around the best of the five.
      std::array<double, 5> t{a, (3 * a + b) / 4, (a + b) / 2, (a + 3 * b) / 4, b};
      std::array<double, 5> p{};
      for (int i = 0; i < 5; ++i) p[i] = probability(t[i]);
      for (int pass = 0; pass < 60; ++pass) {
        bool flat = p[2] - p[0] <= dblLim && p[2] - p[4] <= dblLim;
        if (flat || t[4] - t[0] < kShortestBracket) break;
        int best = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin());
        best = std::clamp(best, 1, 3);
        std::array<double, 5> nt{t[best - 1], 0, t[best], 0, t[best + 1]};
        std::array<double, 5> np{p[best - 1], 0, p[best], 0, p[best + 1]};
        nt[1] = (nt[0] + nt[2]) / 2;
        nt[3] = (nt[2] + nt[4]) / 2;
        np[1] = probability(nt[1]);
        np[3] = probability(nt[3]);
        t = nt;
        p = np;
      }
      int best = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin());
      dblFindT = t[best];
      dblFindP = p[best];
      return;
    }
    // A crossing of the target: the bracket [a, b] holds it (the caller
    // passes one end below and one at or above the target); halve it until
    // its ends' probabilities are within the step.
    double pa = probability(a), pb = probability(b);
    for (int pass = 0; pass < 60; ++pass) {
      if (std::fabs(pb - pa) <= dblLim || b - a < kShortestBracket) break;
      double m = (a + b) / 2;
      double pm = probability(m);
      if ((pa < dblPTarget) == (pm < dblPTarget)) {
        a = m;
        pa = pm;
      } else {
        b = m;
        pb = pm;
      }
    }
    // The end nearer the target in probability.
    bool aNearer = std::fabs(pa - dblPTarget) <= std::fabs(pb - dblPTarget);
    dblFindT = aNearer ? a : b;
    dblFindP = aNearer ? pa : pb;
  });
}

void clsHBody::Visibility(const std::string& strHBody, int32_t lngFix, bool blnFlag1, bool blnFlag2, bool blnFlag3,
                          udtVisibility& udtVis, bool& blnValid) {
  guardedVoid(blnValid, "cHBody.Visibility", [&] {
    if (!HBodyLoader(session()).IsObjectName(strHBody)) raise("strHBody not valid: ", strHBody);
    bool ok = true;
    bool evening = strHBody == "Sun" || EveningSight(strHBody, lngFix, ok);
    if (!ok) abandon();
    VisibilityOn(strHBody, lngFix, evening, blnFlag1, blnFlag2, blnFlag3, udtVis, ok);
    if (!ok) abandon();
  });
}

void clsHBody::VisibilityOn(const std::string& strHBody, int32_t lngFix, bool blnEvening, bool blnFlag1,
                            bool blnFlag2, bool blnFlag3, udtVisibility& udtVis, bool& blnValid) {
  guardedVoid(blnValid, "cHBody.Visibility", [&] {
    Session& s = session();
    const int16_t N = s.options.intNIntegrals;
    if (std::find(kNIntegralsChoices.begin(), kNIntegralsChoices.end(), N) == kNIntegralsChoices.end())
      raise("intNIntegrals not valid: ", N);
    if (!HBodyLoader(s).IsObjectName(strHBody)) raise("strHBody not valid: ", strHBody);
    VisibilityMemory& cache = s.visibilityCache;
    VisibilityKey key = VisibilityKey::of(s, strHBody, lngFix, blnEvening, blnFlag1, blnFlag2, blnFlag3);
    if (cache.key == key) {
      udtVis = cache.table;
      return;
    }
    cache.key.reset();
    bool ok = true;
    udtVisibility v;
    ObservingInterval(strHBody, lngFix, blnEvening, v, ok);
    if (!ok) abandon();
    const std::string calculating = s.main.Lang("Calculating ", "מחשב ") + strHBody;
    auto progress = [&](const char* percent) { s.messages.progress(calculating + percent); };
    struct CloseProgress {
      Session& s;
      ~CloseProgress() { s.messages.progress(""); }
    } closeProgress{s};
    auto probability = [&](double t) {
      double p = HBProbVis(strHBody, t, ok);
      if (!ok) abandon();
      return p;
    };
    auto find = [&](double from, double to, double target, double& t, double& p) {
      FindP(strHBody, from, to, target, kProbabilityStep, t, p, ok);
      if (!ok) abandon();
    };

    // The criterion in force judges the Moon's evening as a whole: its value
    // goes with the table (the reports' hints of optical aid read it), and
    // a value above 5 is a Moon in view for the whole evening. Whether the
    // Moon can be seen at all is the photometric table's answer (or, by
    // criterion, the criterion's verdict).
    bool criterionExtended = false;
    CriterionVerdict verdict;
    if (strHBody == "Moon") {
      udtCriterion criterion = s.udtUserCriterion;
      moon.SetCriterion(criterion, false, ok);
      if (!ok) abandon();
      udtCriterionResult judged;
      moon.Criterion(lngFix, v.blnEvening, criterion, judged, ok);
      if (!ok) abandon();
      verdict = judgeCrescent(criterion.intType, judged);
      v.dblValue = judged.dblZ;
      criterionExtended = judged.dblZ > 5 && verdict.bar == CrescentBar::None;
    }

    progress(" 0%");
    if (v.bar != CrescentBar::None) {
      // Not in the evening's (morning's) sky at all: no instant to give.
      v.blnNeverVisible = true;
      v.dblTMax = v.dblT1 = v.dblT2 = v.dblT3 = v.dblT4 = v.dblStart;
      v.dblPMax = 0;
    } else if (strHBody == "Moon" && s.options.intMoonCalc == kMoonCalcByCriterion) {
      // By criterion: the criterion's value of the evening places the window,
      // its verdict says whether there is one.
      CriterionVisibility(s).Search(lngFix, false, verdict.blnEye, v, ok);
      if (!ok) abandon();
      // Too near the Sun there is no crescent to see, however dark the sky.
      if (verdict.bar == CrescentBar::BelowDanjon) v.dblPMax = 0;
      progress(" 100%");
    } else if (v.dblEnd <= v.dblStart) {
      // The body is down before the Sun: nothing to search.
      v.blnNeverVisible = true;
      v.dblTMax = v.dblT1 = v.dblT2 = v.dblT3 = v.dblT4 = v.dblStart;
    } else {
      find(v.dblStart, v.dblEnd, 1.1, v.dblTMax, v.dblPMax);
      progress(" 20%");
      v.dblT1 = v.dblT2 = v.dblT3 = v.dblT4 = v.dblTMax;
      if (v.dblPMax < kMayBeVisible) {
        v.blnNeverVisible = true;
      } else {
        double p = 0;
        double pStart = probability(v.dblStart);
        if (pStart >= kMayBeVisible) v.dblT1 = v.dblStart;
        else find(v.dblStart, v.dblTMax, kMayBeVisible, v.dblT1, p);
        progress(" 40%");
        double pEnd = probability(v.dblEnd);
        if (pEnd >= kMayBeVisible) v.dblT4 = v.dblEnd;
        else find(v.dblTMax, v.dblEnd, kMayBeVisible, v.dblT4, p);
        progress(" 60%");
        if (v.dblPMax >= kSurelyVisible) {
          if (pStart >= kSurelyVisible) v.dblT2 = v.dblStart;
          else find(v.dblT1, v.dblTMax, kSurelyVisible, v.dblT2, p);
          progress(" 80%");
          if (pEnd >= kSurelyVisible) v.dblT3 = v.dblEnd;
          else find(v.dblTMax, v.dblT4, kSurelyVisible, v.dblT3, p);
          progress(" 100%");
          // Surely visible from the Sun's setting to the body's: the body
          // shows for the whole of the evening (or morning).
          v.blnExtended = pStart >= kSurelyVisible && pEnd >= kSurelyVisible;
        }
        v.blnExtended = v.blnExtended || criterionExtended;
      }
    }
    udtVis = v;
    cache.table = v;
    cache.key = std::move(key);
  });
}

VisibilityKey VisibilityKey::of(const Session& session, const std::string& strHBody, int32_t lngFix,
                                bool blnEvening, bool blnFlag1, bool blnFlag2, bool blnFlag3) {
  return VisibilityKey{strHBody,          lngFix,          blnEvening,          blnFlag1,
                       blnFlag2,          blnFlag3,        SkyInputs::of(session), session.options,
                       session.udtObserver, session.udtUserCriterion};
}

void clsHBody::ObservingInterval(const std::string& strHBody, int32_t lngFix, bool blnEvening, udtVisibility& v,
                                 bool& blnValid) {
  guardedVoid(blnValid, "cHBody.Visibility", [&] {
    bool ok = true, neverRises = false, neverSets = false;
    v.bar = CrescentBar::None;
    if (strHBody == "Sun") {
      // The Sun is seen by day: from its rising to its setting.
      v.blnEvening = true;
      v.dblStart = RiseSet("Sun", lngFix, false, true, neverRises, neverSets, ok);
      if (!ok) abandon();
      v.dblEnd = RiseSet("Sun", lngFix, true, true, neverRises, neverSets, ok);
      if (!ok) abandon();
      return;
    }
    v.blnEvening = blnEvening;
    const double sun = RiseSet("Sun", lngFix, blnEvening, true, neverRises, neverSets, ok);
    if (!ok) abandon();
    v.dblStart = v.dblEnd = sun;
    if (neverRises || neverSets) {
      v.bar = CrescentBar::NoSunEvent;
      return;
    }
    const double up = AboveHorizon(strHBody, sun, true, ok);
    if (!ok) abandon();
    if (!(up > 0)) {
      RiseSet(strHBody, lngFix, blnEvening, true, neverRises, neverSets, ok);
      if (!ok) abandon();
      v.bar = neverRises ? CrescentBar::MoonNeverRises : CrescentBar::MoonFirst;
      return;
    }
    const double body = CrossingBeyond(strHBody, lngFix, blnEvening, sun, true, neverRises, neverSets, ok);
    if (!ok) abandon();
    v.dblStart = blnEvening ? sun : body;
    v.dblEnd = blnEvening ? body : sun;
  });
}

std::string clsHBody::MagnitudeReport(const std::string& strHBody, bool& blnValid) {
  std::string text;
  guardedVoid(blnValid, "cHBody.MagnitudeReport", [&] {
    Session& s = session();
    const double t = s.dblFixDate + s.dblFixTime;
    const int p = std::clamp<int>(s.options.intPrecision, 0, 2);
    // In Hebrew every line keeps its right-to-left direction.
    const bool hebrew = s.intLanguage == 1;
    auto F = [&](double x, int decimals, std::string_view unit = {}) {
      return s.main.Figure(formatNumber(x, s.strFormats[static_cast<size_t>(std::clamp(decimals, 0, 8))]) +
                           std::string(unit));
    };
    bool ok = true;
    udtHBody body;
    TrueHBody(strHBody, t, body, ok);
    if (!ok) abandon();
    if (strHBody == "Moon") {
      double angle = 0, subtend = 0, altitude = 0, azimuth = 0;
      moon.BrightLimb(t, false, angle, subtend, altitude, azimuth, ok);
      if (!ok) abandon();
    }
    double foveal = 0, peripheral = 0, total = 0;
    Magnitude(strHBody, body, t, foveal, peripheral, total, ok);
    if (!ok) abandon();
    // In Hebrew the body's Hebrew name (a star keeps its catalogue name).
    const std::string name = s.main.Lang(strHBody, hebrewBodyName(strHBody));
    text = name + s.main.Lang("'s magnitude above the atmosphere ", " - בהירות מעל האטמוספירה ") + F(total, p + 1);
    if (!body.RefrFlag) {
      text += "\n" + s.main.Lang("The " + strHBody + " is well below the horizon.",
                                 name + " נמצא הרבה מתחת לאופק.");
      if (hebrew) text = rightToLeftLines(text);
      return;
    }
    double extinction = s.sky.DeltaM(t, body.AltTopo, 2, ok);
    if (!ok) abandon();
    text += "\n" + s.main.Lang("From the ground ", "מהקרקע ") + F(total + extinction, p + 1);
    double B = s.sky.SkyBrightness(t, body.AltRefr, body.AzTopo, 2, false, 0, ok);
    if (!ok) abandon();
    int decimals = std::max(0, p - static_cast<int>(std::floor(std::log10(B))) + 1);
    text += "\n" + s.main.Lang("Sky brightness ", "בהירות השמים ") + F(B, decimals, " cd/m^2");
    text += "\n" + s.main.Lang("Lg(B) ", "Lg(B) ") + F(std::log10(B), p + 1);
    double P = HBProbVis(strHBody, t, ok);
    if (!ok) abandon();
    int n = P > 1e-20 ? p - static_cast<int>(std::floor(std::log10(P))) - 1 : 0;
    if (P > 0.99 && P < 0.99999999) n = p - static_cast<int>(std::floor(std::log10(1 - P))) - 1;
    n = std::min(n, 8);
    if (p == 0) n = 0;
    text += "\n" + s.main.Lang("Probability of visibility ", "הסתברות הנראות ") + F(100 * P, n, "%");
    if (hebrew) text = rightToLeftLines(text);
  });
  return text;
}

}  // namespace nemora
