// The graph window's curves: the time grid, the ranges, the curves against
// the report's table, and the messages that stand in place of a curve.
//
// Outcomes on public record: the crescent of 10 March 2024 (9 hours after the
// new Moon of 09:00 UT, USNO phases table) was not seen in the Middle East,
// that of 11 March 2024 was easily seen (the start of Ramadan 1445).
#include <gtest/gtest.h>

#include <cmath>

#include "app/session.h"
#include "graphs/graph_curves.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr double kMinute = 1.0 / 1440;
constexpr double k11Mar2024Evening = 738956 + 16.0 / 24;  // 18:00 local (16:00 UT)

struct Place : RecordedSession {
  Place(const TempDir& dir, double lat, double lon, double height, double zone) {
    auto& l = session.udtLocation;
    l.dblLatitude = lat;
    l.dblLongitude = lon;
    l.dblHeight = height;
    l.dblTZ = zone;
    l.blnAutoTZ = false;
    session.udtLocation.moveTo({lat, lon, height});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.workDir = dir.path();
    session.udtDateIn.enmDateType = 4;
    session.udtTimeIn.enmTimeType = 1;
  }
  udtCurves curves(const std::string& body, double t, int32_t kind, bool& ok) {
    udtCurves c;
    GraphCurves(session).CalcCurve({body, t, false, true, false, kind}, c, ok);
    return c;
  }
};

TEST(GraphCurves, TimeGridStepsAndStride) {
  const double start = 738956 + 15.0 / 24 + 57.3 * kMinute;  // not on a whole minute
  struct Case {
    double minutes;
    bool probability;
    int16_t integrals;
    int32_t step, stride;
  } cases[] = {
      {15, false, 64, 1, 1},    // fewer than 20 steps: every minute
      {90, false, 64, 1, 10},   // finder chart or light curve: every tenth
      {90, true, 64, 1, 1},     // the probability graph: every step
      {90, false, 128, 1, 1},   // the slowest speed: every step
      {600, false, 64, 3, 10},  // a long span: longer steps
  };
  for (const Case& c : cases) {
    const double end = start + c.minutes * kMinute;
    const udtTimeGrid g = TimeGrid(start, end, c.probability, c.integrals);
    SCOPED_TRACE(c.minutes);
    EXPECT_EQ(g.intStep, c.step);
    EXPECT_EQ(g.intStride, c.stride);
    ASSERT_GE(g.dblTime.size(), 3u);
    EXPECT_EQ(g.dblTime.front(), start);
    EXPECT_EQ(g.dblTime.back(), end);
    EXPECT_TRUE(g.blnEvaluated.front() && g.blnEvaluated.back());
    // Inner instant i is the (i + 1)-th whole step after the start's step;
    // every stride-th of them is evaluated.
    const double first = std::floor(start * 1440 / c.step) * c.step;
    for (size_t i = 1; i + 1 < g.dblTime.size(); ++i) {
      EXPECT_NEAR(g.dblTime[i] * 1440, first + c.step * static_cast<double>(i), 1e-5) << i;
      EXPECT_EQ(g.blnEvaluated[i], (i - 1) % static_cast<size_t>(c.stride) == 0) << i;
    }
  }
  EXPECT_TRUE(TimeGrid(start, start, true, 64).dblTime.empty());
}

TEST(GraphCurves, RangesAndTheFlatCurve) {
  const std::vector<double> rising{0.2, -1.5, 3.25, 0};
  double lo = 0, hi = 0;
  EXPECT_EQ(MyMin(rising), -1.5);
  EXPECT_EQ(MyMax(rising), 3.25);
  CurveRange(rising, lo, hi);
  EXPECT_EQ(lo, -1.5);
  EXPECT_EQ(hi, 3.25);
  for (const std::vector<double>& flat : {std::vector<double>{0.5, 0.5}, std::vector<double>{0.5, 0.500009}}) {
    CurveRange(flat, lo, hi);
    EXPECT_EQ(lo, 0.5);
    EXPECT_DOUBLE_EQ(hi, 0.5 + 1e-6);
  }
}

