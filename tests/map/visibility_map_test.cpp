#include "map/visibility_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/number_format.h"
#include "base/text.h"
#include "map/coastlines.h"
#include "base/criterion_types.h"
#include "base/options.h"
#include "base/session_pool.h"
#include "ephemeris/hbody.h"
#include "visibility/crescent_verdicts.h"
#include "tests/cli/cli_runner.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::CliRun;
using testing::runCliIn;
using testing::TempDir;

std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The rows of a map's CSV after its header, by "lat,lon".
struct Row {
  std::string value, cls;
};
std::map<std::string, Row> rowsOf(const std::string& csv) {
  std::map<std::string, Row> rows;
  std::stringstream in(csv);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    auto c2 = line.find(',', line.find(',') + 1);
    auto c3 = line.find(',', c2 + 1);
    rows[line.substr(0, c2)] = {line.substr(c2 + 1, c3 - c2 - 1), line.substr(c3 + 1)};
  }
  return rows;
}

// The evening of 10 March 2024 (conjunction 09:00 UT that morning): a young
// Moon of the Americas.
const std::string kInputs = "--date-type Gregorian --date 2024-3-10 --time 12:00 --time-type UTC --weather Local";

TEST(MapGrid, CellsAreAnchoredSoThatBandsJoinIntoTheWhole) {
  MapGrid whole;
  whole.dblStep = 1;
  EXPECT_EQ(gridLatitudes(whole).size(), 180u);
  EXPECT_EQ(gridLongitudes(whole).size(), 360u);
  EXPECT_EQ(gridLatitudes(whole).front(), -89.5);
  EXPECT_EQ(gridLongitudes(whole).back(), 179.5);
  // Bands of any bounds, even ones that cut through cells, share their cells
  // with the whole: each cell belongs to the band holding its centre.
  for (double step : {1.0, 2.5, 7.0, 0.3}) {
    whole.dblStep = step;
    std::vector<double> all = gridLatitudes(whole), joined;
    for (auto [a, b] : {std::pair{-90.0, -33.3}, {-33.3, 0.0}, {0.0, 90.0}}) {
      MapGrid band = whole;
      band.dblLatMin = a;
      band.dblLatMax = b;
      for (double c : gridLatitudes(band)) joined.push_back(c);
    }
    EXPECT_EQ(joined, all) << step;
    for (double c : all) EXPECT_TRUE(c > -90 && c < 90);
  }
  // A band across the date line holds the cells of the two bands on either
  // side of it, west to east.
  for (double step : {1.0, 2.5, 7.0}) {
    whole.dblStep = step;
    MapGrid across = whole, west = whole, east = whole;
    across.dblLonMin = west.dblLonMin = 163.3;
    across.dblLonMax = east.dblLonMax = -151;
    east.dblLonMin = -180;
    std::vector<double> joined = gridLongitudes(west);
    ASSERT_FALSE(joined.empty());
    for (double c : gridLongitudes(east)) joined.push_back(c);
    EXPECT_EQ(gridLongitudes(across), joined) << step;
    EXPECT_TRUE(across.crossesDateLine());
  }
  whole.dblStep = 0;
  EXPECT_TRUE(gridLatitudes(whole).empty());
}

