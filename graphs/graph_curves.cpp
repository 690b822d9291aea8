// The curves of the graph window.
//
// Choices made here:
// - The span is the report's: from the Sun's set to the body's (evening) or
//   from the body's rise to the Sun's (morning), ends included, so the
//   curves begin and end where the report's window does.
// - By criterion, the probability curve uses the same constants as the
//   visibility table of the report.
// - A guide planet is shown at an instant when it is above the horizon and
//   its own probability of visibility reaches 8 %.
#include "graphs/graph_curves.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "base/session.h"
#include "base/spline.h"
#include "location/weather.h"
#include "timescale/conversions.h"
#include "timescale/date_text.h"
#include "ephemeris/hbody.h"
#include "ephemeris/rise_set.h"
#include "visibility/criterion_visibility.h"
#include "visibility/sky.h"

namespace nemora {
namespace {

constexpr double kMayBeVisible = 0.08;
constexpr double kSurelyVisible = 0.92;
constexpr double kMinutesPerDay = 1440;

bool isGraphBody(const std::string& name) {
  for (const char* b : {"Moon", "Sun", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"})
    if (name == b) return true;
  return false;
}

// Fills the values at the instants not evaluated by the natural spline
// through the evaluated ones.
void splineFill(const udtTimeGrid& grid, std::vector<double>& values) {
  std::vector<double> x, y;
  for (size_t i = 0; i < grid.dblTime.size(); ++i) {
    if (!grid.blnEvaluated[i]) continue;
    x.push_back(grid.dblTime[i]);
    y.push_back(values[i]);
  }
  const int n = static_cast<int>(x.size());
  if (n < 2 || n == static_cast<int>(values.size())) return;
  const std::vector<double> y2 = SPLINE(x, y, n);
  for (size_t i = 0; i < grid.dblTime.size(); ++i)
    if (!grid.blnEvaluated[i]) values[i] = SPLINT(x, y, y2, n, grid.dblTime[i]);
}

}  // namespace

VisClass visibilityClass(double dblP) {
  if (dblP < kMayBeVisible) return VisClass::NotVisible;
  if (dblP < kSurelyVisible) return VisClass::MayBeVisible;
  return VisClass::Definitely;
}

std::optional<udtGraphRequest> GraphRequestFor(const Session& session, const std::string& strHBody,
                                               const std::string& strParameter, int32_t intGraphKind,
                                               double dblFix) {
  if (strParameter != "Finder chart" && strParameter != "Probability" && strParameter != "Light curve")
    return std::nullopt;
  const bool byCriterion = strHBody == "Moon" && session.options.intMoonCalc == kMoonCalcByCriterion;
  udtGraphRequest r{strHBody, dblFix, false, !byCriterion, byCriterion, intGraphKind};
  if (strParameter == "Probability") {
    r.blnFlag1 = byCriterion;
  } else if (strParameter == "Light curve") {
    r.blnFlag2 = true;
    r.blnFlag3 = false;
  }
  return r;
}

VisClass WindowClass(const udtVisibility& v, double t) {
  if (v.blnNeverVisible || t < v.dblT1 || t > v.dblT4) return VisClass::NotVisible;
  if (v.dblPMax >= kSurelyVisible && t >= v.dblT2 && t <= v.dblT3) return VisClass::Definitely;
  return VisClass::MayBeVisible;
}

udtTimeGrid TimeGrid(double dblStart, double dblEnd, bool blnProbability, int16_t intNIntegrals) {
  udtTimeGrid grid;
  if (!(dblEnd > dblStart)) return grid;
  const double spanMinutes = (dblEnd - dblStart) * kMinutesPerDay;
  grid.intStep = spanMinutes <= 240 ? 1 : static_cast<int32_t>(std::ceil(spanMinutes / 240));
  const double b = grid.intStep;
  // Instant j of the grid: the (j + 1)-th whole step after the start.
  const double first = std::floor(dblStart * kMinutesPerDay / b) * b;
  std::vector<double> inner;
  for (int j = 0;; ++j) {
    const double t = (first + b * (j + 1)) / kMinutesPerDay;
    if (t >= dblEnd) break;
    inner.push_back(t);
  }
  const bool fewSteps = inner.size() < 20;
  grid.intStride = (fewSteps || blnProbability || intNIntegrals == 128) ? 1 : 10;
  constexpr double kSame = 1e-6;  // days (0.09 s): a grid instant on an end is the end
  grid.dblTime.push_back(dblStart);
  grid.blnEvaluated.push_back(true);
  for (size_t j = 0; j < inner.size(); ++j) {
    if (inner[j] - dblStart < kSame || dblEnd - inner[j] < kSame) continue;
    grid.dblTime.push_back(inner[j]);
    grid.blnEvaluated.push_back(j % static_cast<size_t>(grid.intStride) == 0);
  }
  grid.dblTime.push_back(dblEnd);
  grid.blnEvaluated.push_back(true);
  return grid;
}

double MyMax(std::span<const double> curve) {
  return curve.empty() ? 0 : *std::max_element(curve.begin(), curve.end());
}

double MyMin(std::span<const double> curve) {
  return curve.empty() ? 0 : *std::min_element(curve.begin(), curve.end());
}

void CurveRange(std::span<const double> curve, double& dblMin, double& dblMax) {
  dblMin = MyMin(curve);
  dblMax = MyMax(curve);
  if (dblMax < dblMin + 1e-5) dblMax = dblMin + 1e-6;
}

bool GraphShown(const udtVisibility& v) { return !(v.blnExtended || (v.blnNeverVisible && v.dblValue <= -0.63)); }

void GraphCurves::CalcCurve(const udtGraphRequest& request, udtCurves& curves, bool& blnValid) {
  curves = udtCurves{};
  curves.request = request;
  guardedVoid(blnValid, "frmGraph.CalcCurve", [&] {
    Session& s = session();
    const Main& m = s.main;
    const std::string& body = request.strHBody;
    if (!isGraphBody(body)) raise("Invalid heavenly body ", body);
    bool ok = true;
    auto check = [&] {
      if (!ok) abandon();
    };
    const bool isMoon = body == "Moon";
    const std::string hebrewName = hebrewBodyName(body);

    const int32_t day = static_cast<int32_t>(s.dateText.FixedToDay(request.dblFix, ok));
    check();
    bool neverRises = false, neverSets = false;
    s.hbody.RiseSet(body, day, false, true, neverRises, neverSets, ok);
    check();
    if (neverRises) {
      if (isMoon) {
        const bool evening = s.hbody.EveningSight("Moon", day, ok);
        check();
        curves.strMessage = evening ? m.Lang("The new Moon does not rise.", "הירח החדש אינו זורח.")
                                    : m.Lang("The old Moon does not rise.", "הירח הישן אינו זורח.");
      } else if (body == "Sun") {
        curves.strMessage = m.Lang("The Sun does not rise.", "השמש אינה זורחת.");
      } else {
        curves.strMessage = m.Lang(body + " does not rise.", hebrewName + " אינו זורח.");
      }
      return;
    }

    udtVisibility& v = curves.table;
    s.hbody.Visibility(body, day, request.blnFlag1, request.blnFlag2, request.blnFlag3, v, ok);
    check();
    const std::string theMoon = v.blnEvening ? m.Lang("The new Moon", "הירח החדש") : m.Lang("The old Moon", "הירח הישן");
    if (isMoon && v.blnExtended) {
      curves.strMessage = theMoon + m.Lang(" is visible for an extended period.", " נראה לאורך זמן.");
      return;
    }
    if (isMoon && v.blnNeverVisible && v.dblValue <= -0.23) {
      curves.strMessage = theMoon + m.Lang(" is not visible even with a telescope.", " אינו נראה אפילו בטלסקופ.");
      return;
    }
    if (!(v.dblEnd > v.dblStart)) {
      const std::string name = isMoon ? theMoon : (body == "Sun" ? m.Lang("The Sun", "השמש") : m.Lang(body, hebrewName));
      curves.strMessage = v.blnEvening ? name + m.Lang(" sets before the Sun.", " שוקע לפני השמש.")
                                       : name + m.Lang(" rises after the Sun.", " זורח אחרי השמש.");
      return;
    }

    const int32_t kind = request.intGraphKind;
    udtTimeGrid& grid = curves.grid;
    grid = TimeGrid(v.dblStart, v.dblEnd, kind == kGraphProbability, s.options.intNIntegrals);
    const size_t n = grid.dblTime.size();
    for (auto* c : {&curves.dblProb, &curves.dblAlt, &curves.dblAz, &curves.dblLogB, &curves.dblMag,
                    &curves.dblLimbAngle, &curves.dblLimbArc})
      c->assign(n, 0.0);
    const bool byCriterion = isMoon && s.options.intMoonCalc == kMoonCalcByCriterion;
    curves.blnPercent = byCriterion;
    CriterionVisibility criterion(s);
    double lastAz = -1;
    for (size_t i = 0; i < n; ++i) {
      if (!grid.blnEvaluated[i]) continue;
      const double t = grid.dblTime[i];
      udtHBody r;
      s.hbody.TrueHBody(body, t, r, ok);
      check();
      const double alt = r.RefrFlag ? r.AltRefr : r.AltTopo;
      // The azimuth runs on without a jump at north.
      double az = r.AzTopo;
      if (lastAz >= 0) az += 360 * std::round((lastAz - az) / 360);
      lastAz = az;
      curves.dblAlt[i] = alt;
      curves.dblAz[i] = az;
      double foveal = 0, peripheral = 0, total = 0;
      s.hbody.Magnitude(body, r, t, foveal, peripheral, total, ok);
      check();
      curves.dblMag[i] = total + s.sky.DeltaM(t, alt, 2, ok);
      check();
      const double B = s.sky.SkyBrightness(t, alt, r.AzTopo, 2, false, 0, ok);
      check();
      curves.dblLogB[i] = std::log10(std::max(B, 1e-12));
      if (isMoon) {
        double a = 0, z = 0;
        s.hbody.moon.BrightLimb(t, true, curves.dblLimbAngle[i], curves.dblLimbArc[i], a, z, ok);
        check();
      }
      curves.dblProb[i] = byCriterion ? criterion.ProbabilityAt(v.dblValue, t, kCriterionConstants, ok)
                                      : s.hbody.HBProbVis(body, t, ok);
      check();
    }
    for (auto* c : {&curves.dblProb, &curves.dblAlt, &curves.dblAz, &curves.dblLogB, &curves.dblMag,
                    &curves.dblLimbAngle, &curves.dblLimbArc})
      splineFill(grid, *c);
    for (double& p : curves.dblProb) p = std::clamp(p, 0.0, 1.0);

    // The clock of the input's time scale, for the time labels.
    {
      const double mid = (v.dblStart + v.dblEnd) / 2;
      udtDate date;
      udtTime clock = s.udtTimeIn;
      clock.bln24Hour = true;
      s.conversions.ToDateTime(mid, date, 4, clock, s.udtTimeIn.enmTimeType, ok);
      check();
      double hours = clock.udtDms.intDegreesHours + clock.udtDms.intMinutes / 60.0 + clock.udtDms.dblSeconds / 3600;
      if (!clock.bln24Hour && clock.blnPM && hours < 12) hours += 12;
      if (!clock.bln24Hour && !clock.blnPM && hours >= 12) hours -= 12;
      double offset = hours / 24 - (mid - std::floor(mid));
      curves.dblClockOffset = offset - std::round(offset);
    }

    if (!isFinderChart(kind)) return;
    udtHBody sun;
    s.hbody.TrueHBody("Sun", v.blnEvening ? v.dblStart : v.dblEnd, sun, ok);
    check();
    curves.dblSunAz = sun.AzTopo;
    if (curves.dblAz.front() - curves.dblSunAz > 180) curves.dblSunAz += 360;
    if (curves.dblSunAz - curves.dblAz.front() > 180) curves.dblSunAz -= 360;
    if (kind == kGraphFinderProportional) {
      udtWeatherNow now;
      s.weather.GetWeatherNow((v.dblStart + v.dblEnd) / 2, now, ok);
      check();
      const double sea = s.sky.SeaLevelHorizon(now, ok);
      check();
      bool refracted = true;
      curves.dblHorizon = sea + s.hbody.Refract(sea, true, now, refracted, ok);
      check();
    }
    for (const char* planet : {"Mercury", "Venus", "Jupiter"}) {
      if (body == planet) continue;
      udtGuidePlanet g;
      g.strName = planet;
      for (size_t i = 0; i < n; ++i) {
        if (!grid.blnEvaluated[i]) continue;
        const double t = grid.dblTime[i];
        udtHBody r;
        s.hbody.TrueHBody(planet, t, r, ok);
        check();
        bool shown = r.RefrFlag && r.AltRefr > 0;
        if (shown) {
          shown = s.hbody.HBProbVis(planet, t, ok) >= kMayBeVisible;
          check();
        }
        double az = r.AzTopo + 360 * std::round((curves.dblAz[i] - r.AzTopo) / 360);
        g.dblTime.push_back(t);
        g.dblAlt.push_back(r.RefrFlag ? r.AltRefr : r.AltTopo);
        g.dblAz.push_back(az);
        g.blnShown.push_back(shown);
      }
      curves.planets.push_back(std::move(g));
    }
  });
}

}  // namespace nemora
