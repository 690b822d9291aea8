// Fuzzes the sightings reader with a fuzzed CSV file: it must take the file
// or refuse it with one of its own texts, in bounded memory (lines longer
// than its limit are skipped, never kept), and every record it keeps must
// hold what its checks promise: a real Gregorian day, a position on the
// globe, a place shared by name, a body and a method of its lists. Its texts
// never carry a control byte of the file.
#include <cmath>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sightings/sighting_file.h"

namespace {

bool hasControlByte(const std::string& text) {
  for (char c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  fuzz::useShippedData(session);
  std::istringstream in(fuzz::asText(data, size));
  SightingsFile file = ReadSightings(session, in, "fuzz.csv");

  if (!file.strError.empty()) {
    if (!file.records.empty() || hasControlByte(file.strError)) fuzz::finding("sightings: a refused file kept records");
    const bool listed = file.strError.rfind("Line ", 0) == 0 || file.strError == "The file has no header row" ||
                        file.strError == "The file is UTF-16 text: save it as UTF-8";
    if (!listed) fuzz::finding("sightings: unlisted refusal: " + file.strError);
  }
  int previous = 0;
  for (const udtSighting& r : file.records) {
    const udtLocation& place = r.location();
    if (r.lngLine <= previous || r.lngYear < 1 || r.lngYear > 9999 || !(place.dblLatitude >= -90) ||
        !(place.dblLatitude <= 90) || !(place.dblLongitude > -180) || !(place.dblLongitude <= 180) ||
        !(place.dblTZ >= -14 && place.dblTZ <= 14) || (r.blnHasClouds && !(r.dblClouds >= 0 && r.dblClouds <= 1)) ||
        (r.blnHasTime && !(r.dblClock >= 0 && r.dblClock <= 24)) || r.extra.size() != file.extraColumns.size())
      fuzz::finding("sightings: a kept record breaks the reader's checks");
    if (!r.strPlace.empty() && place.strCity.empty())
      fuzz::finding("sightings: a named place without its record");
    previous = r.lngLine;
  }
  for (const std::string& problem : file.problems)
    if (problem.rfind("Line ", 0) != 0 || hasControlByte(problem) || problem.size() > 2 * kMaxSightingsLine)
      fuzz::finding("sightings: a row's problem is not a listed text: " + problem);
  fuzz::requireListedMessages(sink, {"Error in "});
  return 0;
}
