// Fuzzes the whole analysis of recorded sightings with a fuzzed CSV file of
// which the first few records are kept: reading, evaluating every record on
// a worker session, scoring, the text of Output.txt and the scatter plot's
// data. Whatever the records hold, the analysis must end with one result
// per record, counts that add up and scores between their bounds, and only
// messages that start as the routines' own do.
#include <cmath>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sightings/sighting_analysis.h"
#include "sightings/sighting_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  fuzz::useShippedData(session);
  std::istringstream in(fuzz::asText(data, size));
  SightingsFile file = ReadSightings(session, in, "fuzz.csv");
  // A few records keep a run short; their variety is the fuzzer's work.
  constexpr size_t kRecords = 3;
  if (file.records.size() > kRecords) file.records.resize(kRecords);
  if (file.records.empty()) return 0;
  const size_t records = file.records.size();

  AnalysisSettings settings;
  settings.threads = 1;
  settings.blnDeltaTTest = size % 2 == 0;  // both ways, by the input's length
  SightingsAnalysis a = AnalyzeSightings(session, std::move(file), settings);
  if (a.results.size() != records || !a.blnComplete) fuzz::finding("analysis: not one result per record");
  for (const ScoreTable& t : a.scores) {
    if (t.lngRecords < 0 || t.lngSeen < 0 || t.lngSeen > t.lngRecords || t.lngRecords > static_cast<int>(records))
      fuzz::finding("analysis: a score table's counts do not add up");
    for (const ScoreRow& row : t.rows) {
      const int n = row.confusion.count();
      if (n > t.lngRecords) fuzz::finding("analysis: a confusion table counts more records than its group");
      if (n > 0 && !(row.confusion.accuracy() >= 0 && row.confusion.accuracy() <= 1))
        fuzz::finding("analysis: an accuracy outside 0 to 1");
      if (row.blnProbability && n > 0 && !(row.dblBrier >= 0 && row.dblBrier <= 1))
        fuzz::finding("analysis: a Brier score outside 0 to 1");
    }
  }
  for (const SightingResult& r : a.results)
    if (r.blnValid && !(r.P() >= 0 && r.P() <= 1)) fuzz::finding("analysis: a probability outside 0 to 1");
  const std::string text = AnalysisText(a);
  if (text.empty()) fuzz::finding("analysis: no text");
  ScatterData scatter = SightingsScatter(a);
  for (const ScatterPoint& p : scatter.points)
    if (!std::isfinite(p.dblWidth) || !std::isfinite(p.dblARCV)) fuzz::finding("analysis: a scatter point not finite");
  fuzz::requireListedMessages(sink, {"Error in ", "Warning: "});
  return 0;
}
