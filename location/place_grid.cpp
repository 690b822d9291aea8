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

// A bound on the distance of the places of a grid cell from a position,
// kept as the haversine h = sin^2(dLat/2) + cos(lat) cos(far) sin^2(dLon/2)
// of the great-circle angle to the cell's nearest latitude and longitude,
// with the longitude term at the cell's latitude farthest from the equator.
// A row's two factors are found once.
struct RowBound {
  double latitudeTerm;   // sin^2(dLat/2)
  double longitudeScale; // cos(lat) cos(far)
};

RowBound rowBound(double lat, int row) {
  const double south = row * 2.0 - 90, north = south + 2;
  const double dLat = lat < south ? south - lat : lat > north ? lat - north : 0;
  const double far = std::max(std::fabs(south), std::fabs(north));
  return {Square(SinD(dLat / 2)), std::max(0.0, CosD(lat)) * std::max(0.0, CosD(far))};
}

// The difference in longitude (degrees, 0 to 180) from a position to the
// nearest edge of a column of cells, 0 inside it.
double columnGap(double lon, int column) {
  const double west = column * 2.0 - 180;
  if (lon >= west && lon <= west + 2) return 0;
  // Both differences lie within 360 degrees either way.
  auto around = [](double x) {
    x = std::fabs(x);
    return x > 180 ? 360 - x : x;
  };
  return std::min(around(west - lon), around(west + 2 - lon));
}

// The greatest difference in longitude (degrees) at which a cell of a row
// lies within the haversine limit: the dLon at which the row's bound reaches
// it, a little more for rounding; below 0 when no cell of the row does. A
// cell is then judged by one comparison instead of a sine.
double longitudeReach(const RowBound& r, double limit) {
  if (r.latitudeTerm > limit) return -1;
  if (!(r.longitudeScale > 0)) return 360;
  const double s = (limit - r.latitudeTerm) / r.longitudeScale;
  if (s >= 1) return 360;
  return 2 * ASinD(std::sqrt(s)) * (1 + 1e-9) + 1e-9;
}

// The haversine beyond which a cell lies farther than dblDistance km, with
// a margin for the plane measure of near places; above 1 (no cell) for a
// distance beyond the antipode.
double haversineLimit(double dblDistance) {
  const double angle = dblDistance / (2 * 117.48 * (1 - 1e-4));
  return angle >= 90 ? 2.0 : Square(SinD(angle));
}

// The same bound for one place: the difference in latitude (degrees) beyond
// which a place lies farther than dblDistance km, whichever its longitude
// (with the margin above, and one for rounding).
double latitudeLimit(double dblDistance) { return dblDistance / (117.48 * (1 - 1e-4)) * (1 + 1e-9) + 1e-9; }

// Orders places as the database does.
bool before(const PlaceGrid::Place& a, int country, int city, int neighborhood) {
  if (a.intCountry != country) return a.intCountry < country;
  if (a.intCity != city) return a.intCity < city;
  return a.intNeighborhood < neighborhood;
}

}  // namespace

// The nearest neighbourhood, and of equal distances the first in the file.
// Rows of cells are visited outwards from the position's row and, within a
// row, cells outwards from its column: the bound of a cell grows with its
// distance in latitude and in longitude, so each direction ends at the first
// row (cell) whose bound lies beyond the best distance found. Near the poles,
// where every longitude is near, a row is crossed whole; no row beyond the
// best distance is visited at all.
bool nearestPlaceByCells(const std::vector<udtCountry>& countries, double lat, double lon, int& intCountry,
                         int& intCity, int& intNeighborhood) {
  const PlaceGrid& grid = placeGridOf(countries);
  const int row0 = PlaceGrid::row(lat), column0 = PlaceGrid::column(lon);
  double best = 1000000;
  double limit = haversineLimit(best);
  double nearLimit = latitudeLimit(best);
  bool any = false;
  RowBound bound{};
  double reach = 0;
  auto visit = [&](int row, int column) {
    const int wrapped = ((column % PlaceGrid::kColumns) + PlaceGrid::kColumns) % PlaceGrid::kColumns;
    if (columnGap(lon, wrapped) > reach) return false;
    for (const PlaceGrid::Place& p : grid.cells[static_cast<size_t>(row * PlaceGrid::kColumns + wrapped)]) {
      // Only a place that may lie as near as the best is measured.
      if (std::fabs(p.dblLatitude - lat) > nearLimit) continue;
      const double d = weatherPlaceDistance(lat, lon, p.dblLatitude, p.dblLongitude);
      if (d < best || (d == best && any && before(p, intCountry, intCity, intNeighborhood))) {
        if (d < best) {
          limit = haversineLimit(d);
          reach = longitudeReach(bound, limit);
          nearLimit = latitudeLimit(d);
        }
        best = d;
        intCountry = p.intCountry;
        intCity = p.intCity;
        intNeighborhood = p.intNeighborhood;
        any = true;
      }
    }
    return true;
  };
  // One row: false when even its cell in the position's column (its
  // nearest) lies beyond the best distance.
  auto visitRow = [&](int row) {
    bound = rowBound(lat, row);
    reach = longitudeReach(bound, limit);
    if (!visit(row, column0)) return false;
    // Eastwards and westwards half way round, the opposite column once.
    bool east = true, west = true;
    for (int dc = 1; dc <= PlaceGrid::kColumns / 2 && (east || west); ++dc) {
      if (east) east = visit(row, column0 + dc);
      if (west && dc < PlaceGrid::kColumns / 2) west = visit(row, column0 - dc);
    }
    return true;
  };
  bool north = true, south = true;
  visitRow(row0);
  for (int dr = 1; north || south; ++dr) {
    if (north) north = row0 + dr < PlaceGrid::kRows && visitRow(row0 + dr);
    if (south) south = row0 - dr >= 0 && visitRow(row0 - dr);
  }
  return any;
}

}  // namespace nemora
