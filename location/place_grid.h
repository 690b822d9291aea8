// The neighbourhoods of a loaded location database by cells of two degrees
// of latitude and longitude, so that the place nearest to a position (the
// Local weather basis) is found without measuring the distance to every
// place of a large database.
#pragma once

#include <cstdint>
#include <vector>

#include "base/location_types.h"

namespace nemora {

struct PlaceGrid {
  static constexpr int kRows = 90, kColumns = 180;
  struct Place {
    int32_t intCountry, intCity, intNeighborhood;
    double dblLatitude, dblLongitude;
  };
  std::vector<std::vector<Place>> cells;  // row * kColumns + column, each in file order
  static int row(double dblLatitude);
  static int column(double dblLongitude);
};

// The cells of a database. Made on first use and kept for the process, keyed
// by the database's address: loaded databases are themselves kept for the
// process and never change, so an address never stands for another one.
const PlaceGrid& placeGridOf(const std::vector<udtCountry>& countries);

// The neighbourhood nearest to a position by the weather model's distance,
// and of equal distances the first in the file; false when there is none.
bool nearestPlaceByCells(const std::vector<udtCountry>& countries, double dblLatitude, double dblLongitude,
                         int& intCountry, int& intCity, int& intNeighborhood);

}  // namespace nemora
