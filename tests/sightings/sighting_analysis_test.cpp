// The analysis of recorded sightings: scores known by hand, on hand-made
// verdicts and on a small file whose evenings no criterion can get wrong.
#include "sightings/sighting_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "tests/test_support.h"

namespace nemora {
namespace {

TEST(SightingsScores, ConfusionBrierAndLogLossByHand) {
  SightingsAnalysis a;
  a.columns = {kCritYallop};
  struct Row {
    bool seen;
    ObservingMethod method;
    bool eye, aid;  // the Yallop verdicts
    double P;
  } rows[] = {
      {true, ObservingMethod::Eye, true, true, 0.9},     // A
      {true, ObservingMethod::Eye, false, true, 0.2},    // B
      {false, ObservingMethod::Eye, true, true, 0.6},    // C
      {false, ObservingMethod::Eye, false, false, 0.0},  // D
      {true, ObservingMethod::Telescope, false, true, 0.3},  // optical aid: A by the aid verdict
  };
  int year = 1990;
  for (const Row& r : rows) {
    udtSighting s;
    s.blnSeen = r.seen;
    s.method = r.method;
    s.lngYear = year++;
    a.file.records.push_back(s);
    SightingResult res;
    res.blnValid = true;
    res.criteria[kCritYallop] = CriterionVerdict{true, 0, 0, 0, 0, 'C', r.eye, r.aid};
    res.dblPBest = r.P;
    a.results.push_back(res);
  }
  ScoreSightings(a);
  ASSERT_EQ(a.scores.size(), 2u);
  const ScoreTable& eye = a.scores[0];
  EXPECT_EQ(eye.lngRecords, 4);
  EXPECT_EQ(eye.lngSeen, 2);
  const Confusion& y = eye.rows[0].confusion;
  EXPECT_EQ(y.seenPredicted, 1);
  EXPECT_EQ(y.seenNotPredicted, 1);
  EXPECT_EQ(y.notSeenPredicted, 1);
  EXPECT_EQ(y.notSeenNotPredicted, 1);
  EXPECT_DOUBLE_EQ(y.accuracy(), 0.5);
  const ScoreRow& model = eye.rows[1];
  EXPECT_TRUE(model.blnProbability);
  // P >= 0.5: 0.9 seen (A), 0.2 seen (B), 0.6 not seen (C), 0 not seen (D).
  EXPECT_EQ(model.confusion.seenPredicted, 1);
  EXPECT_EQ(model.confusion.notSeenPredicted, 1);
  EXPECT_NEAR(model.dblBrier, (0.01 + 0.64 + 0.36 + 0) / 4, 1e-12);
  // Log loss with 0 kept at 1e-6: -(ln 0.9 + ln 0.2 + ln 0.4 + ln(1 - 1e-6)) / 4.
  EXPECT_NEAR(model.dblLogLoss, -(std::log(0.9) + std::log(0.2) + std::log(0.4) + std::log(1 - 1e-6)) / 4, 1e-12);
  const ScoreTable& aid = a.scores[1];
  EXPECT_EQ(aid.lngRecords, 1);
  EXPECT_EQ(aid.rows[0].confusion.seenPredicted, 1);
  EXPECT_EQ(aid.rows[1].confusion.seenNotPredicted, 1);  // P 0.3
  // One year per record: the right verdicts of Yallop and of the model.
  ASSERT_EQ(a.years.size(), 5u);
  EXPECT_EQ(a.years[0].correct, (std::vector<int>{1, 1}));
  EXPECT_EQ(a.years[1].correct, (std::vector<int>{0, 0}));
  EXPECT_EQ(a.years[2].correct, (std::vector<int>{0, 0}));
  EXPECT_EQ(a.years[3].correct, (std::vector<int>{1, 1}));
}

TEST(SightingsScores, GroupsByMethodRankingsAndOvercastSkies) {
  // Two evenings of naked-eye records that Yallop's q ranks perfectly and P
  // backwards, optical aid of two kinds, a camera, and an overcast evening
  // whose "not seen" must not count.
  SightingsAnalysis a;
  a.columns = {kCritYallop};
  struct Row {
    int32_t fix;
    bool seen;
    ObservingMethod method;
    double q, P;
    double clouds;
  } rows[] = {
      {100, true, ObservingMethod::Eye, 0.5, 0.2, 0},      {100, false, ObservingMethod::Eye, -0.5, 0.9, 0},
      {200, true, ObservingMethod::Eye, 0.4, 0.3, 0.5},    {200, false, ObservingMethod::Eye, -0.4, 0.8, 0},
      {300, false, ObservingMethod::Eye, 0.9, 0.9, 1},     {100, true, ObservingMethod::Binoculars, 0, 0.95, 0},
      {200, false, ObservingMethod::Telescope, 0, 0.05, 0}, {200, true, ObservingMethod::Camera, 0, 0.5, 0},
  };
  for (const Row& r : rows) {
    udtSighting s;
    s.lngFix = r.fix;
    s.blnSeen = r.seen;
    s.method = r.method;
    s.blnHasClouds = r.clouds > 0;
    s.dblClouds = r.clouds;
    a.file.records.push_back(s);
    SightingResult res;
    res.blnValid = true;
    res.criteria[kCritYallop] = CriterionVerdict{true, 0, 0, 0, r.q, 'A', r.q > 0, r.q > 0};
    res.dblPBest = r.P;
    a.results.push_back(res);
  }
  ScoreSightings(a);
  EXPECT_EQ(a.lngOvercast, 1);
  std::vector<std::string> groups;
  for (const ScoreTable& t : a.scores) groups.push_back(t.strGroup);
  EXPECT_EQ(groups, (std::vector<std::string>{"Naked eye", "Optical aid", "Binoculars", "Telescope", "Camera"}));
  const ScoreTable& eye = a.scores[0];
  EXPECT_EQ(eye.lngRecords, 4);  // the overcast record is left out
  EXPECT_EQ(eye.lngEvenings, 2);
  EXPECT_DOUBLE_EQ(eye.rows[0].roc.dblValue, 1.0);
  EXPECT_DOUBLE_EQ(eye.rows[1].roc.dblValue, 0.0);
  EXPECT_DOUBLE_EQ(eye.rows[0].modelMinus.dblValue, -1.0);
  EXPECT_DOUBLE_EQ(eye.rows[1].brier.dblValue, (0.64 + 0.81 + 0.49 + 0.64) / 4);
  EXPECT_EQ(eye.reliability[2].lngRecords + eye.reliability[3].lngRecords, 2);
  EXPECT_DOUBLE_EQ(eye.reliability[8].dblSeenShare + eye.reliability[9].dblSeenShare, 0.0);
  const ScoreTable& aid = a.scores[1];
  EXPECT_EQ(aid.lngRecords, 2);  // binoculars and telescope, not the camera
  EXPECT_DOUBLE_EQ(aid.rows[1].roc.dblValue, 1.0);
  EXPECT_EQ(a.scores[4].lngRecords, 1);
  EXPECT_FALSE(a.scores[4].rows[1].roc.valid());  // one outcome only: no ranking
  std::string text = AnalysisText(a);
  EXPECT_NE(text.find("1 records under an overcast sky (clouds 1) are not scored"), std::string::npos) << text;
  EXPECT_NE(text.find("Ranking over 2 evenings"), std::string::npos) << text;
}

TEST(SightingsScores, LimitLineLiesBelowEveryNakedEyeSighting) {
  SightingsAnalysis a;
  a.columns = {kCritYallop};
  // Sightings on y = 2 + x + noise above it; non-sightings below and above.
  for (int i = 0; i < 20; ++i) {
    udtSighting s;
    s.blnSeen = i < 15;
    double x = i % 15 * 0.1;
    double y = s.blnSeen ? 2 + x + (i % 3) * 0.5 : (i % 2 ? 0 : 10);
    a.file.records.push_back(s);
    SightingResult r;
    r.blnValid = true;
    r.criteria[kCritYallop] = CriterionVerdict{true, y, x, 0, 0, 'A', true, true};
    a.results.push_back(r);
  }
  ScoreSightings(a);
  ASSERT_EQ(a.limits.size(), 1u);
  const LimitLine& l = a.limits[0];
  ASSERT_TRUE(l.blnValid);
  EXPECT_EQ(l.lngSightings, 15);
  EXPECT_EQ(l.lngPoints, 3);
  EXPECT_EQ(l.strDarkness, "DALT");
  EXPECT_EQ(l.strBrightness, "Crescent width");
  for (size_t i = 0; i < 15; ++i) {
    const CriterionVerdict& v = a.results[i].criteria[kCritYallop];
    EXPECT_GE(v.dblDarkness, l.dblIntercept + l.fit.b * v.dblBrightness - 1e-12);
  }
  EXPECT_EQ(l.lngNotSeen, 5);
  EXPECT_EQ(l.lngNotSeenAbove, 2);  // the ones at 10
}

TEST(SightingsAnalysisRun, EveningsNoCriterionCanMiss) {
  // New Moon 2009-01-26 07:55 UT (the annular eclipse of that morning). At
  // Jerusalem the evening of the 28th (the Moon 2.3 days old) is an easy
  // sighting for every criterion and the photometric model, the evening of
  // the 26th (7 hours old) impossible for all; each evening is recorded once
  // seen and once not seen. Venus, 46 degrees east of the Sun, shone high in
  // the evening sky.
  testing::RecordedSession rs;
  std::istringstream in(
      "date,place,seen,method,body,time\n"
      "2009-01-28,Israel/Jerusalem/Center,yes,,,\n"
      "2009-01-28,Israel/Jerusalem/Center,no,,,\n"
      "2009-01-26,Israel/Jerusalem/Center,yes,,,\n"
      "2009-01-26,Israel/Jerusalem/Center,no,,,\n"
      "2009-01-26,Israel/Jerusalem/Center,no,telescope,,\n"
      "2009-01-26,Israel/Jerusalem/Center,yes,,Venus,19:00\n"
      "2009-01-26,Israel/Jerusalem/Nowhere,yes,,,\n");
  SightingsFile file = ReadSightings(rs.session, in, "synthetic.csv");
  ASSERT_EQ(file.records.size(), 6u);
  ASSERT_EQ(file.problems.size(), 1u);
  AnalysisSettings settings;
  settings.threads = 2;
  SightingsAnalysis a = AnalyzeSightings(rs.session, file, settings);
  ASSERT_TRUE(a.blnComplete);
  EXPECT_TRUE(a.failed.empty());
  EXPECT_EQ(a.columns.size(), 8u);  // the user criterion is not in force
  ASSERT_EQ(a.scores.size(), 2u);
  for (const ScoreRow& r : a.scores[0].rows) {
    SCOPED_TRACE(r.strName);
    EXPECT_EQ(r.confusion.seenPredicted, 1);
    EXPECT_EQ(r.confusion.seenNotPredicted, 1);
    EXPECT_EQ(r.confusion.notSeenPredicted, 1);
    EXPECT_EQ(r.confusion.notSeenNotPredicted, 1);
    EXPECT_DOUBLE_EQ(r.confusion.accuracy(), 0.5);
  }
  for (const ScoreRow& r : a.scores[1].rows) EXPECT_EQ(r.confusion.notSeenNotPredicted, 1) << r.strName;
  // Probabilities near 1 and near 0: half the records wrong by about 1.
  EXPECT_NEAR(a.scores[0].rows.back().dblBrier, 0.5, 0.02);
  EXPECT_EQ(a.results[0].criteria[kCritYallop].chClass, 'A');
  EXPECT_EQ(a.results[2].criteria[kCritYallop].chClass, 'F');
  EXPECT_GT(a.results[0].dblPBest, 0.98);
  EXPECT_LT(a.results[2].dblPBest, 0.02);
  // Venus: its probability at 19:00 local time (17:00 UT, standard time) in the planet table.
  ASSERT_EQ(a.planets, std::vector<size_t>{5});
  const SightingResult& venus = a.results[5];
  EXPECT_TRUE(venus.blnHasPAt);
  EXPECT_NEAR(venus.dblTAt, file.records[5].lngFix + 17.0 / 24, 1e-9);
  EXPECT_GT(venus.P(), 0.9);
  std::string text = AnalysisText(a);
  EXPECT_NE(text.find("Naked eye: 4 records, 2 seen"), std::string::npos) << text;
  EXPECT_NE(text.find("Line 8: place not in the location database: Israel/Jerusalem/Nowhere"), std::string::npos);
  // The same results whatever the number of threads.
  settings.threads = 1;
  SightingsAnalysis b = AnalyzeSightings(rs.session, file, settings);
  EXPECT_EQ(AnalysisText(b), text);
}

}  // namespace
}  // namespace nemora
