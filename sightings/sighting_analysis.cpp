#include "sightings/sighting_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "base/text.h"
#include "base/session.h"
#include "location/location_data.h"
#include "location/weather.h"
#include "timescale/delta_t.h"
#include "timescale/local_time.h"
#include "base/session_pool.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "base/visibility_types.h"

namespace nemora {
namespace {

// Probabilities are kept this far from 0 and 1 in the log loss, so that one
// confident miss costs about 14 nats instead of an infinite score.
constexpr double kLogLossFloor = 1e-6;

// Where a record sits: its place and time zone.
void moveToRecord(Session& s, const udtSighting& r) {
  const udtLocation& loc = r.location();
  SessionPool::movePlace(s, loc.dblLatitude, loc.dblLongitude, loc.dblHeight);
  s.udtLocation = loc;
}

// The criterion's verdict, with no value (printed "-") where the evening
// leaves none.
CriterionVerdict judge(int16_t type, const udtCriterionResult& r) {
  CriterionVerdict v = judgeCrescent(type, r);
  if (!v.blnHasValue) v.dblValue = std::nan("");
  return v;
}

}  // namespace

udtOpticalAid RecordAid(const udtSighting& r, const udtOpticalAid& chosen) {
  switch (r.method) {
    case ObservingMethod::Binoculars:
      return chosen.intKind == kAidBinoculars ? chosen : *ParseAid("binoculars");
    case ObservingMethod::Telescope:
      return chosen.intKind == kAidTelescope ? chosen : *ParseAid(kAssumedTelescope);
    case ObservingMethod::Optical:
      return chosen.intKind != kAidEye ? chosen : *ParseAid("binoculars");
    default:
      return {};  // the naked eye, and a camera (scored apart)
  }
}

namespace {

// Every column's verdict and the photometric probabilities of a record in
// the worker's current state (place, Delta T). False when a routine failed.
bool evaluateOnce(Session& s, const udtSighting& r, const std::vector<int16_t>& columns, SightingResult& out) {
  bool ok = true;
  clsMoon& moon = s.hbody.moon;
  if (r.strBody == "Moon") {
    for (int16_t type : columns) {
      udtCriterion k;
      k.intType = type;
      moon.SetCriterion(k, type != kCritUser, ok);
      if (!ok) return false;
      udtCriterionResult res;
      moon.Criterion(r.lngFix, r.blnEvening, k, res, ok);
      if (!ok) return false;
      out.criteria[static_cast<size_t>(type)] = judge(type, res);
      if (type == kCritYallop) {
        out.dblARCV = res.dblARCV;
        out.dblWidth = res.dblWidth;
      }
    }
  }
  // The photometric model of the session's observer (the average one in the
  // usual run) over the evening (or morning) of the record.
  s.options.intMoonCalc = kMoonCalcPhotometric;
  udtVisibility v;
  s.hbody.VisibilityOn(r.strBody, r.lngFix, r.blnEvening, false, true, false, v, ok);
  if (!ok) return false;
  out.dblPBest = v.dblPMax;
  out.dblTBest = v.dblTMax;
  if (r.blnHasTime) {
    double zone = r.location().blnAutoTZ ? s.localTime.GetTZLocal(r.location(), r.lngFix, r.dblClock, ok) : r.location().dblTZ;
    if (!ok) return false;
    out.blnHasPAt = true;
    out.dblTAt = r.lngFix + (r.dblClock - zone) / 24;
    out.dblPAt = s.hbody.HBProbVis(r.strBody, out.dblTAt, ok);
    if (!ok) return false;
  }
  return true;
}

std::string fixed(double x, int decimals) {
  if (std::isnan(x)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
  return buf;
}

std::string pad(const std::string& s, size_t width, bool right = true) {
  if (s.size() >= width) return s;
  return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}


// A group of records scored together: the naked eye, every optical aid
// (binoculars, telescopes, aid of a kind not given), each aid on its own
// when a file has more than one kind, and cameras apart (a camera is not an
// eye).
struct ScoreGroup {
  std::string strName;
  std::vector<ObservingMethod> methods;
  bool holds(ObservingMethod m) const { return std::find(methods.begin(), methods.end(), m) != methods.end(); }
};

std::vector<ScoreGroup> scoreGroups(const std::vector<udtSighting>& records, size_t n) {
  using M = ObservingMethod;
  std::vector<ScoreGroup> groups{{"Naked eye", {M::Eye}}, {"Optical aid", {M::Binoculars, M::Telescope, M::Optical}}};
  std::set<M> present;
  for (size_t i = 0; i < n; ++i)
    if (records[i].strBody == "Moon") present.insert(records[i].method);
  int aids = static_cast<int>(present.count(M::Binoculars) + present.count(M::Telescope) + present.count(M::Optical));
  if (aids > 1) {
    if (present.count(M::Binoculars)) groups.push_back({"Binoculars", {M::Binoculars}});
    if (present.count(M::Telescope)) groups.push_back({"Telescope", {M::Telescope}});
    if (present.count(M::Optical)) groups.push_back({"Optical aid of a kind not given", {M::Optical}});
  }
  if (present.count(M::Camera)) groups.push_back({"Camera", {M::Camera}});
  return groups;
}

// The seed of the scores' bootstrap (any fixed number: the intervals must
// not change from run to run).
constexpr uint64_t kBootstrapSeed = 1997;

// One group's scores: the confusion tables, then the ranking of every
// column's value and of P (ROC area, best accuracy) with intervals from
// resampling the group's evenings, the model's Brier score and log loss,
// and its reliability bands.
ScoreTable scoreGroup(const SightingsAnalysis& a, const std::string& name, const std::vector<size_t>& members) {
  const auto& records = a.file.records;
  ScoreTable t;
  t.strGroup = name;
  const size_t m = members.size();
  std::vector<bool> seenFlags(m);
  std::vector<double> P(m);
  std::map<std::pair<int32_t, bool>, int> evenings;
  std::vector<int> cluster(m);
  for (size_t k = 0; k < m; ++k) {
    const udtSighting& r = records[members[k]];
    seenFlags[k] = r.blnSeen;
    P[k] = a.results[members[k]].P();
    auto [it, inserted] = evenings.emplace(std::make_pair(r.lngFix, r.blnEvening), static_cast<int>(evenings.size()));
    cluster[k] = it->second;
    ++t.lngRecords;
    if (r.blnSeen) ++t.lngSeen;
  }
  t.lngEvenings = static_cast<int>(evenings.size());
  auto weights = ClusterResampleWeights(cluster, kBootstrapResamples, kBootstrapSeed);

  std::vector<RankScorer> rankers;
  for (int16_t type : a.columns) {
    ScoreRow row;
    row.strName = columnName(type);
    std::vector<double> value(m);
    for (size_t k = 0; k < m; ++k) {
      const udtSighting& r = records[members[k]];
      const CriterionVerdict& v = a.results[members[k]].criteria[static_cast<size_t>(type)];
      row.confusion.add(r.blnSeen, predicted(v, r));
      value[k] = v.dblValue;
    }
    rankers.emplace_back(value, seenFlags);
    t.rows.push_back(row);
  }
  ScoreRow model;
  model.strName = "Photometric model";
  model.blnProbability = true;
  for (size_t k = 0; k < m; ++k) model.confusion.add(seenFlags[k], predictedByProbability(P[k]));
  rankers.emplace_back(P, seenFlags);
  t.rows.push_back(model);

  // Every row's area on every resample, the model's last.
  const size_t rows = t.rows.size();
  std::vector<std::vector<double>> areas(rows);
  std::vector<double> briers;
  for (const auto& w : weights) {
    for (size_t c = 0; c < rows; ++c) areas[c].push_back(rankers[c].area(w));
    briers.push_back(BrierScore(P, seenFlags, w));
  }
  const std::vector<double>& modelAreas = areas.back();
  for (size_t c = 0; c < rows; ++c) {
    ScoreRow& row = t.rows[c];
    double area = rankers[c].area();
    row.roc = PercentileInterval(area, areas[c]);
    row.dblBestAccuracy = rankers[c].bestAccuracy();
    if (c + 1 < rows) {
      std::vector<double> diff(modelAreas.size());
      for (size_t b = 0; b < diff.size(); ++b) diff[b] = modelAreas[b] - areas[c][b];
      row.modelMinus = PercentileInterval(rankers.back().area() - area, diff);
    }
  }
  if (m > 0) {
    std::vector<double> ones(m, 1.0);
    ScoreRow& last = t.rows.back();
    last.dblBrier = BrierScore(P, seenFlags, ones);
    last.dblLogLoss = LogLoss(P, seenFlags, kLogLossFloor);
    last.brier = PercentileInterval(last.dblBrier, briers);
  }
  t.reliability = Reliability(P, seenFlags);
  return t;
}
}  // namespace

bool predicted(const CriterionVerdict& v, const udtSighting& r) { return isOpticalAid(r.method) ? v.blnAid : v.blnEye; }

double Confusion::accuracy() const {
  int n = count();
  return n == 0 ? 0 : static_cast<double>(seenPredicted + notSeenNotPredicted) / n;
}

void Confusion::add(bool seen, bool isPredicted) {
  if (seen) (isPredicted ? seenPredicted : seenNotPredicted)++;
  else (isPredicted ? notSeenPredicted : notSeenNotPredicted)++;
}

std::string columnName(int16_t intType) {
  if (intType < 0 || intType > kCritLastType) return {};
  return criterionTypeNames()[static_cast<size_t>(intType)];
}

double DeltaTUncertainty(double y) {
  // Standard errors of Delta T after Morrison and Stephenson (2004), "Historical
  // values of the Earth's clock error", J. Hist. Astron. 35, 327, summarised
  // as 0.8 t^2 seconds with t in centuries from 1820; at least a second
  // before the atomic clocks (1955), a tenth of a second since, growing as
  // the same parabola for years beyond the published values (2025).
  if (y < 1955) return std::max(1.0, 0.8 * Square((y - 1820) / 100));
  if (y <= 2025) return 0.1;
  return 0.1 + 0.8 * Square((y - 2025) / 100);
}

std::vector<int16_t> AnalysisColumns(const Session& session) {
  std::vector<int16_t> columns;
  if (session.udtUserCriterion.intType == kCritUser) columns.push_back(kCritUser);
  for (int16_t t = 1; t <= kCritLastType; ++t) columns.push_back(t);
  return columns;
}

SightingResult EvaluateSighting(Session& worker, const udtSighting& r, const std::vector<int16_t>& columns,
                                bool blnDeltaTTest, bool blnAverageObserver, const udtOpticalAid& chosenAid) {
  SightingResult out;
  moveToRecord(worker, r);
  if (blnAverageObserver) worker.udtObserver.blnOverall = true;
  worker.udtObserver.aid = RecordAid(r, chosenAid);
  if (!evaluateOnce(worker, r, columns, out)) return out;
  if (blnDeltaTTest) {
    out.dblDeltaTShift = DeltaTUncertainty(r.lngYear + 0.5);
    for (double sign : {1.0, -1.0}) {
      // A fresh session: what a session keeps per instant (time arguments,
      // positions) was found with the old Delta T.
      Session shifted(worker.messages);
      SessionPool::prepareLike(worker, shifted);
      shifted.deltaT.dblShift = sign * out.dblDeltaTShift;
      moveToRecord(shifted, r);
      if (blnAverageObserver) shifted.udtObserver.blnOverall = true;
      shifted.udtObserver.aid = worker.udtObserver.aid;
      SightingResult moved;
      if (!evaluateOnce(shifted, r, columns, moved)) return out;
      for (int16_t t : columns) {
        auto i = static_cast<size_t>(t);
        if (predicted(moved.criteria[i], r) != predicted(out.criteria[i], r)) out.blnDeltaTChanged[i] = true;
      }
      if (predictedByProbability(moved.P()) != predictedByProbability(out.P())) out.blnPDeltaTChanged = true;
    }
  }
  out.blnValid = true;
  return out;
}

SightingsAnalysis AnalyzeSightings(Session& session, SightingsFile file, const AnalysisSettings& settings,
                                   const std::function<void(double)>& progress, const std::atomic<bool>* cancel) {
  SightingsAnalysis a;
  a.file = std::move(file);
  a.columns = AnalysisColumns(session);
  a.blnDeltaTTest = settings.blnDeltaTTest;
  a.blnAverageObserver = settings.blnAverageObserver;
  // The weather of each record comes from the climate of the nearest place
  // of the location database.
  if (!session.locations.loaded()) session.locations.GetLocationData();
  SessionPool pool(session, settings.threads);
  // Records of the same evening at the same place and with the same aid
  // (several observers) are evaluated once.
  const udtOpticalAid chosen = session.udtObserver.aid;
  a.aid = chosen;
  a.blnClassicModel = session.options.blnClassicModel;
  const auto& records = a.file.records;
  std::map<std::string, size_t> firstOf;
  std::vector<size_t> unique, slot(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const udtSighting& r = records[i];
    udtOpticalAid aid = RecordAid(r, chosen);
    std::string key = concat(aid.intKind, ",", aid.dblAperture, ",", aid.dblMagnification, ",", r.lngFix, ",", r.location().dblLatitude, ",", r.location().dblLongitude, ",",
                             r.location().dblHeight, ",", r.location().dblTZ, ",", r.location().blnAutoTZ, ",", r.strPlace,
                             ",", r.strBody, ",", r.blnEvening, ",", r.blnHasTime, ",", r.dblClock);
    auto [it, inserted] = firstOf.emplace(key, unique.size());
    if (inserted) unique.push_back(i);
    slot[i] = it->second;
  }
  const auto& columns = a.columns;
  std::vector<SightingResult> evaluated;
  a.blnComplete = pool.runCollect(
      unique.size(), evaluated,
      [&](Session& worker, size_t k) {
        return EvaluateSighting(worker, records[unique[k]], columns, settings.blnDeltaTTest,
                                settings.blnAverageObserver, chosen);
      },
      progress, cancel);
  a.results.resize(records.size());
  for (size_t i = 0; i < records.size(); ++i) a.results[i] = evaluated[slot[i]];
  ScoreSightings(a);
  return a;
}

void ScoreSightings(SightingsAnalysis& a) {
  const auto& records = a.file.records;
  const size_t n = std::min(records.size(), a.results.size());
  a.failed.clear();
  for (size_t i = 0; i < n; ++i)
    if (!a.results[i].blnValid) a.failed.push_back(static_cast<int>(i));
  // A record under an overcast sky says nothing about the crescent: it is
  // evaluated but not scored.
  auto overcast = [&](size_t i) { return records[i].blnHasClouds && records[i].dblClouds >= 1; };
  a.lngOvercast = 0;
  for (size_t i = 0; i < n; ++i)
    if (overcast(i)) ++a.lngOvercast;
  auto usable = [&](size_t i) { return a.results[i].blnValid && !overcast(i); };
  auto isMoon = [&](size_t i) { return records[i].strBody == "Moon"; };

  // Scores by observing method, over the Moon's records.
  a.scores.clear();
  for (const ScoreGroup& g : scoreGroups(records, n)) {
    std::vector<size_t> members;
    for (size_t i = 0; i < n; ++i)
      if (usable(i) && isMoon(i) && g.holds(records[i].method)) members.push_back(i);
    a.scores.push_back(scoreGroup(a, g.strName, members));
  }
  // By year: right verdicts per column and of the photometric model.
  std::map<int32_t, YearRow> years;
  for (size_t i = 0; i < n; ++i) {
    if (!usable(i) || !isMoon(i)) continue;
    const udtSighting& r = records[i];
    YearRow& y = years[r.lngYear];
    y.lngYear = r.lngYear;
    y.correct.resize(a.columns.size() + 1);
    ++y.lngRecords;
    if (r.blnSeen) ++y.lngSeen;
    for (size_t c = 0; c < a.columns.size(); ++c)
      if (predicted(a.results[i].criteria[static_cast<size_t>(a.columns[c])], r) == r.blnSeen) ++y.correct[c];
    if (predictedByProbability(a.results[i].P()) == r.blnSeen) ++y.correct.back();
  }
  a.years.clear();
  for (auto& [year, row] : years) a.years.push_back(row);

  // The Delta T test.
  a.deltaTChanges.assign(a.columns.size() + 1, 0);
  for (size_t i = 0; i < n; ++i) {
    if (!usable(i)) continue;
    const SightingResult& res = a.results[i];
    if (isMoon(i))
      for (size_t c = 0; c < a.columns.size(); ++c)
        if (res.blnDeltaTChanged[static_cast<size_t>(a.columns[c])]) ++a.deltaTChanges[c];
    if (res.blnPDeltaTChanged) ++a.deltaTChanges.back();
  }

  // Limiting sightings: per criterion, the naked-eye sightings in its
  // brightness (x) and darkness (y) measures.
  a.limits.clear();
  for (int16_t type : a.columns) {
    LimitLine line;
    line.strName = columnName(type);
    udtCriterion k;
    if (type == kCritUser) k = udtCriterion{};
    if (type != kCritUser) criterionPreset(type, k);
    line.strDarkness = darknessNames()[static_cast<size_t>(std::clamp<int>(k.intDarkness, 0, 3))];
    line.strBrightness = brightnessNames()[static_cast<size_t>(std::clamp<int>(k.intBrightness, 0, 6))];
    std::vector<std::pair<double, double>> seen, notSeen;
    for (size_t i = 0; i < n; ++i) {
      if (!usable(i) || !isMoon(i) || isOpticalAid(records[i].method)) continue;
      const CriterionVerdict& v = a.results[i].criteria[static_cast<size_t>(type)];
      if (!v.blnValid || !std::isfinite(v.dblBrightness) || !std::isfinite(v.dblDarkness)) continue;
      (records[i].blnSeen ? seen : notSeen).emplace_back(v.dblBrightness, v.dblDarkness);
    }
    line.lngSightings = static_cast<int>(seen.size());
    line.lngNotSeen = static_cast<int>(notSeen.size());
    if (seen.size() >= 3) {
      // Bands of equal numbers of sightings (about five each, at least
      // three bands); the lowest sighting of each band is a limiting one.
      std::sort(seen.begin(), seen.end());
      size_t bands = std::max<size_t>(3, seen.size() / 5);
      bands = std::min(bands, seen.size());
      std::vector<double> xs, ys;
      for (size_t b = 0; b < bands; ++b) {
        size_t from = b * seen.size() / bands, to = (b + 1) * seen.size() / bands;
        auto low = std::min_element(seen.begin() + static_cast<std::ptrdiff_t>(from),
                                    seen.begin() + static_cast<std::ptrdiff_t>(to),
                                    [](const auto& p, const auto& q) { return p.second < q.second; });
        xs.push_back(low->first);
        ys.push_back(low->second);
      }
      line.lngPoints = static_cast<int>(xs.size());
      line.fit = LineFit(xs, ys, line.lngPoints);
      if (std::isfinite(line.fit.a) && std::isfinite(line.fit.b)) {
        line.blnValid = true;
        double drop = 0;
        for (const auto& [x, y] : seen) drop = std::max(drop, line.fit.a + line.fit.b * x - y);
        line.dblIntercept = line.fit.a - drop;
        for (const auto& [x, y] : notSeen)
          if (y >= line.dblIntercept + line.fit.b * x) ++line.lngNotSeenAbove;
      }
    }
    a.limits.push_back(line);
  }

  a.planets.clear();
  for (size_t i = 0; i < n; ++i)
    if (!isMoon(i)) a.planets.push_back(i);

  // Yallop's own classes, when the file carries them.
  const auto& extras = a.file.extraColumns;
  a.blnHasYallop = std::find(extras.begin(), extras.end(), "yallop_class") != extras.end() &&
                   std::find(extras.begin(), extras.end(), "yallop_no") != extras.end();
  a.yallop = {};
  if (a.blnHasYallop) {
    std::set<std::string> done;
    for (size_t i = 0; i < n; ++i) {
      if (!usable(i) || !isMoon(i)) continue;
      std::string no = a.file.extra(records[i], "yallop_no");
      std::string his = a.file.extra(records[i], "yallop_class");
      if (his.size() != 1 || !done.insert(no).second) continue;
      char ours = a.results[i].criteria[kCritYallop].chClass;
      ++a.yallop.lngRecords;
      if (ours == his[0]) ++a.yallop.lngSameClass;
      else a.yallop.disagreements.push_back(i);
      if ((ours <= 'C') == (his[0] <= 'C')) ++a.yallop.lngSameVerdict;
    }
  }
}

std::string AnalysisText(const SightingsAnalysis& a) {
  std::string t;
  auto line = [&](const std::string& s = {}) { t += s + "\n"; };
  const auto& records = a.file.records;
  line("Analysis of recorded sightings: " + a.file.strName);
  line(concat(records.size(), " records read, ", a.file.problems.size(), " rows skipped, ",
              a.blnComplete ? concat(a.failed.size(), " records not evaluated")
                            : std::string("cancelled: scored over the records done")));
  if (a.lngOvercast > 0)
    line(concat(a.lngOvercast, " records under an overcast sky (clouds 1) are not scored"));
  line("Verdicts: Yallop classes A-C (optical aid A-D), Odeh zones A-B (optical aid A-C), Maimonides and Ilyas");
  line("by their q >= 0, the other criteria by z >= 0; the photometric model by a probability of 0.5 or more");
  line(concat("(", a.blnClassicModel ? "the classic model, " : "", a.blnAverageObserver ? "the average observer" : "the observer's own level",
              ", at the observation time when given, else the evening's best; each optical-aid record"));
  line("through its own aid: binoculars 7x50 and a telescope of 80 mm at 30x unless the chosen aid is of");
  line("that kind, cameras with the naked-eye probability).");
  line("A = seen and predicted, B = seen and not predicted, C = not seen and predicted, D = not seen and not");
  line("predicted; Brier score and log loss of the photometric probability (lower is better).");
  line("Ranking: the area under the ROC curve of each criterion's value (Yallop's q, Odeh's V, the Ilyas or");
  line("Maimonides q, else z) and of P (0.5 ranks by chance, 1 perfectly), the best accuracy any limit on that");
  line(concat("value reaches, and P's area minus the criterion's; 95 % intervals from ", kBootstrapResamples,
              " resamples of whole evenings."));

  auto interval = [](const Interval& v, int decimals) {
    if (!v.valid()) return std::string("-");
    if (std::isnan(v.dblLow)) return fixed(v.dblValue, decimals);
    return concat(fixed(v.dblValue, decimals), " (", fixed(v.dblLow, decimals), " to ", fixed(v.dblHigh, decimals), ")");
  };
  for (const ScoreTable& s : a.scores) {
    line();
    line(concat(s.strGroup, ": ", s.lngRecords, " records, ", s.lngSeen, " seen"));
    line(pad("", 18, false) + pad("A", 6) + pad("B", 6) + pad("C", 6) + pad("D", 6) + pad("Accuracy", 10) +
         pad("Brier", 8) + pad("Log loss", 10));
    for (const ScoreRow& r : s.rows) {
      const Confusion& c = r.confusion;
      std::string row = pad(r.strName, 18, false) + pad(toText(c.seenPredicted), 6) +
                        pad(toText(c.seenNotPredicted), 6) + pad(toText(c.notSeenPredicted), 6) +
                        pad(toText(c.notSeenNotPredicted), 6) +
                        pad(c.count() ? fixed(100 * c.accuracy(), 1) + "%" : "-", 10);
      if (r.blnProbability && c.count()) row += pad(fixed(r.dblBrier, 3), 8) + pad(fixed(r.dblLogLoss, 3), 10);
      line(row);
    }
    if (s.lngRecords == 0) continue;
    line(concat("Ranking over ", s.lngEvenings, " evenings"));
    line(pad("", 18, false) + pad("ROC area (95 % interval)", 28, false) + pad("Best acc.", 11, false) +
         "P's area minus it");
    for (const ScoreRow& r : s.rows)
      line(pad(r.strName, 18, false) + pad(interval(r.roc, 3), 28, false) +
           pad(r.confusion.count() ? fixed(100 * r.dblBestAccuracy, 1) + "%" : "-", 11, false) +
           (r.blnProbability ? std::string() : interval(r.modelMinus, 3)));
    const ScoreRow& model = s.rows.back();
    line("Brier score of P (95 % interval): " + interval(model.brier, 3));
    line("Reliability of P: the share seen against the mean probability, in bands of P");
    line(pad("P from", 8) + pad("to", 6) + pad("Records", 9) + pad("Mean P", 8) + pad("Seen", 8));
    for (const ReliabilityBand& b : s.reliability) {
      if (b.lngRecords == 0) continue;
      line(pad(fixed(b.dblFrom, 1), 8) + pad(fixed(b.dblTo, 1), 6) + pad(toText(b.lngRecords), 9) +
           pad(fixed(b.dblMeanP, 3), 8) + pad(fixed(b.dblSeenShare, 3), 8));
    }
  }

  line();
  line("Right verdicts by year (Moon records)");
  std::string head = pad("Year", 6) + pad("N", 5) + pad("Seen", 5);
  std::vector<std::string> shortNames;
  for (int16_t c : a.columns) shortNames.push_back(columnName(c).substr(0, 6));
  shortNames.push_back("P>=.5");
  for (const auto& s : shortNames) head += pad(s, 8);
  line(head);
  for (const YearRow& y : a.years) {
    std::string row = pad(toText(y.lngYear), 6) + pad(toText(y.lngRecords), 5) + pad(toText(y.lngSeen), 5);
    for (int c : y.correct) row += pad(toText(c), 8);
    line(row);
  }

  line();
  if (!a.blnDeltaTTest) {
    line("Delta T test: not run");
  } else {
    line("Delta T test: verdicts that change when Delta T moves by its uncertainty for the record's year");
    line("(0.1 s since 1955, at least 1 s before, 0.8 t^2 s with t centuries from 1820)");
    for (size_t c = 0; c < a.columns.size(); ++c) line(pad(columnName(a.columns[c]), 18, false) + toText(a.deltaTChanges[c]));
    if (!a.deltaTChanges.empty()) line(pad("Photometric model", 18, false) + toText(a.deltaTChanges.back()));
  }

  line();
  line("Limiting sightings (naked eye): darkness = a + b * brightness, below which no sighting lies");
  line(pad("", 18, false) + pad("Darkness", 16, false) + pad("Brightness", 20, false) + pad("a", 10) + pad("b", 10) +
       pad("rms", 8) + pad("Points", 8) + pad("Not seen above", 16));
  for (const LimitLine& l : a.limits) {
    std::string row = pad(l.strName, 18, false) + pad(l.strDarkness, 16, false) + pad(l.strBrightness, 20, false);
    if (!l.blnValid) {
      line(row + concat("too few sightings (", l.lngSightings, ")"));
      continue;
    }
    line(row + pad(fixed(l.dblIntercept, 3), 10) + pad(fixed(l.fit.b, 4), 10) + pad(fixed(l.fit.rms, 3), 8) +
         pad(toText(l.lngPoints), 8) + pad(concat(l.lngNotSeenAbove, " of ", l.lngNotSeen), 16));
  }

  line();
  if (a.planets.empty()) {
    line("Planet sightings: none in the file");
  } else {
    line("Planet sightings: photometric probability at the observation time (else the best of the evening or morning)");
    line(pad("Line", 6) + "  " + pad("Date", 12, false) + pad("Body", 9, false) + pad("Seen", 6, false) +
         pad("P", 8) + pad("At", 8, false));
    for (size_t i : a.planets) {
      const udtSighting& r = records[i];
      const SightingResult& res = a.results[i];
      std::string row = pad(toText(r.lngLine), 6) + "  " + pad(r.strDate, 12, false) + pad(r.strBody, 9, false) +
                        pad(r.blnSeen ? "yes" : "no", 6, false);
      if (!res.blnValid) row += "not evaluated";
      else row += pad(fixed(res.P(), 3), 8) + "  " + (res.blnHasPAt ? "time" : "best");
      line(row);
    }
  }

  if (a.blnHasYallop) {
    line();
    const YallopComparison& y = a.yallop;
    line(concat("Our Yallop class against Yallop's own: ", y.lngRecords, " records, ", y.lngSameClass,
                " of the same class, ", y.lngSameVerdict, " on the same side of the naked-eye limit (C/D)"));
    if (!y.disagreements.empty()) {
      line(pad("No.", 5) + "  " + pad("Date", 11, false) + pad("His ARCV", 9) + pad("W'", 6) + pad("q", 8) +
           pad("Cl", 3) + pad("Our ARCV", 9) + pad("W", 6) + pad("q", 8) + pad("Cl", 3));
      for (size_t i : y.disagreements) {
        const udtSighting& r = records[i];
        const SightingResult& res = a.results[i];
        line(pad(a.file.extra(r, "yallop_no"), 5) + "  " + pad(r.strDate, 11, false) +
             pad(a.file.extra(r, "yallop_arcv"), 9) + pad(a.file.extra(r, "yallop_w"), 6) +
             pad(a.file.extra(r, "yallop_q"), 8) + pad(a.file.extra(r, "yallop_class"), 3) +
             pad(fixed(res.dblARCV, 1), 9) + pad(fixed(res.dblWidth, 2), 6) +
             pad(fixed(res.criteria[kCritYallop].dblValue, 3), 8) +
             pad(std::string(1, res.criteria[kCritYallop].chClass), 3));
      }
    }
  }

  if (!a.file.problems.empty() || (a.blnComplete && !a.failed.empty())) {
    line();
    line("Rows skipped or not evaluated");
    for (const std::string& p : a.file.problems) line(p);
    // After a cancel the records not reached are not failures.
    if (a.blnComplete)
      for (int i : a.failed) line(concat("Line ", records[static_cast<size_t>(i)].lngLine, ": could not be evaluated"));
  }
  return t;
}

ReliabilityData SightingsReliability(const SightingsAnalysis& a) {
  ReliabilityData d;
  d.strTitle = "Reliability of the photometric probability: " + a.file.strName;
  for (const ScoreTable& t : a.scores) {
    ReliabilitySeries s;
    s.strName = concat(t.strGroup, " (", t.lngRecords, ")");
    for (const ReliabilityBand& b : t.reliability)
      if (b.lngRecords > 0) s.bands.push_back(b);
    if (!s.bands.empty()) d.series.push_back(std::move(s));
  }
  return d;
}

ScatterData SightingsScatter(const SightingsAnalysis& a) {
  ScatterData d;
  d.strTitle = "Recorded sightings: " + a.file.strName;
  const auto& records = a.file.records;
  double maxW = 1, maxV = 10;
  for (size_t i = 0; i < records.size() && i < a.results.size(); ++i) {
    if (!a.results[i].blnValid || records[i].strBody != "Moon") continue;
    const SightingResult& r = a.results[i];
    d.points.push_back({r.dblWidth, r.dblARCV, records[i].blnSeen, isOpticalAid(records[i].method)});
    if (r.dblWidth < 5) maxW = std::max(maxW, r.dblWidth);
    if (r.dblARCV < 40) maxV = std::max(maxV, r.dblARCV);
  }
  d.dblMaxWidth = std::ceil(maxW * 2) / 2;
  d.dblMaxARCV = std::ceil(maxV / 5) * 5;
  // The limit curves: the arc of vision at which q (or V) equals the limit.
  struct Limit {
    const char* name;
    double value;
    bool odeh, optical;
  } limits[] = {{"Yallop q = -0.160 (naked eye)", kYallopEye, false, false},
                {"Yallop q = -0.232 (optical aid)", kYallopAid, false, true},
                {"Odeh V = 2.00 (naked eye)", kOdehEye, true, false},
                {"Odeh V = -0.96 (optical aid)", kOdehAid, true, true}};
  for (const Limit& l : limits) {
    ScatterCurve c;
    c.strName = l.name;
    c.blnOdeh = l.odeh;
    c.blnOptical = l.optical;
    for (int k = 0; k <= 100; ++k) {
      double w = d.dblMaxWidth * k / 100;
      // q = (ARCV - f(W))/10 and V = ARCV - g(W), with YallopQ(0, W) = -f/10
      // and OdehV(0, W) = -g.
      double arcv = l.odeh ? l.value - OdehV(0, w) : 10 * (l.value - YallopQ(0, w));
      c.points.emplace_back(w, arcv);
    }
    d.curves.push_back(std::move(c));
  }
  return d;
}

}  // namespace nemora