TEST(VisibilityMap, CellsEqualTheSinglePlaceCrescentAtTheirCentres) {
  TempDir dir;
  // Yallop and Odeh on a 30-degree grid, then the crescent command at the
  // centres of some cells.
  std::map<std::string, std::map<std::string, Row>> maps;
  for (std::string criterion : {"Yallop", "Odeh"}) {
    const std::string arguments = kInputs + " --criterion " + criterion + " map --step 30 --out " + criterion + ".csv";
    ASSERT_EQ(runCliIn(dir.path(), arguments).status, 0);
    maps[criterion] = rowsOf(readText(dir.path() / (criterion + ".csv")));
    EXPECT_EQ(maps[criterion].size(), 72u);
  }
  ASSERT_EQ(runCliIn(dir.path(), kInputs + " --mode photometric map --step 30 --lat-range -30:30 --lon-range -120:-60 "
                                           "--out p.csv")
                .status,
            0);
  std::map<std::string, Row> photometric = rowsOf(readText(dir.path() / "p.csv"));
  ASSERT_EQ(photometric.size(), 4u);

  const std::pair<double, double> places[] = {{-15, -75}, {15, -105}, {45, -75}, {15, 45}, {-45, 135}, {15, -75}};
  int values = 0;
  for (auto [lat, lon] : places) {
    CliRun run = runCliIn(dir.path(), kInputs + " --lat " + generalNumber(lat) + " --lon " + generalNumber(lon) +
                                          " --tz 0 --height 0 --mode photometric --json crescent");
    const std::string& out = run.out;
    ASSERT_EQ(run.status, 0) << out << run.err;
    auto j = nlohmann::json::parse(out);
    const std::string key = generalNumber(lat) + "," + generalNumber(lon);
    const Row& yallop = maps["Yallop"].at(key);
    const Row& odeh = maps["Odeh"].at(key);
    if (!(j["lag_minutes"].get<double>() > 0)) {
      EXPECT_EQ(yallop.cls, "moon-sets-first") << key;
      EXPECT_EQ(odeh.cls, "moon-sets-first") << key;
      continue;
    }
    ++values;
    EXPECT_EQ(yallop.value, formatNumber(j["yallop"]["q"].get<double>(), "0.0000")) << key;
    EXPECT_EQ(yallop.cls, j["yallop"]["class"].get<std::string>()) << key;
    EXPECT_EQ(odeh.value, formatNumber(j["odeh"]["v"].get<double>(), "0.0000")) << key;
    EXPECT_EQ(odeh.cls, j["odeh"]["zone"].get<std::string>()) << key;
    if (photometric.count(key) != 0) {
      EXPECT_EQ(photometric[key].value, formatNumber(j["visibility"]["probability"].get<double>(), "0.0000"))
          << key;
    }
  }
  EXPECT_GE(values, 3);
}

TEST(VisibilityMap, CellsHandedOnBandByBandMakeTheSameCsvAndCostIsKnownFirst) {
  testing::RecordedSession rs;
  Session& s = rs.session;
  s.udtDateIn.enmDateType = 0;  // a fixed day number: 10 March 2024, its day is the map's
  s.dblFixDate = 738955;
  s.dblFixTime = 0.5;
  s.udtWeather.udtBasis = kWeatherGlobal;
  s.udtUserCriterion.intType = kCritYallop;
  MapRequest request;
  request.grid = {10, -30, 30, -120, -40};  // 6 rows of 8 cells
  request.intThreads = 2;
  VisibilityMap kept;
  ASSERT_TRUE(computeVisibilityMap(s, request, kept));
  for (size_t bandCells : {size_t{1}, size_t{17}, kMapBandCells}) {
    VisibilityMap header;
    std::string csv = mapCsvHeader();
    size_t bands = 0;
    ASSERT_TRUE(computeVisibilityMapRows(
        s, request, header,
        [&](const VisibilityMap& h, const std::vector<MapCell>& band) {
          appendMapCsv(h, band, csv);
          ++bands;
        },
        {}, nullptr, bandCells));
    EXPECT_TRUE(header.blnComplete);
    EXPECT_TRUE(header.cells.empty());
    EXPECT_EQ(csv, mapCsv(kept)) << bandCells;
    EXPECT_EQ(bands, bandCells == 1 ? 6u : bandCells == 17 ? 3u : 1u);
  }
  // The cost grows with the cells, and the kept map with its pixels needs
  // more than the streamed one; a hundredth of a degree over the world is
  // 648 million cells.
  const MapCost small = estimateMapCost(request, 2);
  EXPECT_EQ(small.cells, 48u);
  EXPECT_EQ(small.rows, 6u);
  MapRequest world;
  world.grid.dblStep = 0.01;
  const MapCost fine = estimateMapCost(world, 2);
  EXPECT_EQ(fine.cells, 648000000u);
  EXPECT_GT(fine.dblKeptBytes, 648e6 * 40);
  EXPECT_LT(fine.dblBandBytes, 100e6);
  EXPECT_GT(fine.dblSeconds, small.dblSeconds * 1e6);
}

