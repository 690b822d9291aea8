#include "ephemeris/hbody_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

constexpr double kPi = 3.14159265358979323846;
constexpr double kArcsec = kPi / 180 / 3600;

const std::string kSorry = "\nSorry cannot continue.";

// A session reading its data from a folder of its own.
struct SessionOn {
  explicit SessionOn(const std::filesystem::path& dir) { s.session.dataDir = dir; }
  RecordedSession s;
  HBodyLoader loader{s.session};
};

// Planet file text: for each label, `count` terms numbered from 1.
std::string planetText(const std::vector<std::pair<std::string, int>>& labels) {
  std::string text = "# synthetic series for a test\n";
  for (const auto& [label, count] : labels)
    for (int n = 1; n <= count; ++n) text += concat(label, ",", n, ",", 100 * n, ",1.5,", 10 * n, "\n");
  return text;
}

// Moon table text: a comment, a heading, then rows of `columns` values (row r
// on line r + 3): multipliers of D, M, M', F from -2 to 2, coefficients
// 10 r + column.
int moonValue(int row, int col) { return col < 4 ? (row + col) % 5 - 2 : row * 10 + col; }
std::string moonText(int columns) {
  std::string text = "~ synthetic terms\nHeading of the table\n";
  for (int row = 0; row < 60; ++row) {
    for (int col = 0; col < columns; ++col) text += concat(col == 0 ? "" : ",", moonValue(row, col));
    text += "\n";
  }
  return text;
}

std::string starLine(const std::string& name, const std::string& ra = "10", const std::string& dec = "20") {
  return name + "," + ra + "," + dec + ",5,0.1,-0.2,12.5,1.5,1500000\n";
}

// Where a defect stands, as the messages end: " (Venus.txt, line 3)" and the
// last line.
std::string at(const std::string& file, int line) { return concat(" (", file, ", line ", line, ")") + kSorry; }

// Reads a planet file written into a fresh folder; returns the series.
udtPlanetSeries readPlanetText(const std::string& text, const std::string& name = "Mercury") {
  TempDir dir;
  dir.write(name + ".txt", text);
  SessionOn on(dir.path());
  udtPlanetSeries series;
  MoonLongTable l{};
  MoonLatTable b{};
  std::vector<udtStar> stars;
  int16_t n = 0;
  on.loader.ReadHBody(name, series, l, b, stars, n);
  return series;
}

// Reads the files of `name` from a folder holding `files`; returns the message
// that ended the program ("" when the reading went through).
std::string endMessage(const std::vector<std::pair<std::string, std::string>>& files, const std::string& name) {
  TempDir dir;
  for (const auto& [file, text] : files) dir.write(file, text);
  SessionOn on(dir.path());
  udtPlanetSeries series;
  MoonLongTable l{};
  MoonLatTable b{};
  std::vector<udtStar> stars;
  int16_t n = 0;
  try {
    on.loader.ReadHBody(name, series, l, b, stars, n);
  } catch (const ProgramEnd& e) {
    EXPECT_EQ(on.s.sink.last(), e.message);
    return e.message;
  }
  return "";
}

// The heliocentric series evaluated as the position routines do: powers from
// the highest down, L and B in radians, R in au.
struct Lbr {
  double l, b, r;
};
double sumSeries(const std::vector<udtSeriesTerms>& series, int maxPower, double tau) {
  double sum = 0;
  for (int p = maxPower; p >= 0; --p) {
    sum *= tau;
    const udtSeriesTerms& t = series[p];
    for (int i = 0; i < t.intCount; ++i) sum += t.dblA[i] * std::cos(t.dblB[i] + t.dblC[i] * tau);
  }
  return sum / 1e8;
}
Lbr evaluate(const udtPlanetSeries& s, double jde) {
  double tau = (jde - 2451545.0) / 365250.0;
  double l = std::fmod(sumSeries(s.L, s.intLMax, tau), 2 * kPi);
  if (l < 0) l += 2 * kPi;
  return {l, sumSeries(s.B, s.intBMax, tau), sumSeries(s.R, s.intRMax, tau)};
}

