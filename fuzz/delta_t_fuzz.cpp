// Fuzzes the Delta T table reader: a bad table is refused with "Data missing
// in file ..., entry k"; nothing else may happen.
#include "fuzz/fuzz_support.h"
#include "timescale/delta_t.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  if (size == 0) return 0;
  RecordingMessageSink sink;
  Session session(sink);
  bool modern = (data[0] & 1) != 0;
  auto path = fuzz::writeScratchFile(modern ? "DeltaT.txt" : "PastDeltaT.txt", fuzz::asText(data + 1, size - 1));
  try {
    DeltaTTable table = clsDeltaT::readTableFile(session, path, modern);
    if (table.size() != static_cast<size_t>(modern ? clsDeltaT::kModernEntries : clsDeltaT::kHistoricalEntries))
      __builtin_trap();
  } catch (const AppError& e) {
    std::string expected = std::string("Data missing in file ") + (modern ? "DeltaT.txt" : "PastDeltaT.txt");
    if (e.code != errValidation || e.description.rfind(expected, 0) != 0) __builtin_trap();
  }
  fuzz::requireListedMessages(sink, {});
  return 0;
}
