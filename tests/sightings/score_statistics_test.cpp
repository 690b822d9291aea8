// Scores of rankings and probabilities: values worked by hand, and the
// properties the bootstrap's intervals rest on.
#include "sightings/score_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace nemora {
namespace {

TEST(ScoreStatistics, RankingsByHand) {
  struct Case {
    const char* what;
    std::vector<double> score;
    std::vector<bool> seen;
    double area, bestAccuracy;
  } cases[] = {
      // Seen 0.35 beats 0.1 only, seen 0.8 beats both: 3 of 4 pairs; the
      // limit 0.35 (or 0.8) gets 3 of 4 right.
      {"one swap", {0.1, 0.4, 0.35, 0.8}, {false, false, true, true}, 0.75, 0.75},
      // A tie between a seen and a not-seen record counts one half.
      {"tie", {1, 1, 2}, {true, false, true}, 0.75, 2.0 / 3},
      // NaN (no value, as a Maimonides q below his limit) ranks lowest.
      {"no value", {NAN, 0.2, 0.1}, {false, true, false}, 1.0, 1.0},
      {"reversed", {3, 2, 1}, {false, false, true}, 0.0, 2.0 / 3},
      {"all seen", {1, 2}, {true, true}, NAN, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<bool> seen(c.seen);
    RankScorer r(c.score, seen);
    if (std::isnan(c.area)) EXPECT_TRUE(std::isnan(r.area()));
    else EXPECT_DOUBLE_EQ(r.area(), c.area);
    EXPECT_DOUBLE_EQ(r.bestAccuracy(), c.bestAccuracy);
  }
  // A weight of 2 is the same as the record written twice.
  RankScorer twice(std::vector<double>{0.1, 0.4, 0.35, 0.35, 0.8}, std::vector<bool>{false, false, true, true, true});
  RankScorer weighted(std::vector<double>{0.1, 0.4, 0.35, 0.8}, std::vector<bool>{false, false, true, true});
  EXPECT_DOUBLE_EQ(weighted.area(std::vector<double>{1, 1, 2, 1}), twice.area());
  EXPECT_DOUBLE_EQ(twice.area(), 4.0 / 6);
}

TEST(ScoreStatistics, ProbabilityScoresByHand) {
  std::vector<double> P{0.9, 0.2, 0.6, 0.0, 1.0};
  std::vector<bool> seen{true, true, false, false, true};
  std::vector<double> ones(P.size(), 1.0);
  EXPECT_NEAR(BrierScore(P, seen, ones), (0.01 + 0.64 + 0.36 + 0 + 0) / 5, 1e-15);
  EXPECT_NEAR(BrierScore(P, seen, std::vector<double>{0, 0, 0, 0, 3}), 0, 1e-15);
  EXPECT_NEAR(LogLoss(P, seen, 1e-6),
              -(std::log(0.9) + std::log(0.2) + std::log(0.4) + std::log(1 - 1e-6) + std::log(1 - 1e-6)) / 5, 1e-12);
  auto bands = Reliability(P, seen);
  ASSERT_EQ(bands.size(), 10u);
  EXPECT_EQ(bands[0].lngRecords, 1);   // 0.0
  EXPECT_EQ(bands[2].lngRecords, 1);   // 0.2
  EXPECT_EQ(bands[6].lngRecords, 1);   // 0.6
  EXPECT_EQ(bands[9].lngRecords, 2);   // 0.9 and 1.0: the last band holds 1
  EXPECT_DOUBLE_EQ(bands[9].dblMeanP, 0.95);
  EXPECT_DOUBLE_EQ(bands[9].dblSeenShare, 1.0);
  EXPECT_DOUBLE_EQ(bands[6].dblSeenShare, 0.0);
  int total = 0;
  for (const auto& b : bands) total += b.lngRecords;
  EXPECT_EQ(total, 5);
}

TEST(ScoreStatistics, BootstrapResamplesWholeClusters) {
  // Seven records in four evenings.
  std::vector<int> cluster{0, 0, 1, 2, 2, 2, 3};
  auto w = ClusterResampleWeights(cluster, 500, 7);
  ASSERT_EQ(w.size(), 500u);
  for (const auto& r : w) {
    // Records of one evening are drawn together, and four evenings are drawn.
    EXPECT_EQ(r[0], r[1]);
    EXPECT_EQ(r[3], r[4]);
    EXPECT_EQ(r[4], r[5]);
    EXPECT_DOUBLE_EQ(r[0] + r[2] + r[3] + r[6], 4.0);
  }
  EXPECT_EQ(ClusterResampleWeights(cluster, 500, 7), w);  // the same seed, the same resamples
  // Each evening drawn once on average.
  double mean = 0;
  for (const auto& r : w) mean += r[2];
  EXPECT_NEAR(mean / 500, 1.0, 0.15);

  std::vector<double> samples(101);
  std::iota(samples.begin(), samples.end(), 0.0);
  Interval i = PercentileInterval(50, samples);
  EXPECT_DOUBLE_EQ(i.dblLow, 2.5);
  EXPECT_DOUBLE_EQ(i.dblHigh, 97.5);
  EXPECT_TRUE(std::isnan(PercentileInterval(1, {1, 2, 3}).dblLow));  // too few resamples for an interval

  // A score that separates every evening perfectly keeps an area of 1 on
  // every resample that holds both outcomes.
  std::vector<double> score{1, 1, 0, 2, 2, 2, 0};
  std::vector<bool> seen{true, true, false, true, true, true, false};
  RankScorer r(score, seen);
  std::vector<double> areas;
  for (const auto& weights : w) areas.push_back(r.area(weights));
  Interval perfect = PercentileInterval(r.area(), areas);
  EXPECT_DOUBLE_EQ(perfect.dblLow, 1.0);
  EXPECT_DOUBLE_EQ(perfect.dblHigh, 1.0);
}

}  // namespace
}  // namespace nemora
