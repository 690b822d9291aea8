#include "sightings/sighting_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>

#include "app/main_module.h"
#include "base/text.h"
#include "app/session.h"
#include "calendar/gregorian.h"

namespace nemora {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Splits one CSV line; a field may be quoted, with "" standing for a quote
// inside it. False when a quote is left open.
bool splitFields(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  std::string field;
  bool quoted = false, wasQuoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && trim(field).empty()) {
      quoted = wasQuoted = true;
      field.clear();
    } else if (c == ',') {
      fields.push_back(wasQuoted ? field : std::string(trim(field)));
      field.clear();
      wasQuoted = false;
    } else {
      if (!(wasQuoted && std::isspace(static_cast<unsigned char>(c)))) field += c;
    }
  }
  fields.push_back(wasQuoted ? field : std::string(trim(field)));
  return !quoted;
}

std::optional<int> wholeNumber(std::string_view s) {
  int v = 0;
  if (s.empty()) return std::nullopt;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<double> number(std::string_view s) {
  std::optional<double> v = parseNumber(trim(s));
  if (v && !std::isfinite(*v)) return std::nullopt;
  return v;
}

// The column roles the reader knows.
enum Column { cDate, cTime, cTZ, cLat, cLon, cHeight, cPlace, cBody, cEvening, cSeen, cMethod, cClouds, cSource, cCount };
constexpr std::array<const char*, cCount> kColumnNames{"date",  "time", "tz",      "lat",  "lon",    "height", "place",
                                                       "body",  "evening", "seen", "method", "clouds", "source"};

constexpr std::array<const char*, 6> kBodies{"Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"};
constexpr std::array<const char*, 5> kMethods{"eye", "binoculars", "telescope", "camera", "optical"};

struct RowError {
  std::string text;
};
[[noreturn]] void bad(const std::string& text) { throw RowError{text}; }

}  // namespace

const char* methodName(ObservingMethod m) { return kMethods[static_cast<size_t>(m)]; }

std::string SightingsFile::extra(const udtSighting& r, const std::string& column) const {
  for (size_t i = 0; i < extraColumns.size() && i < r.extra.size(); ++i)
    if (extraColumns[i] == column) return r.extra[i];
  return {};
}

