// The records of the location database (countries or states, their towns and
// neighbourhoods) and of the current location.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/dms_record.h"
#include "base/time_types.h"

namespace nemora {

// A climate summary of one quantity. In the database file the daily range
// comes before the annual range.
struct udtClimate {
  double dblMean = 0;
  double dblAnnual = 0;  // annual range, peak to peak
  double dblDaily = 0;   // daily range, peak to peak
};

struct udtNeighborhood {
  std::string strName;
  double dblLatitude = 0;   // degrees, north positive
  double dblLongitude = 0;  // degrees, east positive
  double dblHeight = 0;     // metres above sea level
  udtClimate udtTemperature;  // degrees Celsius
  udtClimate udtPressure;     // millibars
  udtClimate udtHumidity;     // per cent relative humidity
};

struct udtCity {
  std::string strName;
  int16_t intNNeighborhoods = 0;  // the size of udtNeighborhoods
  std::vector<udtNeighborhood> udtNeighborhoods;
};

// A country or state, with its zone history and its towns or cities.
struct udtCountry {
  std::string strName;
  int16_t intNTZ = 0;  // the size of udtTZ
  std::vector<udtTZHistory> udtTZ;
  int16_t intNCities = 0;  // the size of udtCities
  std::vector<udtCity> udtCities;
};

// A point on the Earth.
struct udtPosition {
  double dblLatitude = 0;   // degrees, north positive
  double dblLongitude = 0;  // degrees, east positive
  double dblHeight = 0;     // metres above sea level

  friend bool operator==(const udtPosition&, const udtPosition&) = default;
};

// The current location: a named place of the database, or a typed position
// for which the names are only a label.
struct udtLocation {
  bool blnDMS = false;         // the dialog's last choice of degrees-minutes-seconds entry
  bool blnPlaceValid = false;  // position and height are the named neighbourhood's
  std::string strCountry;
  std::string strCity;
  std::string strNeighborhood;
  double dblLatitude = 0;  // degrees, north positive, -90 to 90
  ::nemora::udtDms udtLatitude;
  double dblLongitude = 0;  // degrees, east positive, above -180 up to 180
  ::nemora::udtDms udtLongitude;
  double dblHeight = 0;      // metres above sea level, -1000 to 100000
  double dblTZ = 0;          // standard zone, hours ahead of UT, -14 to 14
  int16_t intTZHours = 0;    // whole hours of the absolute zone
  int16_t intTZMinutes = 0;  // minutes of the absolute zone
  bool blnTZSign = true;     // sign flag of the zone from its degrees-minutes-seconds form
  bool blnDST = false;       // manual zone: daylight saving is in force
  bool blnAutoTZ = true;     // zone and daylight saving come from the zone history
  int16_t intNTZ = 0;        // the size of udtTZ
  std::vector<udtTZHistory> udtTZ;

  // The point the calculations use: latitude, longitude and height.
  udtPosition position() const { return {dblLatitude, dblLongitude, dblHeight}; }
  // Puts the location at another point, keeping its names and zone.
  void moveTo(const udtPosition& point) {
    dblLatitude = point.dblLatitude;
    dblLongitude = point.dblLongitude;
    dblHeight = point.dblHeight;
  }

  friend bool operator==(const udtLocation&, const udtLocation&) = default;
};

}  // namespace nemora
