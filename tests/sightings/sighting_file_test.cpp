// The sightings reader: columns found by name in any order, optional columns
// and their defaults, and every kind of bad row reported with its line.
#include "sightings/sighting_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/test_support.h"

namespace nemora {
namespace {

SightingsFile read(testing::RecordedSession& rs, const std::string& text) {
  std::istringstream in(text);
  return ReadSightings(rs.session, in, "test.csv");
}

TEST(SightingsReader, ColumnsInAnyOrderGiveTheSameRecords) {
  // The same two records under every order of five columns' headers.
  std::vector<std::string> names{"date", "lat", "lon", "seen", "method"};
  std::vector<std::vector<std::string>> rows{{"1990-04-25", "41.6", "-73.7", "no", "eye"},
                                             {"28/2/1922", "-33.9", "18.5", "yes", "telescope"}};
  std::vector<int> order{0, 1, 2, 3, 4};
  testing::RecordedSession rs;
  int permutations = 0;
  do {
    std::string text = "# comment\n";
    for (size_t i = 0; i < order.size(); ++i) text += (i ? "," : "") + names[order[i]];
    text += "\r\n";
    for (const auto& row : rows) {
      for (size_t i = 0; i < order.size(); ++i) text += (i ? " , " : "") + row[order[i]];
      text += "\n";
    }
    SightingsFile f = read(rs, text);
    ASSERT_TRUE(f.strError.empty()) << f.strError;
    ASSERT_TRUE(f.problems.empty()) << f.problems.front();
    ASSERT_EQ(f.records.size(), 2u);
    const udtSighting& a = f.records[0];
    const udtSighting& b = f.records[1];
    EXPECT_EQ(a.lngFix, 726582);  // 25 April 1990
    EXPECT_EQ(a.lngYear, 1990);
    EXPECT_DOUBLE_EQ(a.location().dblLatitude, 41.6);
    EXPECT_DOUBLE_EQ(a.location().dblLongitude, -73.7);
    EXPECT_FALSE(a.blnSeen);
    EXPECT_EQ(a.method, ObservingMethod::Eye);
    EXPECT_EQ(a.lngLine, 3);
    EXPECT_EQ(b.lngFix, 701689);  // 28 February 1922, read as day/month/year
    EXPECT_TRUE(b.blnSeen);
    EXPECT_EQ(b.method, ObservingMethod::Telescope);
    ++permutations;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(permutations, 120);
  EXPECT_TRUE(rs.sink.messages.empty());
}

TEST(SightingsReader, OptionalColumnsDefaultsAndExtras) {
  testing::RecordedSession rs;
  SightingsFile f = read(rs,
                         "place,date,seen,time,tz,body,evening,clouds,source,height,lat,lon,Yallop q\n"
                         "Israel/Jerusalem/Center,2020-03-25,yes,18:45,,,,,,,,,0.5\n"
                         ",2020-03-25,no,05:10:30,2.5,venus,FALSE,0.25,\"Smith, J.\",120,31.5,35,\n");
  ASSERT_TRUE(f.strError.empty()) << f.strError;
  ASSERT_TRUE(f.problems.empty()) << f.problems.front();
  ASSERT_EQ(f.records.size(), 2u);
  const udtSighting& a = f.records[0];
  EXPECT_EQ(a.strPlace, "Israel/Jerusalem/Center");
  EXPECT_DOUBLE_EQ(a.location().dblLatitude, 31.782);
  EXPECT_DOUBLE_EQ(a.location().dblHeight, 780);
  EXPECT_TRUE(a.location().blnAutoTZ);  // the place's zone history
  EXPECT_GT(a.location().intNTZ, 0);
  EXPECT_TRUE(a.blnHasTime);
  EXPECT_DOUBLE_EQ(a.dblClock, 18.75);
  EXPECT_FALSE(a.blnHasTZ);
  EXPECT_EQ(a.strBody, "Moon");
  EXPECT_TRUE(a.blnEvening);
  EXPECT_FALSE(a.blnHasClouds);
  EXPECT_EQ(f.extraColumns, std::vector<std::string>{"Yallop q"});
  EXPECT_EQ(f.extra(a, "Yallop q"), "0.5");
  const udtSighting& b = f.records[1];
  EXPECT_TRUE(b.strPlace.empty());
  EXPECT_DOUBLE_EQ(b.location().dblTZ, 2.5);
  EXPECT_FALSE(b.location().blnAutoTZ);
  EXPECT_DOUBLE_EQ(b.location().dblHeight, 120);
  EXPECT_DOUBLE_EQ(b.dblClock, 5 + 10 / 60.0 + 30 / 3600.0);
  EXPECT_EQ(b.strBody, "Venus");
  EXPECT_FALSE(b.blnEvening);
  EXPECT_DOUBLE_EQ(b.dblClouds, 0.25);
  EXPECT_EQ(b.strSource, "Smith, J.");
  EXPECT_EQ(f.extra(b, "Yallop q"), "");
  // Without a zone, a typed position keeps the hour nearest its longitude.
  SightingsFile g = read(rs, "lat,lon,date,seen\n40,-118.3,2000-01-01,no\n");
  ASSERT_EQ(g.records.size(), 1u);
  EXPECT_DOUBLE_EQ(g.records[0].location().dblTZ, -8);
}

TEST(SightingsReader, BadRowsAreReportedWithTheirLinesAndSkipped) {
  testing::RecordedSession rs;
  const std::string text =
      "date,time,tz,lat,lon,height,place,body,evening,seen,method,clouds\n"
      "2001-01-25,,,21.4,39.8,,,,,yes,,\n"                      // 2: good
      "2001-02-30,,,21.4,39.8,,,,,yes,,\n"                      // 3
      "25 Jan 2001,,,21.4,39.8,,,,,yes,,\n"                     // 4
      "2001-01-25,25:00,,21.4,39.8,,,,,yes,,\n"                 // 5
      "2001-01-25,,15,21.4,39.8,,,,,yes,,\n"                    // 6
      "2001-01-25,,,91,39.8,,,,,yes,,\n"                        // 7
      "2001-01-25,,,21.4,east,,,,,yes,,\n"                      // 8
      "2001-01-25,,,21.4,39.8,-2000,,,,yes,,\n"                 // 9
      "2001-01-25,,,,,,,,,yes,,\n"                              // 10
      "2001-01-25,,,,,,Israel/Jerusalem,,,yes,,\n"              // 11
      "2001-01-25,,,,,,Israel/Jerusalem/Atlantis,,,yes,,\n"     // 12
      "2001-01-25,,,21.4,39.8,,,Sirius,,yes,,\n"                // 13
      "2001-01-25,,,21.4,39.8,,,,maybe,yes,,\n"                 // 14
      "2001-01-25,,,21.4,39.8,,,,,perhaps,,\n"                  // 15
      "2001-01-25,,,21.4,39.8,,,,,yes,naked,\n"                 // 16
      "2001-01-25,,,21.4,39.8,,,,,yes,,1.5\n"                   // 17
      "2001-01-25,,,21.4,39.8,,,,,yes\n"                        // 18
      "2001-01-25,,,21.4,39.8,,\"Israel,,,yes,,\n"              // 19
      "\n"
      "2001-01-26,,,21.4,39.8,,,,,no,,\n";                      // 21: good
  SightingsFile f = read(rs, text);
  ASSERT_TRUE(f.strError.empty());
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_EQ(f.records[0].lngLine, 2);
  EXPECT_EQ(f.records[1].lngLine, 21);
  const std::vector<std::string> expected{
      "Line 3: date not understood: 2001-02-30",
      "Line 4: date not understood: 25 Jan 2001",
      "Line 5: time not understood: 25:00",
      "Line 6: tz must be hours east of UT from -14 to 14: 15",
      "Line 7: lat must be degrees from -90 to 90: 91",
      "Line 8: lon must be degrees from -180 to 180: east",
      "Line 9: height must be metres from -1000 to 100000: -2000",
      "Line 10: no position: give lat and lon, or place",
      "Line 11: place must be Country/City/Neighbourhood: Israel/Jerusalem",
      "Line 12: place not in the location database: Israel/Jerusalem/Atlantis",
      "Line 13: body must be Moon, Mercury, Venus, Mars, Jupiter or Saturn: Sirius",
      "Line 14: evening must be true or false: maybe",
      "Line 15: seen must be yes or no: perhaps",
      "Line 16: method must be eye, binoculars, telescope, camera or optical: naked",
      "Line 17: clouds must be a number from 0 (clear) to 1 (overcast): 1.5",
      "Line 18: 10 fields where the header has 12 columns",
      "Line 19: unclosed quote",
  };
  EXPECT_EQ(f.problems, expected);
  EXPECT_TRUE(rs.sink.messages.empty());  // reported in the list, not as message boxes
}

TEST(SightingsReader, WholeFileFaults) {
  testing::RecordedSession rs;
  struct Case {
    std::string text, error;
  } cases[] = {
      {"# only comments\n\n", "The file has no header row"},
      {"lat,lon,seen\n", "Line 1: the header has no column date"},
      {"date,lat,lon\n", "Line 1: the header has no column seen"},
      {"date,seen,lat\n", "Line 1: the header has no column lat and lon, or place"},
      {"#\ndate,seen,place,Date\n", "Line 2: column date is named twice"},
      {"date,seen,place,q,q\n", "Line 1: column q is named twice"},
      {std::string("\xFF\xFE" "d\0a\0t\0e\0", 10), "The file is UTF-16 text: save it as UTF-8"},
      {std::string("d\0a\0t\0e\0\n", 9), "Line 1: NUL bytes before the header row: the file is not text"},
      {std::string(70000, ',') + "\n",
       "Line 1: longer than 65536 bytes before the header row: not a sightings file"},
      {"date,seen,place,\x1b[2Jq,\x1b[2Jq\n", "Line 1: column ?[2Jq is named twice"},
  };
  for (const Case& c : cases) {
    SightingsFile f = read(rs, c.text);
    EXPECT_EQ(f.strError, c.error) << c.text;
    EXPECT_TRUE(f.records.empty());
  }
  SightingsFile missing = ReadSightingsFile(rs.session, "/nonexistent/sightings.csv");
  EXPECT_EQ(missing.strError, "Cannot open /nonexistent/sightings.csv");
  testing::TempDir dir;
  EXPECT_EQ(ReadSightingsFile(rs.session, dir.path()).strError, "Cannot open " + dir.path().string() + ": Is a directory");

  // A header of very many columns is read in time proportional to its
  // length, and a column named twice is found among them.
  std::string header = "date,seen,place";
  for (int i = 0; i < 6000; ++i) header += ",c" + std::to_string(i);
  SightingsFile wide = read(rs, header + ",c5999\n");
  EXPECT_EQ(wide.strError, "Line 1: column c5999 is named twice");
}

TEST(SightingsReader, LineEndsBytesThatAreNotTextAndSharedPlaces) {
  testing::RecordedSession rs;
  // Lines that end in CR alone, as old spreadsheets write them.
  const std::string text = std::string(
      "date,lat,lon,seen,place\r"
      "2024-03-11,31.78,35.22,yes,\r"             // 2
      "2024-03-11,,,yes,israel/JERUSALEM/center\r"  // 3: any case, as --location
      "2024-03-12,,,no,Israel/Jerusalem/Center\r"   // 4
      "2024-03-12,1,2,y\0s,\r"                     // 5
      "2024-03-12,1,2,\x1b[31mmaybe,\r",           // 6
      180) + std::string(70000, '9') + "\r"        // 7
      "2024-03-13,31.78,-180,no,\n";              // 8
  SightingsFile f = read(rs, text);
  ASSERT_EQ(f.strError, "");
  EXPECT_EQ(f.problems, (std::vector<std::string>{"Line 5: NUL bytes: the line is not text",
                                                  "Line 6: seen must be yes or no: ?[31mmaybe",
                                                  "Line 7: longer than 65536 bytes"}));
  ASSERT_EQ(f.records.size(), 4u);
  EXPECT_EQ(f.records[3].lngLine, 8);
  EXPECT_DOUBLE_EQ(f.records[3].location().dblLongitude, 180);
  // Both spellings name one place, whose record (and zone history) the two
  // records share.
  EXPECT_EQ(f.records[1].strPlace, "israel/JERUSALEM/center");
  EXPECT_EQ(f.records[1].place, f.records[2].place);
  EXPECT_EQ(f.records[1].location().strCity, "Jerusalem");
  EXPECT_GT(f.records[1].location().intNTZ, 0);
}

}  // namespace
}  // namespace nemora
