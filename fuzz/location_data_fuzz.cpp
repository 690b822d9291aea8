// Fuzzes the location database reader and the changeover-rule reader: a bad
// file is refused with one of their numbered messages, never anything else.
#include "fuzz/fuzz_support.h"
#include "location/location_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  auto file = ValueReader::fromText(fuzz::asText(data, size));
  try {
    // A first item of 0 is an empty database, loaded without error.
    LocationData database = readLocationData(session, file);
    if (database.intNCountries != static_cast<int16_t>(database.udtCountries.size())) __builtin_trap();
  } catch (const AppError& e) {
    bool listed = (e.source == "GetLocationData" || e.source == "GetNTZ") && e.code <= locationFileErrorCode(20) &&
                  e.code >= errValidation;
    if (!listed) __builtin_trap();
  }
  fuzz::requireListedMessages(sink, {"Error in GetNTZ, "});
  return 0;
}
