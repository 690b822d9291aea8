#include "location/location_entry.h"

#include <cmath>
#include <optional>

#include "base/session.h"
#include "calendar/dms.h"
#include "location/current_location.h"
#include "location/location_data.h"

namespace nemora {

namespace {

std::optional<double> number(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  size_t last = text.find_last_not_of(" \t");
  return parseNumber(std::string_view(text).substr(first, last - first + 1));
}

// The degrees-minutes-seconds boxes of a value.
void showDms(const Session& s, double value, std::string& deg, std::string& min, std::string& sec) {
  udtDms dms;
  if (!s.dms.ToDMS(value, dms, true)) return;
  deg = std::to_string(dms.intDegreesHours);
  min = std::to_string(dms.intMinutes);
  sec = generalNumber(dms.dblSeconds);
}

// Checks of one degrees-minutes-seconds entry; appends each failure.
void checkDms(const std::string& what, const std::string& deg, const std::string& min, const std::string& sec,
              double maxDegrees, std::string& failures) {
  auto fail = [&](const std::string& text) { failures += concat(kLineBreak, text); };
  auto d = number(deg);
  auto m = number(min);
  auto s = number(sec);
  if (!d) {
    fail(what + " degrees must be a number.");
  } else if (*d < 0 || *d > maxDegrees) {
    fail(concat(what, " degrees must be between 0 and ", maxDegrees, "."));
  }
  if (!m) {
    fail(what + " minutes must be a number.");
  } else if (*m < 0 || *m > 59) {
    fail(what + " minutes must be between 0 and 59.");
  }
  if (!s) {
    fail(what + " seconds must be a number.");
  } else if (*s < 0 || *s >= 60) {
    fail(what + " seconds must be between 0 and 60.");
  }
  if (d && m && s && *d == maxDegrees && (*m > 0 || *s > 0)) fail(concat(what, " must be no more than ", maxDegrees, "."));
}

}  // namespace

LocationEntry::LocationEntry(Session& session) : SessionBound(session) {
  Session& s = session;
  const udtLocation& loc = s.udtLocation;
  working_ = loc;
  blnPlaceValid = loc.blnPlaceValid;
  LocationControls& c = controls;
  showPosition(loc.dblLatitude, loc.dblLongitude);
  c.txtHeight = generalNumber(loc.dblHeight);
  c.txtTZ = generalNumber(std::fabs(loc.dblTZ));
  c.txtTZH = std::to_string(loc.intTZHours);
  c.txtTZM = std::to_string(loc.intTZMinutes);
  c.optAhead = loc.dblTZ >= 0;
  c.optDST = loc.blnDST;
  c.optAuto = loc.blnAutoTZ;
  c.optDMS = loc.blnDMS;

  const clsLocationData& data = s.locations;
  int country = data.findCountry(loc.strCountry);
  intNTZ = country >= 0 ? data.udtCountries()[country].intNTZ : 1;
  for (const udtCountry& each : data.udtCountries()) c.cboCountry.push_back(each.strName);

  // A name missing from its list gives way to the list's first entry.
  auto select = [&](const std::vector<std::string>& list, const std::string& name, const char* message) {
    if (list.empty()) return -1;
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == name) return static_cast<int>(i);
    if (!name.empty()) s.showMessage(message);
    return 0;
  };
  c.intCountry = select(c.cboCountry, loc.strCountry, "Default country not found. Using first Country on list.");
  fillCities();
  c.intCity = select(c.cboCity, loc.strCity, "City not found. Using first City on list.");
  fillNeighborhoods();
  c.intNeighborhood =
      select(c.cboNeighborhood, loc.strNeighborhood, "Default neighborhood not found. Using first neighborhood on list.");
  displayChosen(c.optDMS);
  blnLoaded_ = true;
}

double LocationEntry::inputInstant() const { return session().dblFixDate + session().dblFixTime; }

void LocationEntry::fillCities() {
  controls.cboCity.clear();
  controls.intCity = -1;
  const auto& countries = session().locations.udtCountries();
  if (controls.intCountry < 0 || static_cast<size_t>(controls.intCountry) >= countries.size()) return;
  for (const udtCity& city : countries[controls.intCountry].udtCities) controls.cboCity.push_back(city.strName);
}

