// The current location: the last-location file and its default copy, setting
// the location from names or numbers, zone-history checks, the location
// text, and writing the file back.
#include "location/current_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/session.h"
#include "calendar/gregorian.h"
#include "tests/test_support.h"
#include "tests/timescale/zone_test_support.h"

namespace nemora::testing {
namespace {

namespace fs = std::filesystem;

// The eleven lines of a last-location file, as a list to change one of.
std::vector<std::string> jerusalemLines() {
  return {"\"Israel\"", "\"Jerusalem\"", "\"Center\"", "#TRUE#", "31.782", "35.2195", "780", "2",
          "#FALSE#",    "#TRUE#",      "#FALSE#"};
}

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

constexpr const char* kCorrupt = "\nData from last saved location corrupted or missing. Loading default location.";

// A session with the shipped database and its own working folder.
class CurrentLocationTest : public ::testing::Test {
 protected:
  CurrentLocationTest() {
    rs.session.workDir = work.path();
    rs.session.locations.GetLocationData();
  }
  void restore() { rs.session.currentLocation.GetLastLocation(kNow, "Curloc.txt"); }
  void writeCurloc(const std::vector<std::string>& lines) { work.write("Curloc.txt", joined(lines)); }

  static constexpr double kNow = 738000.5;  // 20 July 2021, noon
  TempDir work;
  RecordedSession rs;
  udtLocation& location = rs.session.udtLocation;
};

TEST_F(CurrentLocationTest, AMissingFileFallsBackToTheDefaultAndIsWrittenOnExit) {
  restore();
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  EXPECT_EQ(rs.sink.messages[0],
            "Error in GetLastLocation File not found: Curloc.txt\n"
            "File containing last saved location missing. Loading default location.");
  EXPECT_EQ(location.strCountry, "Israel");
  EXPECT_EQ(location.strCity, "Jerusalem");
  EXPECT_EQ(location.strNeighborhood, "Center");
  EXPECT_TRUE(location.blnPlaceValid);
  EXPECT_TRUE(location.blnAutoTZ);
  EXPECT_EQ(location.dblTZ, 2);
  EXPECT_EQ(location.intNTZ, static_cast<int16_t>(location.udtTZ.size()));
  EXPECT_GT(location.intNTZ, 10);
  EXPECT_EQ(location.udtLatitude.intDegreesHours, 31);
  EXPECT_EQ(location.udtLatitude.intMinutes, 46);

  std::string error;
  ASSERT_TRUE(rs.session.currentLocation.WriteLastLocation(error)) << error;
  std::string text = readFile(work.path() / "Curloc.txt");
  EXPECT_EQ(text.substr(0, text.find("#TRUE#")), "\"Israel\"\n\"Jerusalem\"\n\"Center\"\n");

  // The next start reads it without a message and restores the same place.
  RecordedSession next;
  next.session.workDir = work.path();
  next.session.locations.GetLocationData();
  next.session.currentLocation.GetLastLocation(kNow, "Curloc.txt");
  EXPECT_TRUE(next.sink.messages.empty()) << next.sink.last();
  EXPECT_EQ(next.session.udtLocation.udtTZ, location.udtTZ);
  EXPECT_EQ(next.session.udtLocation.dblLatitude, location.dblLatitude);
  EXPECT_EQ(next.session.udtLocation.blnDMS, location.blnDMS);
}

TEST_F(CurrentLocationTest, APlaceKeepsTheDatabasePosition) {
  auto lines = jerusalemLines();
  lines[4] = "31.7824";  // within 0.0005 degrees: silently the database value
  lines[6] = "812";
  writeCurloc(lines);
  restore();
  EXPECT_TRUE(rs.sink.messages.empty());
  EXPECT_EQ(location.dblLatitude, 31.782);
  EXPECT_EQ(location.dblHeight, 812);  // the height is always the file's

  lines[4] = "31.783";
  lines[5] = "35.2205";
  writeCurloc(lines);
  restore();
  ASSERT_EQ(rs.sink.messages.size(), 2u);
  EXPECT_EQ(rs.sink.messages[0],
            "Warning: latitude in last location file inconsistent with place name, replacing with correct latitude.");
  EXPECT_EQ(rs.sink.messages[1],
            "Warning: longitude in last location file inconsistent with place name, replacing with correct "
            "longitude.");
  EXPECT_EQ(location.dblLatitude, 31.782);
  EXPECT_EQ(location.dblLongitude, 35.2195);
}

TEST_F(CurrentLocationTest, ATypedPositionKeepsItsOwnValues) {
  auto lines = jerusalemLines();
  lines[3] = "#FALSE#";
  lines[4] = "-10.5";
  lines[5] = "-20.25";
  lines[6] = "5";
  lines[7] = "-3.5";
  lines[8] = "#TRUE#";
  lines[9] = "#FALSE#";
  lines[10] = "#TRUE#";
  writeCurloc(lines);
  restore();
  EXPECT_TRUE(rs.sink.messages.empty()) << rs.sink.last();
  EXPECT_FALSE(location.blnPlaceValid);
  EXPECT_EQ(location.dblLatitude, -10.5);
  EXPECT_EQ(location.dblLongitude, -20.25);
  EXPECT_EQ(location.udtLatitude.intDegreesHours, 10);
  EXPECT_EQ(location.udtLatitude.intMinutes, 30);
  EXPECT_FALSE(location.udtLatitude.blnPositive);
  EXPECT_EQ(location.udtLongitude.intMinutes, 15);
  EXPECT_EQ(location.dblHeight, 5);
  EXPECT_EQ(location.dblTZ, -3.5);
  EXPECT_EQ(location.intTZHours, 3);
  EXPECT_EQ(location.intTZMinutes, 30);
  EXPECT_FALSE(location.blnTZSign);
  EXPECT_TRUE(location.blnDST);
  EXPECT_FALSE(location.blnAutoTZ);
  EXPECT_TRUE(location.blnDMS);
  // The names are still a label, and the country's zone history is loaded.
  EXPECT_EQ(location.strNeighborhood, "Center");
  EXPECT_GT(location.intNTZ, 10);
}

TEST_F(CurrentLocationTest, EveryDefectOfTheFileHasItsMessage) {
  struct Case {
    int line;
    std::string value;
    std::string description;
  };
  const std::string file = "Error in last location file: Curloc.txt";
  const std::vector<Case> cases = {
      {0, "\"israel\"", file + ". Unknown country/state name."},
      {0, "", file + ". Unknown country/state name."},
      {1, "\"Nowhere\"", file + ". Unknown city/town/place name: Nowhere"},
      {2, "\"Gilo \"", file + ". Unknown neighborhood name: Gilo "},
      {2, std::string(100000, 'G'), file + ". Unknown neighborhood name: " + std::string(57, 'G') + "..."},
      {3, "TRUE", file + ". Invalid place validity."},
      {4, "90.1", file + ". Invalid latitude."},
      {5, "-180.5", file + ". Invalid longitude."},
      {6, "100001", "invalid last location file: Curloc.txt. Invalid height above sea level."},
      {7, "14.5", file + ". Invalid time zone."},
      {8, "#YES#", "error in last location file: Curloc.txt. Invalid DST mode."},
      {9, "1", file + ". Invalid DST auto mode."},
      {10, "", file + ". Invalid DMS mode."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    rs.sink.clear();
    auto lines = jerusalemLines();
    lines[c.line] = c.value;
    writeCurloc(lines);
    restore();
    ASSERT_EQ(rs.sink.messages.size(), 1u);
    EXPECT_EQ(rs.sink.messages[0], "Error in frmLocation.GetLastLocation, " + c.description + kCorrupt);
    // The default location took over.
    EXPECT_EQ(location.strNeighborhood, "Center");
    EXPECT_EQ(location.dblHeight, 780);
  }
}

TEST_F(CurrentLocationTest, ABadOrMissingDefaultEndsTheProgram) {
  TempDir data;
  rs.session.dataDir = data.path();
  auto lines = jerusalemLines();
  lines[0] = "\"Atlantis\"";
  writeCurloc(lines);
  EXPECT_THROW(restore(), ProgramEnd);
  ASSERT_EQ(rs.sink.messages.size(), 2u);
  EXPECT_EQ(rs.sink.messages[1],
            "Error in GetLastLocation File not found: Curloc.bak\n"
            "Default location data file is also missing. Sorry cannot continue.");

  rs.sink.clear();
  lines[0] = "\"Israel\"";
  lines[7] = "x";
  data.write("Curloc.bak", joined(lines));
  fs::remove(work.path() / "Curloc.txt");
  EXPECT_THROW(restore(), ProgramEnd);
  ASSERT_EQ(rs.sink.messages.size(), 2u);
  EXPECT_EQ(rs.sink.messages[1],
            "Error in frmLocation.GetLastLocation, Error in last location file: Curloc.bak. Invalid time zone.\n"
            "Default location data is also missing or corrupt. Sorry cannot continue.");
}

TEST_F(CurrentLocationTest, AFileThatCouldNotBeReadIsKeptUnlessTheLocationChanges) {
  // A byte-order mark before the first line is no damage.
  auto lines = jerusalemLines();
  lines[6] = "812";
  work.write("Curloc.txt", "\xEF\xBB\xBF" + joined(lines));
  restore();
  EXPECT_TRUE(rs.sink.messages.empty()) << rs.sink.last();
  EXPECT_EQ(location.dblHeight, 812);

  // A damaged file: the default location is used and the file stays as it
  // is while the location is left alone.
  lines[3] = "TRUE";
  writeCurloc(lines);
  const std::string damaged = joined(lines);
  restore();
  ASSERT_EQ(rs.sink.messages.size(), 1u);
  rs.sink.clear();
  std::string error;
  EXPECT_TRUE(rs.session.currentLocation.WriteLastLocation(error)) << error;
  EXPECT_EQ(readFile(work.path() / "Curloc.txt"), damaged);
  EXPECT_TRUE(rs.sink.messages.empty());

  // Once the user changes the location, the old file is kept aside first.
  location.dblHeight = 100;
  EXPECT_TRUE(rs.session.currentLocation.WriteLastLocation(error)) << error;
  EXPECT_EQ(readFile(work.path() / "Curloc.txt.bad"), damaged);
  EXPECT_NE(readFile(work.path() / "Curloc.txt").find("\n100\n"), std::string::npos);
  EXPECT_EQ(rs.sink.messages,
            std::vector<std::string>{"Curloc.txt could not be read at start-up; it is kept as Curloc.txt.bad and the "
                                     "current location is saved in Curloc.txt."});

  // A file that is there but cannot be read (a folder fails for every user)
  // is not reported as missing, and is not written over either.
  fs::remove(work.path() / "Curloc.txt");
  fs::create_directory(work.path() / "Curloc.txt");
  rs.sink.clear();
  restore();
  EXPECT_EQ(rs.sink.messages, std::vector<std::string>{"Error in GetLastLocation Path/File access error (Is a "
                                                       "directory): Curloc.txt\nFile containing last saved location "
                                                       "cannot be read. Loading default location."});
  EXPECT_TRUE(rs.session.currentLocation.WriteLastLocation(error)) << error;
  EXPECT_TRUE(fs::is_directory(work.path() / "Curloc.txt"));
}

TEST_F(CurrentLocationTest, WritingReplacesTheFileWhole) {
  restore();
  work.write("Curloc.txt", "old contents\n");
  location.strCountry = "India";
  location.strCity = "Delhi";
  location.blnPlaceValid = false;
  location.dblLatitude = -0.000125;
  location.dblLongitude = 179.5;
  location.dblHeight = -12.5;
  location.dblTZ = 5.5;
  location.blnDST = true;
  location.blnAutoTZ = false;
  location.blnDMS = true;
  std::string error;
  ASSERT_TRUE(rs.session.currentLocation.WriteLastLocation(error));
  EXPECT_EQ(readFile(work.path() / "Curloc.txt"),
            "\"India\"\n\"Delhi\"\n\"Center\"\n#FALSE#\n-0.000125\n179.5\n-12.5\n5.5\n#TRUE#\n#FALSE#\n#TRUE#\n");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(work.path())) ++files;
  EXPECT_EQ(files, 1);  // no temporary file left behind

  // A folder that cannot be written leaves the old file as it was.
  rs.session.workDir = work.path() / "missing";
  EXPECT_FALSE(rs.session.currentLocation.WriteLastLocation(error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(work.path() / "missing"));
}

TEST_F(CurrentLocationTest, PositionFromNamesOrNumbers) {
  restore();
  rs.sink.clear();
  CurrentLocation& cl = rs.session.currentLocation;
  ASSERT_TRUE(cl.GetPositionFromName("India", "Delhi", "Center"));
  EXPECT_EQ(location.strCountry, "India");
  EXPECT_EQ(location.dblLatitude, 28.6139);
  EXPECT_EQ(location.intNTZ, 1);
  EXPECT_EQ(location.udtTZ[0].dblTZ, 5.5);

  // Number mode: longitude, latitude and height.
  ASSERT_TRUE(cl.GetPositionFromName("-74.5", " 40.25", "x"));
  EXPECT_FALSE(location.blnPlaceValid);
  EXPECT_EQ(location.dblLongitude, -74.5);
  EXPECT_EQ(location.dblLatitude, 40.25);
  EXPECT_EQ(location.dblHeight, 0);
  EXPECT_EQ(location.udtLongitude.intDegreesHours, 74);
  EXPECT_FALSE(location.udtLongitude.blnPositive);
  EXPECT_EQ(location.strCountry, "India");  // the zone history stays

  struct Refusal {
    std::string country, city, neighborhood;
    bool force;
    std::string message;
  };
  const std::string src = "Error in frmLocation.GetPositionFromName, ";
  const std::vector<Refusal> refusals = {
      {"10", "20", "30", true, src + "Cannot load time zone data without the name of a country"},
      {"10", "20", "-1000.5", false, src + "Height above sea level out of range: -1000.5"},
      {"10", "-91", "0", false, src + "Latitude out of range: -91"},
      {"-180", "20", "0", false, src + "Longitude out of range: -180"},
      {"India", "Atlantis", "Center", false, "City/Town not found in GetPositionFromName: India, Atlantis"},
      {"India", "Delhi", "Old Town", false,
       "Neighborhood not found in GetPositionFromName: India, Delhi, Old Town"},
      {"Atlantis", "Delhi", "Center", false, "Country/State not found in GetPositionFromName: Atlantis"},
  };
  udtLocation before = location;
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.message);
    rs.sink.clear();
    EXPECT_FALSE(cl.GetPositionFromName(r.country, r.city, r.neighborhood, r.force));
    ASSERT_EQ(rs.sink.messages.size(), 1u);
    EXPECT_EQ(rs.sink.messages[0], r.message);
    EXPECT_EQ(location.dblLatitude, before.dblLatitude);
    EXPECT_EQ(location.dblHeight, before.dblHeight);
  }

