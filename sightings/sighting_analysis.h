// How well each crescent criterion and the photometric model predict recorded
// sightings: every record's verdicts and probabilities, then the scores
// (confusion tables, accuracy, Brier score, log loss) per criterion and per
// observing method, a table by year, the Delta T test, the limiting-sightings
// lines, the planet table and, for Yallop's own records, the agreement of our
// Yallop classes with his.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/numeric.h"
#include "sightings/score_statistics.h"
#include "sightings/sighting_file.h"
#include "visibility/crescent_verdicts.h"
#include "base/criterion_types.h"
#include "visibility/optical_aid.h"

namespace nemora {

class Session;

// Number of criterion columns: index 0 the user criterion (used only when it
// is the criterion in force), 1 to 8 the named ones.
inline constexpr size_t kVerdictCount = kCritLastType + 1;

struct SightingResult {
  bool blnValid = false;  // every value below was computed
  std::array<CriterionVerdict, kVerdictCount> criteria{};
  // The photometric model: the greatest probability of the evening (or
  // morning) and its instant (UT); at the observation time when the record
  // gives one. A body not in that evening's (morning's) sky has 0.
  double dblPBest = 0;
  double dblTBest = 0;
  bool blnHasPAt = false;
  double dblPAt = 0;
  double dblTAt = 0;
  // Yallop's geometry at his best time, from which his q is found: the
  // geocentric airless arc of vision (degrees) and the crescent width (arc
  // minutes) of the Moon's geocentric elongation.
  double dblARCV = 0;
  double dblWidth = 0;
  // Delta T test: the shift tried (seconds, both ways) and which verdicts
  // changed under it.
  double dblDeltaTShift = 0;
  std::array<bool, kVerdictCount> blnDeltaTChanged{};
  bool blnPDeltaTChanged = false;

  // The probability scored: at the observation time when given, else the
  // evening's best.
  double P() const { return blnHasPAt ? dblPAt : dblPBest; }
};

// The verdict that counts for a record: the optical-aid one for a sighting
// with optical aid, else the naked-eye one.
bool predicted(const CriterionVerdict& v, const udtSighting& r);
// The photometric model's verdict: probability 0.5 or more.
inline bool predictedByProbability(double P) { return P >= 0.5; }

struct Confusion {
  int seenPredicted = 0;
  int seenNotPredicted = 0;
  int notSeenPredicted = 0;
  int notSeenNotPredicted = 0;
  int count() const { return seenPredicted + seenNotPredicted + notSeenPredicted + notSeenNotPredicted; }
  // Share of right verdicts; 0 for no records.
  double accuracy() const;
  void add(bool seen, bool predicted);
};

struct ScoreRow {
  std::string strName;  // the criterion's name, or "Photometric model"
  Confusion confusion;
  bool blnProbability = false;  // the photometric model: Brier score and log loss follow
  double dblBrier = 0;
  double dblLogLoss = 0;
  // How well the row's value ranks the records (the criterion's published
  // value, or P): ROC area with its bootstrap interval, and the best
  // accuracy any limit on that value reaches.
  Interval roc;
  double dblBestAccuracy = 0;
  // The photometric model's ROC area minus this row's, with its interval
  // from the same resamples (not for the model's own row).
  Interval modelMinus;
  Interval brier;  // the model's Brier score with its interval
};

struct ScoreTable {
  std::string strGroup;  // "Naked eye", "Optical aid", "Binoculars", "Telescope", "Camera", ...
  int lngRecords = 0;
  int lngSeen = 0;
  int lngEvenings = 0;  // distinct evenings (or mornings) of its records: the bootstrap's units
  std::vector<ScoreRow> rows;
  // The photometric probability in ten bands against the share seen.
  std::vector<ReliabilityBand> reliability;
};

// The bootstrap of the scores' intervals: this many resamples of whole
// evenings, from a fixed seed so that a file always gives the same intervals.
inline constexpr int kBootstrapResamples = 2000;

struct YearRow {
  int32_t lngYear = 0;
  int lngRecords = 0;
  int lngSeen = 0;
  std::vector<int> correct;  // right verdicts per criterion column, then the photometric model
};

// The line below which no naked-eye sighting lies, in a criterion's darkness
// (y) and brightness (x) measures: the least-squares line through the
// lowest sighting of each band of brightness, lowered until no sighting is
// below it.
struct LimitLine {
  std::string strName;
  std::string strDarkness;
  std::string strBrightness;
  int lngSightings = 0;  // naked-eye sightings used
  int lngPoints = 0;     // limiting sightings the line was fitted to
  bool blnValid = false;
  LineFitResult fit;           // of the limiting sightings
  double dblIntercept = 0;     // the lowered line: y = dblIntercept + fit.b x
  int lngNotSeenAbove = 0;     // naked-eye non-sightings on or above the lowered line
  int lngNotSeen = 0;
};

// Our Yallop class against the one Yallop published for the same record.
struct YallopComparison {
  int lngRecords = 0;      // records of the file that carry his class
  int lngSameClass = 0;
  int lngSameVerdict = 0;  // same side of the naked-eye limit (A-C against D-F)
  std::vector<size_t> disagreements;  // indices of records whose classes differ
};

struct SightingsAnalysis {
  SightingsFile file;
  std::vector<int16_t> columns;  // criterion types scored, in column order
  std::vector<SightingResult> results;  // one per record of the file
  bool blnComplete = false;             // false when cancelled
  bool blnDeltaTTest = true;
  bool blnAverageObserver = true;       // P of the average observer, else of the session's
  udtOpticalAid aid;                    // the chosen aid (see RecordAid)
  bool blnClassicModel = false;         // the probability's first model instead of the contrast model
  std::vector<int> failed;              // indices of records that could not be evaluated
  int lngOvercast = 0;                  // records under an overcast sky (clouds 1), left out of the scores