void LocationEntry::fillNeighborhoods() {
  controls.cboNeighborhood.clear();
  controls.intNeighborhood = -1;
  const auto& countries = session().locations.udtCountries();
  if (controls.intCountry < 0 || controls.intCity < 0) return;
  const udtCountry& country = countries[controls.intCountry];
  if (static_cast<size_t>(controls.intCity) >= country.udtCities.size()) return;
  for (const udtNeighborhood& n : country.udtCities[controls.intCity].udtNeighborhoods)
    controls.cboNeighborhood.push_back(n.strName);
}

void LocationEntry::cboCountryClick(int index) {
  if (!blnLoaded_ || index < 0 || static_cast<size_t>(index) >= controls.cboCountry.size()) return;
  controls.intCountry = index;
  intNTZ = session().locations.udtCountries()[index].intNTZ;
  ZoneDisplay display;
  if (session().currentLocation.LoadZoneHistory(inputInstant(), index, working_, display)) {
    controls.txtTZ = display.txtTZ;
    controls.optAhead = display.optAhead;
    controls.txtTZH = display.txtTZH;
    controls.txtTZM = display.txtTZM;
    if (display.blnStandardOnly) controls.optDST = false;
  }
  fillCities();
  cboCityClick(0);
}

void LocationEntry::txtFindChanged(const std::string& text) {
  controls.txtFind = text;
  controls.lstFound.clear();
  found_.clear();
  if (!blnLoaded_ || foldedPlaceName(text).empty()) return;
  if (!finder_) finder_ = std::make_unique<PlaceFinder>(session().locations, session().dataFile("PlaceNames.txt"));
  found_ = finder_->search(text, kFoundShown);
  for (const PlaceFound& f : found_) controls.lstFound.push_back(f.label);
}

void LocationEntry::lstFoundClick(int index) {
  if (!blnLoaded_ || index < 0 || static_cast<size_t>(index) >= found_.size()) return;
  const PlaceFound f = found_[static_cast<size_t>(index)];
  cboCountryClick(f.country);
  cboCityClick(f.city);
  cboNeighborhoodClick(f.neighborhood);
}

void LocationEntry::cboCityClick(int index) {
  if (!blnLoaded_ || index < 0 || static_cast<size_t>(index) >= controls.cboCity.size()) return;
  controls.intCity = index;
  blnPlaceValid = true;
  fillNeighborhoods();
  cboNeighborhoodClick(0);
}

void LocationEntry::cboNeighborhoodClick(int index) {
  if (!blnLoaded_ || index < 0 || static_cast<size_t>(index) >= controls.cboNeighborhood.size()) return;
  controls.intNeighborhood = index;
  blnPlaceValid = true;
  ChangePosition();
}

void LocationEntry::ChangePosition() {
  const udtNeighborhood& n = session()
                                 .locations.udtCountries()[controls.intCountry]
                                 .udtCities[controls.intCity]
                                 .udtNeighborhoods[controls.intNeighborhood];
  showPosition(n.dblLatitude, n.dblLongitude);
  controls.txtHeight = generalNumber(n.dblHeight);
}

void LocationEntry::showPosition(double dblLatitude, double dblLongitude) {
  LocationControls& c = controls;
  c.txtLat = generalNumber(std::fabs(dblLatitude));
  c.optNorth = dblLatitude >= 0;
  showDms(session(), std::fabs(dblLatitude), c.txtLatDeg, c.txtLatMin, c.txtLatSec);
  c.txtLong = generalNumber(std::fabs(dblLongitude));
  c.optEast = dblLongitude >= 0;
  showDms(session(), std::fabs(dblLongitude), c.txtLongDeg, c.txtLongMin, c.txtLongSec);
}

void LocationEntry::positionEdited() {
  if (blnLoaded_) blnPlaceValid = false;
}

void LocationEntry::displayChosen(bool blnDMS) {
  controls.optDMS = blnDMS;
  session().blnDMSDisplay = blnDMS;
}