  // An unknown country still has the location's own values checked.
  location.dblTZ = 14.5;
  rs.sink.clear();
  EXPECT_FALSE(cl.GetPositionFromName("Atlantis", "Delhi", "Center"));
  ASSERT_EQ(rs.sink.messages.size(), 2u);
  EXPECT_EQ(rs.sink.messages[1], src + "Output time zone out of range: 14.5");
}

TEST_F(CurrentLocationTest, ZoneHistoryChecks) {
  CurrentLocation& cl = rs.session.currentLocation;
  const std::string src = "Error in frmLocation.GetPositionFromName, ";
  auto check = [&](std::vector<udtTZHistory> h) {
    rs.sink.clear();
    bool ok = cl.CheckZoneHistory(static_cast<int16_t>(h.size()), h, "frmLocation.GetPositionFromName");
    EXPECT_EQ(rs.sink.messages.size(), ok ? 0u : 1u);
    return ok ? std::string("ok") : rs.sink.last();
  };
  EXPECT_EQ(check({northernEpoch(2), epoch(-12)}), "ok");
  EXPECT_EQ(check({epoch(2, true, rule(2, 5, 1, 26, 3), rule(2, 0, 1, 3, 7, 6))}), "ok");
  EXPECT_EQ(check({}), src + "Number of time zone histories out of range: 0\n");
  EXPECT_EQ(check({epoch(2), epoch(14.25)}), src + "Invalid time zone in time zone history 1: 14.25\n");
  EXPECT_EQ(check({endingAt(epoch(2), 10592251)}), src + "Invalid end date of zone in time zone history 0: 10592251\n");

  struct RuleCase {
    udtDSTRule start, end;
    std::string message;
  };
  const std::vector<RuleCase> rules = {
      {rule(2, 0, 5, 1, 3, 5), rule(2, 0, 5, 1, 10), "Invalid start date type in time zone history 0: 5"},
      {rule(2, 0, 5, 1, 13), rule(2, 0, 5, 1, 10), "Invalid start month in time zone history 0: 13"},
      {rule(2, 0, 5, 31, 4), rule(2, 0, 5, 1, 10), "Invalid start date of month in time zone history 0: 31"},
      {rule(2, 0, 5, 31, 3, 6), rule(2, 0, 5, 1, 10), "Invalid start date of month in time zone history 0: 31"},
      {rule(2, 0, 5, 30, 2, 6), rule(2, 0, 5, 1, 10), "Invalid start date of month in time zone history 0: 30"},
      {rule(2, 7, 5, 1, 3), rule(2, 0, 5, 1, 10), "Invalid start day of week in time zone history 0: 7"},
      {rule(24, 0, 5, 1, 3), rule(2, 0, 5, 1, 10), "Invalid start hour in time zone history 0: 24"},
      {rule(2, 0, 6, 1, 3), rule(2, 0, 5, 1, 10), "Invalid start week in time zone history 0: 6"},
      {rule(2, 0, 5, 1, 3), rule(2, 0, 5, -1, 10), "Invalid end date of month in time zone history 0: -1"},
      {rule(2, 0, 5, 1, 3), rule(-1, 0, 5, 1, 10), "Invalid end hour in time zone history 0: -1"},
  };
  for (const RuleCase& r : rules) EXPECT_EQ(check({epoch(2, true, r.start, r.end)}), src + r.message + "\n");
  // Rules of an epoch without daylight saving are not looked at.
  EXPECT_EQ(check({epoch(2, false, rule(99, 0, 0, 0, 0, 0))}), "ok");
}

TEST_F(CurrentLocationTest, ZoneShownWhenAZoneHistoryIsLoaded) {
  CurrentLocation& cl = rs.session.currentLocation;
  udtLocation working;
  ZoneDisplay display;
  ASSERT_TRUE(cl.LoadZoneHistory(kNow, rs.session.locations.findCountry("India"), working, display));
  EXPECT_EQ(display.txtTZ, "5.5");
  EXPECT_TRUE(display.optAhead);
  EXPECT_EQ(display.txtTZH, "5");
  EXPECT_EQ(display.txtTZM, "30");
  EXPECT_TRUE(display.blnStandardOnly);
  EXPECT_EQ(working.intNTZ, 1);

  double january = static_cast<double>(fixedFromGregorian(2021, 1, 15)) + 0.5;
  ASSERT_TRUE(cl.LoadZoneHistory(january, rs.session.locations.findCountry("United States - New York"), working,
                                 display));
  EXPECT_EQ(display.txtTZ, "5");
  EXPECT_FALSE(display.optAhead);
  EXPECT_FALSE(display.blnStandardOnly);
  // The session's own location is not touched.
  EXPECT_TRUE(rs.session.udtLocation.udtTZ.empty());
}

TEST_F(CurrentLocationTest, LocationText) {
  restore();
  rs.session.dblFixDate = static_cast<double>(fixedFromGregorian(2021, 7, 20));
  rs.session.blnDMSDisplay = false;
  bool ok = false;
  std::string text = rs.session.currentLocation.WriteLocation(ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text, "Location: Center, Jerusalem, Israel\r\n31.782°N\r\n35.2195°E\r\nHeight 780m, TZ 3h ahead");

  rs.session.blnDMSDisplay = true;
  ASSERT_TRUE(rs.session.currentLocation.GetPositionFromName("-74.5", "-40.2505", "12.5"));
  location.blnAutoTZ = false;
  location.dblTZ = -5;
  location.blnDST = false;
  text = rs.session.currentLocation.WriteLocation(ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(text, "No location name\r\n40°15'1.8\"S\r\n74°30'0\"W\r\nHeight 12.5m, TZ 5h behind");

  // No hemisphere letter at longitude 180; "#" digits are written only when needed.
  ASSERT_TRUE(rs.session.currentLocation.GetPositionFromName("180", "-0.25", "0"));
  rs.session.blnDMSDisplay = false;
  text = rs.session.currentLocation.WriteLocation(ok);
  EXPECT_EQ(text, "No location name\r\n.25°S\r\n180°\r\nHeight 0m, TZ 5h behind");

  location.dblLatitude = 91;
  text = rs.session.currentLocation.WriteLocation(ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(rs.sink.last(), "Error in frmLocation.WriteLocation, udtLocation.dblLatitude out of range: 91");
}

}  // namespace
}  // namespace nemora::testing
