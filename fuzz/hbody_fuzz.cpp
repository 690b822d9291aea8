// Fuzzes the series and catalogue reader: the first byte chooses the file
// (Moon, a planet or the star catalogue), the rest is its text. A bad file
// ends the program with a "cHBody.ReadHBody" message; nothing else may happen.
#include "ephemeris/hbody_data.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  if (size == 0) return 0;
  RecordingMessageSink sink;
  Session session(sink);
  session.dataDir = fuzz::scratchFolder();
  std::string text = fuzz::asText(data + 1, size - 1);
  std::string body;
  switch (data[0] % 4) {
    case 0:
      body = "Moon";
      fuzz::writeScratchFile("MoonLong.txt", text);
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
    if (body == "Star" && count != static_cast<int16_t>(stars.size())) __builtin_trap();
  } catch (const ProgramEnd&) {
  } catch (const AppError& e) {
    if (e.code != 6) throw;  // a count above 32767 is an overflow for the caller
  }
  fuzz::requireListedMessages(sink, {"Error in cHBody.ReadHBody"});
  return 0;
}
