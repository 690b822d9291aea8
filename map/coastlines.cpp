#include "map/coastlines.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/errors.h"
#include "base/shared_load.h"

namespace nemora {

namespace {

Coastlines readFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) raiseFrom("readCoastlines", "Coastline file not found: ", file.string());
  Coastlines coast;
  std::string line;
  long number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    std::vector<long> values;
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end) {
      while (p < end && *p == ' ') ++p;
      if (p == end) break;
      long v = 0;
      auto [next, ec] = std::from_chars(p, end, v);
      if (ec != std::errc() || (next < end && *next != ' '))
        raiseFrom("readCoastlines", "Invalid coastline in ", file.string(), " line ", number);
      values.push_back(v);
      p = next;
    }
    if (values.size() < 4 || values.size() % 2 != 0)
      raiseFrom("readCoastlines", "Invalid coastline in ", file.string(), " line ", number);
    std::vector<Coastlines::Point> points;
    points.reserve(values.size() / 2);
    long lon = 0, lat = 0;
    for (size_t i = 0; i < values.size(); i += 2) {
      // Each step stays within one turn, so the sums cannot overflow.
      if (std::labs(values[i]) > 36000 || std::labs(values[i + 1]) > 18000)
        raiseFrom("readCoastlines", "Invalid coastline in ", file.string(), " line ", number);
      lon += values[i];
      lat += values[i + 1];
      if (lon < -18000 || lon > 18000 || lat < -9000 || lat > 9000)
        raiseFrom("readCoastlines", "Invalid coastline in ", file.string(), " line ", number);
      points.push_back({static_cast<double>(lon) / 100, static_cast<double>(lat) / 100});
    }
    coast.lines.push_back(std::move(points));
  }
  return coast;
}

}  // namespace

std::shared_ptr<const Coastlines> loadCoastlines(const std::filesystem::path& file) {
  return sharedLoad<Coastlines>(file, [&] { return readFile(file); });
}

}  // namespace nemora
