// Fuzzes the series and catalogue reader: the first byte chooses the file
// (a Moon table, a planet or the star catalogue), the rest is its text. A bad
// file ends the program with a "cHBody.ReadHBody" message; nothing else may
// happen. Whatever the reader accepts must agree with a plain second reading
// of the same bytes (counts, first and last values), so that a silent
// partial read is a finding.
#include "ephemeris/hbody_data.h"
#include "fuzz/fuzz_support.h"

namespace {

// A sound Moon table of the given width, for the file that is not fuzzed.
std::string soundMoonTable(int columns) {
  std::string text = "heading\n";
  for (int row = 0; row < 60; ++row)
    for (int col = 0; col < columns; ++col) text += std::to_string(col < 4 ? 0 : row) + (col + 1 < columns ? "," : "\n");
  return text;
}

void checkPlanet(const std::string& text, const nemora::udtPlanetSeries& series) {
  using nemora::fuzz::finding;
  auto items = nemora::fuzz::plainItems(text, '#');
  size_t terms = 0;
  for (const auto* part : {&series.L, &series.B, &series.R})
    for (const auto& power : *part) {
      if (power.dblA.size() != static_cast<size_t>(power.intCount)) finding("term count differs from its arrays");
      terms += power.dblA.size();
    }
  if (items.size() != 5 * terms) finding("planet: items and terms differ");
  const auto& last = series.R[static_cast<size_t>(series.intRMax)];
  if (series.L[0].dblA.empty() || last.dblC.empty()) finding("planet: an empty first or last power");
  if (!nemora::fuzz::sameNumber(items[2], series.L[0].dblA[0]) ||
      !nemora::fuzz::sameNumber(items.back(), last.dblC.back()))
    finding("planet: first amplitude or last frequency differs");
}

template <size_t Columns>
void checkMoon(const std::string& text, const std::array<std::array<int32_t, Columns>, 60>& table) {
  auto items = nemora::fuzz::plainItems(text, '~');
  if (items.size() != 1 + 60 * Columns) nemora::fuzz::finding("Moon: items and table size differ");
  if (!nemora::fuzz::sameNumber(items[1], table[0][0]) || !nemora::fuzz::sameNumber(items.back(), table[59][Columns - 1]))
    nemora::fuzz::finding("Moon: first or last value differs");
}

void checkStars(const std::string& text, const std::vector<nemora::udtStar>& stars, int16_t count) {
  auto items = nemora::fuzz::plainItems(text, '#');
  if (count != static_cast<int16_t>(stars.size()) || stars.empty() || items.size() != 9 * stars.size())
    nemora::fuzz::finding("stars: items and stars differ");
  if (items[0] != stars.front().strName || !nemora::fuzz::sameNumber(items.back(), stars.back().dblDiameter))
    nemora::fuzz::finding("stars: first name or last diameter differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  if (size == 0) return 0;
  RecordingMessageSink sink;
  Session session(sink);
  session.dataDir = fuzz::scratchFolder();
  std::string text = fuzz::asText(data + 1, size - 1);
  std::string body;
  const int kind = data[0] % 5;
  switch (kind) {
    case 0:
      body = "Moon";
      fuzz::writeScratchFile("MoonLong.txt", text);
      fuzz::writeScratchFile("Moonlat.txt", soundMoonTable(5));
      break;
    case 4:
      body = "Moon";
      fuzz::writeScratchFile("MoonLong.txt", soundMoonTable(6));
      fuzz::writeScratchFile("Moonlat.txt", text);
      break;
    case 1:
      body = "Mercury";
      fuzz::writeScratchFile("Mercury.txt", text);
      break;
    case 2:
      body = "Star";
      fuzz::writeScratchFile("Stars.txt", text);
      break;
    default:
      body = "Earth";
      fuzz::writeScratchFile("Earth.txt", text);
      break;
  }
  udtPlanetSeries series;
  MoonLongTable moonLong{};
  MoonLatTable moonLat{};
  std::vector<udtStar> stars;
  int16_t count = 0;
  try {
    HBodyLoader(session).ReadHBody(body, series, moonLong, moonLat, stars, count);
    if (kind == 0) checkMoon(text, moonLong);
    if (kind == 4) checkMoon(text, moonLat);
    if (kind == 2) checkStars(text, stars, count);
    if (kind == 1 || kind == 3) checkPlanet(text, series);
  } catch (const ProgramEnd&) {
  } catch (const AppError& e) {
    if (e.code != 6) throw;  // a count above 32767 is an overflow for the caller
  }
  fuzz::requireListedMessages(sink, {"Error in cHBody.ReadHBody"});
  return 0;
}
