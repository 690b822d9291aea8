// Fuzzes the last-location reader with a fuzzed Curloc.txt: it must take the
// file or fall back to the shipped Curloc.bak with one of its messages. A
// file it takes must agree with a plain second reading of the same bytes
// (the three names and the height).
#include <string>

#include "fuzz/fuzz_support.h"
#include "location/current_location.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  fuzz::useShippedData(session);
  fuzz::writeScratchFile("Curloc.txt", fuzz::asText(data, size));
  try {
    session.currentLocation.GetLastLocation(738960.5, "Curloc.txt");
  } catch (const ProgramEnd&) {
    __builtin_trap();  // the shipped Curloc.bak is good: the fallback must succeed
  }
  const udtLocation& location = session.udtLocation;
  if (!(location.dblLatitude >= -90 && location.dblLatitude <= 90 && location.dblLongitude >= -180 &&
        location.dblLongitude <= 180 && location.dblTZ >= -14 && location.dblTZ <= 14))
    __builtin_trap();
  bool fellBack = false;
  for (const auto& text : sink.messages) fellBack = fellBack || text.find("Loading default location.") != std::string::npos;
  if (!fellBack) {
    auto items = fuzz::plainItems(fuzz::asText(data, size), '~');
    if (items.size() < 11 || items[0] != location.strCountry || items[1] != location.strCity ||
        items[2] != location.strNeighborhood || !fuzz::sameNumber(items[6], location.dblHeight))
      fuzz::finding("last location: names or height differ from the file");
  }
  fuzz::requireListedMessages(sink, {"Error in frmLocation.GetLastLocation, ", "Error in last location file: Curloc.txt", "invalid last location file: Curloc.txt",
                                     "error in last location file: Curloc.txt", "Error in GetLastLocation",
                                     "Error in GetNTZ, ", "Error in clsDMS.", "Error in CheckZoneHistory",
                                     "Error in LoadZoneHistory", "Error in cLocalTime.GetTZ",
                                     "Error in cGregorian.BeforeOnAfter", "Error in cHebrew.BeforeOnAfter",
                                     "Warning: "});
  return 0;
}
