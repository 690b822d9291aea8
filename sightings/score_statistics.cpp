#include "sightings/score_statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace nemora {

RankScorer::RankScorer(std::span<const double> score, const std::vector<bool>& seen)
    : score_(score.begin(), score.end()), seen_(seen), order_(score.size()) {
  for (double& s : score_)
    if (std::isnan(s)) s = -std::numeric_limits<double>::infinity();
  std::iota(order_.begin(), order_.end(), size_t{0});
  std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) { return score_[a] < score_[b]; });
}

double RankScorer::area(std::span<const double> weight) const {
  // Sweep from the lowest score: a seen record outranks every record not
  // seen below it, and half of those tied with it.
  double below = 0, sum = 0, seenTotal = 0, notSeenTotal = 0;
  for (size_t k = 0; k < order_.size();) {
    size_t end = k;
    double seenHere = 0, notSeenHere = 0;
    while (end < order_.size() && score_[order_[end]] == score_[order_[k]]) {
      size_t i = order_[end++];
      (seen_[i] ? seenHere : notSeenHere) += weight[i];
    }
    sum += seenHere * (below + notSeenHere / 2);
    below += notSeenHere;
    seenTotal += seenHere;
    notSeenTotal += notSeenHere;
    k = end;
  }
  if (seenTotal <= 0 || notSeenTotal <= 0) return std::numeric_limits<double>::quiet_NaN();
  return sum / (seenTotal * notSeenTotal);
}

double RankScorer::area() const {
  std::vector<double> ones(order_.size(), 1.0);
  return area(ones);
}

double RankScorer::bestAccuracy() const {
  const size_t n = order_.size();
  if (n == 0) return std::numeric_limits<double>::quiet_NaN();
  // Threshold below every record: all predicted seen.
  long right = std::count(seen_.begin(), seen_.end(), true);
  long best = right;
  for (size_t k = 0; k < n;) {
    size_t end = k;
    while (end < n && score_[order_[end]] == score_[order_[k]]) {
      right += seen_[order_[end]] ? -1 : 1;  // this record is now predicted not seen
      ++end;
    }
    best = std::max(best, right);
    k = end;
  }
  return static_cast<double>(best) / static_cast<double>(n);
}

double BrierScore(std::span<const double> P, const std::vector<bool>& seen, std::span<const double> weight) {
  double sum = 0, total = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    double d = P[i] - (seen[i] ? 1.0 : 0.0);
    sum += weight[i] * d * d;
    total += weight[i];
  }
  return total > 0 ? sum / total : std::numeric_limits<double>::quiet_NaN();
}

double LogLoss(std::span<const double> P, const std::vector<bool>& seen, double floor) {
  if (P.empty()) return std::numeric_limits<double>::quiet_NaN();
  double sum = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    double p = std::clamp(P[i], floor, 1 - floor);
    sum -= seen[i] ? std::log(p) : std::log(1 - p);
  }
  return sum / static_cast<double>(P.size());
}

std::vector<ReliabilityBand> Reliability(std::span<const double> P, const std::vector<bool>& seen) {
  std::vector<ReliabilityBand> bands(10);
  std::vector<double> sumP(10, 0), sumSeen(10, 0);
  for (size_t b = 0; b < bands.size(); ++b) {
    bands[b].dblFrom = b / 10.0;
    bands[b].dblTo = (b + 1) / 10.0;
  }
  for (size_t i = 0; i < P.size(); ++i) {
    auto b = static_cast<size_t>(std::clamp(static_cast<int>(std::floor(P[i] * 10)), 0, 9));
    ++bands[b].lngRecords;
    sumP[b] += P[i];
    sumSeen[b] += seen[i] ? 1 : 0;
  }
  for (size_t b = 0; b < bands.size(); ++b) {
    if (bands[b].lngRecords == 0) continue;
    bands[b].dblMeanP = sumP[b] / bands[b].lngRecords;
    bands[b].dblSeenShare = sumSeen[b] / bands[b].lngRecords;
  }
  return bands;
}

std::vector<std::vector<double>> ClusterResampleWeights(std::span<const int> cluster, int resamples, uint64_t seed) {
  int k = cluster.empty() ? 0 : *std::max_element(cluster.begin(), cluster.end()) + 1;
  std::vector<std::vector<double>> out;
  if (k == 0) return out;
  std::mt19937_64 rng(seed);
  std::vector<double> drawn(static_cast<size_t>(k));
  for (int r = 0; r < resamples; ++r) {
    std::fill(drawn.begin(), drawn.end(), 0.0);
    // The modulo's bias is below k / 2^64: nothing at these sizes.
    for (int j = 0; j < k; ++j) drawn[static_cast<size_t>(rng() % static_cast<uint64_t>(k))] += 1;
    std::vector<double> w(cluster.size());
    for (size_t i = 0; i < cluster.size(); ++i) w[i] = drawn[static_cast<size_t>(cluster[i])];
    out.push_back(std::move(w));
  }
  return out;
}

Interval PercentileInterval(double value, std::vector<double> samples) {
  Interval out;
  out.dblValue = value;
  std::erase_if(samples, [](double x) { return std::isnan(x); });
  if (samples.size() < 20 || std::isnan(value)) return out;
  std::sort(samples.begin(), samples.end());
  auto at = [&](double q) {
    // Linear interpolation between order statistics.
    double pos = q * static_cast<double>(samples.size() - 1);
    auto lo = static_cast<size_t>(std::floor(pos));
    size_t hi = std::min(lo + 1, samples.size() - 1);
    return samples[lo] + (pos - static_cast<double>(lo)) * (samples[hi] - samples[lo]);
  };
  out.dblLow = at(0.025);
  out.dblHigh = at(0.975);
  return out;
}

}  // namespace nemora
