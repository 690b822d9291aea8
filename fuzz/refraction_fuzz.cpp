// Fuzzes the near-horizon refraction table reader: sixteen rising pairs give
// a table, anything else the reading error; nothing else may happen.
#include <cmath>

#include "ephemeris/hbody.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  auto file = ValueReader::fromText(fuzz::asText(data, size));
  try {
    RefractionTable table = readRefractionTable(session, file);
    if (table.dblAlt.size() != 16 || table.dblY2.size() < 16) __builtin_trap();
    for (double y2 : table.dblY2)
      if (!std::isfinite(y2)) __builtin_trap();  // rising altitudes always give a finite spline
  } catch (const AppError& e) {
    if (e.code != errValidation || e.source != "cHBody.Refract" ||
        e.description.rfind("Error in refract reading near horizon refraction values", 0) != 0)
      __builtin_trap();
  }
  fuzz::requireListedMessages(sink, {});
  return 0;
}
