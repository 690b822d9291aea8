#include "ephemeris/hbody_data.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "app/session.h"

namespace nemora {

namespace {

constexpr const char* kSource = "cHBody.ReadHBody";

// Run-time error numbers of a file that cannot be opened and of a count that
// passes the 16-bit range; neither is a validation error, so they pass to the
// caller unless ReadHBody handles them itself.
constexpr int32_t errFileNotFound = 53;
constexpr int32_t errOverflow = 6;

constexpr int kMaxCount = 32767;

// Every data defect ends the program with this description.
[[noreturn]] void fail(const std::string& text) {
  throw AppError(errValidation, kSource, concat(text, kLineBreak, "Sorry cannot continue."));
}

ValueReader openData(Session& session, const std::string& fileName) {
  ValueReader file = ValueReader::open(session.dataFile(fileName));
  if (!file.good()) throw AppError(errFileNotFound, kSource, "File not found");
  return file;
}

// A value of the given type and bounds, or nothing.
std::optional<double> readNumber(Session& session, ValueReader& file, std::string_view marker,
                                 std::string_view type, double min, double max, bool minAllowed,
                                 bool maxAllowed) {
  auto item = session.main.GetValue(file, marker, type, min, max, minAllowed, maxAllowed);
  return item ? parseNumber(*item) : std::nullopt;
}

// Reads one table of Moon terms: a heading item, then the rows.
template <size_t Columns>
void readMoonTable(Session& session, const std::string& fileName, std::string_view what,
                   std::array<std::array<int32_t, Columns>, 60>& table) {
  ValueReader file = openData(session, fileName);
  session.main.ReadItem(file, "~", false);  // the heading, discarded
  for (size_t row = 0; row < table.size(); ++row) {
    for (size_t col = 0; col < Columns; ++col) {
      auto value = readNumber(session, file, "~", "Long", -100000000, 100000000, true, true);
      if (!value) fail(concat("Invalid or missing data for Moon ", what, " component", col, ", ", row));
      table[row][col] = static_cast<int32_t>(*value);
    }
  }
}

void readMoon(Session& session, MoonLongTable& lngMoonLong, MoonLatTable& lngMoonLat) {
  readMoonTable(session, "MoonLong.txt", "longitude and distance", lngMoonLong);
  readMoonTable(session, "Moonlat.txt", "latitude and distance", lngMoonLat);
}

// The power of a label such as "L3": a whole number from 0 up.
std::optional<int> labelPower(const std::string& item) {
  auto p = parseNumber(std::string_view(item).substr(1));
  if (!p || *p != std::floor(*p) || *p < 0 || *p > kMaxCount) return std::nullopt;
  return static_cast<int>(*p);
}

bool sameLabel(const std::string& item, char letter, int power) {
  if (item.empty() || item[0] != letter) return false;
  auto p = parseNumber(std::string_view(item).substr(1));
  return p && *p == power;
}

udtPlanetSeries readPlanet(Session& session, const std::string& name) {
  ValueReader file = openData(session, name + ".txt");
  auto nextLabel = [&] { return session.main.GetValue(file, "#", "String", 0, 0, false, false).value_or(""); };
  udtPlanetSeries series;
  std::string item = nextLabel();
  for (char letter : {'L', 'B', 'R'}) {
    std::vector<udtSeriesTerms>& terms = letter == 'L' ? series.L : letter == 'B' ? series.B : series.R;
    int16_t& maxPower = letter == 'L' ? series.intLMax : letter == 'B' ? series.intBMax : series.intRMax;
    const double maxAmplitude = letter == 'L' ? 3000000000000.0 : 1000000000.0;
    int previous = -1;
    while (!item.empty() && item[0] == letter) {
      // The powers of a series must rise: a power met again would overwrite
      // the terms already read for it.
      std::optional<int> power = labelPower(item);
      if (!power || *power <= previous)
        fail(concat("Invalid power coefficient for ", letter, " in the data for ", name));
      const int p = previous = *power;
      if (terms.size() < static_cast<size_t>(p) + 1) terms.resize(p + 1);
      maxPower = static_cast<int16_t>(p);
      udtSeriesTerms& t = terms[p];
      int n = 0;
      while (sameLabel(item, letter, p)) {
        if (++n > kMaxCount) throw AppError(errOverflow, kSource, "Overflow");
        const std::string where = concat(letter, " factor ", p, " component ", n, " in the data for ", name);
        auto ordinal = readNumber(session, file, "#", "Long", -2147483648.0, 2147483647.0, true, true);
        if (!ordinal || *ordinal != n) fail("Invalid ordinal coefficient for " + where);
        auto a = readNumber(session, file, "#", "Long", 0, maxAmplitude, true, true);
        if (!a) fail("Invalid amplitude coefficient for " + where);
        auto b = readNumber(session, file, "#", "Double", 0, 6.284, true, true);
        if (!b) fail("Invalid phase coefficient for " + where);
        auto c = readNumber(session, file, "#", "Double", 0, 300000, true, true);
        if (!c) fail("Invalid frequency coefficient for " + where);
        t.dblA.push_back(*a);
        t.dblB.push_back(*b);
        t.dblC.push_back(*c);
        item = nextLabel();
      }
      t.intCount = static_cast<int16_t>(n);
    }
  }
  return series;
}

std::vector<udtStar> readStars(Session& session) {
  ValueReader file = openData(session, "Stars.txt");
  std::vector<udtStar> stars;
  while (!file.atEnd()) {
    udtStar star;
    star.strName = session.main.GetValue(file, "#", "String", 0, 0, false, false).value_or("");
    // Only blank lines or comments after the last star: the catalogue ends.
    if (star.strName.empty() && file.atEnd()) break;
    if (stars.size() >= static_cast<size_t>(kMaxCount)) throw AppError(errOverflow, kSource, "Overflow");
    struct Field {
      double* value;
      double min, max;
      bool minAllowed, maxAllowed;
      const char* what;
    };
    const Field fields[] = {
        {&star.dblRA, 0, 360, true, false, "right ascension"},
        {&star.dblDecl, -90, 90, true, true, "declination"},
        {&star.dblDistance, 0, 10000000000.0, false, false, "distance"},
        {&star.dblDRA, -15, 15, false, false, "change in right ascension"},
        {&star.dblDDecl, -15, 15, false, false, "change in declination"},
        {&star.dblDDistance, -300000, 300000, true, false, "change in distance"},
        {&star.dblMagnitude, -1.5, 30, true, false, "magnitude"},
        {&star.dblDiameter, 0, 10000000000.0, false, false, "diameter"},
    };
    for (const Field& f : fields) {
      auto v = readNumber(session, file, "#", "Double", f.min, f.max, f.minAllowed, f.maxAllowed);
      if (!v) fail(concat("Invalid star ", f.what, " for ", star.strName));
      *f.value = *v;
    }
    stars.push_back(std::move(star));
  }
  return stars;
}

// The process-wide copies of the loaded files, keyed by the path of the
// (first) file. A copy never changes once stored; a failed load stores
// nothing.
template <class T, class Load>
std::shared_ptr<const T> sharedLoad(const std::filesystem::path& path, Load&& load) {
  static std::mutex mutex;
  static std::map<std::filesystem::path, std::shared_ptr<const T>> cache;
  std::error_code ec;
  std::filesystem::path key = std::filesystem::absolute(path, ec).lexically_normal();
  if (ec) key = path;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  auto loaded = std::make_shared<const T>(load());
  cache.emplace(key, loaded);
  return loaded;
}

}  // namespace

int StarCatalogue::StarIndex(std::string_view strName) const {
  for (size_t i = 0; i < stars.size(); ++i)
    if (stars[i].strName == strName) return static_cast<int>(i);
  return -1;
}

bool HBodyLoader::isFixedBodyName(std::string_view strName) {
  for (std::string_view n : {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"})
    if (strName == n) return true;
  return false;
}

bool HBodyLoader::isPlanetFileName(std::string_view strName) {
  for (std::string_view n : {"Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn"})
    if (strName == n) return true;
  return false;
}

void HBodyLoader::ReadHBody(const std::string& strName, udtPlanetSeries& udtSeries, MoonLongTable& lngMoonLong,
                            MoonLatTable& lngMoonLat, std::vector<udtStar>& udtStars, int16_t& intNStars) {
  bool ok = true;
  try {
    guardedVoid(
        ok, kSource,
        [&] {
          if (strName == "Moon") {
            // Filled only when both files are sound.
            MoonTables tables;
            readMoon(session(), tables.lngMoonLong, tables.lngMoonLat);
            lngMoonLong = tables.lngMoonLong;
            lngMoonLat = tables.lngMoonLat;
          } else if (isPlanetFileName(strName)) {
            udtSeries = readPlanet(session(), strName);
          } else if (strName == "Star") {
            udtStars = readStars(session());
            intNStars = static_cast<int16_t>(udtStars.size());
          } else {
            fail("Invalid object name");
          }
        },
        endsProgram());
  } catch (AppError& e) {
    if (e.code != errFileNotFound) throw;
    session().endProgram(concat("Error in ", kSource, " ", e.description, kLineBreak,
                                "File containing data missing. Sorry cannot continue"));
  }
}

std::shared_ptr<const udtPlanetSeries> HBodyLoader::PlanetSeries(const std::string& strName) {
  if (!isPlanetFileName(strName)) {
    // Reports the invalid name the same way the reader does.
    udtPlanetSeries unused;
    MoonLongTable l{};
    MoonLatTable b{};
    std::vector<udtStar> s;
    int16_t n = 0;
    ReadHBody(strName, unused, l, b, s, n);
  }
  return sharedLoad<udtPlanetSeries>(session().dataFile(strName + ".txt"), [&] {
    udtPlanetSeries series;
    MoonLongTable l{};
    MoonLatTable b{};
    std::vector<udtStar> s;
    int16_t n = 0;
    ReadHBody(strName, series, l, b, s, n);
    return series;
  });
}

std::shared_ptr<const MoonTables> HBodyLoader::Moon() {
  return sharedLoad<MoonTables>(session().dataFile("MoonLong.txt"), [&] {
    MoonTables tables;
    udtPlanetSeries p;
    std::vector<udtStar> s;
    int16_t n = 0;
    ReadHBody("Moon", p, tables.lngMoonLong, tables.lngMoonLat, s, n);
    return tables;
  });
}

std::shared_ptr<const StarCatalogue> HBodyLoader::Stars() {
  return sharedLoad<StarCatalogue>(session().dataFile("Stars.txt"), [&] {
    StarCatalogue catalogue;
    udtPlanetSeries p;
    MoonLongTable l{};
    MoonLatTable b{};
    ReadHBody("Star", p, l, b, catalogue.stars, catalogue.intNStars);
    return catalogue;
  });
}

bool HBodyLoader::IsObjectName(const std::string& strName) {
  std::shared_ptr<const StarCatalogue> catalogue = Stars();
  if (isFixedBodyName(strName)) return true;
  return catalogue->StarIndex(strName) >= 0;
}

}  // namespace nemora