TEST(HBodyData, ShippedPlanetFilesLoadCompletely) {
  RecordedSession s;
  HBodyLoader loader(s.session);
  struct Expect {
    const char* name;
    std::vector<int> l, b, r;  // terms kept per power, as the generator wrote them
  };
  const Expect expect[] = {
      {"Mercury", {54, 20, 10, 8, 6, 1}, {18, 10, 8, 5, 2}, {27, 11, 8, 6}},
      {"Venus", {25, 10, 5, 3, 3, 1}, {4, 4, 4, 3, 1}, {12, 3, 3, 1}},
      {"Earth", {60, 25, 11, 4, 3, 1}, {1}, {30, 7, 5, 2, 1}},
      {"Mars", {115, 84, 40, 19, 8, 3}, {17, 8, 6, 3, 2}, {55, 31, 11, 6, 4}},
      {"Jupiter", {88, 70, 59, 41, 26, 7}, {26, 22, 13, 8, 6, 1}, {56, 48, 36, 25, 12, 8}},
      {"Saturn", {191, 143, 108, 74, 35, 17}, {38, 32, 25, 20, 12, 6}, {79, 63, 50, 33, 26, 19}},
  };
  for (const Expect& e : expect) {
    auto series = loader.PlanetSeries(e.name);
    auto counts = [](const std::vector<udtSeriesTerms>& t, int max) {
      std::vector<int> out;
      for (int p = 0; p <= max; ++p) {
        EXPECT_EQ(t[p].dblA.size(), static_cast<size_t>(t[p].intCount));
        out.push_back(t[p].intCount);
      }
      return out;
    };
    EXPECT_EQ(counts(series->L, series->intLMax), e.l) << e.name;
    EXPECT_EQ(counts(series->B, series->intBMax), e.b) << e.name;
    EXPECT_EQ(counts(series->R, series->intRMax), e.r) << e.name;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(HBodyData, ShippedSeriesMatchPublishedPositions) {
  // Check values published with the theory (VSOP87, file vsop87.chk, version
  // D; P. Bretagnon and G. Francou 1988): heliocentric L, B (radians) and R
  // (au) at JD 2451545.0 (J2000.0) and 2122820.0 (year 1100). The shipped
  // files are abridged to within 1 arcsecond of the full series for the Earth
  // and 2 for the planets over -1000 to 3000, hence the tolerances (for R the
  // same angle times R).
  struct Check {
    const char* name;
    double jde, l, b, r;
  };
  const Check checks[] = {
      {"Earth", 2451545.0, 1.7519238681, -0.0000039656, 0.9833276819},
      {"Earth", 2122820.0, 1.6367193623, -0.0000031292, 0.98303318},
      {"Mercury", 2451545.0, 4.4293481036, -0.0527573409, 0.46647148},
      {"Venus", 2451545.0, 3.1870221833, 0.0569782849, 0.72021293},
      {"Mars", 2451545.0, 6.2735389983, -0.0247779824, 1.39120769},
      {"Jupiter", 2451545.0, 0.6334614186, -0.0205001039, 4.96538132},
      {"Saturn", 2451545.0, 0.7980038761, -0.0401984149, 9.18384837},
      {"Saturn", 2122820.0, 3.5570108069, 0.0435371139, 9.86699395},
  };
  RecordedSession s;
  HBodyLoader loader(s.session);
  for (const Check& c : checks) {
    double tol = (std::string(c.name) == "Earth" ? 1.0 : 2.0) * kArcsec;
    Lbr got = evaluate(*loader.PlanetSeries(c.name), c.jde);
    EXPECT_NEAR(got.l, c.l, tol) << c.name << " " << c.jde;
    EXPECT_NEAR(got.b, c.b, tol) << c.name << " " << c.jde;
    EXPECT_NEAR(got.r, c.r, tol * c.r) << c.name << " " << c.jde;
  }
}

TEST(HBodyData, ShippedMoonTablesAndCatalogueLoadCompletely) {
  RecordedSession s;
  HBodyLoader loader(s.session);
  auto moon = loader.Moon();
  // First and last rows of the published tables (Meeus, Astronomical
  // Algorithms, 2nd ed., tables 47.A and 47.B).
  EXPECT_EQ(moon->lngMoonLong[0], (std::array<int32_t, 6>{0, 0, 1, 0, 6288774, -20905355}));
  EXPECT_EQ(moon->lngMoonLong[59], (std::array<int32_t, 6>{2, 0, -1, -2, 0, 8752}));
  EXPECT_EQ(moon->lngMoonLat[0], (std::array<int32_t, 5>{0, 0, 0, 1, 5128122}));
  EXPECT_EQ(moon->lngMoonLat[59], (std::array<int32_t, 5>{2, -2, 0, 1, 107}));
  for (const auto& row : moon->lngMoonLong) EXPECT_LE(std::abs(row[1]), 2);  // powers of E
  for (const auto& row : moon->lngMoonLat) EXPECT_LE(std::abs(row[1]), 2);

  auto stars = loader.Stars();
  EXPECT_EQ(stars->intNStars, 69);
  EXPECT_EQ(stars->stars.size(), 69u);
  const char* navigational[] = {
      "Acamar", "Achernar", "Acrux", "Adhara", "Aldebaran", "Alioth", "Alkaid", "Alnair", "Alnilam",
      "Alphard", "Alphecca", "Alpheratz", "Altair", "Ankaa", "Antares", "Arcturus", "Atria", "Avior",
      "Bellatrix", "Betelgeuse", "Canopus", "Capella", "Deneb", "Denebola", "Diphda", "Dubhe", "Elnath",
      "Eltanin", "Enif", "Fomalhaut", "Gacrux", "Gienah", "Hadar", "Hamal", "Kaus Australis", "Kochab",
      "Markab", "Menkar", "Menkent", "Miaplacidus", "Mirfak", "Nunki", "Peacock", "Pollux", "Procyon",
      "Rasalhague", "Regulus", "Rigel", "Rigil Kentaurus", "Sabik", "Schedar", "Shaula", "Sirius", "Spica",
      "Suhail", "Vega", "Zubenelgenubi", "Polaris"};
  for (const char* name : navigational) EXPECT_GE(stars->StarIndex(name), 0) << name;
  int bright = 0;
  for (const udtStar& star : stars->stars) {
    EXPECT_EQ(stars->StarIndex(star.strName), &star - stars->stars.data()) << "duplicate " << star.strName;
    EXPECT_FALSE(HBodyLoader::isFixedBodyName(star.strName));
    bright += star.dblMagnitude < 2.0;
  }
  EXPECT_EQ(bright, 49);
  // Sirius at J2000.0: 6h45m08.92s -16d42'58.0" (Hipparcos), 2.64 pc.
  const udtStar& sirius = stars->stars[stars->StarIndex("Sirius")];
  EXPECT_NEAR(sirius.dblRA, 101.28715, 1e-4);
  EXPECT_NEAR(sirius.dblDecl, -16.71612, 1e-4);
  EXPECT_NEAR(sirius.dblDistance, 2.637, 0.01);
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(HBodyData, ShippedRefractionTableRisesAndCoversTheSpan) {
  RecordedSession s;
  ValueReader file = ValueReader::open(s.session.dataFile("Refract.txt"));
  ASSERT_TRUE(file.good());
  std::vector<double> altitudes;
  for (int k = 0; k < 16; ++k) {
    auto h = s.session.main.GetValue(file, "#", "Double", -5, 5, true, true);
    auto r = s.session.main.GetValue(file, "#", "Double", 0, 5, true, true);
    ASSERT_TRUE(h && r) << "pair " << k;
    altitudes.push_back(*parseNumber(*h));
  }
  for (size_t k = 1; k < altitudes.size(); ++k) EXPECT_GT(altitudes[k], altitudes[k - 1]);
  EXPECT_LE(altitudes.front(), -4.1366);
  EXPECT_GE(altitudes.back(), 4.829444444);
  EXPECT_TRUE(file.atEnd());
}

TEST(HBodyData, PlanetPowersAndCounts) {
  udtPlanetSeries s = readPlanetText(planetText({{"L0", 3}, {"L1", 2}, {"L2", 1}, {"L3", 1}, {"L4", 1}, {"L5", 2},
                                                 {"B0", 2}, {"B1", 1}, {"B2", 1}, {"B3", 1}, {"B4", 4},
                                                 {"R0", 1}, {"R1", 1}, {"R2", 1}, {"R3", 1}, {"R4", 1}, {"R5", 3}}));
  EXPECT_EQ(s.intLMax, 5);
  EXPECT_EQ(s.intBMax, 4);
  EXPECT_EQ(s.intRMax, 5);
  EXPECT_EQ(s.L[0].intCount, 3);
  EXPECT_EQ(s.L[5].intCount, 2);
  EXPECT_EQ(s.B[4].intCount, 4);
  EXPECT_EQ(s.R[5].intCount, 3);
  EXPECT_EQ(s.L[0].dblA, (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(s.L[0].dblC, (std::vector<double>{10, 20, 30}));
  EXPECT_DOUBLE_EQ(s.R[5].dblB[2], 1.5);

  // A skipped power keeps an empty entry; heading comments that list the
  // terms kept agree with the file.
  s = readPlanetText("#   L: 3 of 9 terms kept\n#   B: 1 of 5 terms kept; max error 1 arcsec\n" +
                     planetText({{"L0", 1}, {"L2", 2}, {"B0", 1}, {"R0", 1}}));
  EXPECT_EQ(s.intLMax, 2);
  EXPECT_EQ(s.L[1].intCount, 0);
  EXPECT_EQ(s.L[2].intCount, 2);
  EXPECT_EQ(s.intBMax, 0);
  EXPECT_EQ(s.B.size(), 1u);
  EXPECT_EQ(s.B[0].intCount, 1);
  EXPECT_EQ(s.R[0].intCount, 1);
}

TEST(HBodyData, PlanetBoundsOfAmplitudeAndPhase) {
  // An L amplitude above the B and R limit is accepted; in B or R it is not.
  udtPlanetSeries s = readPlanetText("L0,1,2000000000000,0,0\nB0,1,1000000000,6.284,300000\nR0,1,1,0,0\n");
  EXPECT_DOUBLE_EQ(s.L[0].dblA[0], 2000000000000.0);
  EXPECT_DOUBLE_EQ(s.B[0].dblA[0], 1000000000.0);
  EXPECT_DOUBLE_EQ(s.B[0].dblB[0], 6.284);
  EXPECT_EQ(endMessage({{"Mercury.txt", "L0,1,5,0,0\nB0,1,2000000000000,0,0\n"}}, "Mercury"),
            "Error in cHBody.ReadHBody, Invalid amplitude coefficient for B factor 0 component 1 in the data "
            "for Mercury" + at("Mercury.txt", 2));
  EXPECT_EQ(endMessage({{"Mercury.txt", "L0,1,5,0,0\nB0,1,5,0,0\nR0,1,1000000001,0,0\n"}}, "Mercury"),
            "Error in cHBody.ReadHBody, Invalid amplitude coefficient for R factor 0 component 1 in the data "
            "for Mercury" + at("Mercury.txt", 3));
  EXPECT_EQ(endMessage({{"Mercury.txt", "L0,1,5,6.2841,0\n"}}, "Mercury"),
            "Error in cHBody.ReadHBody, Invalid phase coefficient for L factor 0 component 1 in the data for "
            "Mercury" + at("Mercury.txt", 1));
}

TEST(HBodyData, EveryKindOfDamageEndsWithItsMessageAndNoData) {
  // A sound file of each kind, and its damaged copies.
  const std::string venus = "# heading\n#   L: 3 of 9 terms kept\n#   B: 1 of 4 terms kept\n#   R: 2 of 7 terms kept\n" +
                            planetText({{"L0", 2}, {"L1", 1}, {"B0", 1}, {"R0", 2}});
  auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    for (size_t from = 0, to; from < text.size(); from = to + 1) {
      to = text.find('\n', from);
      out.push_back(text.substr(from, to - from + 1));
    }
    return out;
  };
  auto join = [](const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts) text += p;
    return text;
  };
  // v[0] is the first comment (line 1); the terms stand on lines 6 to 11.
  const std::vector<std::string> v = lines(venus);
  auto venusWith = [&](int line, const std::string& replacement) {
    std::vector<std::string> copy = v;
    copy[line - 1] = replacement;
    return join(copy);
  };
  const std::string okLong = moonText(6), okLat = moonText(5);
  const std::vector<std::string> ml = lines(okLong);
  auto moonLongWith = [&](int line, const std::string& replacement) {
    std::vector<std::string> copy = ml;
    copy[line - 1] = replacement;
    return join(copy);
  };
  const std::string bigItem(8 << 20, 'x');
  const std::string shownBig = std::string(57, 'x') + "...";

  struct Case {
    const char* what;
    std::string file, text, body, message;
  };
  const std::string in = " in the data for Venus";
  const std::string moonLong = "Invalid or missing data for Moon longitude and distance component";
  const Case cases[] = {
      {"empty file", "Venus.txt", "", "Venus", "Missing L series" + in + at("Venus.txt", 1)},
      {"only comments", "Venus.txt", "# nothing else\n", "Venus", "Missing L series" + in + at("Venus.txt", 1)},
      {"bad amplitude", "Venus.txt", venusWith(7, "L0,2,abc,1.5,20\n"), "Venus",
       "Invalid amplitude coefficient for L factor 0 component 2" + in + at("Venus.txt", 7)},
      {"ordinal skips", "Venus.txt", venusWith(7, "L0,3,200,1.5,20\n"), "Venus",
       "Invalid ordinal coefficient for L factor 0 component 2" + in + at("Venus.txt", 7)},
      {"line doubled", "Venus.txt", join({v[0], v[1], v[2], v[3], v[4], v[5], v[5], v[6], v[7], v[8], v[9], v[10]}),
       "Venus", "Invalid ordinal coefficient for L factor 0 component 2" + in + at("Venus.txt", 7)},
      {"cut short in a record", "Venus.txt", venus.substr(0, venus.size() - 6), "Venus",
       "Invalid frequency coefficient for R factor 0 component 2" + in + at("Venus.txt", 11)},
      {"cut short after a record", "Venus.txt", join({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]}),
       "Venus", "Wrong number of terms for R" + in + ": 1 read, the heading lists 2" + at("Venus.txt", 4)},
      {"B series lost", "Venus.txt", venusWith(9, ""), "Venus", "Missing B series" + in + at("Venus.txt", 9)},
      {"series starts above power 0", "Venus.txt", venusWith(9, "B1,1,100,1.5,10\n"), "Venus",
       "Invalid power coefficient for B" + in + at("Venus.txt", 9)},
      {"power met again", "Venus.txt", join({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], "L0,1,5,0,0\n", v[8]}),
       "Venus", "Invalid power coefficient for L" + in + at("Venus.txt", 9)},
      {"bad label", "Venus.txt", "Lx,1,5,0,0\n", "Venus", "Invalid power coefficient for L" + in + at("Venus.txt", 1)},
      {"left over after R", "Venus.txt", venus + "~ a note\n", "Venus",
       "Unexpected item after the R series" + in + ": ~ a note" + at("Venus.txt", 12)},
      {"huge item left over", "Venus.txt", venus + bigItem, "Venus",
       "Unexpected item after the R series" + in + ": " + shownBig + at("Venus.txt", 12)},
      {"Moon: empty file", "MoonLong.txt", "", "Moon", moonLong + "0, 0" + at("MoonLong.txt", 1)},
      {"Moon: bad value", "MoonLong.txt", moonLongWith(5, "0,1,2,0,x,25\n"), "Moon",
       moonLong + "4, 2" + at("MoonLong.txt", 5)},
      {"Moon: fraction", "MoonLong.txt", moonLongWith(3, "0,1,2,1.5,4,5\n"), "Moon",
       moonLong + "3, 0" + at("MoonLong.txt", 3)},
      {"Moon: M beyond E squared", "MoonLong.txt", moonLongWith(13, "0,3,0,0,104,105\n"), "Moon",
       moonLong + "1, 10" + at("MoonLong.txt", 13)},
      {"Moon: coefficient in a multiplier's place", "MoonLong.txt", moonLongWith(13, "0,0,104,105\n"), "Moon",
       moonLong + "2, 10" + at("MoonLong.txt", 13)},
      {"Moon: cut short", "MoonLong.txt", okLong.substr(0, okLong.rfind(",595")), "Moon",
       moonLong + "5, 59" + at("MoonLong.txt", 62)},
      {"Moon: line doubled", "MoonLong.txt", okLong + ml[61], "Moon",
       "Unexpected item after the last row of Moon longitude and distance terms: 2" + at("MoonLong.txt", 63)},
      {"Moon: latitude left over", "Moonlat.txt", okLat + "7\n", "Moon",
       "Unexpected item after the last row of Moon latitude and distance terms: 7" + at("Moonlat.txt", 63)},
      {"Stars: empty file", "Stars.txt", "", "Star", "No stars in the star catalogue" + at("Stars.txt", 1)},
      {"Stars: bad field", "Stars.txt", "# c\n" + starLine("Vega", "abc"), "Star",
       "Invalid star right ascension for Vega" + at("Stars.txt", 2)},
      {"Stars: huge name", "Stars.txt", bigItem + ",400,0,1,0,0,0,0,1\n", "Star",
       "Invalid star right ascension for " + shownBig + at("Stars.txt", 1)},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("MoonLong.txt", okLong);
    dir.write("Moonlat.txt", okLat);
    dir.write(c.file, c.text);
    SessionOn on(dir.path());
    udtPlanetSeries series;
    series.intLMax = -1;
    MoonLongTable l{};
    l[0][0] = -99;
    MoonLatTable b{};
    std::vector<udtStar> stars;
    int16_t n = -1;
    try {
      on.loader.ReadHBody(c.body, series, l, b, stars, n);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const ProgramEnd& e) {
      EXPECT_EQ(e.message, "Error in cHBody.ReadHBody, " + c.message) << c.what;
    }
    // Nothing was given back.
    EXPECT_EQ(series.intLMax, -1) << c.what;
    EXPECT_EQ(l[0][0], -99) << c.what;
    EXPECT_TRUE(stars.empty() && n == -1) << c.what;
  }

  // A byte-order mark at the start of a file is no damage.
  udtPlanetSeries s = readPlanetText("\xEF\xBB\xBF" + venus, "Venus");
  EXPECT_EQ(s.L[0].intCount, 2);
  EXPECT_EQ(s.R[0].intCount, 2);
  EXPECT_EQ(endMessage({{"MoonLong.txt", "\xEF\xBB\xBF" + okLong}, {"Moonlat.txt", "\xEF\xBB\xBF" + okLat}}, "Moon"),
            "");
}

TEST(HBodyData, CommentMarkersDifferBetweenFiles) {
  // In a Moon file a "~" line is skipped wherever it stands after the heading.
  std::string moon = moonText(6);
  moon.insert(moon.find("\n", moon.find("Heading")) + 1, "~ a note between rows\n");
  moon += "~ a note at the end\n";
  TempDir dir;
  dir.write("MoonLong.txt", moon);
  std::string lat = moonText(5);
  lat.insert(lat.rfind("2,-2,-1,0,594"), "~ a note before the last row\n");
  dir.write("Moonlat.txt", lat);
  SessionOn on(dir.path());
  auto tables = on.loader.Moon();
  EXPECT_EQ(tables->lngMoonLong[0], (std::array<int32_t, 6>{-2, -1, 0, 1, 4, 5}));
  EXPECT_EQ(tables->lngMoonLong[59][5], 595);
  EXPECT_EQ(tables->lngMoonLat[59], (std::array<int32_t, 5>{2, -2, -1, 0, 594}));

  // In a planet file the same line is an item, where a series should start
  // or a value should stand.
  EXPECT_EQ(endMessage({{"Mercury.txt", "L0,1,5,0,0\n~ a note\nB0,1,5,0,0\nR0,1,5,0,0\n"}}, "Mercury"),
            "Error in cHBody.ReadHBody, Missing B series in the data for Mercury" + at("Mercury.txt", 2));
  EXPECT_EQ(endMessage({{"Mars.txt", "L0,~ note,1,5,0,0\n"}}, "Mars"),
            "Error in cHBody.ReadHBody, Invalid ordinal coefficient for L factor 0 component 1 in the data for "
            "Mars" + at("Mars.txt", 1));
}

TEST(HBodyData, StarFileMessagesAndBounds) {
  struct Case {
    std::string line;
    std::string description;  // "" when accepted
  };
  const Case cases[] = {
      {"Vega,360,20,5,0.1,-0.2,12.5,1.5,1500000", "Invalid star right ascension for Vega"},
      {"Vega,0,-90,5,0.1,-0.2,12.5,1.5,1500000", ""},
      {"Vega,359.9,90.01,5,0.1,-0.2,12.5,1.5,1500000", "Invalid star declination for Vega"},
      {"Vega,1,2,0,0.1,-0.2,12.5,1.5,1500000", "Invalid star distance for Vega"},
      {"Vega,1,2,5,15,-0.2,12.5,1.5,1500000", "Invalid star change in right ascension for Vega"},
      {"Vega,1,2,5,0.1,-15,12.5,1.5,1500000", "Invalid star change in declination for Vega"},
      {"Vega,1,2,5,0.1,-0.2,300000,1.5,1500000", "Invalid star change in distance for Vega"},
      {"Vega,1,2,5,0.1,-0.2,-300000,-1.5,1500000", ""},
      {"Vega,1,2,5,0.1,-0.2,12.5,-1.51,1500000", "Invalid star magnitude for Vega"},
      {"Vega,1,2,5,0.1,-0.2,12.5,30,1500000", "Invalid star magnitude for Vega"},
      {"Vega,1,2,5,0.1,-0.2,12.5,1.5,0", "Invalid star diameter for Vega"},
      {"Vega,1,2,5,0.1,-0.2,12.5,1.5", "Invalid star diameter for Vega"},
  };
  for (const Case& c : cases) {
    std::string expected =
        c.description.empty() ? "" : "Error in cHBody.ReadHBody, " + c.description + at("Stars.txt", 2);
    EXPECT_EQ(endMessage({{"Stars.txt", "# stars\n" + c.line + "\n"}}, "Star"), expected) << c.line;
  }
}

TEST(HBodyData, StarCatalogueOrderCommentsAndEnd) {
  TempDir dir;
  // A comment between records, a quoted name with a comma, and blank lines and
  // a comment after the last record (the catalogue simply ends there).
  dir.write("Stars.txt", "# catalogue\n" + starLine("Vega") + "# between\n" + starLine("\"Alpha, B\"", "0", "-90") +
                             starLine("Vega", "30") + "\n# the end\n\n");
  SessionOn on(dir.path());
  auto cat = on.loader.Stars();
  ASSERT_EQ(cat->intNStars, 3);
  EXPECT_EQ(cat->stars[1].strName, "Alpha, B");
  EXPECT_DOUBLE_EQ(cat->stars[1].dblDecl, -90);
  EXPECT_EQ(cat->StarIndex("Vega"), 0);  // the first of two equal names
  EXPECT_EQ(cat->StarIndex("vega"), -1);
  EXPECT_DOUBLE_EQ(cat->stars[0].dblDDistance, 12.5);
  EXPECT_DOUBLE_EQ(cat->stars[0].dblDiameter, 1500000);
  EXPECT_TRUE(on.s.sink.messages.empty());

  EXPECT_TRUE(on.loader.IsObjectName("Sun"));
  EXPECT_TRUE(on.loader.IsObjectName("Saturn"));
  EXPECT_TRUE(on.loader.IsObjectName("Alpha, B"));
  EXPECT_FALSE(on.loader.IsObjectName("Earth"));
  EXPECT_FALSE(on.loader.IsObjectName("VEGA"));
}

TEST(HBodyData, InvalidNamesAndMissingFiles) {
  const std::string invalid = "Error in cHBody.ReadHBody, Invalid object name" + kSorry;
  EXPECT_EQ(endMessage({}, "Pluto"), invalid);
  EXPECT_EQ(endMessage({}, "Sun"), invalid);
  EXPECT_EQ(endMessage({}, "earth"), invalid);

  // A missing file is reported when its body is first needed, not before.
  TempDir dir;
  dir.write("Stars.txt", starLine("Vega"));
  dir.write("Mars.txt", planetText({{"L0", 1}, {"B0", 1}, {"R0", 1}}));
  SessionOn on(dir.path());
  EXPECT_TRUE(on.loader.IsObjectName("Vega"));
  EXPECT_EQ(on.loader.PlanetSeries("Mars")->L[0].intCount, 1);
  EXPECT_TRUE(on.s.sink.messages.empty());
  auto missing = [](const std::string& file) {
    return "Error in cHBody.ReadHBody File not found: " + file + "\nFile containing data missing. Sorry cannot continue";
  };
  try {
    on.loader.PlanetSeries("Saturn");
    ADD_FAILURE() << "a missing Saturn.txt went unnoticed";
  } catch (const ProgramEnd& e) {
    EXPECT_EQ(e.message, missing("Saturn.txt"));
  }
  EXPECT_EQ(on.s.sink.messages, std::vector<std::string>{missing("Saturn.txt")});
  EXPECT_EQ(endMessage({{"MoonLong.txt", moonText(6)}}, "Moon"), missing("Moonlat.txt"));
  // A file that is there but cannot be read is not reported as missing (a
  // folder in its place fails for every user, root too).
  std::filesystem::create_directory(dir.path() / "Jupiter.txt");
  try {
    on.loader.PlanetSeries("Jupiter");
    ADD_FAILURE() << "an unreadable Jupiter.txt went unnoticed";
  } catch (const ProgramEnd& e) {
    EXPECT_EQ(e.message,
              "Error in cHBody.ReadHBody Path/File access error (Is a directory): Jupiter.txt\n"
              "File containing data cannot be read. Sorry cannot continue");
  }
  EXPECT_THROW(on.loader.PlanetSeries("Pluto"), ProgramEnd);
  EXPECT_EQ(on.s.sink.last(), invalid);
}

TEST(HBodyData, ReadHBodyFillsOnlyWhatTheNameAsksFor) {
  TempDir dir;
  dir.write("MoonLong.txt", moonText(6));
  dir.write("Moonlat.txt", moonText(5));
  SessionOn on(dir.path());
  udtPlanetSeries series;
  series.intLMax = 7;
  MoonLongTable l{};
  MoonLatTable b{};
  std::vector<udtStar> stars(2);
  int16_t n = 2;
  on.loader.ReadHBody("Moon", series, l, b, stars, n);
  EXPECT_EQ(l[3][2], moonValue(3, 2));
  EXPECT_EQ(b[3][4], 34);
  EXPECT_EQ(series.intLMax, 7);
  EXPECT_EQ(stars.size(), 2u);
  EXPECT_EQ(n, 2);
}

TEST(HBodyData, FilesAreReadOncePerProcessAndShared) {
  TempDir dir;
  dir.write("Stars.txt", starLine("Vega"));
  dir.write("Venus.txt", planetText({{"L0", 2}, {"B0", 1}, {"R0", 1}}));
  std::vector<std::shared_ptr<const StarCatalogue>> seen(4);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < seen.size(); ++k)
    threads.emplace_back([&, k] {
      SessionOn on(dir.path());
      seen[k] = on.loader.Stars();
    });
  for (auto& t : threads) t.join();
  for (const auto& p : seen) EXPECT_EQ(p, seen[0]);

  SessionOn first(dir.path());
  auto venus = first.loader.PlanetSeries("Venus");
  // Later changes to the files are not read again in this process.
  dir.write("Stars.txt", "Broken,abc\n");
  std::filesystem::remove(dir.path() / "Venus.txt");
  SessionOn second(dir.path());
  EXPECT_EQ(second.loader.Stars(), seen[0]);
  EXPECT_EQ(second.loader.PlanetSeries("Venus"), venus);
  EXPECT_TRUE(second.s.sink.messages.empty());
}

}  // namespace
}  // namespace nemora
