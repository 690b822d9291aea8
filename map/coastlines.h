// The world's coastlines drawn under the visibility map, read from
// coastlines.txt of the data folder (made by tools/coastlines.py from the
// public-domain Natural Earth outline at 1:110m).
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

namespace nemora {

// Polylines of (longitude east, latitude north) points in degrees.
struct Coastlines {
  struct Point {
    double dblLongitude = 0;
    double dblLatitude = 0;
  };
  std::vector<std::vector<Point>> lines;
};

// Reads a coastline file: '#' comment lines, then one polyline per line of
// whole numbers in hundredths of a degree (longitude and latitude of the
// first point, then the change to each following point). Read once per
// process for each file and shared. A missing file, or a line that is not an
// even count of at least four whole numbers or leaves the globe, throws
// AppError (source "readCoastlines") naming the file and the line.
std::shared_ptr<const Coastlines> loadCoastlines(const std::filesystem::path& file);

}  // namespace nemora
