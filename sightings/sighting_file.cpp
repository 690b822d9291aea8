#include "sightings/sighting_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/main_module.h"
#include "base/text.h"
#include "base/session.h"
#include "location/current_location.h"
#include "location/location_data.h"
#include "timescale/date_text.h"
#include "timescale/time_text.h"
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

namespace {

// Letters in lower case, as names are compared without regard to case.
bool sameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

template <class Entries>
int findFolded(const Entries& entries, std::string_view name) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (sameFolded(entries[i].strName, name)) return static_cast<int>(i);
  return -1;
}

// A text as a message may show it: control bytes (NUL, ESC, ...) as "?".
std::string shown(std::string text) {
  for (char& c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) c = '?';
  return text;
}

enum class LineRead { Line, TooLong, End };

// Reads one line that ends in LF, CR LF or CR alone (or at the end of the
// text), keeping at most kMaxSightingsLine bytes of it; the rest of a longer
// line is skipped when skipRest is set, else left unread.
LineRead readLine(std::streambuf& in, std::string& line, bool skipRest, size_t& bytes) {
  line.clear();
  bool any = false;
  for (;;) {
    const int c = in.sbumpc();
    if (c == std::char_traits<char>::eof()) return any ? LineRead::Line : LineRead::End;
    ++bytes;
    any = true;
    if (c == '\n') return LineRead::Line;
    if (c == '\r') {
      if (in.sgetc() == '\n') {
        in.sbumpc();
        ++bytes;
      }
      return LineRead::Line;
    }
    if (line.size() >= kMaxSightingsLine) {
      if (!skipRest) return LineRead::TooLong;
      for (int d = in.sbumpc(); d != std::char_traits<char>::eof() && d != '\n' && d != '\r'; d = in.sbumpc())
        ++bytes;
      return LineRead::TooLong;
    }
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace

SightingsFile ReadSightings(Session& session, std::istream& in, const std::string& strName,
                            const std::function<void(double)>& progress, double totalBytes) {
  SightingsFile file;
  file.strName = strName;
  std::array<int, cCount> at;
  at.fill(-1);
  std::vector<int> extraAt;
  size_t columns = 0;
  bool header = false;
  std::string line;
  std::vector<std::string> fields;
  // The places named in the file, each read once and shared by its records
  // (a named place carries its whole zone history); nullptr: not found.
  std::unordered_map<std::string, std::shared_ptr<const udtLocation>> places, byDatabaseName;
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) {
    file.strError = "The file has no header row";
    return file;
  }
  size_t bytes = 0;
  int shownPercent = -1;
  for (int lineNo = 1;; ++lineNo) {
    const LineRead got = readLine(*buffer, line, header, bytes);
    if (got == LineRead::End) break;
    if (progress && totalBytes > 0) {
      const int percent = static_cast<int>(std::min(1.0, static_cast<double>(bytes) / totalBytes) * 100);
      if (percent != shownPercent) progress(percent / 100.0);
      shownPercent = percent;
    }
    if (lineNo == 1 && (line.rfind("\xFF\xFE", 0) == 0 || line.rfind("\xFE\xFF", 0) == 0)) {
      file.strError = "The file is UTF-16 text: save it as UTF-8";
      return file;
    }
    if (got == LineRead::TooLong) {
      if (!header) {
        file.strError = concat("Line ", lineNo, ": longer than ", kMaxSightingsLine,
                               " bytes before the header row: not a sightings file");
        return file;
      }
      file.problems.push_back(concat("Line ", lineNo, ": longer than ", kMaxSightingsLine, " bytes"));
      continue;
    }
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.find('\0') != std::string::npos) {
      if (!header) {
        file.strError = concat("Line ", lineNo, ": NUL bytes before the header row: the file is not text");
        return file;
      }
      file.problems.push_back(concat("Line ", lineNo, ": NUL bytes: the line is not text"));
      continue;
    }
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
      std::unordered_set<std::string> extraNames;
      for (size_t i = 0; i < fields.size(); ++i) {
        std::string name = lower(fields[i]);
        auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
        if (known != kColumnNames.end()) {
          int& slot = at[static_cast<size_t>(known - kColumnNames.begin())];
          if (slot >= 0) {
            file.strError = concat("Line ", lineNo, ": column ", shown(name), " is named twice");
            return file;
          }
          slot = static_cast<int>(i);
        } else {
          if (!extraNames.insert(fields[i]).second) {
            file.strError = concat("Line ", lineNo, ": column ", shown(fields[i]), " is named twice");
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
      if (!r.strPlace.empty()) {
        const std::string& p = r.strPlace;
        size_t a = p.find('/'), b = a == std::string::npos ? a : p.find('/', a + 1);
        if (b == std::string::npos || p.find('/', b + 1) != std::string::npos)
          bad(concat("place must be Country/City/Neighbourhood: ", p));
        // A zone given in the file stands for the zone history.
        const std::string key = r.blnHasTZ ? concat(p, "\n", r.dblTZ) : p;
        auto [found, isNew] = places.try_emplace(key);
        if (isNew) {
          std::string country = p.substr(0, a), city = p.substr(a + 1, b - a - 1), hood = p.substr(b + 1);
          if (!session.locations.loaded()) session.locations.GetLocationData();
          const clsLocationData& data = session.locations;
          const auto& countries = data.udtCountries();
          int ci = findFolded(countries, country);
          const udtCountry* c = ci < 0 ? nullptr : &countries[static_cast<size_t>(ci)];
          int ti = c == nullptr ? -1 : findFolded(c->udtCities, city);
          const udtCity* t = ti < 0 ? nullptr : &c->udtCities[static_cast<size_t>(ti)];
          int ni = t == nullptr ? -1 : findFolded(t->udtNeighborhoods, hood);
          if (ni >= 0) {
            // Spellings that differ in case share the database's record.
            const std::string& name = t->udtNeighborhoods[static_cast<size_t>(ni)].strName;
            const std::string canonical = concat(c->strName, "/", t->strName, "/", name, "\n", key.substr(p.size()));
            auto [same, isNewPlace] = byDatabaseName.try_emplace(canonical);
            udtLocation loc = session.udtLocation;
            if (!isNewPlace) {
              found->second = same->second;
            } else if (session.currentLocation.GetPositionFromName(loc, c->strName, t->strName, name, true)) {
              if (r.blnHasTZ) {
                loc.blnAutoTZ = false;
                loc.blnDST = false;
                loc.dblTZ = r.dblTZ;
              }
              same->second = found->second = std::make_shared<const udtLocation>(std::move(loc));
            }
          }
        }
        if (found->second == nullptr) bad(concat("place not in the location database: ", p));
        r.place = found->second;
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
        udtLocation loc;
        loc.dblLatitude = *lat;
        // The location's longitude runs above -180 up to 180.
        loc.dblLongitude = *lon == -180 ? 180 : *lon;
        loc.dblHeight = height;
        loc.blnAutoTZ = false;
        loc.blnDST = false;
        loc.intNTZ = 0;
        loc.udtTZ.clear();
        loc.dblTZ = r.blnHasTZ ? r.dblTZ : std::clamp(std::round(loc.dblLongitude / 15), -12.0, 12.0);
        r.place = std::make_shared<const udtLocation>(std::move(loc));
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
      file.problems.push_back(concat("Line ", lineNo, ": ", shown(e.text)));
    }
  }
  if (!header) file.strError = "The file has no header row";
  return file;
}

SightingsFile ReadSightingsFile(Session& session, const std::filesystem::path& path,
                                const std::function<void(double)>& progress) {
  SightingsFile file;
  file.strName = path.filename().string();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    file.strError = concat("Cannot open ", path.string(), ": ", std::strerror(EISDIR));
    return file;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    file.strError = concat("Cannot open ", path.string());
    return file;
  }
  const auto size = std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
  return ReadSightings(session, in, file.strName, progress, ec ? 0 : static_cast<double>(size));
}

}  // namespace nemora
