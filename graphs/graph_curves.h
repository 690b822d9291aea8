// The curves of the graph window, computed without drawing: the probability
// of visibility, the light curve (the sky's brightness and the body's
// magnitude) and the finder chart (the body's path over the horizon with the
// guide planets) over one evening or morning, or the message that stands in
// place of a curve.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/session_bound.h"
#include "base/visibility_types.h"

namespace nemora {

// Graph kinds: 0 to 2 the finder chart in the plot mode of the same number
// (0 "Full graph", 1 "Sketch", 2 "Proportional"), 3 the probability of
// visibility against time, 4 the light curve.
inline constexpr int32_t kGraphFinderFull = 0;
inline constexpr int32_t kGraphFinderSketch = 1;
inline constexpr int32_t kGraphFinderProportional = 2;
inline constexpr int32_t kGraphProbability = 3;
inline constexpr int32_t kGraphLightCurve = 4;
inline bool isFinderChart(int32_t intGraphKind) { return intGraphKind >= 0 && intGraphKind <= 2; }

// How likely a sighting is at an instant, by the limits of the visibility
// table: below 8 % not visible, below 92 % may be visible, else definitely.
enum class VisClass { NotVisible, MayBeVisible, Definitely };
VisClass visibilityClass(double dblP);
// The class of instant t by the report's window: not visible before t1 and
// after t4, definitely visible from t2 to t3 (when the best probability
// reaches 92 %), may be visible between.
VisClass WindowClass(const udtVisibility& v, double t);

// What the graph is drawn for: the body, the input instant (its civil day
// is the day of the evening or morning), the three flags the main window's
// request hands to the visibility search, and the graph kind.
struct udtGraphRequest {
  std::string strHBody;
  double dblFix = 0;
  bool blnFlag1 = false, blnFlag2 = true, blnFlag3 = false;
  int32_t intGraphKind = kGraphProbability;

  friend bool operator==(const udtGraphRequest&, const udtGraphRequest&) = default;
};

class Session;

// The graph that the main window's request for a body's parameter draws:
// "Finder chart", "Probability" and "Light curve" with the flags that the
// request hands to the visibility search (by body and Moon calculation
// mode) and the graph kind the dispatcher has set; none for any other
// parameter.
std::optional<udtGraphRequest> GraphRequestFor(const Session& session, const std::string& strHBody,
                                               const std::string& strParameter, int32_t intGraphKind,
                                               double dblFix);

// The instants of a curve: from the Sun's set (rise) to the body's set
// (rise) in steps of intStep whole minutes; every intStride-th step is
// evaluated, the others are filled by the spline. The first and last
// instants are the ends of the span themselves.
struct udtTimeGrid {
  int32_t intStep = 1;
  int32_t intStride = 1;
  std::vector<double> dblTime;     // days
  std::vector<bool> blnEvaluated;  // computed at this instant, not splined
};
// The grid of the span dblStart to dblEnd (days). The stride is 1 when there
// are fewer than 20 steps, for the probability graph, or with 128
// integration steps; 10 otherwise. Steps are 1 minute for spans up to four
// hours, longer ones (a planet's or the Sun's day) take whole minutes enough
// to keep to about 240 steps.
udtTimeGrid TimeGrid(double dblStart, double dblEnd, bool blnProbability, int16_t intNIntegrals);

// A guide planet's place at the evaluated instants of a finder chart.
struct udtGuidePlanet {
  std::string strName;
  std::vector<double> dblTime, dblAlt, dblAz;
  std::vector<bool> blnShown;  // up and bright enough to be seen at that instant
};

struct udtCurves {
  udtGraphRequest request;
  // Set: no curve; the window shows this text instead.
  std::string strMessage;
  udtVisibility table;  // the report's table: the span and the window instants
  udtTimeGrid grid;
  // Probabilities are the criterion's (shown in per cent) rather than photometric.
  bool blnPercent = false;
  // Per grid instant: probability 0 to 1, refracted altitude and azimuth
  // (degrees; the azimuth continuous, it may pass 360), lg of the sky's
  // brightness at the body (cd/m^2), the body's magnitude seen from the
  // ground, and for the Moon the bright-limb angle and the lit arc.
  std::vector<double> dblProb, dblAlt, dblAz, dblLogB, dblMag, dblLimbAngle, dblLimbArc;
  // Finder chart: Mercury, Venus and Jupiter (those other than the body),
  // the Sun's azimuth at its set (rise), and the apparent altitude of the
  // horizon (0, or in "Proportional" mode the sea-level horizon raised by
  // its refraction).
  std::vector<udtGuidePlanet> planets;
  double dblSunAz = 0;
  double dblHorizon = 0;
  // Local time minus UT (days) in the input's time scale at the middle of
  // the span, for the time labels.
  double dblClockOffset = 0;

  bool hasCurve() const { return strMessage.empty() && !grid.dblTime.empty(); }
};

// Largest and smallest element of a curve (0 for an empty one).
double MyMax(std::span<const double> curve);
double MyMin(std::span<const double> curve);
// The axis range of a curve: MyMin to MyMax, the maximum raised to the
// minimum + 1e-6 when it is less than the minimum + 1e-5 (a flat curve).
void CurveRange(std::span<const double> curve, double& dblMin, double& dblMax);

// Whether the first-visibility report shows the graph window: not for an
// evening visible for an extended period, nor for one never visible whose
// criterion's value is -0.63 or less.
bool GraphShown(const udtVisibility& v);

class GraphCurves : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Fills the curves of the request's body over the evening or morning of
  // the civil day of the request's instant, or their message:
  // "The new Moon is visible for an extended period." (old),
  // "The new Moon is not visible even with a telescope." (old; never visible
  // with the criterion's value -0.23 or less), "The new Moon does not rise."
  // (old), "The Sun does not rise.", body + " does not rise."; a body that
  // is down before the Sun (up only after it) gets body + " sets before the
  // Sun." (" rises after the Sun."). A body other than the Sun, the Moon
  // and the five planets raises "Invalid heavenly body " + name (source
  // "frmGraph.CalcCurve"). Any other failure leaves blnValid false.
  void CalcCurve(const udtGraphRequest& request, udtCurves& curves, bool& blnValid);
};

}  // namespace nemora
