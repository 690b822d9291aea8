// The location database reader: every message with its code, the edge
// cases of counts, bounds and tokens, the shipped file, and the sharing of a
// loaded database between sessions.
#include "location/location_data.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/session.h"
#include "tests/test_support.h"

namespace nemora::testing {
namespace {

// A small good database: one country with a daylight-saving epoch, one town
// with one neighbourhood.
const std::string kGood =
    "# test database\n"
    "1\n"
    "Testland\n"
    "1\n"
    "FALSE, 2, TRUE, 2,0,5,1,3,Gregorian, 2,0,5,1,10,Gregorian\n"
    "1\n"
    "Town\n"
    "1\n"
    "Center, 31.5, 35.2, 780, 17.5, 8.5, 14.6, 923.0, 0.0, 0.0, 60.0, -32.7, -17.0\n";

const std::string kEpoch = "FALSE, 2, TRUE, 2,0,5,1,3,Gregorian, 2,0,5,1,10,Gregorian";
const std::string kPlace = "Center, 31.5, 35.2, 780, 17.5, 8.5, 14.6, 923.0, 0.0, 0.0, 60.0, -32.7, -17.0";

// The good database with one piece of text replaced.
std::string with(const std::string& from, const std::string& to) {
  std::string s = kGood;
  size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return s.replace(at, from.size(), to);
}

// The good database with its place line's item n (0 the name) replaced.
std::string placeItem(int n, const std::string& value) {
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t comma; (comma = kPlace.find(',', start)) != std::string::npos; start = comma + 1)
    items.push_back(kPlace.substr(start, comma - start));
  items.push_back(kPlace.substr(start));
  items[n] = value;
  std::string line;
  for (size_t i = 0; i < items.size(); ++i) line += (i ? "," : "") + items[i];
  return with(kPlace, line);
}

struct Loaded {
  bool ok = false;
  AppError error{0, "", ""};
  LocationData data;
};

Loaded read(RecordedSession& rs, const std::string& text) {
  Loaded result;
  ValueReader file = ValueReader::fromText(text);
  try {
    result.data = readLocationData(rs.session, file);
    result.ok = true;
  } catch (AppError& e) {
    result.error = e;
  }
  return result;
}

TEST(LocationDataTest, EveryDefectHasItsNumberAndMessage) {
  struct Case {
    std::string text;
    int number;
    std::string description;
  };
  const std::string in = "Error in location file: ";
  const std::string where = "Testland, Town, Center.";
  const std::vector<Case> cases = {
      {with("1\nTestland", "x\nTestland"), 1, in + "Invalid number of countries"},
      {"1\n", 2, in + "Country/State name (0) missing."},
      {"2\n" + kGood.substr(kGood.find("Testland")), 2, in + "Country/State name (1) missing."},
      {with("Testland\n1\n", "Testland\n0\n"), 3, in + "Invalid number of time zone histories for Testland."},
      {with("FALSE, 2, TRUE", "abc, 2, TRUE"), 4,
       in + "Invalid last applicable date for time zone for Testland epoch 0."},
      {with("FALSE, 2, TRUE", "FALSE, 15, TRUE"), 5, in + "Invalid Time Zone for Testland epoch 0."},
      {with("FALSE, 2, TRUE", "FALSE, 2, True"), 5, in + "DST must be boolean for Testland epoch 0."},
      {with("2,0,5,1,3,Gregorian", "24,0,5,1,3,Gregorian"), 5, "Error reading time zone."},
      {with("Gregorian\n1\nTown", "Gregorian\n0\nTown"), 6, in + "Invalid Number of cities for Testland."},
      {kGood.substr(0, kGood.find("Town")), 7, in + "Town/City name missing for Testland city (0)."},
      {with("Town\n1\n", "Town\n32767\n"), 7, in + "Invalid Number of neighborhoods for Testland city (0)."},
      {kGood.substr(0, kGood.find("Center")), 8, in + "Neighborhood name missing for Testland, Town neighborhood (0)."},
      {placeItem(1, "90.5"), 9, in + "Invalid Latitude for " + where},
      {placeItem(2, "-180"), 10, in + "Invalid Longitude for " + where},
      {placeItem(3, "-1001"), 11, in + "Invalid Height above sea-level for " + where},
      {placeItem(4, "71"), 12, in + "Invalid Mean Temperature for " + where},
      {placeItem(5, "106"), 13, in + "Invalid Daily Temperature range for " + where},
      {placeItem(6, "97"), 14, in + "Invalid Annual Temperature range for " + where},
      {placeItem(7, "1151"), 15, in + "Invalid Mean Pressure for " + where},
      {placeItem(8, "455"), 16, in + "Invalid Daily Pressure range for " + where},
      {placeItem(9, "-455"), 17, in + "Invalid Annual Pressure range for " + where},
      {placeItem(10, "-1"), 18, in + "Invalid Mean Humidity for " + where},
      {placeItem(11, "81"), 19, in + "Invalid Daily Humidity range for " + where},
      {placeItem(12, "-113"), 20, in + "Invalid Annual Humidity range for " + where},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    RecordedSession rs;
    Loaded r = read(rs, c.text);
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.error.code, -2147221504 + c.number);
    EXPECT_EQ(r.error.source, c.number == 5 && c.description == "Error reading time zone." ? "GetNTZ"
                                                                                              : "GetLocationData");
    EXPECT_EQ(r.error.description, c.description);

    // Through the loader: one fatal message, nothing loaded.
    RecordedSession fatal;
    auto path = dir.write("Locations.txt", c.text);
    EXPECT_THROW(fatal.session.locations.GetLocationData(path), ProgramEnd);
    EXPECT_EQ(fatal.sink.last(), "Errot in GetLocationData " + c.description + "\nSorry must exit");
    EXPECT_FALSE(fatal.session.locations.loaded());
  }
}