TEST(VisibilityMap, WholeMapsHaveTheVerdictsOfTheExactComputationCellByCell) {
  // The map takes the Sun's and the Moon's geocentric places from a table
  // for its span; each cell is evaluated again from the series alone (the
  // caller's session has no table) and must have the same kind and zone,
  // and its value within a millionth (the CSV prints a ten-thousandth).
  // Where the criterion judges, the series' cell also equals the full
  // evaluation of the evening judged, to the last bit. Every criterion (and
  // a user criterion by the topocentric age, which does need the
  // conjunction) on the evening of 10 March 2024, Yallop's morning of the
  // 9th, Yallop and Odeh on the evenings of 26 June 2025 and 19 January 2026,
  // and the photometric map.
  struct Case {
    int16_t type;
    bool evening;
    int32_t day;
    MapMode mode = MapMode::Criterion;
  };
  std::vector<Case> cases;
  for (int16_t type = kCritUser; type <= kCritLastType; ++type) cases.push_back({type, true, 738955});
  cases.push_back({kCritYallop, false, 738954});
  for (int32_t day : {739428, 739635})
    for (int16_t type : {kCritYallop, kCritOdeh}) cases.push_back({type, true, day});
  cases.push_back({kCritYallop, true, 738955, MapMode::Photometric});
  double worst = 0;
  for (const Case& c : cases) {
    testing::RecordedSession rs;
    Session& s = rs.session;
    s.udtDateIn.enmDateType = 0;
    s.dblFixDate = c.day;
    s.dblFixTime = 0.5;
    s.udtWeather.udtBasis = kWeatherGlobal;
    s.udtUserCriterion.intType = c.type;
    if (c.type == kCritUser) {
      s.udtUserCriterion.intDarkness = 0;
      s.udtUserCriterion.intBrightness = 0;
      s.udtUserCriterion.intMeasFrom = 1;
    }
    MapRequest request;
    request.grid.dblStep = c.mode == MapMode::Photometric ? 20 : 10;
    request.blnEvening = c.evening;
    request.mode = c.mode;
    request.intThreads = 1;
    VisibilityMap map;
    ASSERT_TRUE(computeVisibilityMap(s, request, map));
    ASSERT_EQ(map.cells.size(), c.mode == MapMode::Photometric ? 162u : 648u);
    int judged = 0;
    for (const MapCell& cell : map.cells) {
      const std::string where = std::to_string(c.type) + " " + std::to_string(c.day) +
                                (c.evening ? " evening " : " morning ") + generalNumber(cell.dblLatitude) + "," +
                                generalNumber(cell.dblLongitude);
      SessionPool::movePlace(s, cell.dblLatitude, cell.dblLongitude, 0);
      ASSERT_EQ(s.hbody.geocentricTable(), nullptr);
      const MapCell exact = evaluateCell(s, c.day, c.evening, c.mode, cell);
      ASSERT_NE(cell.kind, CellKind::Failed) << where;
      EXPECT_EQ(cell.kind, exact.kind) << where;
      EXPECT_EQ(cell.intZone, exact.intZone) << where;
      EXPECT_EQ(cell.blnHasValue, exact.blnHasValue) << where;
      EXPECT_NEAR(cell.dblValue, exact.dblValue, 1e-6) << where;
      worst = std::max(worst, std::fabs(cell.dblValue - exact.dblValue));
      if (c.mode == MapMode::Photometric) continue;
      bool ok = true;
      udtCriterion k;
      s.hbody.moon.SetCriterion(k, false, ok);
      udtCriterionResult r;
      s.hbody.moon.Criterion(c.day, c.evening, k, r, ok);
      ASSERT_TRUE(ok);
      const CriterionVerdict v = judgeCrescent(k.intType, r);
      EXPECT_EQ(exact.blnHasValue, v.blnHasValue) << where;
      if (v.blnHasValue) {
        EXPECT_EQ(exact.dblValue, v.dblValue) << where;
      }
      if (exact.kind != CellKind::Value) continue;
      ++judged;
      EXPECT_EQ(exact.intZone, v.chClass ? v.chClass - 'A' : v.blnEye ? 0 : 1) << where;
    }
    if (c.mode == MapMode::Criterion) {
      EXPECT_GT(judged, 80) << c.type << " " << c.day;
    }
  }
  ::testing::Test::RecordProperty("worst_value_difference", std::to_string(worst));
}