  std::vector<ScoreTable> scores;  // naked eye, then optical aid
  std::vector<YearRow> years;
  std::vector<int> deltaTChanges;  // per column, then the photometric model
  std::vector<LimitLine> limits;
  std::vector<size_t> planets;     // indices of the planet records
  bool blnHasYallop = false;
  YallopComparison yallop;
};

struct AnalysisSettings {
  unsigned threads = 0;     // 0: one per hardware thread
  bool blnDeltaTTest = true;
  // The probability of the average observer (the usual run); false keeps
  // the session's observer (a personal level).
  bool blnAverageObserver = true;
};

// The name of a criterion column ("Yallop", "User defined", ...).
std::string columnName(int16_t intType);

// The standard uncertainty of Delta T (seconds) in a year.
double DeltaTUncertainty(double dblYear);

// The telescope assumed for a record that does not say which: a small
// refractor, 80 mm at 30 times.
inline constexpr const char* kAssumedTelescope = "telescope:80,30";

// The aid through which a record's probability is found: its own method's,
// the chosen aid (--aid, the observer dialog) when it is of that kind, else
// binoculars 7x50 or the assumed telescope; an aid of unrecorded kind is the
// chosen aid, or binoculars 7x50 when the naked eye is chosen. The naked eye
// and cameras have none.
udtOpticalAid RecordAid(const udtSighting& r, const udtOpticalAid& chosen);

// Evaluates one record in a worker session (moved to the record's place),
// through its method's aid.
SightingResult EvaluateSighting(Session& worker, const udtSighting& r, const std::vector<int16_t>& columns,
                                bool blnDeltaTTest, bool blnAverageObserver = true,
                                const udtOpticalAid& chosenAid = {});

// The columns scored: the named criteria, and the user criterion first when
// it is the criterion in force.
std::vector<int16_t> AnalysisColumns(const Session& session);

// Evaluates every record of the file on a pool of sessions prepared like
// `session` (observer: the average one unless the settings keep the
// session's) and scores them. Progress gets the
// fraction done; setting *cancel stops the run (blnComplete false). Returns
// the analysis (scored over the records done). The file is kept in the
// analysis: a caller that needs it no more moves it in, so that a long file
// is not held twice.
SightingsAnalysis AnalyzeSightings(Session& session, SightingsFile file, const AnalysisSettings& settings,
                                   const std::function<void(double)>& progress = {},
                                   const std::atomic<bool>* cancel = nullptr);

// Fills the scores, the year table, the Delta T counts, the limit lines, the
// planet list and the Yallop comparison from file, columns and results.
void ScoreSightings(SightingsAnalysis& a);

// The whole analysis as text (Output.txt).
std::string AnalysisText(const SightingsAnalysis& a);

// The scatter plot's data: every Moon record at its arc of vision (y,
// degrees) and crescent width (x, arc minutes), and the limit curves.
struct ScatterPoint {
  double dblWidth = 0;
  double dblARCV = 0;
  bool blnSeen = false;
  bool blnOptical = false;
};
struct ScatterCurve {
  std::string strName;
  std::vector<std::pair<double, double>> points;  // (width, ARCV)
  bool blnOptical = false;                         // an optical-aid limit
  bool blnOdeh = false;
};
struct ScatterData {
  std::string strTitle;
  std::vector<ScatterPoint> points;
  std::vector<ScatterCurve> curves;
  double dblMaxWidth = 2;
  double dblMaxARCV = 20;
};
ScatterData SightingsScatter(const SightingsAnalysis& a);

// The reliability plot's data: per group of records, the mean probability
// and the share seen in each band of probability that holds records.
struct ReliabilitySeries {
  std::string strName;
  std::vector<ReliabilityBand> bands;  // non-empty bands only
};
struct ReliabilityData {
  std::string strTitle;
  std::vector<ReliabilitySeries> series;
};
ReliabilityData SightingsReliability(const SightingsAnalysis& a);

}  // namespace nemora
