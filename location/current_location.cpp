#include "location/current_location.h"

#include <cmath>
#include <optional>

#include "base/atomic_file.h"
#include "base/number_format.h"
#include "base/session.h"
#include "calendar/dms.h"
#include "timescale/local_time.h"
#include "base/date.h"
#include "location/location_data.h"

namespace nemora {

namespace {

constexpr const char* kLastLocationSource = "frmLocation.GetLastLocation";
constexpr const char* kPositionSource = "frmLocation.GetPositionFromName";
constexpr const char* kWriteSource = "frmLocation.WriteLocation";
// A place-valid file may differ from the database by this much (degrees).
constexpr double kPositionTolerance = 0.0005;

std::string trimmed(std::string_view s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(" \t");
  return std::string(s.substr(first, last - first + 1));
}

// Copies a country's zone history: the end date only for an epoch with an
// end, the rules only for an epoch with daylight saving.
void copyZoneHistory(const udtCountry& country, udtLocation& location) {
  location.intNTZ = country.intNTZ;
  location.udtTZ.assign(country.udtTZ.size(), udtTZHistory{});
  for (size_t j = 0; j < country.udtTZ.size(); ++j) {
    const udtTZHistory& from = country.udtTZ[j];
    udtTZHistory& to = location.udtTZ[j];
    to.blnLast = from.blnLast;
    if (from.blnLast) to.dblLastDate = from.dblLastDate;
    to.dblTZ = from.dblTZ;
    to.blnDST = from.blnDST;
    if (from.blnDST) {
      to.udtDSTStart = from.udtDSTStart;
      to.udtDSTEnd = from.udtDSTEnd;
    }
  }
}

bool isShortGregorianMonth(int month) { return month == 2 || month == 4 || month == 6 || month == 9 || month == 11; }

}  // namespace

void CurrentLocation::GetLastLocation(double dblFix, const std::string& strFName) {
  unreadLastLocation_.reset();
  try {
    readLastLocation(dblFix, session().workFile(strFName), strFName);
    return;
  } catch (AppError& e) {
    if (e.code == errValidation) {
      if (e.source.empty()) e.source = kLastLocationSource;
      session().showMessage(concat(errorText(e), kLineBreak,
                                   "Data from last saved location corrupted or missing. Loading default location."));
    } else if (e.code == errFileNotFound) {
      session().showMessage(concat("Error in GetLastLocation ", e.description, kLineBreak,
                                   "File containing last saved location missing. Loading default location."));
    } else if (e.code == errPermissionDenied || e.code == errPathFileAccess) {
      session().showMessage(concat("Error in GetLastLocation ", e.description, kLineBreak,
                                   "File containing last saved location cannot be read. Loading default location."));
    } else {
      throw;
    }
    // A file that is there but could not be read is the user's own: it is
    // not written over on exit unless the location changes.
    if (e.code != errFileNotFound) unreadLastLocation_ = std::string();
  }
  const std::string bak = "Curloc.bak";
  try {
    readLastLocation(dblFix, session().dataFile(bak), bak);
  } catch (AppError& e) {
    if (e.code == errValidation) {
      if (e.source.empty()) e.source = kLastLocationSource;
      session().endProgram(concat(errorText(e), kLineBreak,
                                  "Default location data is also missing or corrupt. Sorry cannot continue."));
    }
    if (e.code == errFileNotFound) {
      session().endProgram(concat("Error in GetLastLocation ", e.description, kLineBreak,
                                  "Default location data file is also missing. Sorry cannot continue."));
    }
    if (e.code == errPermissionDenied || e.code == errPathFileAccess) {
      session().endProgram(concat("Error in GetLastLocation ", e.description, kLineBreak,
                                  "Default location data file cannot be read. Sorry cannot continue."));
    }
    throw;
  }
  if (unreadLastLocation_) unreadLastLocation_ = lastLocationText(session().udtLocation);
}

void CurrentLocation::readLastLocation(double dblFix, const std::filesystem::path& path, const std::string& strFName) {
  ValueReader file = ValueReader::open(path);
  if (!file.good()) {
    FileReadFailure failure = fileReadFailure(file.systemError(), strFName);
    throw AppError(failure.code, std::string(), failure.description);
  }
  Main& main = session().main;
  const clsLocationData& data = session().locations;
  auto bad = [&](std::string_view prefix, auto... pieces) {
    raiseFrom(kLastLocationSource, prefix, strFName, pieces...);
  };
  constexpr std::string_view kError = "Error in last location file: ";
  auto text = [&] { return *main.GetValue(file, "~", "String", 0, 0, true, true); };
  auto number = [&](double min, double max) -> std::optional<double> {
    return main.GetNumber(file, "~", "Double", min, max, true, true);
  };
  auto boolean = [&]() -> std::optional<bool> {
    auto item = main.GetValue(file, "~", "Boolean", 0, 0, true, true);
    if (!item) return std::nullopt;
    return *item == "True";
  };

  std::string country = text();
  int i = data.findCountry(country);
  if (country.empty() || i < 0) bad(kError, ". Unknown country/state name.");
  std::string city = text();
  int k = clsLocationData::findCity(data.udtCountries()[i], city);
  if (city.empty() || k < 0) bad(kError, ". Unknown city/town/place name: ", shownItem(city));
  std::string neighborhood = text();
  const udtCity& place = data.udtCountries()[i].udtCities[k];
  if (neighborhood.empty() || clsLocationData::findNeighborhood(place, neighborhood) < 0)
    bad(kError, ". Unknown neighborhood name: ", shownItem(neighborhood));

  udtLocation location = session().udtLocation;
  if (!GetPositionFromName(location, country, city, neighborhood, true)) {
    raiseFrom(kPositionSource, kError, strFName, ". Failed to convert name: ", shownItem(country), ", ",
              shownItem(city), ", ", shownItem(neighborhood));
  }

  auto placeValid = boolean();
  if (!placeValid) bad(kError, ". Invalid place validity.");
  location.blnPlaceValid = *placeValid;

  // Latitude and longitude: a named place keeps the database's values.
  auto readCoordinate = [&](double limit, double& value, udtDms& dms, std::string_view suffix,
                            std::string_view warning) {
    auto read = number(-limit, limit);
    if (!read) bad(kError, suffix);
    if (location.blnPlaceValid) {
      if (std::fabs(*read - value) > kPositionTolerance) session().showMessage(std::string(warning));
    } else {
      value = *read;
      if (!session().dms.ToDMS(value, dms, true)) abandon();
    }
  };
  readCoordinate(90, location.dblLatitude, location.udtLatitude, ". Invalid latitude.",
                 "Warning: latitude in last location file inconsistent with place name, replacing with correct "
                 "latitude.");
  readCoordinate(180, location.dblLongitude, location.udtLongitude, ". Invalid longitude.",
                 "Warning: longitude in last location file inconsistent with place name, replacing with correct "
                 "longitude.");

  auto height = number(-1000, 100000);
  if (!height) bad("invalid last location file: ", ". Invalid height above sea level.");
  location.dblHeight = *height;

  auto zone = number(-14, 14);
  if (!zone) bad(kError, ". Invalid time zone.");
  location.dblTZ = *zone;
  udtDms zoneDms;
  if (!session().dms.ToDMS(location.dblTZ, zoneDms, true)) abandon();
  location.intTZHours = zoneDms.intDegreesHours;
  location.intTZMinutes = zoneDms.intMinutes;
  location.blnTZSign = zoneDms.blnPositive;

  auto dst = boolean();
  if (!dst) bad("error in last location file: ", ". Invalid DST mode.");
  location.blnDST = *dst;
  auto autoTZ = boolean();
  if (!autoTZ) bad(kError, ". Invalid DST auto mode.");
  location.blnAutoTZ = *autoTZ;
  auto dms = boolean();
  if (!dms) bad(kError, ". Invalid DMS mode.");
  location.blnDMS = *dms;

  session().udtLocation = location;
  ZoneDisplay display;
  LoadZoneHistory(dblFix, i, session().udtLocation, display);
}

bool CurrentLocation::GetPositionFromName(const std::string& strCountry, const std::string& strCity,
                                          const std::string& strNeighborhood, bool blnForceTZLoad) {
  return GetPositionFromName(session().udtLocation, strCountry, strCity, strNeighborhood, blnForceTZLoad);
}

bool CurrentLocation::GetPositionFromName(udtLocation& location, const std::string& strCountry,
                                          const std::string& strCity, const std::string& strNeighborhood,
                                          bool blnForceTZLoad) {
  bool blnValid = true;
  udtLocation result = location;
  guardedVoid(blnValid, kPositionSource, [&] {
    auto longitude = parseNumber(trimmed(strCountry));
    auto latitude = parseNumber(trimmed(strCity));
    if (longitude && latitude) {
      // Number mode: a typed position without a place.
      if (blnForceTZLoad) raise("Cannot load time zone data without the name of a country");
      double height = parseNumber(trimmed(strNeighborhood)).value_or(0);
      if (!(height >= -1000 && height <= 100000)) raise("Height above sea level out of range: ", strNeighborhood);
      if (!(*latitude >= -90 && *latitude <= 90)) raise("Latitude out of range: ", strCity);
      if (!(*longitude > -180 && *longitude <= 180)) raise("Longitude out of range: ", strCountry);
      result.blnPlaceValid = false;
      result.dblLatitude = *latitude;
      result.dblLongitude = *longitude;
      result.dblHeight = height;
      if (!session().dms.ToDMS(*latitude, result.udtLatitude, true)) abandon();
      if (!session().dms.ToDMS(*longitude, result.udtLongitude, true)) abandon();
      return;
    }

    const clsLocationData& data = session().locations;
    int i = data.findCountry(strCountry);
    bool found = i >= 0;
    if (!found) {
      session().showMessage(concat("Country/State not found in GetPositionFromName: ", strCountry));
    } else {
      const udtCountry& country = data.udtCountries()[i];
      int k = clsLocationData::findCity(country, strCity);
      if (k < 0) {
        session().showMessage(concat("City/Town not found in GetPositionFromName: ", strCountry, ", ", strCity));
        abandon();
      }
      const udtCity& city = country.udtCities[k];
      int m = clsLocationData::findNeighborhood(city, strNeighborhood);
      if (m < 0) {
        session().showMessage(concat("Neighborhood not found in GetPositionFromName: ", strCountry, ", ", strCity,
                                     ", ", strNeighborhood));
        abandon();
      }
      const udtNeighborhood& place = city.udtNeighborhoods[m];
      result.blnPlaceValid = true;
      result.dblLatitude = place.dblLatitude;
      result.dblLongitude = place.dblLongitude;
      result.dblHeight = place.dblHeight;
      if (!session().dms.ToDMS(place.dblLatitude, result.udtLatitude, true)) abandon();
      if (!session().dms.ToDMS(place.dblLongitude, result.udtLongitude, true)) abandon();
      result.strCity = strCity;
      result.strNeighborhood = strNeighborhood;
      if (strCountry != result.strCountry || blnForceTZLoad) {
        result.strCountry = strCountry;
        copyZoneHistory(country, result);
      }
    }
    // The checks run on the unknown country's old values too.
    if (!(result.dblHeight >= -1000 && result.dblHeight <= 100000))
      raise("Output height out of range: ", result.dblHeight);
    if (!(result.dblLatitude >= -90 && result.dblLatitude <= 90))
      raise("Output latitude out of range: ", result.dblLatitude);
    if (!(result.dblLongitude >= -180 && result.dblLongitude <= 180))
      raise("Output longitude out of range: ", result.dblLongitude);
    if (!(result.dblTZ >= -14 && result.dblTZ <= 14)) raise("Output time zone out of range: ", result.dblTZ);
    if (!CheckZoneHistory(result.intNTZ, result.udtTZ, kPositionSource)) abandon();
    if (!found) abandon();
  });
  if (blnValid) location = result;
  return blnValid;
}

bool CurrentLocation::CheckZoneHistory(int16_t intNTZ, const std::vector<udtTZHistory>& udtTZ,
                                       std::string_view source) {
  bool blnValid = true;
  guardedVoid(blnValid, source, [&] {
    try {
      if (intNTZ < 1 || intNTZ > 32766 || static_cast<size_t>(intNTZ) != udtTZ.size())
        raise("Number of time zone histories out of range: ", intNTZ);
      for (int j = 0; j < intNTZ; ++j) {
        const udtTZHistory& epoch = udtTZ[j];
        if (!(epoch.dblTZ >= -14 && epoch.dblTZ <= 14))
          raise("Invalid time zone in time zone history ", j, ": ", epoch.dblTZ);
        if (!(std::fabs(epoch.dblLastDate) <= kMaxInstant))
          raise("Invalid end date of zone in time zone history ", j, ": ", epoch.dblLastDate);
        if (!epoch.blnDST) continue;
        if (!CheckDSTRule(epoch.udtDSTStart, "start", j, source)) abandon();
        if (!CheckDSTRule(epoch.udtDSTEnd, "end", j, source)) abandon();
        // The second rule once more, as a Gregorian rule.
        const udtDSTRule& end = epoch.udtDSTEnd;
        if (end.enmDateType != dtGregorian && end.enmDateType != dtHebrew)
          raise("Invalid end date type in time zone history ", j, ": ", end.enmDateType);
        if (end.intMonth < 1 || end.intMonth > 12)
          raise("Invalid end month in time zone history ", j, ": ", end.intMonth);
        if (end.intDateOfMonth < 0 || end.intDateOfMonth > 31 ||
            (end.intDateOfMonth == 31 && isShortGregorianMonth(end.intMonth)) ||
            (end.intDateOfMonth == 30 && end.intMonth == 2))
          raise("Invalid date of month in time zone history ", j, ": ", end.intDateOfMonth);
      }
    } catch (AppError& e) {
      if (e.code != errValidation) throw;
      // This check's message ends with a line break.
      if (e.source.empty()) e.source = std::string(source);
      session().showMessage(concat(errorText(e), kLineBreak));
      abandon();
    }
  });
  return blnValid;
}

bool CurrentLocation::CheckDSTRule(const udtDSTRule& rule, std::string_view strWord, int j, std::string_view source) {
  try {
    auto field = [&](std::string_view what, int value) {
      raise("Invalid ", strWord, " ", what, " in time zone history ", j, ": ", value);
    };
    if (rule.enmDateType != dtGregorian && rule.enmDateType != dtHebrew) field("date type", rule.enmDateType);
    if (rule.intMonth < 1 || rule.intMonth > 12) field("month", rule.intMonth);
    bool badDay = rule.intDateOfMonth < 0 || rule.intDateOfMonth > 31 || (rule.intDateOfMonth == 30 && rule.intMonth == 2);
    if (rule.intDateOfMonth == 31) badDay |= rule.enmDateType == dtHebrew || isShortGregorianMonth(rule.intMonth);
    if (badDay) field("date of month", rule.intDateOfMonth);
    if (rule.intDayOfWeek < 0 || rule.intDayOfWeek > 6) field("day of week", rule.intDayOfWeek);
    if (rule.intHour < 0 || rule.intHour > 23) field("hour", rule.intHour);
    if (rule.intWeekNo < 0 || rule.intWeekNo > 5) field("week", rule.intWeekNo);
    return true;
  } catch (AppError& e) {
    if (e.code != errValidation) throw;
    e.source = std::string(source);
    session().showMessage(concat(errorText(e), kLineBreak));
    return false;
  }
}

bool CurrentLocation::LoadZoneHistory(double dblFix, int intCountry, udtLocation& location, ZoneDisplay& display) {
  const auto& countries = session().locations.udtCountries();
  if (intCountry >= 0 && static_cast<size_t>(intCountry) < countries.size())
    copyZoneHistory(countries[intCountry], location);
  bool ok = true;
  double offset = session().localTime.GetTZ(location, dblFix, ok);
  if (!ok) return false;
  double magnitude = std::fabs(offset);
  int hours = static_cast<int>(std::floor(magnitude + 1.0 / 120));
  int minutes = static_cast<int>(std::floor((magnitude - hours) * 60 + 0.5));
  display.txtTZ = generalNumber(magnitude);
  display.optAhead = offset >= 0;
  display.txtTZH = std::to_string(hours);
  display.txtTZM = std::to_string(minutes);
  display.blnStandardOnly = !location.udtTZ.empty() && !location.udtTZ.back().blnDST;
  return true;
}

std::string CurrentLocation::WriteLocation(bool& blnValid) {
  return guarded(blnValid, kWriteSource, std::string(), [&] {
    const udtLocation& loc = session().udtLocation;
    if (!(loc.dblLatitude >= -90 && loc.dblLatitude <= 90))
      raise("udtLocation.dblLatitude out of range: ", loc.dblLatitude);
    if (!(loc.dblLongitude >= -180 && loc.dblLongitude <= 180))
      raise("udtLocation.dblLongitude out of range: ", loc.dblLongitude);
    if (!(loc.dblHeight >= -1000 && loc.dblHeight <= 100000))
      raise("udtLocation.dblHeight out of range: ", loc.dblHeight);

    auto angle = [&](double value, const udtDms& dms, std::string_view pattern) {
      if (session().blnDMSDisplay)
        return concat(dms.intDegreesHours, "°", dms.intMinutes, "'", dms.dblSeconds, "\"");
      return formatNumber(std::fabs(value), pattern) + "°";
    };
    std::string text = loc.blnPlaceValid
                           ? concat("Location: ", loc.strNeighborhood, ", ", loc.strCity, ", ", loc.strCountry)
                           : std::string("No location name");
    text += "\r\n" + angle(loc.dblLatitude, loc.udtLatitude, "##.####");
    if (loc.dblLatitude > 0) text += "N";
    if (loc.dblLatitude < 0) text += "S";
    text += "\r\n" + angle(loc.dblLongitude, loc.udtLongitude, "###.####");
    if (loc.dblLongitude > 0 && loc.dblLongitude < 180) text += "E";
    if (loc.dblLongitude < 0) text += "W";
    text += concat("\r\nHeight ", loc.dblHeight, "m, ");

    bool ok = true;
    double offset = session().localTime.GetTZ(session().dblFixDate, ok);
    if (ok) {
      if (!(offset >= -14 && offset <= 15)) raise("dblTZ out of range: ", offset);
      text += concat("TZ ", std::fabs(offset), "h", offset >= 0 ? " ahead" : " behind");
    }
    return text;
  });
}

std::string lastLocationText(const udtLocation& location) {
  auto quoted = [](const std::string& s) { return "\"" + s + "\""; };
  auto flag = [](bool b) { return std::string(b ? "#TRUE#" : "#FALSE#"); };
  std::string text;
  for (const std::string& line :
       {quoted(location.strCountry), quoted(location.strCity), quoted(location.strNeighborhood),
        flag(location.blnPlaceValid), generalNumber(location.dblLatitude), generalNumber(location.dblLongitude),
        generalNumber(location.dblHeight), generalNumber(location.dblTZ), flag(location.blnDST),
        flag(location.blnAutoTZ), flag(location.blnDMS)}) {
    text += line;
    text += '\n';
  }
  return text;
}

bool CurrentLocation::WriteLastLocation(std::string& strError) {
  const std::filesystem::path path = session().workFile("Curloc.txt");
  if (unreadLastLocation_) {
    // The file could not be read at start-up: the user's own location may be
    // in it. Unchanged, the default location is not worth losing it for.
    if (lastLocationText(session().udtLocation) == *unreadLastLocation_) return true;
    const std::filesystem::path bad = session().workFile("Curloc.txt.bad");
    std::error_code ec;
    std::filesystem::rename(path, bad, ec);
    if (ec && std::filesystem::exists(path)) {
      strError = concat("Curloc.txt could not be read at start-up and could not be kept as Curloc.txt.bad (",
                        ec.message(), "); the current location was not saved.");
      return false;
    }
    unreadLastLocation_.reset();
    session().showMessage(
        "Curloc.txt could not be read at start-up; it is kept as Curloc.txt.bad and the current location is saved in "
        "Curloc.txt.");
  }
  try {
    writeFileAtomically(path, lastLocationText(session().udtLocation));
    return true;
  } catch (AppError& e) {
    strError = e.description;
    return false;
  }
}

}  // namespace nemora