TEST(LocationDataTest, ABadRuleShowsTheRuleReadersMessageFirst) {
  struct Case {
    std::string rule;
    std::string description;
  };
  const std::vector<Case> cases = {
      {"24,0,5,1,3,Gregorian", "Invalid DST changeover hour "},
      {"-1,0,5,1,3,Gregorian", "Invalid DST changeover hour "},
      {"2,7,5,1,3,Gregorian", "Invalid DST changeover day of week"},
      {"2,0,6,1,3,Gregorian", "Invalid DST changeover week"},
      {"2,0,5,32,3,Gregorian", "Invalid DST date of month"},
      {"2,0,5,1,13,Gregorian", "Invalid DST month"},
      {"2,0,5,30,2,Gregorian", "Invalid DST date of month"},
      {"2,0,5,31,4,Hebrew", "Invalid DST date of month"},
      {"2,0,5,1,3,Julian", "Invalid DST date type"},
      {"2,0,5,1,3,gregorian", "Invalid DST date type"},
      {"2.5,0,5,1,3,Gregorian", "Invalid DST changeover hour "},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    RecordedSession rs;
    auto path = dir.write("Locations.txt", with("2,0,5,1,10,Gregorian", c.rule));
    EXPECT_THROW(rs.session.locations.GetLocationData(path), ProgramEnd);
    ASSERT_EQ(rs.sink.messages.size(), 2u);
    EXPECT_EQ(rs.sink.messages[0],
              "Error in GetNTZ, " + c.description + "\nData from last saved location corrupted or missing.");
    EXPECT_EQ(rs.sink.messages[1], "Errot in GetLocationData Error reading time zone.\nSorry must exit");
  }

  // A date of month 0 is read without complaint; a Hebrew rule is type 6.
  RecordedSession rs;
  Loaded r = read(rs, with("2,0,5,1,10,Gregorian", "2,0,1,0,7,Hebrew"));
  ASSERT_TRUE(r.ok);
  const udtDSTRule& end = r.data.udtCountries[0].udtTZ[0].udtDSTEnd;
  EXPECT_EQ(end, (udtDSTRule{2, 0, 1, 0, 7, 6}));
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(LocationDataTest, CountsBoundsAndTokens) {
  RecordedSession rs;
  // Counts out of range or not whole.
  for (std::string count : {"32767", "-1", "2.5", "0"}) {
    EXPECT_EQ(read(rs, with("Testland\n1\n", "Testland\n" + count + "\n")).error.code, -2147221504 + 3) << count;
    EXPECT_EQ(read(rs, with("Gregorian\n1\nTown", "Gregorian\n" + count + "\nTown")).error.code, -2147221504 + 6)
        << count;
    EXPECT_EQ(read(rs, with("Town\n1\n", "Town\n" + count + "\n")).error.code, -2147221504 + 7) << count;
  }
  EXPECT_EQ(read(rs, with("1\nTestland", "32767\nTestland")).error.code, -2147221504 + 1);

  // An empty database.
  Loaded empty = read(rs, "0\n");
  ASSERT_TRUE(empty.ok);
  EXPECT_EQ(empty.data.intNCountries, 0);

  // Bounds: latitude +-90 and longitude 180 are accepted, -180 is not.
  for (std::string lat : {"90", "-90"}) EXPECT_TRUE(read(rs, placeItem(1, lat)).ok) << lat;
  EXPECT_TRUE(read(rs, placeItem(2, "180")).ok);
  EXPECT_FALSE(read(rs, placeItem(2, "-180")).ok);

  // A mean temperature of 70 leaves no room for either range.
  std::string hot = placeItem(4, "70");
  EXPECT_EQ(read(rs, hot).error.code, -2147221504 + 13);
  hot = placeItem(4, "70");
  {
    std::string s = with(kPlace, "Center, 31.5, 35.2, 780, 70, 0, 0, 923.0, 0.0, 0.0, 60.0, -32.7, -17.0");
    EXPECT_TRUE(read(rs, s).ok);
    s = with(kPlace, "Center, 31.5, 35.2, 780, 70, 0, 0.1, 923.0, 0.0, 0.0, 60.0, -32.7, -17.0");
    EXPECT_EQ(read(rs, s).error.code, -2147221504 + 14);
  }

  // Last applicable dates: the limit is included; "false" is not a number.
  Loaded limit = read(rs, with("FALSE, 2, TRUE", "10592250, 2, TRUE"));
  ASSERT_TRUE(limit.ok);
  EXPECT_TRUE(limit.data.udtCountries[0].udtTZ[0].blnLast);
  EXPECT_EQ(limit.data.udtCountries[0].udtTZ[0].dblLastDate, 10592250);
  EXPECT_TRUE(read(rs, with("FALSE, 2, TRUE", "-10592250, 2, TRUE")).ok);
  EXPECT_EQ(read(rs, with("FALSE, 2, TRUE", "10592250.01, 2, TRUE")).error.code, -2147221504 + 4);
  EXPECT_EQ(read(rs, with("FALSE, 2, TRUE", "false, 2, TRUE")).error.code, -2147221504 + 4);
  EXPECT_EQ(read(rs, with("FALSE, 2, TRUE", "FALSE, 2, false")).error.code, -2147221504 + 5);
  EXPECT_EQ(read(rs, with("FALSE, 2, TRUE", "FALSE, -14.01, TRUE")).error.code, -2147221504 + 5);

  // An epoch without daylight saving has no rules to read.
  Loaded plain = read(rs, with(kEpoch, "FALSE, -3.5, FALSE"));
  ASSERT_TRUE(plain.ok);
  EXPECT_FALSE(plain.data.udtCountries[0].udtTZ[0].blnDST);
  EXPECT_EQ(plain.data.udtCountries[0].udtTZ[0].dblTZ, -3.5);
}

TEST(LocationDataTest, CommentsAndTheOrderOfClimateValues) {
  RecordedSession rs;
  // The piece after a comma in a comment line is read as a value: here the
  // number of countries.
  std::string s = "# a comment, 1\n" + kGood.substr(kGood.find("Testland"));
  Loaded r = read(rs, s);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.data.intNCountries, 1);
  // A whole-line comment between items is skipped.
  r = read(rs, with("Town\n1\n", "Town\n# two words and more\n1\n"));
  ASSERT_TRUE(r.ok);
  const udtNeighborhood& n = r.data.udtCountries[0].udtCities[0].udtNeighborhoods[0];
  EXPECT_EQ(n.strName, "Center");
  EXPECT_EQ(n.dblHeight, 780);
  // In the file the daily range comes before the annual range.
  EXPECT_EQ(n.udtTemperature.dblMean, 17.5);
  EXPECT_EQ(n.udtTemperature.dblDaily, 8.5);
  EXPECT_EQ(n.udtTemperature.dblAnnual, 14.6);
  EXPECT_EQ(n.udtHumidity.dblDaily, -32.7);
  EXPECT_EQ(n.udtHumidity.dblAnnual, -17);
}

