// The first-visibility report and its hand measures.
//
// Outcomes on public record: the crescent of 10 March 2024 (9 hours after the
// new Moon of 09:00 UT, USNO phases table) was not seen in the Middle East,
// that of 11 March 2024 was easily seen (the start of Ramadan 1445).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/main_model.h"
#include "app/session.h"
#include "tests/test_support.h"
#include "visibility/optical_aid.h"
#include "visibility/first_visible.h"
#include "visibility/testimony.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr double k10Mar2024Evening = 738955 + 16.0 / 24;  // 18:00 local (16:00 UT)

struct Jerusalem : RecordedSession {
  explicit Jerusalem(const TempDir& dir) {
    auto& l = session.udtLocation;
    l.dblLatitude = 31.7767;
    l.dblLongitude = 35.2345;
    l.dblHeight = 754;
    l.dblTZ = 2;
    l.blnAutoTZ = false;
    session.udtLocation.moveTo({l.dblLatitude, l.dblLongitude, l.dblHeight});
    session.udtWeather.udtBasis = kWeatherFixed;
    session.workDir = dir.path();
    session.udtDateIn.enmDateType = 4;
    session.udtTimeIn.enmTimeType = 1;
  }
  std::string report(const std::string& body, double t, int16_t mode = 0) {
    bool ok = false;
    std::string text = FirstVisibleReport(session).FirstVisible(body, t, false, true, ok, mode, false);
    EXPECT_TRUE(ok) << sink.last();
    return text;
  }
};

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(FirstVisible, HandMeasuresAndFormats) {
  TempDir dir;
  Jerusalem j(dir);
  FirstVisibleReport r(j.session);
  struct Case {
    double a;
    const char* english;
    const char* hebrew;
  } cases[] = {
      {0, "0", "0"},
      {0.2499, "0", "0"},
      {0.25, "¼ a finger", "רבע אצבע"},  // each bound belongs to the row after it
      {0.5, "½ a finger", "חצי אצבע"},
      {2.475, "1½ fingers", "אצבע וחצי"},
      {4.4, "2½ fingers", "\u20662½\u2069 אצבעות"},
      {8.65, "1 fist", "אגרוף אחד"},
      {18.75, "1 span", "זרת אחת"},
      {47.59, "2 spans", "\u20662\u2069 זרתות"},
      {47.6, "more than 2 spans", "יותר מ-\u20662\u2069 זרתות"},
      {180, "more than 2 spans", "יותר מ-\u20662\u2069 זרתות"},
  };
  bool ok = false;
  for (const Case& c : cases) {
    j.session.intLanguage = 0;
    EXPECT_EQ(r.Fingers(c.a, ok), c.english) << c.a;
    EXPECT_TRUE(ok);
    j.session.intLanguage = 1;
    EXPECT_EQ(r.Fingers(c.a, ok), c.hebrew) << c.a;
  }
  j.session.intLanguage = 0;
  for (double bad : {-0.1, 180.01}) {
    r.Fingers(bad, ok);
    EXPECT_FALSE(ok);
  }
  EXPECT_EQ(j.sink.last(), "Error in cMoon.Fingers, dblA not valid: 180.01");

  // Half degrees: no lone zero before the half.
  EXPECT_EQ(r.strAngleHalfDeg(0.3), "½°");
  EXPECT_EQ(r.strAngleHalfDeg(0.2), "0°");
  EXPECT_EQ(r.strAngleHalfDeg(1.2), "1°");  // the nearest half degree
  EXPECT_EQ(r.strAngleHalfDeg(1.3), "1½°");
  EXPECT_EQ(r.strAngleHalfDeg(1.8), "2°");
  EXPECT_EQ(r.strAngleHalfDeg(-1.8), "2°");
  j.session.intLanguage = 1;
  EXPECT_EQ(r.strAngleHalfDeg(1.3), "\u20661½°\u2069");
  j.session.intLanguage = 0;

  // Probabilities: whole per cents inside 1 % to 99 %, then one, then two
  // decimals.
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(0.5), "50");
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(0.99), "99");
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(0.995), "99.5");
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(0.005), "0.5");
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(0.0005), "0.05");
  EXPECT_EQ(FirstVisibleReport::ProbabilityPercent(1), "100.00");

  // Ease of visibility at the limits.
  udtVisibility v;
  EXPECT_EQ(r.EaseText(v, 0.5, false), "difficult to see");
  EXPECT_EQ(r.EaseText(v, 0.3333, false), "very difficult to see");
  EXPECT_EQ(r.EaseText(v, 2.0 / 3, false), "not difficult to see");
  EXPECT_EQ(r.EaseText(v, 1, false), "easy to see");
  EXPECT_EQ(r.EaseText(v, 4.0 / 3, false), "very easy to see");
  v.blnNeverVisible = true;
  v.dblValue = -0.68;
  EXPECT_EQ(r.EaseText(v, 0, false), "impossible to see with the naked eye or with a telescope");
  v.dblValue = -0.5;
  EXPECT_EQ(r.EaseText(v, 0, false), "impossible to see with the naked eye but may be visible with a telescope");
  v.dblValue = -0.2;
  EXPECT_EQ(r.EaseText(v, 0, false),
            "impossible to see with the naked eye but may be visible with a telescope or with binoculars");
  EXPECT_EQ(r.EaseText(v, 0, true), "impossible to see with the naked eye or with a telescope");
  v.blnExtended = true;
  EXPECT_EQ(r.EaseText(v, 0, false), "clearly visible for an extended period");

  r.FirstVisible("Moon", k10Mar2024Evening, false, true, ok, 3, false);
  EXPECT_FALSE(ok);
  EXPECT_EQ(j.sink.last(), "Error in cMoon.FirstVisible, Invalid intMode: 3");
}

