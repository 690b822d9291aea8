#include "ephemeris/hbody_data.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "base/session.h"
#include "base/shared_load.h"

namespace nemora {

namespace {

constexpr const char* kSource = "cHBody.ReadHBody";

// A count that passes the 16-bit range raises errOverflow, which is no
// validation error and so passes to the caller; a file that cannot be found
// or read ends the program.

constexpr int kMaxCount = 32767;

// The Moon's argument multipliers: M counts powers of the eccentricity factor
// E, which the position routine has up to E squared; D, M' and F are small
// whole multiples in any published table of terms.
constexpr double kMaxMultipleOfM = 2;
constexpr double kMaxMultiple = 10;

// Every data defect ends the program with this description; `where` names
// the file and the line.
[[noreturn]] void fail(const std::string& text) {
  throw AppError(errValidation, kSource, concat(text, kLineBreak, "Sorry cannot continue."));
}
[[noreturn]] void fail(const std::string& text, std::string_view fileName, int line) {
  throw AppError(errValidation, kSource,
                 concat(text, " (", fileLine(fileName, line), ")", kLineBreak, "Sorry cannot continue."));
}
[[noreturn]] void fail(const std::string& text, const ValueReader& file, std::string_view fileName) {
  fail(text, fileName, file.line());
}

// A file that cannot be read carries its code (53 when it is missing) and a
// description that names it.
ValueReader openData(Session& session, const std::string& fileName) {
  ValueReader file = ValueReader::open(session.dataFile(fileName));
  if (!file.good()) {
    FileReadFailure failure = fileReadFailure(file.systemError(), fileName);
    throw AppError(failure.code, kSource, failure.description);
  }
  return file;
}

// A value of the given type and bounds, or nothing.
std::optional<double> readNumber(Session& session, ValueReader& file, std::string_view marker,
                                 std::string_view type, double min, double max, bool minAllowed,
                                 bool maxAllowed) {
  return session.main.GetNumber(file, marker, type, min, max, minAllowed, maxAllowed);
}

// Reads one table of Moon terms: a heading item, then the rows, then nothing
// but comments. Columns 0 to 3 are argument multipliers and must be small.
template <size_t Columns>
void readMoonTable(Session& session, const std::string& fileName, std::string_view what,
                   std::array<std::array<int32_t, Columns>, 60>& table) {
  ValueReader file = openData(session, fileName);
  session.main.ReadItem(file, "~", false);  // the heading, discarded
  for (size_t row = 0; row < table.size(); ++row) {
    for (size_t col = 0; col < Columns; ++col) {
      auto value = readNumber(session, file, "~", "Long", -100000000, 100000000, true, true);
      const double largest = col == 1 ? kMaxMultipleOfM : col < 4 ? kMaxMultiple : 100000000;
      if (!value || std::fabs(*value) > largest)
        fail(concat("Invalid or missing data for Moon ", what, " component", col, ", ", row), file, fileName);
      table[row][col] = static_cast<int32_t>(*value);
    }
  }
  std::string rest = session.main.ReadItem(file, "~", false);
  if (!rest.empty())
    fail(concat("Unexpected item after the last row of Moon ", what, " terms: ", shownItem(rest)), file, fileName);
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

// The term count a heading comment of a planet file lists for one series,
// "#   L: 47 of 671 terms kept; ...": the letter and the count.
std::optional<std::pair<char, long>> listedTermCount(std::string_view comment) {
  size_t i = 1;  // after the marker
  while (i < comment.size() && comment[i] == ' ') ++i;
  if (i + 1 >= comment.size() || std::string_view("LBR").find(comment[i]) == std::string_view::npos ||
      comment[i + 1] != ':')
    return std::nullopt;
  const char letter = comment[i];
  i += 2;
  while (i < comment.size() && comment[i] == ' ') ++i;
  size_t digits = i;
  while (digits < comment.size() && digits - i < 9 && comment[digits] >= '0' && comment[digits] <= '9') ++digits;
  if (digits == i || comment.substr(digits, 4) != " of ") return std::nullopt;
  if (comment.find(" terms kept", digits) == std::string_view::npos) return std::nullopt;
  return std::pair<char, long>(letter, std::stol(std::string(comment.substr(i, digits - i))));
}

udtPlanetSeries readPlanet(Session& session, const std::string& name) {
  const std::string fileName = name + ".txt";
  ValueReader file = openData(session, fileName);
  // Counts the heading lists per series, where it lists them.
  std::map<char, std::pair<long, int>> listed;  // count and line
  file.onComment = [&](const std::string& comment, int line) {
    if (auto count = listedTermCount(comment)) listed[count->first] = {count->second, line};
  };
  auto nextLabel = [&] { return session.main.GetValue(file, "#", "String", 0, 0, false, false).value_or(""); };
  udtPlanetSeries series;
  std::map<char, long> read;
  std::string item = nextLabel();
  for (char letter : {'L', 'B', 'R'}) {
    std::vector<udtSeriesTerms>& terms = letter == 'L' ? series.L : letter == 'B' ? series.B : series.R;
    int16_t& maxPower = letter == 'L' ? series.intLMax : letter == 'B' ? series.intBMax : series.intRMax;
    const double maxAmplitude = letter == 'L' ? 3000000000000.0 : 1000000000.0;
    // Every planet has all three series, and each starts with power 0.
    if (item.empty() || item[0] != letter) fail(concat("Missing ", letter, " series in the data for ", name), file, fileName);
    int previous = -1;
    while (!item.empty() && item[0] == letter) {
      // The powers of a series rise from 0: a power met again would
      // overwrite the terms already read for it.
      std::optional<int> power = labelPower(item);
      if (!power || *power <= previous || (previous < 0 && *power != 0))
        fail(concat("Invalid power coefficient for ", letter, " in the data for ", name), file, fileName);
      const int p = previous = *power;
      if (terms.size() < static_cast<size_t>(p) + 1) terms.resize(p + 1);
      maxPower = static_cast<int16_t>(p);
      udtSeriesTerms& t = terms[p];
      int n = 0;
      while (sameLabel(item, letter, p)) {
        if (++n > kMaxCount)
          throw AppError(errOverflow, kSource, concat("Overflow (", fileLine(fileName, file.line()), ")"));
        const std::string where = concat(letter, " factor ", p, " component ", n, " in the data for ", name);
        auto ordinal = readNumber(session, file, "#", "Long", -2147483648.0, 2147483647.0, true, true);
        if (!ordinal || *ordinal != n) fail("Invalid ordinal coefficient for " + where, file, fileName);
        auto a = readNumber(session, file, "#", "Long", 0, maxAmplitude, true, true);
        if (!a) fail("Invalid amplitude coefficient for " + where, file, fileName);
        auto b = readNumber(session, file, "#", "Double", 0, 6.284, true, true);
        if (!b) fail("Invalid phase coefficient for " + where, file, fileName);
        auto c = readNumber(session, file, "#", "Double", 0, 300000, true, true);
        if (!c) fail("Invalid frequency coefficient for " + where, file, fileName);
        t.dblA.push_back(*a);
        t.dblB.push_back(*b);
        t.dblC.push_back(*c);
        item = nextLabel();
      }
      t.intCount = static_cast<int16_t>(n);
      read[letter] += n;
    }
  }
  // The file ends with the R series: anything else after it is damage.
  if (!item.empty())
    fail(concat("Unexpected item after the R series in the data for ", name, ": ", shownItem(item)), file, fileName);
  for (const auto& [letter, count] : listed)
    if (read[letter] != count.first)
      fail(concat("Wrong number of terms for ", letter, " in the data for ", name, ": ", read[letter],
                  " read, the heading lists ", count.first),
           fileName, count.second);
  return series;
}

std::vector<udtStar> readStars(Session& session) {
  const std::string fileName = "Stars.txt";
  ValueReader file = openData(session, fileName);
  std::vector<udtStar> stars;
  while (!file.atEnd()) {
    udtStar star;
    star.strName = session.main.GetValue(file, "#", "String", 0, 0, false, false).value_or("");
    // Only blank lines or comments after the last star: the catalogue ends.
    if (star.strName.empty() && file.atEnd()) break;
    if (stars.size() >= static_cast<size_t>(kMaxCount))
      throw AppError(errOverflow, kSource, concat("Overflow (", fileLine(fileName, file.line()), ")"));
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
      if (!v) fail(concat("Invalid star ", f.what, " for ", shownItem(star.strName)), file, fileName);
      *f.value = *v;
    }
    stars.push_back(std::move(star));
  }
  // The body list and every star search rest on the catalogue: an empty one
  // is a damaged file, not a sky without stars.
  if (stars.empty()) fail("No stars in the star catalogue", file, fileName);
  return stars;
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
    if (e.code == errFileNotFound)
      session().endProgram(concat("Error in ", kSource, " ", e.description, kLineBreak,
                                  "File containing data missing. Sorry cannot continue"));
    // A file that exists but cannot be read is no missing file.
    if (e.code == errPermissionDenied || e.code == errPathFileAccess)
      session().endProgram(concat("Error in ", kSource, " ", e.description, kLineBreak,
                                  "File containing data cannot be read. Sorry cannot continue"));
    throw;
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
