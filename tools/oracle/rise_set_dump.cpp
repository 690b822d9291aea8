// Prints our geometric and flat-horizon rise and set instants of the Sun and
// the Moon next to the reference instants of tests/data/rise_set_reference.csv,
// one comma-separated line per event:
//   place,day,body,rise|set,reference geometric,reference apparent,our geometric,our apparent
// (fixed day numbers with the UT day fraction; an empty field where a value is
// missing). Built and run by tools/oracle/rise_set_accuracy.sh.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/hbody.h"

namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

double number(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

struct Place {
  double lat = 0, lon = 0, height = 0, temperature = 0, pressure = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: rise_set_dump <data dir> <reference csv>\n");
    return 2;
  }
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  session.dataDir = argv[1];
  std::ifstream in(argv[2]);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", argv[2]);
    return 2;
  }
  std::map<std::string, Place> places;
  std::string current;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto f = split(line);
    if (f[0] == "place") {
      places[f[1]] = {number(f[2]), number(f[3]), number(f[4]), number(f[5]), number(f[6])};
      continue;
    }
    if (f[0] != current) {
      // A new place: its position and the standard atmosphere at its height.
      const Place& p = places.at(f[0]);
      current = f[0];
      session.udtLocation.dblLatitude = p.lat;
      session.udtLocation.dblLongitude = p.lon;
      session.udtLocation.dblHeight = p.height;
      session.udtLocation.moveTo({p.lat, p.lon, p.height});
      session.udtWeather.udtBasis = nemora::kWeatherFixed;
      session.udtWeather.dblTempMean = p.temperature;
      session.udtWeather.dblPressMean = p.pressure;
    }
    if (f[3] != "rise" && f[3] != "set") continue;  // never-rises and never-sets days: the test checks them
    const auto day = static_cast<int32_t>(number(f[1]));
    const bool set = f[3] == "set";
    std::string ours[2];
    for (int apparent = 0; apparent < 2; ++apparent) {
      bool neverRises = false, neverSets = false, ok = false;
      double t = session.hbody.RiseSet(f[2], day, set, apparent != 0, neverRises, neverSets, ok);
      if (ok && !neverRises && !neverSets) {
        char text[32];
        std::snprintf(text, sizeof text, "%.7f", t);
        ours[apparent] = text;
      }
    }
    std::printf("%s,%s,%s,%s,%s,%s,%s,%s\n", f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(),
                f.size() > 5 ? f[5].c_str() : "", ours[0].c_str(), ours[1].c_str());
  }
  for (const auto& m : sink.messages) std::fprintf(stderr, "%s\n", m.c_str());
  return sink.messages.empty() ? 0 : 1;
}