TEST(FirstVisible, JerusalemEveningsInBothModes) {
  TempDir dir;
  for (int16_t calc : {kMoonCalcByCriterion, kMoonCalcPhotometric}) {
    Jerusalem j(dir);
    j.session.options.intMoonCalc = calc;
    SCOPED_TRACE(calc);
    // 10 March: never visible, with the instant closest to visibility.
    std::string before = j.report("Moon", k10Mar2024Evening);
    EXPECT_EQ(before.rfind("The new Moon is impossible to see with the naked eye", 0), 0u) << before;
    EXPECT_TRUE(has(before, "The closest to visibility is at ")) << before;
    EXPECT_TRUE(has(before, " Probability of visibility: ")) << before;
    EXPECT_TRUE(has(before, " of testimony: ")) << before;
    EXPECT_FALSE(has(before, "first appears")) << before;

    // 11 March: seen, with its window (in both modes: the crescent of 31
    // hours shows in the twilight a few minutes after sunset, not in the
    // bright sky at the Sun's setting), where to look and the Sun's setting.
    const bool photometric = calc == kMoonCalcPhotometric;
    std::string seen = j.report("Moon", k10Mar2024Evening + 1);
    EXPECT_EQ(seen.rfind("The new Moon first appears on ", 0), 0u) << seen;
    EXPECT_TRUE(has(seen, " provided that it is not cloudy. It is ")) << seen;
    EXPECT_TRUE(has(seen, "easy to see")) << seen;
    EXPECT_TRUE(has(seen, ", ease of visibility ")) << seen;
    EXPECT_TRUE(has(seen, "% Lag ")) << seen;
    EXPECT_TRUE(has(seen, " The best chance of seeing the Moon will be at ")) << seen;
    EXPECT_TRUE(has(seen, " The Sun sets here at ")) << seen;
    EXPECT_TRUE(has(seen, "left of the place of the set Sun")) << seen;
    EXPECT_TRUE(has(seen, " horizon between ")) << seen;
    EXPECT_TRUE(has(seen, " (at arm's length) high.")) << seen;
    EXPECT_FALSE(has(seen, "naked eye ")) << seen;

    // The last report is the file's whole content.
    std::ifstream in(dir.path() / "Output.txt");
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), seen);

    // Through binoculars the probability names the aid, and the naked
    // eye's stands beside it.
    j.session.udtObserver.aid = *ParseAid("binoculars");
    std::string aided = j.report("Moon", k10Mar2024Evening + 1);
    EXPECT_EQ(has(aided, "% with Binoculars 7x50 (naked eye "), photometric) << aided;
    j.session.udtObserver.aid = {};

    // The future tense, and the Moon on the date given.
    j.session.blnPresentTense = false;
    std::string future = j.report("Moon", k10Mar2024Evening);
    EXPECT_TRUE(has(future, "The new Moon will be impossible")) << future;
    std::string onDate = j.report("Moon", k10Mar2024Evening + 1, 1);
    EXPECT_EQ(onDate.rfind("The Moon on ", 0), 0u) << onDate;

    // In Hebrew.
    j.session.intLanguage = 1;
    j.session.blnPresentTense = true;
    std::string hebrew = j.report("Moon", k10Mar2024Evening + 1);
    EXPECT_EQ(hebrew.rfind("הירח החדש נראה לראשונה ב-", 0), 0u) << hebrew;
    EXPECT_TRUE(has(hebrew, "בתנאי שאין עננים")) << hebrew;
    EXPECT_TRUE(has(hebrew, "השמש שוקעת כאן בשעה")) << hebrew;
    // Only figures are isolated left to right, never a Hebrew phrase around
    // them: isolates do not nest, and the clock time stands apart from the
    // Hebrew name of its time scale.
    int depth = 0, deepest = 0;
    for (size_t at = 0; at + 2 < hebrew.size(); ++at) {
      if (hebrew.compare(at, 3, "\u2066") == 0) deepest = std::max(deepest, ++depth);
      if (hebrew.compare(at, 3, "\u2069") == 0) --depth;
    }
    EXPECT_EQ(deepest, 1) << hebrew;
    EXPECT_EQ(depth, 0) << hebrew;
    EXPECT_TRUE(has(hebrew, "\u2069 שעון מקומי ל-\u2066")) << hebrew;
  }
}

