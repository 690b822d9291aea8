// Fuzzes the changeover-rule reader on its own: each rule is read or refused
// with "Error in GetNTZ, ..." and its second line.
#include "fuzz/fuzz_support.h"
#include "location/location_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  auto file = ValueReader::fromText(fuzz::asText(data, size));
  while (!file.atEnd()) {
    udtDSTRule rule;
    if (GetNTZ(session, file, rule)) {
      bool inRange = rule.intHour >= 0 && rule.intHour <= 23 && rule.intDayOfWeek >= 0 && rule.intDayOfWeek <= 6 &&
                     rule.intWeekNo >= 0 && rule.intWeekNo <= 5 && rule.intDateOfMonth >= 0 &&
                     rule.intDateOfMonth <= 31 && rule.intMonth >= 1 && rule.intMonth <= 12 &&
                     (rule.enmDateType == 4 || rule.enmDateType == 6);
      if (!inRange) __builtin_trap();
    }
  }
  fuzz::requireListedMessages(sink, {"Error in GetNTZ, "});
  return 0;
}