// The probability curve of the evening of 10 March 2024 at Honolulu (a
// crescent of 20 hours, seen from a while after sunset until it sinks into
// the horizon's haze) runs over the report's span and crosses 8 % where the
// report's window opens and closes; the finder chart of 11 March at
// Jerusalem carries the crescent and the guide planets.
TEST(GraphCurves, CurvesFollowTheReportsTable) {
  TempDir dir;
  Place h(dir, 21.3, -157.9, 0, -10);
  h.session.options.intMoonCalc = kMoonCalcPhotometric;
  bool ok = false;
  const double honoluluEvening = 738956 + 4.0 / 24;  // 18:00 local on the 10th (04:00 UT on the 11th)
  const udtCurves p = h.curves("Moon", honoluluEvening, kGraphProbability, ok);
  ASSERT_TRUE(ok) << h.sink.last();
  ASSERT_TRUE(p.hasCurve()) << p.strMessage;
  const udtVisibility& v = p.table;
  EXPECT_EQ(p.grid.dblTime.front(), v.dblStart);
  EXPECT_EQ(p.grid.dblTime.back(), v.dblEnd);
  EXPECT_EQ(p.grid.intStride, 1);
  ASSERT_FALSE(v.blnNeverVisible);
  size_t first = 0, last = 0;
  for (size_t i = 0; i < p.dblProb.size(); ++i) {
    if (p.dblProb[i] >= 0.08) {
      if (first == 0) first = i;
      last = i;
    }
  }
  EXPECT_NEAR(p.grid.dblTime[first], v.dblT1, 1.5 * kMinute);
  EXPECT_NEAR(p.grid.dblTime[last], v.dblT4, 1.5 * kMinute);
  EXPECT_NEAR(MyMax(p.dblProb), v.dblPMax, 0.01);
  // Local time in Honolulu is UT - 10 hours.
  EXPECT_NEAR(p.dblClockOffset, -10.0 / 24, 1e-6);

  // (By criterion: the photometric model sees this crescent all evening,
  // and a graph is not drawn for a Moon in view for an extended period.)
  Place j(dir, 31.7767, 35.2345, 754, 2);
  j.session.options.intMoonCalc = kMoonCalcByCriterion;

  const udtCurves f = j.curves("Moon", k11Mar2024Evening, kGraphFinderFull, ok);
  ASSERT_TRUE(ok && f.hasCurve()) << j.sink.last() << f.strMessage;
  EXPECT_EQ(f.grid.intStride, 10);
  EXPECT_GT(f.dblAlt.front(), f.dblAlt.back());  // the Moon sinks toward the west
  EXPECT_NEAR(f.dblAz.front(), 265, 25);
  EXPECT_NEAR(f.dblSunAz, 265, 10);
  EXPECT_GT(f.dblLimbArc[f.dblLimbArc.size() / 2], 0);
  ASSERT_EQ(f.planets.size(), 3u);
  EXPECT_EQ(f.planets[1].strName, "Venus");
  EXPECT_EQ(f.planets[0].dblTime.size(), static_cast<size_t>(std::count(f.grid.blnEvaluated.begin(),
                                                                         f.grid.blnEvaluated.end(), true)));

  const udtCurves l = j.curves("Moon", k11Mar2024Evening, kGraphLightCurve, ok);
  ASSERT_TRUE(ok && l.hasCurve());
  EXPECT_GT(l.dblLogB.front(), l.dblLogB.back() + 1);  // the sky darkens by more than tenfold

  j.session.options.intPlotMode = 2;
  const udtCurves prop = j.curves("Moon", k11Mar2024Evening, kGraphFinderProportional, ok);
  ASSERT_TRUE(ok);
  EXPECT_LT(prop.dblHorizon, -0.5);  // 754 m up: the sea horizon dips below the flat one
}

TEST(GraphCurves, MessagesInPlaceOfCurves) {
  TempDir dir;
  struct Case {
    double lat, lon, zone;
    const char* body;
    double t;
    int16_t language;
    const char* message;
  } cases[] = {
      {31.7767, 35.2345, 2, "Moon", k11Mar2024Evening - 1, 0, "The new Moon is not visible even with a telescope."},
      {31.7767, 35.2345, 2, "Moon", k11Mar2024Evening + 3, 0, "The new Moon is visible for an extended period."},
      {31.7767, 35.2345, 2, "Moon", k11Mar2024Evening + 3, 1, "הירח החדש נראה לאורך זמן."},
      {78.22, 15.65, 1, "Sun", 739241 + 0.5, 0, "The Sun does not rise."},  // Longyearbyen, 21 December 2024
  };
  for (const Case& c : cases) {
    Place p(dir, c.lat, c.lon, 0, c.zone);
    p.session.intLanguage = c.language;
    bool ok = false;
    const udtCurves curves = p.curves(c.body, c.t, kGraphProbability, ok);
    EXPECT_TRUE(ok) << p.sink.last();
    EXPECT_EQ(curves.strMessage, c.message) << c.body << " " << c.t;
    EXPECT_FALSE(curves.hasCurve());
  }
  Place p(dir, 31.7767, 35.2345, 754, 2);
  bool ok = true;
  p.curves("Sirius", k11Mar2024Evening, kGraphProbability, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(p.sink.last(), "Error in frmGraph.CalcCurve, Invalid heavenly body Sirius");

  // The window is shown unless the evening is visible throughout or hopeless.
  udtVisibility v;
  EXPECT_TRUE(GraphShown(v));
  v.blnExtended = true;
  EXPECT_FALSE(GraphShown(v));
  v = {};
  v.blnNeverVisible = true;
  v.dblValue = -0.62;
  EXPECT_TRUE(GraphShown(v));
  v.dblValue = -0.63;
  EXPECT_FALSE(GraphShown(v));
}

}  // namespace
}  // namespace nemora