// Through binoculars the report's probability is the aid's, but the likely
// witnesses of a population look with the naked eye: the testimony rests on
// the naked eye's chance at the same instant. 8 May 2024 at Jerusalem, a
// crescent of about 20 hours that binoculars show and the eye hardly does.
TEST(FirstVisible, TestimonyThroughAnAidRestsOnTheNakedEye) {
  TempDir dir;
  Jerusalem j(dir);
  j.session.options.intMoonCalc = kMoonCalcPhotometric;
  j.session.udtObserver.aid = *ParseAid("binoculars");
  bool ok = false;
  udtVisibility v;
  j.session.hbody.Visibility("Moon", 739014, false, true, false, v, ok);
  ASSERT_TRUE(ok) << j.sink.last();
  double through = FirstVisibleReport(j.session).Testimony(v, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(j.session.udtObserver.aid.intKind, kAidBinoculars);  // the aid is given back
  j.session.udtObserver.aid = {};
  double naked = j.session.hbody.HBProbVis("Moon", v.dblTMax, ok);
  ASSERT_TRUE(ok);
  EXPECT_NEAR(through, PTestimony(j.session, naked, ok), 1e-12);
  EXPECT_LT(through + 0.3, PTestimony(j.session, v.dblPMax, ok)) << naked << " " << v.dblPMax;
}

TEST(FirstVisible, PlanetWithGuides) {
  // Venus in the evening sky of 1 June 2023 at Jerusalem (greatest eastern
  // elongation on 4 June, magnitude -4.4): easily seen after sunset, with
  // Mercury below the horizon and Jupiter in the morning sky.
  TempDir dir;
  Jerusalem j(dir);
  std::string venus = j.report("Venus", 738672 + 16.0 / 24);
  EXPECT_EQ(venus.rfind("Venus first appears on ", 0), 0u) << venus;
  EXPECT_TRUE(has(venus, "easy to see")) << venus;
  EXPECT_FALSE(has(venus, " of testimony: ")) << venus;
  EXPECT_TRUE(has(venus, " The best chance of seeing Venus will be at ")) << venus;
  EXPECT_TRUE(has(venus, " Venus is likely* to appear over the ")) << venus;
}

TEST(FirstVisible, CrescentArc) {
  constexpr double deg = 3.141592653589793 / 180;
  struct Case {
    double size, x, y, angle, subtend;
    udtCrescentArc expected;
  } cases[] = {
      {2, 0, 0, 0, 180, {0, -1, 1, 180 * deg, 0}},
      {4, 10, 10, 90, 60, {8, 10, 2, 330 * deg, 30 * deg}},
      {2, 0, 0, -90, 20, {1, 0, 1, 170 * deg, 190 * deg}},
  };
  for (const Case& c : cases) {
    udtCrescentArc a = DrawMoon(c.size, c.x, c.y, c.angle, c.subtend);
    EXPECT_NEAR(a.dblCentreX, c.expected.dblCentreX, 1e-12) << c.angle;
    EXPECT_NEAR(a.dblCentreY, c.expected.dblCentreY, 1e-12) << c.angle;
    EXPECT_NEAR(a.dblRadius, c.expected.dblRadius, 1e-12);
    EXPECT_NEAR(a.dblStart, c.expected.dblStart, 1e-12) << c.angle;
    EXPECT_NEAR(a.dblEnd, c.expected.dblEnd, 1e-12) << c.angle;
  }
}

TEST(FirstVisible, MainWindowParametersSetTheGraphKind) {
  // 11 March 2024 at noon on the local clock (days since 30 December 1899),
  // at the default place (Jerusalem).
  TempDir dir;
  RecordedSession r;
  r.session.workDir = dir.path();
  MainModel model(r.session);
  model.startUp(45362.5);
  r.session.options.intPlotMode = 2;
  struct Case {
    const char* body;
    const char* parameter;
    int32_t kind;
    const char* start;
  } cases[] = {
      {"Moon", "Probability", 3, "The Moon on Monday 11th March 2024"},
      {"Moon", "Finder chart", 2, "The new Moon first appears on Monday 11th March 2024"},
      {"Moon", "Light curve", 4, "The new Moon first appears on "},
      {"Venus", "Light curve", 4, "Venus "},
      {"Jupiter", "Probability", 3, "Jupiter "},
  };
  for (const Case& c : cases) {
    model.intGraphKind = -1;
    ASSERT_TRUE(model.chooseBodyAndEvaluate(c.body, c.parameter)) << c.body << " " << c.parameter << r.sink.last();
    EXPECT_EQ(model.intGraphKind, c.kind) << c.body << " " << c.parameter;
    EXPECT_EQ(model.labels.lblOutput3.rfind(c.start, 0), 0u) << model.labels.lblOutput3;
  }
  // The Sun's finder chart leaves the graph kind as it was.
  model.intGraphKind = 4;
  ASSERT_TRUE(model.chooseBodyAndEvaluate("Sun", "Finder chart"));
  EXPECT_EQ(model.intGraphKind, 4);
  EXPECT_EQ(model.labels.lblOutput3.rfind("The Sun ", 0), 0u) << model.labels.lblOutput3;
}

}  // namespace
}  // namespace nemora
