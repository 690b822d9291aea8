// Prints the geocentric right ascension and declination of the Sun, the Moon
// and the five planets at evenly spread instants from 1900 to 2100, with the
// dynamical time of each instant, for the comparison in compare.js.
// Built and run by tools/oracle/accuracy.sh.
#include <cstdio>
#include <string>

#include "base/messages.h"
#include "app/session.h"
#include "ephemeris/hbody.h"

int main(int argc, char** argv) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  if (argc > 1) session.dataDir = argv[1];
  session.udtWeather.udtBasis = nemora::kWeatherFixed;
  session.udtWeather.dblPressMean = 1013.25;
  const double start = 693596;  // 1900 January 1
  const double end = 766645;    // 2100 January 1
  const int count = 60;
  for (int i = 0; i < count; ++i) {
    // An odd day fraction so that the instants fall at all hours.
    double fix = start + (end - start) * (i + 0.5) / count + 0.137 * i - static_cast<int>(0.137 * i);
    bool ok = false;
    double jde = session.jde.fixed_jde(fix, ok);
    for (const char* name : {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"}) {
      nemora::udtHBody r;
      session.hbody.TrueHBody(name, fix, r, ok);
      if (!ok) return 1;
      std::printf("%s %.9f %.9f %.9f %.9f %.3f\n", name, fix, jde, r.RAGeo, r.DeclGeo, r.DistanceGeo);
    }
  }
  for (const auto& m : sink.messages) std::fprintf(stderr, "%s\n", m.c_str());
  return sink.messages.empty() ? 0 : 1;
}
