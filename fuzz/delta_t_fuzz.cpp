// Fuzzes the Delta T table reader: a bad table is refused with its message
// ("Data missing in file ...", "Wrong year in file ...", "Data left over in
// file ..."); nothing else may happen. An accepted table must agree with a
// plain second reading of the same bytes: its count, and its first and last
// values less their tidal corrections.
#include <cmath>

#include "fuzz/fuzz_support.h"
#include "timescale/delta_t.h"

namespace {

// The tidal correction of an entry's year (seconds), written out apart from
// the reader.
double correction(bool modern, double year) {
  double d = year / 100 - 19.555;
  if (modern) return year / 100 < 19.555 ? -0.12932224 * d * d : 0.0;
  return 0.109650688 * d * d;
}

bool near(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  if (size == 0) return 0;
  RecordingMessageSink sink;
  Session session(sink);
  bool modern = (data[0] & 1) != 0;
  const std::string name = modern ? "DeltaT.txt" : "PastDeltaT.txt";
  const std::string text = fuzz::asText(data + 1, size - 1);
  auto path = fuzz::writeScratchFile(name, text);
  try {
    DeltaTTable table = clsDeltaT::readTableFile(session, path, modern);
    auto items = fuzz::plainItems(text, '#');
    const size_t entries = modern ? clsDeltaT::kModernEntries : clsDeltaT::kHistoricalEntries;
    if (table.size() != entries || items.size() != entries) fuzz::finding("table and items differ in count");
    const double first = modern ? 1620 : -500, last = modern ? 2010 : 1600;
    auto v0 = parseNumber(items.front()), v1 = parseNumber(items.back());
    if (!v0 || !v1 || !near(table.front(), *v0 + correction(modern, first)) ||
        !near(table.back(), *v1 + correction(modern, last)))
      fuzz::finding("first or last entry differs");
  } catch (const AppError& e) {
    bool listed = false;
    for (const char* start : {"Data missing in file ", "Wrong year in file ", "Data left over in file "})
      if (e.description.rfind(start + name, 0) == 0) listed = true;
    if (e.code != errValidation || !listed) __builtin_trap();
  }
  fuzz::requireListedMessages(sink, {});
  return 0;
}
