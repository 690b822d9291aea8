// Fuzzes the near-horizon refraction table reader: sixteen rising pairs and
// nothing after them give a table, anything else the reading error; nothing
// else may happen. An accepted table must agree with a plain second reading
// of the same bytes (32 values, the first altitude, the last refraction).
#include <cmath>

#include "ephemeris/hbody.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  const std::string text = fuzz::asText(data, size);
  auto file = ValueReader::fromText(text);
  try {
    RefractionTable table = readRefractionTable(session, file);
    if (table.dblAlt.size() != 16 || table.dblY2.size() < 16) __builtin_trap();
    for (double y2 : table.dblY2)
      if (!std::isfinite(y2)) __builtin_trap();  // rising altitudes always give a finite spline
    auto items = fuzz::plainItems(text, '#');
    if (items.size() != 32) fuzz::finding("refraction: 32 values expected");
    if (!fuzz::sameNumber(items.front(), table.dblAlt.front()) || !fuzz::sameNumber(items.back(), table.dblRefr.back()))
      fuzz::finding("refraction: first altitude or last refraction differs");
  } catch (const AppError& e) {
    if (e.code != errValidation || e.source != "cHBody.Refract" ||
        e.description.rfind("Error in refract reading near horizon refraction values", 0) != 0)
      __builtin_trap();
  }
  fuzz::requireListedMessages(sink, {});
  return 0;
}