TEST(VisibilityMap, SameCsvWhateverTheThreadsAndBandsJoinOnTheTenthOfMarch2024) {
  TempDir dir;
  const std::string map = kInputs + " --criterion Yallop map --step 10 ";
  ASSERT_EQ(runCliIn(dir.path(), map + "--threads 1 --out one.csv").status, 0);
  ASSERT_EQ(runCliIn(dir.path(), map + "--threads 2 --out two.csv").status, 0);
  ASSERT_EQ(runCliIn(dir.path(), map + "--lat-range -90:5 --out south.csv").status, 0);
  ASSERT_EQ(runCliIn(dir.path(), map + "--lat-range 5:90 --out north.csv").status, 0);
  const std::string one = readText(dir.path() / "one.csv");
  EXPECT_EQ(one.substr(0, one.find('\n')), "lat,lon,value,class");
  EXPECT_EQ(readText(dir.path() / "two.csv"), one);
  const std::string north = readText(dir.path() / "north.csv");
  EXPECT_EQ(readText(dir.path() / "south.csv") + north.substr(north.find('\n') + 1), one);

  // Westwards the Sun sets later and the Moon stands higher: along every
  // parallel of the tropics and middle latitudes the crescent's q grows
  // westwards across the map, so the zone boundaries lie further west the
  // later the evening (a map mirrored or shifted by a day breaks this).
  std::map<std::string, Row> rows = rowsOf(one);
  auto q = [&](double lat, double lon) {
    const Row& r = rows.at(generalNumber(lat) + "," + generalNumber(lon));
    return r.value.empty() ? -10.0 : std::stod(r.value);
  };
  for (double lat = -35; lat <= 35; lat += 10) {
    for (double lon = -175; lon + 40 <= 175; lon += 10) {
      if (q(lat, lon) == -10 && q(lat, lon + 40) == -10) continue;  // the Moon sets first in both
      EXPECT_GT(q(lat, lon), q(lat, lon + 40)) << lat << " " << lon;
    }
  }
  // Visible in the Americas (Yallop's A to C somewhere from Mexico to
  // Chile), not in the Middle East (no better than E from Egypt to Iran).
  std::string bestAmericas = "F";
  for (auto [lat, lon] : {std::pair{25.0, -105.0}, {15.0, -95.0}, {-5.0, -75.0}, {-15.0, -75.0}, {-25.0, -65.0}})
    bestAmericas = std::min(bestAmericas, rows.at(generalNumber(lat) + "," + generalNumber(lon)).cls);
  EXPECT_LE(bestAmericas, "C");
  for (auto [lat, lon] : {std::pair{25.0, 35.0}, {35.0, 35.0}, {25.0, 45.0}, {35.0, 45.0}, {25.0, 55.0}}) {
    std::string cls = rows.at(generalNumber(lat) + "," + generalNumber(lon)).cls;
    EXPECT_TRUE(cls == "E" || cls == "F" || cls == "moon-sets-first") << lat << " " << lon << " " << cls;
  }
}

TEST(Coastlines, ShippedFileReadsAndDamageIsNamed) {
  auto coast = loadCoastlines(std::filesystem::path(NEMORA_SOURCE_DATA_DIR) / "coastlines.txt");
  ASSERT_GE(coast->lines.size(), 100u);
  size_t points = 0;
  for (const auto& line : coast->lines) points += line.size();
  EXPECT_GT(points, 4000u);
  TempDir dir;
  for (const char* bad : {"1 2 3\n", "100 100 x 3\n", "17000 0 2000 0\n", "0 0 9223372036854775807 0\n"}) {
    auto file = dir.write("coast.txt", std::string("# comment\n0 0 1 1\n") + bad);
    try {
      loadCoastlines(file);
      ADD_FAILURE() << bad;
    } catch (const AppError& e) {
      EXPECT_NE(e.description.find("line 3"), std::string::npos) << e.description;
    }
  }
}

}  // namespace
}  // namespace nemora
