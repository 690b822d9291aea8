#include "location/location_data.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "base/session.h"
#include "base/shared_load.h"
#include "base/date.h"

namespace nemora {

namespace {

constexpr const char* kSource = "GetLocationData";
constexpr const char* kRuleSource = "GetNTZ";
constexpr double kMaxCount = 32766;
constexpr const char* kPrefix = "Error in location file: ";

template <class... Pieces>
[[noreturn]] void fail(int number, const Pieces&... pieces) {
  throw AppError(locationFileErrorCode(number), kSource, concat(kPrefix, pieces...));
}

// The reading state: the file and the session's value reader.
class Reader {
 public:
  Reader(Session& session, ValueReader& file) : session_(session), file_(file) {}

  std::optional<double> number(std::string_view type, double min, double max, bool minAllowed = true) {
    return session_.main.GetNumber(file_, "#", type, min, max, minAllowed, true);
  }
  std::string text() { return *session_.main.GetValue(file_, "#", "String", 0, 0, true, true); }
  // An item compared as it stands, without the typed reader.
  std::string token() { return session_.main.ReadItem(file_, "#", false); }
  Session& session() { return session_; }
  ValueReader& file() { return file_; }

 private:
  Session& session_;
  ValueReader& file_;
};

// Half the room left for a range around a mean inside [low, high], with the
// range's own half-width taken off first: the bound of the next range.
double room(double mean, double low, double high, double halfRange = 0) {
  return std::min(mean - halfRange - low, high - mean - halfRange);
}

// A neighbourhood's full name, written out only in a message.
struct NeighborhoodName {
  const std::string &country, &city, &name;
};
std::string toText(const NeighborhoodName& n) { return concat(n.country, ", ", n.city, ", ", n.name); }

udtClimate readClimate(Reader& in, double low, double high, int number, const NeighborhoodName& where,
                       const char* meanName, const char* quantity) {
  udtClimate c;
  auto mean = in.number("Double", low, high);
  if (!mean) fail(number, "Invalid Mean ", meanName, " for ", where, ".");
  c.dblMean = *mean;
  double l = room(c.dblMean, low, high);
  auto daily = in.number("Double", -2 * l, 2 * l);
  if (!daily) fail(number + 1, "Invalid Daily ", quantity, " range for ", where, ".");
  c.dblDaily = *daily;
  l = room(c.dblMean, low, high, c.dblDaily / 2);
  auto annual = in.number("Double", -2 * l, 2 * l);
  if (!annual) fail(number + 2, "Invalid Annual ", quantity, " range for ", where, ".");
  c.dblAnnual = *annual;
  return c;
}

udtNeighborhood readNeighborhood(Reader& in, const std::string& country, const std::string& city, int m) {
  udtNeighborhood n;
  n.strName = in.text();
  if (n.strName.empty()) fail(8, "Neighborhood name missing for ", country, ", ", city, " neighborhood (", m, ").");
  const NeighborhoodName where{country, city, n.strName};
  auto latitude = in.number("Double", -90, 90);
  if (!latitude) fail(9, "Invalid Latitude for ", where, ".");
  n.dblLatitude = *latitude;
  auto longitude = in.number("Double", -180, 180, false);
  if (!longitude) fail(10, "Invalid Longitude for ", where, ".");
  n.dblLongitude = *longitude;
  auto height = in.number("Double", -1000, 100000);
  if (!height) fail(11, "Invalid Height above sea-level for ", where, ".");
  n.dblHeight = *height;
  n.udtTemperature = readClimate(in, -162, 70, 12, where, "Temperature", "Temperature");
  n.udtPressure = readClimate(in, 0, 1150, 15, where, "Pressure", "Pressure");
  n.udtHumidity = readClimate(in, 0, 100, 18, where, "Humidity", "Humidity");
  return n;
}

udtTZHistory readEpoch(Reader& in, const std::string& country, int j) {
  udtTZHistory epoch;
  std::string last = in.token();
  if (last == "FALSE") {
    epoch.blnLast = false;
  } else {
    auto value = parseNumber(last);
    if (!value || !(std::fabs(*value) <= kMaxInstant))
      fail(4, "Invalid last applicable date for time zone for ", country, " epoch ", j, ".");
    epoch.blnLast = true;
    epoch.dblLastDate = *value;
  }
  auto zone = in.number("Double", -14, 14);
  if (!zone) fail(5, "Invalid Time Zone for ", country, " epoch ", j, ".");
  epoch.dblTZ = *zone;
  std::string dst = in.token();
  if (dst == "TRUE") {
    epoch.blnDST = true;
  } else if (dst == "FALSE") {
    epoch.blnDST = false;
  } else {
    fail(5, "DST must be boolean for ", country, " epoch ", j, ".");
  }
  if (epoch.blnDST) {
    if (!GetNTZ(in.session(), in.file(), epoch.udtDSTStart) || !GetNTZ(in.session(), in.file(), epoch.udtDSTEnd))
      throw AppError(locationFileErrorCode(5), kRuleSource, "Error reading time zone.");
  }
  return epoch;
}

udtCountry readCountry(Reader& in, int i) {
  udtCountry c;
  c.strName = in.text();
  if (c.strName.empty()) fail(2, "Country/State name (", i, ") missing.");
  auto nTZ = in.number("Long", 1, kMaxCount);
  if (!nTZ) fail(3, "Invalid number of time zone histories for ", c.strName, ".");
  c.intNTZ = static_cast<int16_t>(*nTZ);
  c.udtTZ.reserve(c.intNTZ);
  for (int j = 0; j < c.intNTZ; ++j) c.udtTZ.push_back(readEpoch(in, c.strName, j));

  auto nCities = in.number("Long", 1, kMaxCount);
  if (!nCities) fail(6, "Invalid Number of cities for ", c.strName, ".");
  c.intNCities = static_cast<int16_t>(*nCities);
  c.udtCities.reserve(c.intNCities);
  for (int k = 0; k < c.intNCities; ++k) {
    udtCity city;
    city.strName = in.text();
    if (city.strName.empty()) fail(7, "Town/City name missing for ", c.strName, " city (", k, ").");
    auto nNeighborhoods = in.number("Long", 1, kMaxCount);
    if (!nNeighborhoods) fail(7, "Invalid Number of neighborhoods for ", c.strName, " city (", k, ").");
    city.intNNeighborhoods = static_cast<int16_t>(*nNeighborhoods);
    city.udtNeighborhoods.reserve(city.intNNeighborhoods);
    for (int m = 0; m < city.intNNeighborhoods; ++m)
      city.udtNeighborhoods.push_back(readNeighborhood(in, c.strName, city.strName, m));
    c.udtCities.push_back(std::move(city));
  }
  return c;
}

// The database of the file, read once per process.
std::shared_ptr<const LocationData> sharedData(Session& session, const std::filesystem::path& path) {
  return sharedLoad<LocationData>(path, [&] {
    ValueReader file = ValueReader::open(path);
    if (!file.good()) throw AppError(errFileNotFound, std::string(), "File not found");
    return readLocationData(session, file);
  });
}

}  // namespace

bool GetNTZ(Session& session, ValueReader& file, udtDSTRule& rule) {
  try {
    Reader in(session, file);
    auto item = [&](double min, double max, const char* description) {
      auto value = in.number("Long", min, max);
      if (!value) raiseFrom(kRuleSource, description);
      return static_cast<int16_t>(*value);
    };
    udtDSTRule r;
    r.intHour = item(0, 23, "Invalid DST changeover hour ");
    r.intDayOfWeek = item(0, 6, "Invalid DST changeover day of week");
    r.intWeekNo = item(0, 5, "Invalid DST changeover week");
    r.intDateOfMonth = item(0, 31, "Invalid DST date of month");
    r.intMonth = item(1, 12, "Invalid DST month");
    bool shortMonth = r.intMonth == 2 || r.intMonth == 4 || r.intMonth == 6 || r.intMonth == 9 || r.intMonth == 11;
    if ((r.intDateOfMonth == 31 && shortMonth) || (r.intDateOfMonth == 30 && r.intMonth == 2))
      raiseFrom(kRuleSource, "Invalid DST date of month");
    std::string type = in.text();
    if (type == "Gregorian") {
      r.enmDateType = dtGregorian;
    } else if (type == "Hebrew") {
      r.enmDateType = dtHebrew;
    } else {
      raiseFrom(kRuleSource, "Invalid DST date type");
    }
    rule = r;
    return true;
  } catch (AppError& e) {
    if (e.code != errValidation) throw;
    session.showMessage(concat(errorText(e), kLineBreak, "Data from last saved location corrupted or missing."));
    return false;
  }
}

LocationData readLocationData(Session& session, ValueReader& file) {
  Reader in(session, file);
  LocationData data;
  auto n = in.number("Long", 0, kMaxCount);
  if (!n) fail(1, "Invalid number of countries");
  data.intNCountries = static_cast<int16_t>(*n);
  data.udtCountries.reserve(data.intNCountries);
  for (int i = 0; i < data.intNCountries; ++i) data.udtCountries.push_back(readCountry(in, i));
  return data;
}

void clsLocationData::GetLocationData() { GetLocationData(session().dataFile("Locations.txt")); }

void clsLocationData::GetLocationData(const std::filesystem::path& path) {
  try {
    data_ = sharedData(session(), path);
  } catch (AppError& e) {
    if (e.code >= locationFileErrorCode(1) && e.code <= locationFileErrorCode(20)) {
      session().endProgram(concat("Errot in GetLocationData ", e.description, kLineBreak, "Sorry must exit"));
    }
    if (e.code == errFileNotFound) {
      session().endProgram(concat("Error in GetLocationData ", e.description, kLineBreak,
                                  "File containing data missing. Sorry cannot continue"));
    }
    throw;
  }
}

const std::vector<udtCountry>& clsLocationData::udtCountries() const {
  static const std::vector<udtCountry> kNone;
  return data_ ? data_->udtCountries : kNone;
}

int clsLocationData::findCountry(std::string_view name) const {
  const auto& countries = udtCountries();
  for (size_t i = 0; i < countries.size(); ++i)
    if (countries[i].strName == name) return static_cast<int>(i);
  return -1;
}

int clsLocationData::findCity(const udtCountry& country, std::string_view name) {
  for (size_t k = 0; k < country.udtCities.size(); ++k)
    if (country.udtCities[k].strName == name) return static_cast<int>(k);
  return -1;
}

int clsLocationData::findNeighborhood(const udtCity& city, std::string_view name) {
  for (size_t m = 0; m < city.udtNeighborhoods.size(); ++m)
    if (city.udtNeighborhoods[m].strName == name) return static_cast<int>(m);
  return -1;
}

}  // namespace nemora