bool LocationEntry::cmdOK() {
  Session& s = session();
  const LocationControls& c = controls;
  std::string failures;
  auto fail = [&](const std::string& text) { failures += concat(kLineBreak, text); };

  auto height = number(c.txtHeight);
  if (!height) {
    fail("Height above sea level must be a number.");
  } else if (*height < -1000 || *height > 100000) {
    fail(concat("Height above sea level must be between ", -1000, " and ", 100000, "."));
  }
  if (c.optDMS) {
    checkDms("Latitude", c.txtLatDeg, c.txtLatMin, c.txtLatSec, 90, failures);
    checkDms("Longitude", c.txtLongDeg, c.txtLongMin, c.txtLongSec, 180, failures);
    auto h = number(c.txtTZH);
    auto m = number(c.txtTZM);
    if (!h) {
      fail("Time zone hours must be a number.");
    } else if (*h < 0 || *h > 14) {
      fail("Time zone hours must be between 0 and 14.");
    }
    if (!m) {
      fail("Time zone minutes must be a number.");
    } else if (*m < 0 || *m > 59) {
      fail("Time zone minutes must be between 0 and 59.");
    }
    if (h && m && *h == 14 && *m > 0) fail("Time zone may not be larger than 14.");
  } else {
    auto check = [&](const std::string& text, const char* what, double max) {
      auto v = number(text);
      if (!v) {
        fail(concat(what, " must be a number."));
      } else if (*v < 0 || *v > max) {
        fail(concat(what, " must be between 0 and ", max, "."));
      }
    };
    check(c.txtLat, "Latitude", 90);
    check(c.txtLong, "Longitude", 180);
    check(c.txtTZ, "Time zone", 14);
  }
  if (!failures.empty()) {
    s.showMessage("Error in location." + failures);
    return false;
  }

  // Assemble the position and the zone from the boxes shown.
  double latitude = 0, longitude = 0, zone = 0;
  int16_t zoneHours = 0, zoneMinutes = 0;
  if (c.optDMS) {
    auto dms = [](const std::string& d, const std::string& m, const std::string& sec) {
      return *number(d) + *number(m) / 60 + *number(sec) / 3600;
    };
    latitude = dms(c.txtLatDeg, c.txtLatMin, c.txtLatSec);
    longitude = dms(c.txtLongDeg, c.txtLongMin, c.txtLongSec);
    zoneHours = static_cast<int16_t>(*number(c.txtTZH));
    zoneMinutes = static_cast<int16_t>(*number(c.txtTZM));
    zone = *number(c.txtTZH) + *number(c.txtTZM) / 60;
  } else {
    latitude = *number(c.txtLat);
    longitude = *number(c.txtLong);
    zone = *number(c.txtTZ);
    zoneHours = static_cast<int16_t>(std::floor(zone));
    zoneMinutes = static_cast<int16_t>(std::floor((zone - zoneHours) * 60 + 0.5));
  }
  if (!c.optNorth) latitude = -latitude;
  if (!c.optEast) longitude = -longitude;
  if (!c.optAhead) zone = -zone;
  if (longitude == -180) longitude = 180;

  udtLocation next = s.udtLocation;
  next.dblLatitude = latitude;
  next.dblLongitude = longitude;
  udtDms zoneDms;
  if (!s.dms.ToDMS(latitude, next.udtLatitude, true) || !s.dms.ToDMS(longitude, next.udtLongitude, true) ||
      !s.dms.ToDMS(zone, zoneDms, true))
    return false;
  next.dblTZ = zone;
  next.intTZHours = zoneHours;
  next.intTZMinutes = zoneMinutes;
  next.blnTZSign = zoneDms.blnPositive;
  next.blnPlaceValid = blnPlaceValid;
  next.blnDMS = c.optDMS;
  next.blnDST = c.optDST;
  next.blnAutoTZ = c.optAuto;
  next.dblHeight = *height;
  auto chosen = [](const std::vector<std::string>& list, int index, const std::string& old) {
    return index >= 0 && static_cast<size_t>(index) < list.size() ? list[index] : old;
  };
  next.strCountry = chosen(c.cboCountry, c.intCountry, next.strCountry);
  next.strCity = chosen(c.cboCity, c.intCity, next.strCity);
  next.strNeighborhood = chosen(c.cboNeighborhood, c.intNeighborhood, next.strNeighborhood);
  ZoneDisplay display;
  if (c.intCountry >= 0) {
    next.intNTZ = static_cast<int16_t>(intNTZ);
    s.currentLocation.LoadZoneHistory(inputInstant(), c.intCountry, next, display);
  }

  s.udtLocation = next;
  blnFinished = true;
  blnOK = true;
  return true;
}

void LocationEntry::cmdCancel() {
  // Nothing changed here.
  blnFinished = true;
}

}  // namespace nemora