TEST(LocationDataTest, AMissingFileEndsTheProgram) {
  RecordedSession rs;
  TempDir dir;
  EXPECT_THROW(rs.session.locations.GetLocationData(dir.path() / "Locations.txt"), ProgramEnd);
  EXPECT_EQ(rs.sink.last(),
            "Error in GetLocationData File not found\nFile containing data missing. Sorry cannot continue");
}

TEST(LocationDataTest, ALoadedDatabaseIsSharedAndAFailedLoadIsNot) {
  TempDir dir;
  auto path = dir.write("Locations.txt", with("Testland", "Firstland"));
  RecordedSession a, b;
  a.session.locations.GetLocationData(path);
  b.session.locations.GetLocationData(dir.path() / "." / "Locations.txt");
  EXPECT_EQ(&a.session.locations.udtCountries(), &b.session.locations.udtCountries());
  EXPECT_EQ(b.session.locations.findCountry("Firstland"), 0);
  EXPECT_EQ(b.session.locations.findCountry("firstland"), -1);

  auto other = dir.write("Other.txt", "1\n");
  RecordedSession c;
  EXPECT_THROW(c.session.locations.GetLocationData(other), ProgramEnd);
  dir.write("Other.txt", kGood);
  c.session.locations.GetLocationData(other);
  EXPECT_EQ(c.session.locations.intNCountries(), 1);
}

