// How well a score ranks and a probability forecasts recorded outcomes: the
// area under the ROC curve, the best accuracy any threshold reaches, the
// Brier score, the log loss and the reliability bands, with bootstrap
// intervals that resample whole clusters of records (the evenings), since
// records of one evening share its sky and are not independent.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace nemora {

// A value and its interval; NaN when it cannot be found (for instance a ROC
// area of records that were all seen).
struct Interval {
  double dblValue = std::numeric_limits<double>::quiet_NaN();
  double dblLow = std::numeric_limits<double>::quiet_NaN();
  double dblHigh = std::numeric_limits<double>::quiet_NaN();
  bool valid() const { return dblValue == dblValue; }
};

// Ranks records by one score (higher: more likely seen; NaN ranks lowest),
// sorted once so that many weightings of the same records are cheap.
class RankScorer {
 public:
  RankScorer(std::span<const double> score, const std::vector<bool>& seen);
  // Area under the ROC curve with each record counted weight[i] times; ties
  // of score count one half. NaN when no weight falls on a seen record or
  // none on a record not seen.
  double area(std::span<const double> weight) const;
  // The same with every record counted once.
  double area() const;
  // The greatest share of right verdicts of "seen when score >= t" over
  // every threshold t (every record counted once).
  double bestAccuracy() const;

 private:
  std::vector<double> score_;
  std::vector<bool> seen_;
  std::vector<size_t> order_;  // ascending score
};

// Mean of (P - seen)^2 and of -ln P (seen) or -ln(1 - P) (not seen), each
// record counted weight[i] times; P kept within [floor, 1 - floor] in the
// log loss, so that one confident miss costs a finite amount.
double BrierScore(std::span<const double> P, const std::vector<bool>& seen, std::span<const double> weight);
double LogLoss(std::span<const double> P, const std::vector<bool>& seen, double floor);

// One band of predicted probability and what was seen in it.
struct ReliabilityBand {
  double dblFrom = 0, dblTo = 0;  // P in [from, to), the last band includes 1
  int lngRecords = 0;
  double dblMeanP = 0;      // mean predicted probability of its records
  double dblSeenShare = 0;  // share of its records seen
};
// Ten bands of width 0.1; empty bands are kept (0 records).
std::vector<ReliabilityBand> Reliability(std::span<const double> P, const std::vector<bool>& seen);

// Weights of bootstrap resamples: each resample draws as many clusters as
// there are, with replacement, and a record counts as often as its cluster
// was drawn. cluster[i] is record i's cluster, 0 .. k-1. The generator is
// seeded with seed, so the same records give the same intervals on every run.
std::vector<std::vector<double>> ClusterResampleWeights(std::span<const int> cluster, int resamples, uint64_t seed);

// The central 95 % of the values that are numbers (percentile interval);
// NaN bounds when fewer than 20 are.
Interval PercentileInterval(double value, std::vector<double> samples);

}  // namespace nemora
