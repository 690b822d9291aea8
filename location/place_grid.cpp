#include "location/place_grid.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "base/numeric.h"
#include "location/weather.h"

namespace nemora {

int PlaceGrid::row(double dblLatitude) {
  return std::clamp(static_cast<int>(std::floor((dblLatitude + 90) / 2)), 0, kRows - 1);
}

int PlaceGrid::column(double dblLongitude) {
  int c = static_cast<int>(std::floor((dblLongitude + 180) / 2)) % kColumns;
  return c < 0 ? c + kColumns : c;
}

const PlaceGrid& placeGridOf(const std::vector<udtCountry>& countries) {
  static std::mutex mutex;
  static std::map<const void*, std::unique_ptr<const PlaceGrid>> grids;
  std::lock_guard<std::mutex> lock(mutex);
  auto& grid = grids[&countries];
  if (grid) return *grid;
  auto made = std::make_unique<PlaceGrid>();
  made->cells.resize(static_cast<size_t>(PlaceGrid::kRows) * PlaceGrid::kColumns);
  for (size_t i = 0; i < countries.size(); ++i) {
    const auto& cities = countries[i].udtCities;
    for (size_t k = 0; k < cities.size(); ++k) {
      const auto& places = cities[k].udtNeighborhoods;
      for (size_t m = 0; m < places.size(); ++m) {
        const udtNeighborhood& n = places[m];
        made->cells[static_cast<size_t>(PlaceGrid::row(n.dblLatitude) * PlaceGrid::kColumns +
                                        PlaceGrid::column(n.dblLongitude))]
            .push_back({static_cast<int32_t>(i), static_cast<int32_t>(k), static_cast<int32_t>(m), n.dblLatitude,
                        n.dblLongitude});
      }
    }
  }
  grid = std::move(made);
  return *grid;
}

namespace {

// A distance no place of the grid's cell (row, column) can be nearer than:
// the great-circle angle to the cell's nearest latitude and longitude, with
// the longitude term at the cell's latitude farthest from the equator, and a
// margin for the plane measure of near places.
double cellDistanceBound(double lat, double lon, int row, int column) {
  const double south = row * 2.0 - 90, north = south + 2;
  const double dLat = lat < south ? south - lat : lat > north ? lat - north : 0;
  const double west = column * 2.0 - 180;
  double dLon = 0;
  if (!(lon >= west && lon <= west + 2)) {
    const double toWest = std::fabs(Deg180(west - lon)), toEast = std::fabs(Deg180(west + 2 - lon));
    dLon = std::min(toWest, toEast);
  }
  const double far = std::max(std::fabs(south), std::fabs(north));
  const double h = Square(SinD(dLat / 2)) + std::max(0.0, CosD(lat)) * std::max(0.0, CosD(far)) * Square(SinD(dLon / 2));
  return 2 * 117.48 * ASinD(std::sqrt(std::min(1.0, h))) * (1 - 1e-4);
}

// Orders places as the database does.
bool before(const PlaceGrid::Place& a, int country, int city, int neighborhood) {
  if (a.intCountry != country) return a.intCountry < country;
  if (a.intCity != city) return a.intCity < city;
  return a.intNeighborhood < neighborhood;
}

}  // namespace

// The nearest neighbourhood, and of equal distances the first in the file:
// the cells are visited in rings of growing size around the position's cell,
// and a ring whose every cell lies beyond the best distance found ends the
// search (no cell further out can be nearer).
bool nearestPlaceByCells(const std::vector<udtCountry>& countries, double lat, double lon, int& intCountry,
                         int& intCity, int& intNeighborhood) {
  const PlaceGrid& grid = placeGridOf(countries);
  const int row0 = PlaceGrid::row(lat), column0 = PlaceGrid::column(lon);
  double best = 1000000;
  bool any = false;
  for (int ring = 0; ring <= PlaceGrid::kRows; ++ring) {
    double ringBound = 1e300;
    for (int dr = -ring; dr <= ring; ++dr) {
      const int row = row0 + dr;
      if (row < 0 || row >= PlaceGrid::kRows) continue;
      const bool edgeRow = dr == -ring || dr == ring;
      for (int dc = -ring; dc <= ring; dc += edgeRow ? 1 : 2 * ring) {
        if (dc > PlaceGrid::kColumns / 2 || dc <= -PlaceGrid::kColumns / 2) {
          if (ring == 0) break;
          continue;
        }
        const int column = ((column0 + dc) % PlaceGrid::kColumns + PlaceGrid::kColumns) % PlaceGrid::kColumns;
        const double bound = cellDistanceBound(lat, lon, row, column);
        ringBound = std::min(ringBound, bound);
        if (bound > best) continue;
        for (const PlaceGrid::Place& p :
             grid.cells[static_cast<size_t>(row * PlaceGrid::kColumns + column)]) {
          const double d = weatherPlaceDistance(lat, lon, p.dblLatitude, p.dblLongitude);
          if (d < best || (d == best && any && before(p, intCountry, intCity, intNeighborhood))) {
            best = d;
            intCountry = p.intCountry;
            intCity = p.intCity;
            intNeighborhood = p.intNeighborhood;
            any = true;
          }
        }
        if (ring == 0) break;
      }
    }
    if (any && ringBound > best) break;
  }
  return any;
}

}  // namespace nemora