SightingsFile ReadSightings(Session& session, std::istream& in, const std::string& strName) {
  SightingsFile file;
  file.strName = strName;
  std::array<int, cCount> at;
  at.fill(-1);
  std::vector<int> extraAt;
  size_t columns = 0;
  bool header = false;
  std::string line;
  std::vector<std::string> fields;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    std::string_view text = trim(line);
    if (text.empty() || text.front() == '#') continue;
    bool closed = splitFields(text, fields);

    if (!header) {
      if (!closed) {
        file.strError = concat("Line ", lineNo, ": unclosed quote in the header row");
        return file;
      }
      header = true;
      columns = fields.size();
      for (size_t i = 0; i < fields.size(); ++i) {
        std::string name = lower(fields[i]);
        auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
        if (known != kColumnNames.end()) {
          int& slot = at[static_cast<size_t>(known - kColumnNames.begin())];
          if (slot >= 0) {
            file.strError = concat("Line ", lineNo, ": column ", name, " is named twice");
            return file;
          }
          slot = static_cast<int>(i);
        } else {
          if (std::find(file.extraColumns.begin(), file.extraColumns.end(), fields[i]) != file.extraColumns.end()) {
            file.strError = concat("Line ", lineNo, ": column ", fields[i], " is named twice");
            return file;
          }
          file.extraColumns.push_back(fields[i]);
          extraAt.push_back(static_cast<int>(i));
        }
      }
      std::string missing;
      if (at[cDate] < 0) missing = "date";
      else if (at[cSeen] < 0) missing = "seen";
      else if (at[cPlace] < 0 && (at[cLat] < 0 || at[cLon] < 0)) missing = "lat and lon, or place";
      if (!missing.empty()) {
        file.strError = concat("Line ", lineNo, ": the header has no column ", missing);
        return file;
      }
      continue;
    }

    try {
      if (!closed) bad("unclosed quote");
      if (fields.size() != columns)
        bad(concat(fields.size(), " fields where the header has ", columns, " columns"));
      auto field = [&](Column c) -> std::string { return at[c] < 0 ? std::string() : fields[at[c]]; };
      udtSighting r;
      r.lngLine = lineNo;

      // The date: YYYY-MM-DD, or day/month/year.
      r.strDate = field(cDate);
      int y = 0, m = 0, d = 0;
      bool dateOk = false;
      const std::string& ds = r.strDate;
      if (ds.find('/') != std::string::npos) {
        udtDate kept = session.udtDateIn;
        bool ok = false;
        session.dateText.ParseDMY(ds, ok);
        if (ok) {
          y = session.udtDateIn.intYear;
          m = session.udtDateIn.intMonth;
          d = session.udtDateIn.intDateOfMonth;
          dateOk = true;
        }
        session.udtDateIn = kept;
      } else {
        size_t first = ds.find('-', 1), second = first == std::string::npos ? first : ds.find('-', first + 1);
        if (second != std::string::npos) {
          auto yy = wholeNumber(std::string_view(ds).substr(0, first));
          auto mm = wholeNumber(std::string_view(ds).substr(first + 1, second - first - 1));
          auto dd = wholeNumber(std::string_view(ds).substr(second + 1));
          if (yy && mm && dd) {
            y = *yy;
            m = *mm;
            d = *dd;
            dateOk = true;
          }
        }
      }
      // Years 1 to 9999 of the Gregorian calendar, a real day of the month.
      if (!dateOk || y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > gregorianMonthLength(m, y))
        bad(concat("date not understood: ", ds));
      bool ok = true;
      r.lngFix = session.gregorian.gregorian_fixed(
          calendarDate(dtGregorian, static_cast<int16_t>(y), static_cast<int16_t>(m), static_cast<int16_t>(d)), ok);
      if (!ok) bad(concat("date not understood: ", ds));
      r.lngYear = y;

      if (std::string t = field(cTime); !t.empty()) {
        udtTime time;
        if (!session.timeText.ParseHM(t, time)) bad(concat("time not understood: ", t));
        r.blnHasTime = true;
        r.dblClock = time.udtDms.intDegreesHours + time.udtDms.intMinutes / 60.0 + time.udtDms.dblSeconds / 3600;
      }
      if (std::string t = field(cTZ); !t.empty()) {
        auto v = number(t);
        if (!v || !(*v >= -14 && *v <= 14)) bad(concat("tz must be hours east of UT from -14 to 14: ", t));
        r.blnHasTZ = true;
        r.dblTZ = *v;
      }

      // The place: by name, or by latitude and longitude.
      r.strPlace = field(cPlace);
      udtLocation& loc = r.location;
      if (!r.strPlace.empty()) {
        const std::string& p = r.strPlace;
        size_t a = p.find('/'), b = a == std::string::npos ? a : p.find('/', a + 1);
        if (b == std::string::npos || p.find('/', b + 1) != std::string::npos)
          bad(concat("place must be Country/City/Neighbourhood: ", p));
        std::string country = p.substr(0, a), city = p.substr(a + 1, b - a - 1), hood = p.substr(b + 1);
        if (!session.locations.loaded()) session.locations.GetLocationData();
        const clsLocationData& data = session.locations;
        int ci = data.findCountry(country);
        int ti = ci < 0 ? -1 : clsLocationData::findCity(data.udtCountries()[ci], city);
        int ni = ti < 0 ? -1 : clsLocationData::findNeighborhood(data.udtCountries()[ci].udtCities[ti], hood);
        if (ni < 0) bad(concat("place not in the location database: ", p));
        loc = session.udtLocation;
        if (!session.currentLocation.GetPositionFromName(loc, country, city, hood, true))
          bad(concat("place not in the location database: ", p));
        if (r.blnHasTZ) {
          // A zone given in the file stands for the zone history.
          loc.blnAutoTZ = false;
          loc.blnDST = false;
          loc.dblTZ = r.dblTZ;
        }
      } else {
        std::string la = field(cLat), lo = field(cLon), h = field(cHeight);
        if (la.empty() && lo.empty()) bad("no position: give lat and lon, or place");
        auto lat = number(la), lon = number(lo);
        if (!lat || !(*lat >= -90 && *lat <= 90)) bad(concat("lat must be degrees from -90 to 90: ", la));
        if (!lon || !(*lon >= -180 && *lon <= 180)) bad(concat("lon must be degrees from -180 to 180: ", lo));
        double height = 0;
        if (!h.empty()) {
          auto v = number(h);
          if (!v || !(*v >= -1000 && *v <= 100000)) bad(concat("height must be metres from -1000 to 100000: ", h));
          height = *v;
        }
        loc = udtLocation{};
        loc.dblLatitude = *lat;
        // The location's longitude runs above -180 up to 180.
        loc.dblLongitude = *lon == -180 ? 180 : *lon;
        loc.dblHeight = height;
        loc.blnAutoTZ = false;
        loc.blnDST = false;
        loc.intNTZ = 0;
        loc.udtTZ.clear();
        loc.dblTZ = r.blnHasTZ ? r.dblTZ : std::clamp(std::round(loc.dblLongitude / 15), -12.0, 12.0);
      }

      if (std::string t = field(cBody); !t.empty()) {
        auto it = std::find_if(kBodies.begin(), kBodies.end(), [&](const char* n) { return lower(n) == lower(t); });
        if (it == kBodies.end()) bad(concat("body must be Moon, Mercury, Venus, Mars, Jupiter or Saturn: ", t));
        r.strBody = *it;
      }
      if (std::string t = field(cEvening); !t.empty()) {
        std::string v = lower(t);
        if (v != "true" && v != "false") bad(concat("evening must be true or false: ", t));
        r.blnEvening = v == "true";
      }
      {
        std::string t = field(cSeen), v = lower(t);
        if (v != "yes" && v != "no") bad(concat("seen must be yes or no: ", t));
        r.blnSeen = v == "yes";
      }
      if (std::string t = field(cMethod); !t.empty()) {
        auto it = std::find(kMethods.begin(), kMethods.end(), lower(t));
        if (it == kMethods.end()) bad(concat("method must be eye, binoculars, telescope, camera or optical: ", t));
        r.method = static_cast<ObservingMethod>(it - kMethods.begin());
      }
      if (std::string t = field(cClouds); !t.empty()) {
        auto v = number(t);
        if (!v || !(*v >= 0 && *v <= 1)) bad(concat("clouds must be a number from 0 (clear) to 1 (overcast): ", t));
        r.blnHasClouds = true;
        r.dblClouds = *v;
      }
      r.strSource = field(cSource);
      for (int i : extraAt) r.extra.push_back(fields[static_cast<size_t>(i)]);
      file.records.push_back(std::move(r));
    } catch (const RowError& e) {
      file.problems.push_back(concat("Line ", lineNo, ": ", e.text));
    }
  }
  if (!header) file.strError = "The file has no header row";
  return file;
}

SightingsFile ReadSightingsFile(Session& session, const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SightingsFile file;
    file.strName = path.filename().string();
    file.strError = concat("Cannot open ", path.string());
    return file;
  }
  return ReadSightings(session, in, path.filename().string());
}

}  // namespace nemora