TEST(LocationDataTest, TheShippedDatabase) {
  RecordedSession rs;
  rs.session.locations.GetLocationData();
  ASSERT_TRUE(rs.sink.messages.empty());
  const auto& countries = rs.session.locations.udtCountries();
  int cities = 0, neighborhoods = 0;
  for (const udtCountry& c : countries) {
    EXPECT_EQ(c.intNTZ, static_cast<int16_t>(c.udtTZ.size()));
    EXPECT_EQ(c.intNCities, static_cast<int16_t>(c.udtCities.size()));
    cities += c.intNCities;
    for (const udtCity& city : c.udtCities) neighborhoods += city.intNNeighborhoods;
    // Every zone history ends with an epoch in force.
    EXPECT_FALSE(c.udtTZ.back().blnLast) << c.strName;
  }
  EXPECT_GE(countries.size(), 50u);
  EXPECT_GE(cities, 200);
  std::cout << "Locations.txt: " << countries.size() << " countries or states, " << cities << " towns or cities, "
            << neighborhoods << " neighbourhoods\n";

  int israel = rs.session.locations.findCountry("Israel");
  ASSERT_GE(israel, 0);
  const udtCountry& il = countries[israel];
  int jerusalem = clsLocationData::findCity(il, "Jerusalem");
  ASSERT_GE(jerusalem, 0);
  EXPECT_GT(il.udtCities[jerusalem].intNNeighborhoods, 1);
  EXPECT_GE(clsLocationData::findNeighborhood(il.udtCities[jerusalem], "Center"), 0);
  bool hebrewRule = false;
  for (const udtTZHistory& e : il.udtTZ) hebrewRule |= e.blnDST && e.udtDSTEnd.enmDateType == 6;
  EXPECT_TRUE(hebrewRule);
}

}  // namespace
}  // namespace nemora::testing
